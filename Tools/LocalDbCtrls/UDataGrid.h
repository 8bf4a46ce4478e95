#pragma once
// TDataGrid shows the records of one TTable, one row per record in the order
// of the table's current index and one column per described field. Its model
// (TDataGridModel) holds the columns and the run of records shown and keeps
// no copy of the data: every painted cell asks the table for its text; the
// grid draws, and selecting a row moves the table to that record. The header (TGridHeader)
// sorts by a column's index when its caption is clicked and spreads the
// columns over the grid's width in proportion (TWidthChanger). Typing in a
// searchable column runs an incremental search whose text the owner turns
// into a table position.
//
// Numbering follows the grid, not the view: row 0 is the fixed row under the
// header and row r (from 1) shows record r - 1; column 0 is the marker column
// when any column is searchable, so data column c is grid column
// c + FixedCols().

#include <QAbstractItemDelegate>
#include <QColor>
#include <QHeaderView>
#include <QTableView>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "UDataGridColumn.h"
#include "UGridHeader.h"

namespace tv {

class TDataGridModel;
class TIndex;
class TTable;

// The colour of even rows: each channel 83 % of the way from Highlight to
// Window, in integers truncated toward zero.
QColor EvenRowColor(const QColor& Window, const QColor& Highlight);

class TDataGrid : public QTableView {
    Q_OBJECT
public:
    // Columns must not be empty ("AColumns array param must be not empty").
    // The table must be open and stay open while the grid exists.
    TDataGrid(QWidget* Owner, const std::vector<TDataGridColumn>& Columns, TTable* Table);
    ~TDataGrid() override;

    TDataGrid(const TDataGrid&) = delete;
    TDataGrid& operator=(const TDataGrid&) = delete;

    // Row count, current row and repaint from the table; the owner calls it
    // after every change of the table's records or order made elsewhere.
    void Reload();
    // Ends a running search; sorts by the data column's index when it has
    // one and it is not the current one, keeping the current record.
    void SortByColumn(int Column);
    // Starts (or restarts) a search when the current column is searchable
    // and the table has records.
    void SearchCurrentColumn();
    // Ends the search; fires OnSearchEnd also when none runs.
    void CancelSearch();
    // Sets data column Column's caption (UTF-8) when it differs.
    void SetColumnCaption(int Column, const std::string& Text);
    // The even-row colour from the palette's window and highlight colours.
    void UpdateRowColors();
    // Repaints the header in the present style.
    void UpdateHeaderStyle();
    void SetEvenRowColor(const QColor& Color);
    QColor GetEvenRowColor() const { return FRowColors[0]; }
    // The colour of grid row Row (from 1): the window colour for odd rows,
    // the tint for even ones.
    QColor RowColor(int Row) const;
    static int MinColumnWidth() { return 12; }
    // What the sections share of a grid GridWidth pixels wide: its frame, the
    // marker column and the scroll bar taken off.
    int SectionsRoom(int GridWidth) const;
    // Where a cell draws its text: 2 pixels in from the left and 1 from the
    // right; a text wider than that by less than a pixel starts a pixel
    // further left rather than end in an ellipsis, still inside the focus
    // frame on the cell's outer pixels.
    QRect CellTextRect(const QRect& Cell, const QString& Text) const;
    // New widths of the data columns, the base of later spreading.
    void SetColumnWidths(const std::vector<int>& Widths);
    // Repaints the area below the header.
    void InvalidateData();
    // Repaints the strip of grid columns First..Last below the header.
    void InvalidateColumns(int First, int Last);

    // Grid numbering (see the top of this file).
    int Col() const;
    int Row() const;
    int ColCount() const;
    int RowCount() const { return FRowCount; }
    int FixedCols() const { return FFixedCols; }
    // Moves the current cell; the move goes through SelectCell.
    void SetCol(int Col);
    void SetRow(int Row);
    void FocusCell(int Col, int Row);

