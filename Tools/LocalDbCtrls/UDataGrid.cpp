#include "UDataGrid.h"

#include <QFontMetricsF>

#include <QFocusEvent>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QPainter>
#include <QWheelEvent>

#include <algorithm>

#include "UDataGridModel.h"
#include "UException.h"
#include "UIndex.h"
#include "UMarkerColumn.h"
#include "UTable.h"

namespace tv {

QColor EvenRowColor(const QColor& Window, const QColor& Highlight)
{
    auto channel = [](int w, int h) { return h + (w - h) * 83 / 100; };
    return QColor(channel(Window.red(), Highlight.red()),
                  channel(Window.green(), Highlight.green()),
                  channel(Window.blue(), Highlight.blue()));
}

namespace {

// Removes the last UTF-8 character, not just its last byte.
void DropLastChar(std::string& Text)
{
    if (Text.empty())
        return;
    size_t i = Text.size() - 1;
    while (i > 0 && (static_cast<unsigned char>(Text[i]) & 0xC0) == 0x80)
        --i;
    Text.erase(i);
}

} // namespace

// Every change of the current cell, by keys, mouse or code, passes the
// grid's SelectCell first, which may refuse it.
class TGridSelection : public QItemSelectionModel {
public:
    TGridSelection(TDataGrid* Grid, QAbstractItemModel* Model)
        : QItemSelectionModel(Model, Grid), FGrid(Grid) {}

    void setCurrentIndex(const QModelIndex& Index, QItemSelectionModel::SelectionFlags Command) override
    {
        if (Index.isValid() && Index != currentIndex() &&
            !FGrid->SelectCell(Index.column() + FGrid->FixedCols(), Index.row() + 1))
            return;
        QItemSelectionModel::setCurrentIndex(Index, Command);
    }

private:
    TDataGrid* FGrid;
};

class TCellDelegate : public QAbstractItemDelegate {
public:
    explicit TCellDelegate(TDataGrid* Grid) : QAbstractItemDelegate(Grid), FGrid(Grid) {}

    void paint(QPainter* Painter, const QStyleOptionViewItem& Option,
               const QModelIndex& Index) const override
    {
        FGrid->DrawCell(Painter, Option.rect, Index.column() + FGrid->FixedCols(), Index.row() + 1);
    }

