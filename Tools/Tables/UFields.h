#pragma once
// The ordered fields of one table. The record layout is the fields' record
// formats one after another in set order without gaps. The set refers to the
// fields; it owns only its record buffer.

#include <cstdint>
#include <vector>

#include "UField.h"

namespace tv {

class TFields {
public:
    // An empty set, record size 0.
    TFields();
    // The fields in the given order; every entry must be a field.
    explicit TFields(const std::vector<TField*>& fields);
    ~TFields();
    TFields(const TFields&) = delete;
    TFields& operator=(const TFields&) = delete;

    // Appends a field at offset = the current record size; the record
    // buffer is replaced by a new one (its contents are not kept).
    void Add(TField* field);

    int32_t Count() const { return static_cast<int32_t>(FItems.size()); }
    // i outside 0..Count-1 raises ERangeError.
    TField* Items(int32_t i) const;
    int32_t Offsets(int32_t i) const;
    int32_t DataSize() const { return FDataSize; }

    // Packs the fields' values into the record buffer and returns it; valid
    // until the next GetRecord, Add or destruction.
    const uint8_t* GetRecord();
    // Loads every field from record data (DataSize bytes); ignores CanEdit.
    void SetRecord(const void* data);
    // Loads an all-zero record: 0, empty text, false, no date.
    void Clear();

    void AllowEdit();
    void ForbidEdit();
    // ApplyKeyValue / IncNextKeyValue on every primary-key field, in order.
    void ApplyKeyValues();
    void IncNextKeyValues();

private:
    std::vector<TField*> FItems;
    std::vector<int32_t> FOffsets;
    std::vector<uint8_t> FBuffer;
    int32_t FDataSize = 0;
};

} // namespace tv
