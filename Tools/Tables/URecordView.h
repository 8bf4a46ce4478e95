#pragma once
// Read-only access to the records of an open table in memory, field by
// field, without loading the field objects: for loops over every record.
// The fields' own classes decode the bytes, the table knows where they lie.

#include <cstddef>
#include <cstdint>

#include "UChecked.h"
#include "UDatArr.h"
#include "UField.h"

namespace tv {

// Holds while the table stays open and unchanged; it only reads, so several
// threads may read through one view at once.
class TRecordView {
public:
    // The table must be open.
    explicit TRecordView(const TDatArr& table);

    // Records in the order of the table's current index.
    int32_t Count() const { return FCount; }

    // One field of every record, as its class decodes it.
    template <class F>
    class TColumn {
    public:
        // The value of record i (for a string field its 1251 bytes); i
        // outside 0 .. Count - 1 raises ERangeError.
        auto operator()(int32_t i) const { return FField.DataValue(Data(i)); }
        // The field's display text of record i.
        std::string Text(int32_t i) const { return FField.DataToText(Data(i)); }
        const uint8_t* Data(int32_t i) const { return FView.Record(i) + FOffset; }

    private:
        friend class TRecordView;
        TColumn(const TRecordView& view, const F& field, size_t offset)
            : FView(view), FField(field), FOffset(offset)
        {
        }
        const TRecordView& FView;
        const F& FField;
        size_t FOffset;
    };

    // Raises when the field is none of the table's.
    template <class F>
    TColumn<F> Column(const F& field) const
    {
        return TColumn<F>(*this, field, OffsetOf(field));
    }

private:
    // Raises ERangeError unless 0 <= i < Count.
    const uint8_t* Record(int32_t i) const
    {
        if (static_cast<uint32_t>(i) >= static_cast<uint32_t>(FCount))
            CheckIndex(i, FCount);
        return FFirst + static_cast<size_t>(i) * FElemSize;
    }
    size_t OffsetOf(const TField& field) const;

    const TDatArr& FTable;
    int32_t FCount;
    const uint8_t* FFirst;  // the first record's first field
    size_t FElemSize;
};

} // namespace tv