    QSize sizeHint(const QStyleOptionViewItem&, const QModelIndex& Index) const override
    {
        return QSize(FGrid->columnWidth(Index.column()), FGrid->DefaultRowHeight());
    }

private:
    TDataGrid* FGrid;
};

// ---- TDataGrid ----

TDataGrid::TDataGrid(QWidget* Owner, const std::vector<TDataGridColumn>& Columns, TTable* Table)
    : TDataGrid(Owner, Columns, Table, TNoReload{})
{
    Reload();
}

TDataGrid::TDataGrid(QWidget* Owner, const std::vector<TDataGridColumn>& Columns, TTable* Table,
                     TNoReload)
    : QTableView(Owner), FTable(Table)
{
    TV_ASSERT(!Columns.empty(), "AColumns array param must be not empty");
    TV_ASSERT(Table != nullptr, "ATable param must be assigned");
    FFixedCols = std::any_of(Columns.begin(), Columns.end(),
                             [](const TDataGridColumn& column) { return column.Searchable; })
                     ? 1
                     : 0;

    setSelectionMode(QAbstractItemView::NoSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setTabKeyNavigation(false);
    setWordWrap(false);
    setCornerButtonEnabled(false);
    setShowGrid(true);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    setItemDelegate(new TCellDelegate(this));

    FHeader = new TGridHeader(this);
    setHorizontalHeader(FHeader);
    FMarker = new TMarkerColumn(this);
    setVerticalHeader(FMarker);
    // A pressed caption sorts; it does not select the column as a view would.
    for (QHeaderView* header : {static_cast<QHeaderView*>(FHeader), FMarker}) {
        disconnect(header, &QHeaderView::sectionPressed, this, nullptr);
        disconnect(header, &QHeaderView::sectionEntered, this, nullptr);
    }
    FModel = new TDataGridModel(Table, Columns, this);
    setModel(FModel);
    QItemSelectionModel* plain = selectionModel();
    setSelectionModel(new TGridSelection(this, FModel));
    delete plain;
    FMarker->setVisible(FFixedCols > 0);

    UpdateSizes();
    for (size_t i = 0; i < Columns.size(); ++i)
        FHeader->resizeSection(static_cast<int>(i), Columns[i].Width + 1);
    FHeader->CreateChanger();
    connect(FHeader, &QHeaderView::sectionClicked, this,
            [this](int Section) { HeaderSectionClick(Section); });

    FRowColors[1] = palette().color(QPalette::Active, QPalette::Base);
    UpdateRowColors();
}

TDataGrid::~TDataGrid() = default;

void TDataGrid::UpdateSizes()
{
    FRowHeight = std::max(18, fontMetrics().height() + 4);
    FMarker->setDefaultSectionSize(FRowHeight + 1);  // the row and its grid line
    FMarker->setFixedWidth(11);
    FHeader->setFixedHeight(FRowHeight + 1);
    const int n = DataColumnCount();
    setMinimumWidth(MinColumnWidth() * n + 11 * FFixedCols + 2 +
                    style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this) +
                    2 * frameWidth());
}

int TDataGrid::SectionsRoom(int GridWidth) const
{
    return GridWidth - 2 * frameWidth() - 11 * FFixedCols -
           style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
}

void TDataGrid::SetColumnWidths(const std::vector<int>& Widths)
{
    if (static_cast<int>(Widths.size()) != DataColumnCount())
        throw ERangeError();
    for (size_t i = 0; i < Widths.size(); ++i)
        FHeader->resizeSection(static_cast<int>(i), std::max(Widths[i], MinColumnWidth() - 1) + 1);
    FHeader->CreateChanger();
}

void TDataGrid::Reload()
{
    UpdateRowCount();
    UpdateRow();
    InvalidateData();
}

void TDataGrid::SortByColumn(int Column)
{
    if (Searching())
        EndSearch();
    if (Column < 0 || Column >= DataColumnCount())
        throw ERangeError();
    TIndex* index = FModel->Column(Column).Index;
    if (index != nullptr && index != FTable->GetIndex()) {
        FTable->SetIndex(index);
        UpdateRow();
        InvalidateData();
    }
}

bool TDataGrid::CurrentColumnSearchable() const
{
    const int column = Col() - FFixedCols;
    return column >= 0 && column < DataColumnCount() && FModel->Column(column).Searchable;
}

void TDataGrid::SearchCurrentColumn()
{
    if (CurrentColumnSearchable() && FTable->RecordCount() > 0)
        BeginSearch();
}

void TDataGrid::CancelSearch()
{
    EndSearch();
}

void TDataGrid::SetColumnCaption(int Column, const std::string& Text)
{
    if (Column < 0 || Column >= DataColumnCount())
        throw ERangeError();
    FModel->SetCaption(Column, Text);
}

void TDataGrid::UpdateRowColors()
{
    FRowColors[1] = palette().color(QPalette::Active, QPalette::Base);
    SetEvenRowColor(EvenRowColor(FRowColors[1], palette().color(QPalette::Active, QPalette::Highlight)));
}

void TDataGrid::UpdateHeaderStyle()
{
    FHeader->viewport()->update();
}

void TDataGrid::SetEvenRowColor(const QColor& Color)
{
    if (FRowColors[0] != Color) {
        FRowColors[0] = Color;
        InvalidateData();
    }
}

QColor TDataGrid::RowColor(int Row) const
{
    return FRowColors[Row & 1];
}

void TDataGrid::InvalidateData()
{
    viewport()->update();
    if (FMarker->isVisible())
        FMarker->viewport()->update();
}

void TDataGrid::InvalidateColumns(int First, int Last)
{
    First = std::max(First, FFixedCols) - FFixedCols;
    Last = std::min(Last - FFixedCols, DataColumnCount() - 1);
    if (First > Last)
        return;
    const int left = columnViewportPosition(First);
    const int right = columnViewportPosition(Last) + columnWidth(Last);
    viewport()->update(left, 0, right - left, viewport()->height());
}

int TDataGrid::Col() const
{
    const QModelIndex current = currentIndex();
    return current.isValid() ? current.column() + FFixedCols : FFixedCols;
}

int TDataGrid::Row() const
{
    const QModelIndex current = currentIndex();
    return current.isValid() ? current.row() + 1 : 0;
}

int TDataGrid::ColCount() const
{
    return DataColumnCount() + FFixedCols;
}

void TDataGrid::SetCol(int Col)
{
    FocusCell(Col, std::max(Row(), 1));
}

void TDataGrid::SetRow(int Row)
{
    FocusCell(Col(), Row);
}

void TDataGrid::FocusCell(int Col, int Row)
{
    if (Col < FFixedCols || Col >= ColCount() || Row < 1 || Row >= FRowCount)
        throw ERangeError();
    const QModelIndex index = FModel->index(Row - 1, Col - FFixedCols);
    selectionModel()->setCurrentIndex(index, QItemSelectionModel::NoUpdate);
    if (currentIndex() == index)
        scrollTo(index);
}

TAlignment TDataGrid::ColumnAlignment(int Column) const
{
    return FModel->Column(Column).Alignment;
}

int TDataGrid::DataColumnCount() const
{
    return FModel->ColumnCount();
}

void TDataGrid::SetRecords(int32_t First, int32_t Count)
{
    FModel->SetRecords(First, Count);
    FRowCount = FModel->rowCount() + 1;
}

void TDataGrid::UpdateRowCount()
{
    SetRecords(0, FTable->RecordCount());
}

void TDataGrid::UpdateRow()
{
    const int row = FTable->RecordCount() > 0 ? FTable->GetRecNo() + 1 : 1;
    if (row != Row())
        SetRow(row);
}

std::string TDataGrid::GetCellText(int Col, int Row)
{
    return FModel->CellText(Row - 1, Col - FFixedCols);
}

void TDataGrid::GoToRow(int Row)
{
    if (FTable->RecordCount() > 0)
        FTable->SetRecNo(Row - 1);
}

bool TDataGrid::SelectCell(int Col, int Row)
{
    if (Searching() && !FInSearchKey)
        EndSearch();
    const int oldRow = this->Row();
    GoToRow(Row);
    bool canSelect = true;
    emit OnSelectCell(Col, Row, canSelect);
    // A refused move leaves the table on the record the grid still shows.
    if (!canSelect && oldRow != Row && oldRow >= 1 && oldRow < FRowCount)
        GoToRow(oldRow);
    return canSelect;
}

void TDataGrid::HeaderSectionClick(int Section)
{
    if (isEnabled() && isVisible() && focusPolicy() != Qt::NoFocus)
        setFocus(Qt::MouseFocusReason);
    SortByColumn(Section);
}

void TDataGrid::InvalidateCell(int Col, int Row)
{
    if (Col < FFixedCols || Row < 1 || Row >= FRowCount)
        return;
    viewport()->update(visualRect(FModel->index(Row - 1, Col - FFixedCols)));
}

void TDataGrid::InvalidateMarker(int Row)
{
    if (!FMarker->isVisible() || Row < 1 || Row >= FRowCount)
        return;
    FMarker->viewport()->update(0, FMarker->sectionViewportPosition(Row - 1),
                                FMarker->viewport()->width(), FMarker->sectionSize(Row - 1));
}

void TDataGrid::BeginSearch()
{
    FSearchState = 1;
    FSearchText.clear();
    InvalidateCell(Col(), Row());
    InvalidateMarker(Row());
    emit OnSearchBegin(FSearchText);
}

void TDataGrid::SearchKey(const QString& Key)
{
    struct TFlag {
        bool& Flag;
        ~TFlag() { Flag = false; }
    } inSearchKey{FInSearchKey};
    FInSearchKey = true;
    TIndex* index = FTable->GetIndex();
    const int oldRow = Row();
    if (Key == QStringLiteral("\b"))
        DropLastChar(FSearchText);
    else
        FSearchText += Key.toStdString();
    emit OnSearchChange(FSearchText);
    UpdateRow();
    if (FTable->GetIndex() == index) {
        InvalidateMarker(oldRow);
        InvalidateMarker(Row());
        InvalidateCell(Col(), Row());
    } else {
        InvalidateData();
    }
}

void TDataGrid::EndSearch()
{
    FSearchState = 0;
    FSearchText.clear();
    InvalidateMarker(Row());
    InvalidateCell(Col(), Row());
    emit OnSearchEnd(FSearchText);
}

void TDataGrid::KeyPress(QString Key)
{
    emit OnKeyPress(Key);
    if (Key.isEmpty() || !CurrentColumnSearchable() || FTable->RecordCount() == 0)
        return;
    if (!Searching())
        BeginSearch();
    SearchKey(Key);
}

void TDataGrid::keyboardSearch(const QString&) {}

void TDataGrid::keyPressEvent(QKeyEvent* Event)
{
    const Qt::KeyboardModifiers commands = Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier;
    const QString text = Event->text();
    if (!(Event->modifiers() & commands)) {
        if (Event->key() == Qt::Key_Backspace) {
            KeyPress(QStringLiteral("\b"));
            Event->accept();
            return;
        }
        if (!text.isEmpty() && text[0] >= QChar(' ') && text[0] != QChar(0x7F)) {
            KeyPress(text);
            Event->accept();
            return;
        }
        if (!text.isEmpty()) {
            // Enter, Escape and the like belong to the owner.
            Event->ignore();
            return;
        }
    }
    QTableView::keyPressEvent(Event);
}

void TDataGrid::MouseHWheel(int Delta)
{
    if (Delta > 0) {
        if (Col() + 1 < ColCount())
            SetCol(Col() + 1);
    } else if (Col() > FFixedCols) {
        SetCol(Col() - 1);
    }
}

void TDataGrid::wheelEvent(QWheelEvent* Event)
{
    const QPoint delta = Event->angleDelta();
    Event->accept();
    // Qt counts a tilt to the left as positive.
    FTiltRest -= delta.x();
    while (FTiltRest >= 120) {
        FTiltRest -= 120;
        MouseHWheel(1);
    }
    while (FTiltRest <= -120) {
        FTiltRest += 120;
        MouseHWheel(-1);
    }
    FWheelRest += delta.y();
    while (FWheelRest >= 120) {
        FWheelRest -= 120;
        if (Row() > 1)
            SetRow(Row() - 1);
    }
    while (FWheelRest <= -120) {
        FWheelRest += 120;
        if (Row() + 1 < FRowCount)
            SetRow(Row() + 1);
    }
}

void TDataGrid::focusInEvent(QFocusEvent* Event)
{
    QTableView::focusInEvent(Event);
    emit OnEnter();
}

void TDataGrid::focusOutEvent(QFocusEvent* Event)
{
    QTableView::focusOutEvent(Event);
    // A menu or another window taking the keyboard does not leave the grid.
    const Qt::FocusReason reason = Event->reason();
    if (reason == Qt::PopupFocusReason || reason == Qt::ActiveWindowFocusReason ||
        reason == Qt::MenuBarFocusReason)
        return;
    emit OnExit();
    if (Searching())
        EndSearch();
}

void TDataGrid::changeEvent(QEvent* Event)
{
    QTableView::changeEvent(Event);
    if (Event->type() == QEvent::PaletteChange)
        UpdateRowColors();
    else if (Event->type() == QEvent::FontChange || Event->type() == QEvent::StyleChange)
        UpdateSizes();
}

QRect TDataGrid::CellTextRect(const QRect& Cell, const QString& Text) const
{
    QRect room = Cell.adjusted(2, 0, -1, 0);
    // The pixel taken is the left margin's inner one: the cell's outer
    // pixels carry the focus frame.
    const qreal advance = QFontMetricsF(font()).horizontalAdvance(Text);
    if (advance > room.width() && advance <= room.width() + 1)
        room.setLeft(Cell.left() + 1);
    return room;
}

void TDataGrid::DrawCell(QPainter* Painter, const QRect& Rect, int Col, int Row)
{
    const QPalette& pal = palette();
    const QModelIndex current = currentIndex();
    const bool marked = current.isValid() && current.row() == Row - 1 &&
                        current.column() == Col - FFixedCols;
    const bool searching = Searching();
    QColor background = RowColor(Row);
    QColor foreground = pal.color(QPalette::Active, QPalette::Text);
    const QColor highlight = pal.color(QPalette::Active, QPalette::Highlight);
    const QColor highlightText = pal.color(QPalette::Active, QPalette::HighlightedText);
    if (marked && !searching) {
        background = highlight;
        foreground = highlightText;
    }
    const QString text = QString::fromStdString(GetCellText(Col, Row));
    const QRect textRect = CellTextRect(Rect, text);
    int prefix = 0;
    if (marked && searching) {
        const QString search = QString::fromStdString(FSearchText);
        if (text.startsWith(search, Qt::CaseInsensitive))
            prefix = static_cast<int>(search.size());
    }
    const QFontMetrics metrics(font());
    const QString shown = metrics.elidedText(text, Qt::ElideRight, textRect.width());
    const int length = static_cast<int>(shown.size());
    const Qt::Alignment alignment = ToQt(ColumnAlignment(Col - FFixedCols));

    Painter->save();
    Painter->setClipRect(Rect);
    Painter->fillRect(Rect, background);
    Painter->setPen(foreground);
    const int flags = Qt::AlignVCenter | Qt::TextSingleLine;
    if (marked && searching && length - prefix > 0) {
        // The typed beginning in the row colours, the rest selected; the
        // split starts where the aligned whole text starts.
        prefix = std::min(prefix, length);
        const int whole = metrics.horizontalAdvance(shown);
        int x = textRect.left();
        if (alignment & Qt::AlignRight)
            x = textRect.right() + 1 - whole;
        else if (alignment & Qt::AlignHCenter)
            x = textRect.left() + (textRect.width() - whole) / 2;
        const QString head = shown.left(prefix);
        const QString tail = shown.mid(prefix);
        const int headWidth = metrics.horizontalAdvance(head);
        Painter->drawText(QRect(x, Rect.top(), headWidth, Rect.height()), Qt::AlignLeft | flags, head);
        const int tailWidth = metrics.horizontalAdvance(tail);
        const int textTop = Rect.top() + (Rect.height() - metrics.height()) / 2;
        Painter->fillRect(QRect(x + headWidth, textTop, tailWidth, metrics.height()), highlight);
        Painter->setPen(highlightText);
        Painter->drawText(QRect(x + headWidth, Rect.top(), tailWidth + 1, Rect.height()),
                          Qt::AlignLeft | flags, tail);
    } else {
        Painter->drawText(textRect, alignment | flags, shown);
    }
    if (marked && hasFocus()) {
        // A dotted outline that leaves the cell's colours as they are.
        Painter->setClipping(false);
        Painter->setBrush(Qt::NoBrush);
        Painter->setPen(QPen(foreground, 1, Qt::DotLine));
        Painter->drawRect(Rect.adjusted(0, 0, -1, -1));
    }
    Painter->restore();
}

} // namespace tv
