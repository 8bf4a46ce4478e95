#pragma once
// A field stands for one column of a table: its current value, its name,
// whether it may be changed now and, for the auto-numbered key, the next key
// value. Every field type converts between the held value, its fixed-width
// record format, display text (UTF-8) and a variant, and compares two values
// in record format.

#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "UVariant.h"

namespace tv {

class TField;

// Class reference of a field type. A class made by deriving from a field type
// has its own descriptor whose Parent is that type's descriptor; TypeId and
// TypeChar are inherited from the parent.
struct TFieldClass {
    const char* Name;
    const TFieldClass* Parent;  // nullptr for TField itself
    int32_t TypeId;             // 0 for TField
    char TypeChar;              // '\0' for TField
    // Makes a field of this class; the size is the width of a string field
    // and ignored by the others. nullptr for a class that cannot be made so.
    std::unique_ptr<TField> (*CreateSized)(int32_t size);

    // True when this class is c or descends from it.
    bool InheritsFrom(const TFieldClass& c) const;

    // Descriptor of a class derived from parent, with parent's type id and letter.
    static TFieldClass Derived(const char* name, const TFieldClass& parent,
                               std::unique_ptr<TField> (*create)(int32_t) = nullptr);
};

class TField {
public:
    virtual ~TField();
    TField(const TField&) = delete;
    TField& operator=(const TField&) = delete;

    // Bytes of the value in a record.
    virtual int32_t DataSize() const = 0;
    // The current value in record format; valid until the next call.
    virtual const void* GetData() = 0;
    // Loads DataSize bytes of record format as the value; ignores CanEdit.
    virtual void SetData(const void* data) = 0;
    // Display text of the current value.
    virtual std::string GetText() const = 0;
    // Parses text into the value; needs CanEdit; on failure the value is kept.
    virtual void SetText(const std::string& text) = 0;
    // Primary-key support: the integer key takes the next key value.
    virtual void ApplyKeyValue();
    // The next key value + 1 when the field is the primary key; raises
    // EIntOverflow beyond the largest int32.
    void IncNextKeyValue();
    // -1, 0 or 1 as a sorts before, equal to or after b (record format).
    virtual int32_t CompareData(const void* a, const void* b) const = 0;
    // Writes DataSize bytes for a variant of exactly this type's kind, else
    // fails with the type's message.
    virtual void VariantToData(const TVariant& value, void* dest) const = 0;
    // Writes DataSize bytes parsed from text; ignores CanEdit.
    virtual void TextToData(const std::string& text, void* dest) const = 0;
    // Display text of a value in record format.
    virtual std::string DataToText(const void* data) const = 0;

    // Makes a field of the first registered class with the type id; an
    // unknown id fails with "Класс поля не зарегистрирован: TField".
    static std::unique_ptr<TField> CreateByTypeId(int32_t typeId, int32_t size);

    static const TFieldClass& ClassInfo();
    const TFieldClass& ClassType() const { return *FClass; }
    const char* ClassName() const { return FClass->Name; }
    int32_t TypeId() const { return FClass->TypeId; }
    char TypeChar() const { return FClass->TypeChar; }

    void AllowEdit() { FCanEdit = true; }
    void ForbidEdit() { FCanEdit = false; }
    bool CanEdit() const { return FCanEdit; }
    // Fails with "Поле нельзя редактировать" unless editing is allowed.
    void CheckEditable() const;

    const std::string& GetName() const { return FName; }
    // Keeps at most the first 20 characters.
    void SetName(const std::string& name);

    bool GetPrimaryKey() const { return FPrimaryKey; }
    // Stores the flag, then sets the next key value to 1 when it is 0.
    void SetPrimaryKey(bool value);
    int32_t GetNextKeyValue() const { return FNextKeyValue; }
    // Fails with "Поле не является первичным ключем" unless the primary key.
    void SetNextKeyValue(int32_t value);

protected:
    // Checks cls against the registry: it must be a registered class or
    // descend from one, else "Класс поля не зарегистрирован: " + its name.
    explicit TField(const TFieldClass& cls);

private:
    const TFieldClass* FClass;
    bool FCanEdit = false;
    std::string FName;
    bool FPrimaryKey = false;
    int32_t FNextKeyValue = 0;
};

// The registered field classes in registration order: TMoneyField,
// TIntegerField, TStringField, TBooleanField, TDateTimeField, then any
// registered later.
const std::vector<const TFieldClass*>& FieldClasses();

// Appends a class to the registry; fails when the class or its type id is
// already there.
void RegisterFieldClass(const TFieldClass& cls);

// A field whose value is one number of type T, kept in the record as its
// own bytes. The derived class D gives the conversions as static members:
// ValueText and DataText (the text of a value, shown and of the record),
// EditText and DataFromText (the value of an edited text, of a text put into
// a record), FromVariant (the value of a variant, or the type's failure) and
// CompareValues.
template <typename T, typename D>
class TFixedField : public TField {
public:
    int32_t DataSize() const override { return sizeof(T); }
    const void* GetData() override { return &FValue; }
    void SetData(const void* data) override { FValue = Read(data); }
    std::string GetText() const override { return D::ValueText(FValue); }
    void SetText(const std::string& text) override
    {
        CheckEditable();
        FValue = D::EditText(text);
    }
    int32_t CompareData(const void* a, const void* b) const override { return D::CompareValues(Read(a), Read(b)); }
    void VariantToData(const TVariant& value, void* dest) const override { Put(D::FromVariant(value), dest); }
    void TextToData(const std::string& text, void* dest) const override { Put(D::DataFromText(text), dest); }
    std::string DataToText(const void* data) const override { return D::DataText(Read(data)); }
    // The value in record format data.
    static T DataValue(const void* data) { return Read(data); }

protected:
    explicit TFixedField(const TFieldClass& cls) : TField(cls) {}

    void Assign(T value)
    {
        CheckEditable();
        FValue = value;
    }
    static T Read(const void* data)
    {
        T v;
        std::memcpy(&v, data, sizeof v);
        return v;
    }
    static void Put(T value, void* dest) { std::memcpy(dest, &value, sizeof value); }
    static std::string DataText(T value) { return D::ValueText(value); }
    static T DataFromText(const std::string& text) { return D::EditText(text); }
    static int32_t CompareValues(T a, T b) { return a < b ? -1 : (b < a ? 1 : 0); }

    T FValue{};
};

} // namespace tv
