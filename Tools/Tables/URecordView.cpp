#include "URecordView.h"

#include "UException.h"
#include "UFields.h"

namespace tv {

TRecordView::TRecordView(const TDatArr& table)
    : FTable(table), FCount(table.ElemCount()), FFirst(FCount > 0 ? table.GetElemData(0, 0) : nullptr),
      FElemSize(size_t(table.GetElemSize()))
{
}

size_t TRecordView::OffsetOf(const TField& field) const
{
    const TFields* fields = FTable.Fields();
    for (int32_t i = 0; fields != nullptr && i < fields->Count(); ++i)
        if (fields->Items(i) == &field)
            return size_t(fields->Offsets(i) - fields->Offsets(0));
    throw Exception("The table has no field " + field.GetName());
}

} // namespace tv
