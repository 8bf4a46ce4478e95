#pragma once
// The columns of the main window's two grids, each grid's in one table that
// building the grid, its captions, its first-start widths and saving its
// widths all walk, so that a field is named, never counted.

#include "UDataGridColumn.h"
#include "UTextSlots.h"

#include <QFont>
#include <QStringList>

#include <vector>

namespace tv {

class TDataGrid;
class TDatFile;
class TField;
class TProgOptions;
class TTableMoves;
class TTableStore;

// One data column: the field it shows, its alignment, the setting that keeps
// its width, its caption, the index it sorts by (or none), whether typing
// in it searches, and the longest texts it shows ('|' between them), which
// size it at first start; a column without them takes what the grid's width
// leaves.
struct TMainColumn {
    TField* Field;
    TAlignment Alignment;
    int (TProgOptions::*Width)();
    void (TProgOptions::*SetWidth)(int);
    TTextSlot Caption;
    TIndex* Index;
    bool Searchable;
    const char* Sample;
};

using TMainColumns = std::vector<TMainColumn>;

// The columns of GridStore and of GridMoves, left to right.
TMainColumns GoodsColumns(TTableStore& goods);
TMainColumns MovesColumns(TTableMoves& moves);

// The grid's columns over the table's fields, in the stored widths and the
// present language; raises when a column's field is none of the table's.
std::vector<TDataGridColumn> MakeGridColumns(const TMainColumns& columns, const TDatFile& table,
                                             TProgOptions& options);
void SetColumnCaptions(TDataGrid& grid, const TMainColumns& columns);
void SaveColumnWidths(const TDataGrid& grid, const TMainColumns& columns, TProgOptions& options);

// First-start widths: each column holds its samples and its caption in the
// grid's font; the column without samples takes what gridWidth leaves.
std::vector<int> FirstColumnWidths(const TDataGrid& grid, int gridWidth, const TMainColumns& columns);

// The room the sections of a first start take in the font: each column
// with samples holds them and its caption in every language, and the column
// without them its caption in every language and restTexts. A grid whose
// SectionsRoom is as wide shows every caption and value whole.
int FirstStartRoom(const QFont& font, const TMainColumns& columns, const QStringList& restTexts);

// The grid column (the fixed ones counted) that shows the field, or -1.
int GridColumnOf(const TDataGrid& grid, const TMainColumns& columns, const TField& field);

} // namespace tv
