#pragma once

#include <QAbstractTableModel>

#include <cstdint>
#include <string>
#include <vector>

#include "UDataGridColumn.h"

namespace tv {

class TTable;

// The rows and columns a data grid shows, without the grid: row r (from 0)
// is record First() + r of the table in its current order, column c is the
// c-th described column. It holds no copy of the records; every text is read
// from the table when asked. With no records to show there is one blank row.
class TDataGridModel : public QAbstractTableModel {
public:
    TDataGridModel(TTable* Table, const std::vector<TDataGridColumn>& Columns,
                   QObject* Parent = nullptr);

    int rowCount(const QModelIndex& Parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& Parent = QModelIndex()) const override;
    // The text (DisplayRole) and the column's alignment, vertically centred
    // (TextAlignmentRole).
    QVariant data(const QModelIndex& Index, int Role = Qt::DisplayRole) const override;
    // The caption and alignment of a column.
    QVariant headerData(int Section, Qt::Orientation Orientation,
                        int Role = Qt::DisplayRole) const override;

    // Shows Count records from record First on; the rows the view has are
    // inserted or removed to match and every shown text counts as changed.
    void SetRecords(int32_t First, int32_t Count);
    int32_t First() const { return FFirst; }
    int32_t Count() const { return FCount; }

    // The text of row Row, data column Column, UTF-8; empty on the blank
    // row. A column out of range raises ERangeError.
    std::string CellText(int Row, int Column) const;

    TTable* Table() const { return FTable; }
    const TDataGridColumn& Column(int Column) const;
    int ColumnCount() const { return static_cast<int>(FColumns.size()); }
    // Sets column Column's caption (UTF-8) and tells the view when it differs.
    void SetCaption(int Column, const std::string& Text);

private:
    TTable* FTable;
    std::vector<TDataGridColumn> FColumns;
    int32_t FFirst = 0;
    int32_t FCount = 0;
};

} // namespace tv
