#pragma once

#include <QAbstractTableModel>
#include <QString>

#include <vector>

#include "UDataGridColumn.h"

namespace tv {

class TDataGrid;

// The view's rows and columns are the grid's data rows and data columns; the
// texts come from the grid on every request.
class TDataGridModel : public QAbstractTableModel {
public:
    TDataGridModel(TDataGrid* Grid, const std::vector<TDataGridColumn>& Columns);

    int rowCount(const QModelIndex& Parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& Parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& Index, int Role) const override;
    QVariant headerData(int Section, Qt::Orientation Orientation, int Role) const override;

    void SetRows(int Rows);

    const QString& Caption(int Section) const { return FCaptions[static_cast<size_t>(Section)]; }
    void SetCaption(int Section, const QString& Text);

private:
    TDataGrid* FGrid;
    std::vector<QString> FCaptions;
    int FRows = 0;
};

} // namespace tv
