#include "UDataGridModel.h"

#include "UDataGrid.h"

namespace tv {

TDataGridModel::TDataGridModel(TDataGrid* Grid, const std::vector<TDataGridColumn>& Columns)
    : QAbstractTableModel(Grid), FGrid(Grid)
{
    for (const TDataGridColumn& column : Columns)
        FCaptions.push_back(QString::fromStdString(column.Caption));
}

int TDataGridModel::rowCount(const QModelIndex& Parent) const
{
    return Parent.isValid() ? 0 : FRows;
}

int TDataGridModel::columnCount(const QModelIndex& Parent) const
{
    return Parent.isValid() ? 0 : static_cast<int>(FCaptions.size());
}

QVariant TDataGridModel::data(const QModelIndex& Index, int Role) const
{
    if (!Index.isValid())
        return {};
    if (Role == Qt::DisplayRole)
        return QString::fromStdString(
            FGrid->GetCellText(Index.column() + FGrid->FixedCols(), Index.row() + 1));
    if (Role == Qt::TextAlignmentRole)
        return QVariant::fromValue(ToQt(FGrid->ColumnAlignment(Index.column())) |
                                   Qt::AlignVCenter);
    return {};
}

QVariant TDataGridModel::headerData(int Section, Qt::Orientation Orientation, int Role) const
{
    if (Orientation != Qt::Horizontal || Section < 0 ||
        Section >= static_cast<int>(FCaptions.size()))
        return {};
    if (Role == Qt::DisplayRole)
        return FCaptions[static_cast<size_t>(Section)];
    if (Role == Qt::TextAlignmentRole)
        return QVariant::fromValue(ToQt(FGrid->ColumnAlignment(Section)) | Qt::AlignVCenter);
    return {};
}

void TDataGridModel::SetRows(int Rows)
{
    if (Rows > FRows) {
        beginInsertRows(QModelIndex(), FRows, Rows - 1);
        FRows = Rows;
        endInsertRows();
    } else if (Rows < FRows) {
        beginRemoveRows(QModelIndex(), Rows, FRows - 1);
        FRows = Rows;
        endRemoveRows();
    }
}

void TDataGridModel::SetCaption(int Section, const QString& Text)
{
    FCaptions[static_cast<size_t>(Section)] = Text;
    emit headerDataChanged(Qt::Horizontal, Section, Section);
}

} // namespace tv
