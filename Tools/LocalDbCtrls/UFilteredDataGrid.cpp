#include "UFilteredDataGrid.h"

#include "UException.h"
#include "UFields.h"
#include "UIndex.h"
#include "UTable.h"

namespace tv {

TFilteredDataGrid::TFilteredDataGrid(QWidget* Owner, const std::vector<TDataGridColumn>& Columns,
                                     TTable* Table)
    : TDataGrid(Owner, Columns, Table, TNoReload{})
{
    Reload();
}

void TFilteredDataGrid::SetFilter(TIndex* Index, const std::vector<TVariant>& Low,
                                  const std::vector<TVariant>& High)
{
    TV_ASSERT(Index != nullptr && Index->IsComposite(), "AIndex param must be a composite index");
    FTable->SetIndex(Index);
    FTable->FindKey(Low);
    bool inRange = false;
    if (!FTable->Eof()) {
        const uint8_t* record = FTable->Fields()->GetRecord();
        if (Index->CompareKey(record) <= 0) {
            Index->SetKeyValues(High);
            inRange = Index->CompareKey(record) > 0;
        }
    }
    if (!inRange) {
        FFilterStart = 0;
        FFilterCount = 0;
    } else {
        FFilterStart = FTable->GetRecNo();
        FTable->FindKey(High);
        const uint8_t* record = FTable->Fields()->GetRecord();
        if (Index->CompareKey(record) <= 0)
            FFilterCount = FTable->GetRecNo() - FFilterStart;
        else
            FFilterCount = FTable->GetRecNo() - FFilterStart + 1;
    }
    FJustFiltered = true;
    Reload();
    if (FJustFiltered)
        SelectCell(Col(), Row());
}

bool TFilteredDataGrid::SelectCell(int Col, int Row)
{
    FJustFiltered = false;
    return TDataGrid::SelectCell(Col, Row);
}

void TFilteredDataGrid::UpdateRowCount()
{
    SetRecords(FFilterStart, FFilterCount);
}

void TFilteredDataGrid::UpdateRow()
{
    int row = 1;
    if (FFilterCount > 0) {
        row = FTable->GetRecNo() - FFilterStart + 1;
        if (row <= 0 || row >= RowCount())
            row = RowCount() - 1;
    }
    if (row != Row())
        SetRow(row);
}

void TFilteredDataGrid::GoToRow(int Row)
{
    if (FFilterCount == 0)
        return;
    TV_ASSERT(Row <= FFilterCount, "aRow out of filter");
    FTable->SetRecNo(FFilterStart + Row - 1);
}

} // namespace tv
