#include "UDataGridModel.h"

#include <algorithm>

#include "UException.h"
#include "UTable.h"

namespace tv {

TDataGridModel::TDataGridModel(TTable* Table, const std::vector<TDataGridColumn>& Columns,
                               QObject* Parent)
    : QAbstractTableModel(Parent), FTable(Table), FColumns(Columns)
{
}

int TDataGridModel::rowCount(const QModelIndex& Parent) const
{
    return Parent.isValid() ? 0 : std::max(FCount, 1);
}

int TDataGridModel::columnCount(const QModelIndex& Parent) const
{
    return Parent.isValid() ? 0 : ColumnCount();
}

QVariant TDataGridModel::data(const QModelIndex& Index, int Role) const
{
    if (!Index.isValid())
        return {};
    if (Role == Qt::DisplayRole)
        return QString::fromStdString(CellText(Index.row(), Index.column()));
    if (Role == Qt::TextAlignmentRole)
        return QVariant::fromValue(ToQt(Column(Index.column()).Alignment) | Qt::AlignVCenter);
    return {};
}

QVariant TDataGridModel::headerData(int Section, Qt::Orientation Orientation, int Role) const
{
    if (Orientation != Qt::Horizontal || Section < 0 || Section >= ColumnCount())
        return {};
    if (Role == Qt::DisplayRole)
        return QString::fromStdString(Column(Section).Caption);
    if (Role == Qt::TextAlignmentRole)
        return QVariant::fromValue(ToQt(Column(Section).Alignment) | Qt::AlignVCenter);
    return {};
}

void TDataGridModel::SetRecords(int32_t First, int32_t Count)
{
    const int before = rowCount();
    const int after = std::max(Count, 1);
    if (after > before)
        beginInsertRows(QModelIndex(), before, after - 1);
    else if (after < before)
        beginRemoveRows(QModelIndex(), after, before - 1);
    FFirst = First;
    FCount = Count;
    if (after > before)
        endInsertRows();
    else if (after < before)
        endRemoveRows();
    emit dataChanged(index(0, 0), index(after - 1, ColumnCount() - 1));
}

std::string TDataGridModel::CellText(int Row, int Column) const
{
    const int32_t field = this->Column(Column).FieldNo;
    // A record gone since the last SetRecords shows blank until the next.
    if (Row < 0 || Row >= FCount || FFirst + Row >= FTable->RecordCount())
        return std::string();
    return FTable->GetElemText(FFirst + Row, field);
}

const TDataGridColumn& TDataGridModel::Column(int Column) const
{
    if (Column < 0 || Column >= ColumnCount())
        throw ERangeError();
    return FColumns[static_cast<size_t>(Column)];
}

void TDataGridModel::SetCaption(int Column, const std::string& Text)
{
    if (this->Column(Column).Caption == Text)
        return;
    FColumns[static_cast<size_t>(Column)].Caption = Text;
    emit headerDataChanged(Qt::Horizontal, Column, Column);
}

} // namespace tv
