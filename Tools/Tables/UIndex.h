#pragma once
// A sort and search key over one field or an ordered list of fields of one
// field set. It owns a key buffer (the key fields' record formats one after
// another) and compares it, or two records, in record format. Whether the
// single-field or the composite comparison runs is bound at construction.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "UFields.h"
#include "UVariant.h"

namespace tv {

class TIndex {
public:
    // Single-field index. Fails with "Не определен объект полей" without a
    // set, "Не определено индексное поле" without a field, and
    // "В наборе полей не найдено индексное поле: " + name when the field
    // object is not in the set.
    static std::unique_ptr<TIndex> Create(const TFields* fields, TField* field);
    static std::unique_ptr<TIndex> CreateNamed(const TFields* fields, const std::string& name,
                                               TField* field);
    // Composite index, even of one field. Fails as Create, and with
    // "Массив индексных полей пустой" for an empty list; entries are checked
    // for presence first, then for membership, in order.
    static std::unique_ptr<TIndex> CreateComposite(const TFields* fields,
                                                   const std::vector<TField*>& list);
    static std::unique_ptr<TIndex> CreateCompositeNamed(const TFields* fields,
                                                        const std::string& name,
                                                        const std::vector<TField*>& list);
    ~TIndex();
    TIndex(const TIndex&) = delete;
    TIndex& operator=(const TIndex&) = delete;

    // Key buffer against record data: negative, 0 or positive.
    int32_t CompareKey(const void* record) const { return (this->*FCompareKey)(record); }
    // Record a against record b by the key fields.
    int32_t CompareRecords(const void* a, const void* b) const
    {
        return (this->*FCompareRecords)(a, b);
    }
    // Copies the record's key fields into the key buffer.
    void KeyFromRecord(const void* record) { (this->*FKeyFromRecord)(record); }

    // Composite index: value i goes into key field i by the field's own
    // variant rules; extra values are ignored; too few raise ERangeError
    // after the earlier fields were written. A single-field index ignores it.
    void SetKeyValues(const std::vector<TVariant>& values);
    // Single-field index: TextToData of the key field into the key buffer.
    // A composite index refuses it with
    // "Поиск по тексту невозможен для составного индекса".
    void SetKeyText(const std::string& text);

    const std::string& GetName() const { return FName; }
    // The field of a single-field index; nullptr for a composite one.
    TField* GetKeyField() const { return FField; }
    uint8_t* KeyBuffer() { return FKey.data(); }
    const uint8_t* KeyBuffer() const { return FKey.data(); }
    int32_t KeySize() const { return FKeySize; }
    bool IsComposite() const { return FField == nullptr; }
    // The first key field and its offset in the record.
    TField* LeadingField() const { return FField ? FField : FFields.front(); }
    int32_t LeadingFieldOffset() const { return FField ? FFieldOffset : FFieldOffsets.front(); }
    // Single-field and its field is the primary key.
    bool IsPrimaryKey() const;

private:
    TIndex() = default;
    void BindSingle(const TFields* fields, TField* field);
    void BindComposite(const TFields* fields, const std::vector<TField*>& list);

    int32_t CompareKeySingle(const void* record) const;
    int32_t CompareKeyComposite(const void* record) const;
    int32_t CompareRecordsSingle(const void* a, const void* b) const;
    int32_t CompareRecordsComposite(const void* a, const void* b) const;
    void KeyFromRecordSingle(const void* record);
    void KeyFromRecordComposite(const void* record);

    std::string FName;
    std::vector<uint8_t> FKey;
    int32_t FKeySize = 0;
    TField* FField = nullptr;
    int32_t FFieldOffset = 0;
    std::vector<TField*> FFields;
    std::vector<int32_t> FFieldOffsets;
    int32_t FFieldCount = 0;
    int32_t (TIndex::*FCompareKey)(const void*) const = nullptr;
    int32_t (TIndex::*FCompareRecords)(const void*, const void*) const = nullptr;
    void (TIndex::*FKeyFromRecord)(const void*) = nullptr;
};

} // namespace tv
