#pragma once
// TFilteredDataGrid is a TDataGrid that shows one contiguous run of its
// table's records: those whose key under a composite index lies between a
// low key (included) and a high key (excluded). The table keeps its records
// sorted by the current index, so the run is a block of record numbers; row
// r (from 1) shows record FilterStart() + r - 1.

#include <vector>

#include "UDataGrid.h"
#include "UVariant.h"

namespace tv {

class TFilteredDataGrid : public TDataGrid {
    Q_OBJECT
public:
    // Starts with an empty range: one blank row.
    TFilteredDataGrid(QWidget* Owner, const std::vector<TDataGridColumn>& Columns, TTable* Table);

    // Makes the table use Index (a composite index of the table) and shows
    // the records with Low <= key < High; Low and High hold one value per
    // key field. Afterwards the last row of the range is selected, the table
    // stands on its record and the owner's OnSelectCell has run once. The
    // range is not watched: the owner sets it again after the table changed,
    // and keeps Index current while the range is shown.
    void SetFilter(TIndex* Index, const std::vector<TVariant>& Low,
                   const std::vector<TVariant>& High);

    int32_t FilterStart() const { return FFilterStart; }
    int32_t FilterCount() const { return FFilterCount; }

    bool SelectCell(int Col, int Row) override;
    void UpdateRowCount() override;
    void UpdateRow() override;
    // Row must lie in the range ("aRow out of filter").
    void GoToRow(int Row) override;

private:
    int32_t FFilterCount = 0;
    int32_t FFilterStart = 0;
    bool FJustFiltered = false;
};

} // namespace tv
