#pragma once
// What a data grid column shows: the field, its alignment, width, caption,
// the index it sorts by and whether typing in it searches.

#include <Qt>

#include <cstdint>
#include <string>

namespace tv {

class TIndex;

enum class TAlignment { taLeftJustify, taRightJustify, taCenter };

// One column of a data grid.
struct TDataGridColumn {
    int32_t FieldNo = 0;          // field number as TTable::GetElemText takes it
    TAlignment Alignment = TAlignment::taLeftJustify;
    int32_t Width = 64;           // initial width in pixels
    std::string Caption;          // header caption, UTF-8
    TIndex* Index = nullptr;      // sort order of the column; nullptr: it does not sort
    bool Searchable = false;      // typing in it starts or continues a search
};

TDataGridColumn MakeDataGridColumn(int32_t FieldNo, TAlignment Alignment, int32_t Width,
                                   const std::string& Caption, TIndex* Index, bool Searchable);

// The horizontal alignment flag of a column's alignment.
Qt::Alignment ToQt(TAlignment Alignment);

} // namespace tv
