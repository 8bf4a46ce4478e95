#pragma once
// The basic field types: integer, string, boolean and date-time.

#include "UDateTime.h"
#include "UField.h"

#include <cstring>
#include <string_view>

namespace tv {

// int32 value; type id 1, letter "I"; the only type that takes key values.
// The text: empty gives 0; else a decimal int32 with an optional sign, else
// "Неверно задано целое число: " + text. A variant must be varInteger, else
// "Тип варианта не является Integer".
class TIntegerField : public TFixedField<int32_t, TIntegerField> {
public:
    TIntegerField() : TIntegerField(ClassInfo()) {}
    static const TFieldClass& ClassInfo();

    int32_t GetValue() const { return FValue; }
    // Needs CanEdit.
    void SetValue(int32_t value) { Assign(value); }
    void ApplyKeyValue() override;

protected:
    explicit TIntegerField(const TFieldClass& cls) : TFixedField(cls) {}

private:
    friend class TFixedField<int32_t, TIntegerField>;
    static std::string ValueText(int32_t value);
    static int32_t EditText(const std::string& text);
    static int32_t FromVariant(const TVariant& value);
};

// Fixed width of n 1251 characters, zero-padded in the record. The text is
// UTF-8 outside and 1251 inside; a character 1251 cannot hold becomes "?".
// The text is one line: a control character shows and is stored as a
// blank (OneLine). Type id 2, letter "S".
class TStringField : public TField {
public:
    // Width n >= 0.
    explicit TStringField(int32_t n) : TStringField(n, ClassInfo()) {}
    static const TFieldClass& ClassInfo();

    int32_t GetWidth() const { return FWidth; }

    int32_t DataSize() const override { return FWidth; }
    const void* GetData() override;
    // Takes the bytes up to the first zero byte, at most n.
    void SetData(const void* data) override;
    std::string GetText() const override;
    // The value becomes the text cut to n characters; needs CanEdit. The
    // text GetText gives keeps the bytes as they are.
    void SetText(const std::string& text) override;
    // Byte-wise unsigned, case-sensitive, ends after the first zero byte of b.
    int32_t CompareData(const void* a, const void* b) const override;
    // Accepts varString only, else "Тип варианта не является String".
    void VariantToData(const TVariant& value, void* dest) const override;
    void TextToData(const std::string& text, void* dest) const override;
    std::string DataToText(const void* data) const override;
    // The 1251 bytes of record format data, up to the first zero, at most n.
    std::string_view DataValue(const void* data) const
    {
        const char* p = static_cast<const char*>(data);
        return std::string_view(p, strnlen(p, size_t(FWidth)));
    }

protected:
    TStringField(int32_t n, const TFieldClass& cls);

private:
    int32_t FWidth;
    std::string FValue;  // 1251 bytes, never longer than FWidth
    std::vector<char> FBuffer;
};

// int32 value, 0 false, -1 true as written, any non-zero reads true.
// Type id 3, letter "L". Shown "True" or "False"; a text is true exactly
// when upper-cased it is "TRUE". A variant must be varBoolean, else "Тип
// варианта не является Boolean", and writes 1 or 0.
class TBooleanField : public TFixedField<int32_t, TBooleanField> {
public:
    TBooleanField() : TBooleanField(ClassInfo()) {}
    static const TFieldClass& ClassInfo();

    bool GetValue() const { return FValue != 0; }
    // Stores -1 or 0; needs CanEdit.
    void SetValue(bool value) { Assign(value ? -1 : 0); }

protected:
    explicit TBooleanField(const TFieldClass& cls) : TFixedField(cls) {}

private:
    friend class TFixedField<int32_t, TBooleanField>;
    static std::string ValueText(int32_t value);
    static std::string DataText(int32_t value);
    static int32_t EditText(const std::string& text);
    static int32_t FromVariant(const TVariant& value);
    static int32_t CompareValues(int32_t a, int32_t b);
};

// Date-time value, 0 meaning no date. Type id 4, letter "D". Shown empty for
// 0, else the short date, then the long time unless it is 0:00:00. An edited
// text: empty gives 0; else a date and optional time in the current format,
// else "Неверно задана дата(время): " + text; a text put into a record must
// not be empty. A variant must be varDate, else "Тип варианта не является
// TDateTime".
class TDateTimeField : public TFixedField<TDateTime, TDateTimeField> {
public:
    TDateTimeField() : TDateTimeField(ClassInfo()) {}
    static const TFieldClass& ClassInfo();

    TDateTime GetValue() const { return FValue; }
    // Needs CanEdit.
    void SetValue(TDateTime value) { Assign(value); }

protected:
    explicit TDateTimeField(const TFieldClass& cls) : TFixedField(cls) {}

private:
    friend class TFixedField<TDateTime, TDateTimeField>;
    static std::string ValueText(TDateTime value);
    static TDateTime EditText(const std::string& text);
    static TDateTime DataFromText(const std::string& text);
    static TDateTime FromVariant(const TVariant& value);
};

// Texts of the boolean values, index 0 false and 1 true.
extern const char* const BoolTexts[2];
extern const char* const BoolDataTexts[2];

} // namespace tv
