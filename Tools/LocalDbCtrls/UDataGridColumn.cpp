#include "UDataGridColumn.h"

namespace tv {

TDataGridColumn MakeDataGridColumn(int32_t FieldNo, TAlignment Alignment, int32_t Width,
                                   const std::string& Caption, TIndex* Index, bool Searchable)
{
    TDataGridColumn column;
    column.FieldNo = FieldNo;
    column.Alignment = Alignment;
    column.Width = Width;
    column.Caption = Caption;
    column.Index = Index;
    column.Searchable = Searchable;
    return column;
}

Qt::Alignment ToQt(TAlignment Alignment)
{
    switch (Alignment) {
    case TAlignment::taRightJustify: return Qt::AlignRight;
    case TAlignment::taCenter: return Qt::AlignHCenter;
    default: return Qt::AlignLeft;
    }
}

} // namespace tv