    TTable* Table() const { return FTable; }
    TDataGridModel* Model() const { return FModel; }
    TGridHeader* Header() const { return FHeader; }
    bool Searching() const { return FSearchState == 1; }
    // The text typed so far, UTF-8.
    const std::string& SearchText() const { return FSearchText; }
    // Data column Column's alignment.
    TAlignment ColumnAlignment(int Column) const;
    int DataColumnCount() const;
    // Height of a record row in pixels, without its grid line; the header
    // is as high as a row with its line.
    int DefaultRowHeight() const { return FRowHeight; }

    // Paints grid cell (Col, Row), Row >= 1, into Rect.
    void DrawCell(QPainter* Painter, const QRect& Rect, int Col, int Row);
    // Runs when the current cell is about to change: ends a search not run
    // by a search key, moves the table, then asks the owner (OnSelectCell).
    // The cell changes only when the answer is true.
    virtual bool SelectCell(int Col, int Row);

    // The row operations, which the key-range grid replaces. One row per
    // record, or one blank row for an empty table; the current row follows
    // the table's current record; a selected row makes its record current
    // (nothing on an empty table).
    virtual void UpdateRowCount();
    virtual void UpdateRow();
    // The model's text of grid cell (Col, Row); every painted cell asks it.
    virtual std::string GetCellText(int Col, int Row);
    virtual void GoToRow(int Row);
    // A caption click: the grid takes the focus and sorts by the column.
    void HeaderSectionClick(int Section);
    // Search state on with an empty text; fires OnSearchBegin.
    void BeginSearch();
    // "\b" drops the last character of the search text, any other text is
    // appended; then OnSearchChange, after which the grid moves to the
    // record the owner made current.
    void SearchKey(const QString& Key);
    // Search state off with an empty text; fires OnSearchEnd.
    void EndSearch();

    // Typed text goes to the incremental search, not to the view's own.
    void keyboardSearch(const QString& Search) override;

signals:
    void OnSearchBegin(const std::string& Text);
    void OnSearchChange(const std::string& Text);
    void OnSearchEnd(const std::string& Text);
    // Before a typed character reaches the grid; clearing Key drops it.
    void OnKeyPress(QString& Key);
    // Before the current cell moves to (ACol, ARow), after the table moved;
    // clearing CanSelect keeps the cell and moves the table back.
    void OnSelectCell(int ACol, int ARow, bool& CanSelect);
    // Every gain of keyboard focus.
    void OnEnter();
    // The focus moved to another control of the window.
    void OnExit();

protected:
    // Builds everything but leaves the first Reload to the descendant, whose
    // row operations the base constructor cannot reach.
    struct TNoReload {};
    TDataGrid(QWidget* Owner, const std::vector<TDataGridColumn>& Columns, TTable* Table,
              TNoReload);

    // The model shows Count records from record First on.
    void SetRecords(int32_t First, int32_t Count);
    void keyPressEvent(QKeyEvent* Event) override;
    void wheelEvent(QWheelEvent* Event) override;
    void focusInEvent(QFocusEvent* Event) override;
    void focusOutEvent(QFocusEvent* Event) override;
    void changeEvent(QEvent* Event) override;

    TTable* FTable;

private:
    friend class TGridSelection;

    // Reacts to the horizontal wheel: Delta > 0 is tilted right.
    void MouseHWheel(int Delta);
    void KeyPress(QString Key);
    void UpdateSizes();
    void InvalidateCell(int Col, int Row);
    void InvalidateMarker(int Row);
    bool CurrentColumnSearchable() const;

    TGridHeader* FHeader = nullptr;
    QHeaderView* FMarker = nullptr;
    TDataGridModel* FModel = nullptr;
    QColor FRowColors[2];
    std::string FSearchText;
    bool FInSearchKey = false;
    uint8_t FSearchState = 0;
    int FFixedCols = 0;
    int FRowCount = 2;
    int FRowHeight = 18;
    int FWheelRest = 0;
    int FTiltRest = 0;
};

} // namespace tv
