#include "UGridHeader.h"

#include <QMouseEvent>
#include <QPainter>
#include <QStyleOptionHeader>

#include <algorithm>
#include <cstdlib>

#include "UDataGrid.h"

namespace tv {

namespace {

// The sections as they will be once the posted border changes are applied.
class TPendingSections : public TWidthSections {
public:
    TPendingSections(const TWidthSections& Sections, int Index, int Pending)
        : FSections(Sections), FIndex(Index), FPending(Pending) {}
    int Count() const override { return FSections.Count(); }
    int Width(int Index) const override
    {
        const int width = FSections.Width(Index);
        if (Index == FIndex)
            return width + FPending;
        if (Index == FIndex + 1)
            return width - FPending;
        return width;
    }
    void SetWidth(int, int) override {}
    int MinWidth(int Index) const override { return FSections.MinWidth(Index); }

private:
    const TWidthSections& FSections;
    int FIndex;
    int FPending;
};

constexpr int BorderGrip = 3;

} // namespace

TGridHeader::TGridHeader(TDataGrid* Grid) : QHeaderView(Qt::Horizontal, Grid), FGrid(Grid)
{
    setSectionResizeMode(QHeaderView::Fixed);
    setSectionsClickable(true);
    setSectionsMovable(false);
    setSortIndicatorShown(false);
    setHighlightSections(false);
    setStretchLastSection(false);
    setMinimumSectionSize(TDataGrid::MinColumnWidth());
    setMouseTracking(true);
}

TGridHeader::~TGridHeader() = default;

void TGridHeader::CreateChanger()
{
    FChanger = std::make_unique<TWidthChanger>(this);
}

void TGridHeader::SetWidth(int Index, int Width)
{
    resizeSection(Index, std::max(Width, MinWidth(Index)));
}

int TGridHeader::MinWidth(int) const
{
    return TDataGrid::MinColumnWidth();
}

void TGridHeader::WMSectionWidthChange(int Index, int Change)
{
    if (Index < 0 || Index >= count() - 1 || !FChanger)
        return;
    Change = TWidthChanger::BorderChange(*this, Index, sectionSize(Index) + Change);
    if (Change == 0)
        return;
    FChanger->MoveBorder(Index, Change);
    FGrid->InvalidateColumns(Index + FGrid->FixedCols(), Index + 1 + FGrid->FixedCols());
}

void TGridHeader::paintSection(QPainter* Painter, const QRect& Rect, int LogicalIndex) const
{
    QStyleOptionHeader option;
    initStyleOptionForIndex(&option, LogicalIndex);
    option.rect = Rect;
    const bool pressed = LogicalIndex == FPressedSection;
    if (pressed)
        option.state |= QStyle::State_Sunken;
    option.text.clear();
    Painter->save();
    style()->drawControl(QStyle::CE_HeaderSection, &option, Painter, this);
    const QRect text = pressed ? QRect(QPoint(Rect.left() + 4, Rect.top() + 2), QPoint(Rect.right() - 2, Rect.bottom()))
                               : QRect(QPoint(Rect.left() + 3, Rect.top()), QPoint(Rect.right() - 3, Rect.bottom()));
    const QString caption = model()->headerData(LogicalIndex, Qt::Horizontal, Qt::DisplayRole).toString();
    Painter->setPen(FGrid->palette().color(QPalette::Active, QPalette::ButtonText));
    Painter->setFont(font());
    Painter->drawText(text, ToQt(FGrid->ColumnAlignment(LogicalIndex)) | Qt::AlignVCenter | Qt::TextSingleLine,
                      fontMetrics().elidedText(caption, Qt::ElideRight, text.width()));
    Painter->restore();
}

void TGridHeader::resizeEvent(QResizeEvent* Event)
{
    QHeaderView::resizeEvent(Event);
    if (FChanger)
        FChanger->Resize(width());
}

int TGridHeader::BorderAt(int X) const
{
    int best = -1;
    int distance = BorderGrip + 1;
    for (int i = 0; i < count(); ++i) {
        const int edge = sectionViewportPosition(i) + sectionSize(i);
        const int d = std::abs(X - edge);
        if (d < distance) {
            best = i;
            distance = d;
        }
    }
    return best;
}

void TGridHeader::mousePressEvent(QMouseEvent* Event)
{
    const int border = Event->button() == Qt::LeftButton ? BorderAt(Event->position().toPoint().x()) : -1;
    if (border < 0) {
        if (Event->button() == Qt::LeftButton) {
            FPressedSection = logicalIndexAt(Event->position().toPoint());
            viewport()->update();
        }
        QHeaderView::mousePressEvent(Event);
        return;
    }
    Event->accept();
    if (border >= count() - 1)
        return;
    FDragSection = border;
    FDragStartX = Event->position().toPoint().x();
    FDragStartWidth = sectionSize(border);
}

void TGridHeader::mouseMoveEvent(QMouseEvent* Event)
{
    const int x = Event->position().toPoint().x();
    if (FDragSection < 0) {
        const int border = (Event->buttons() & Qt::LeftButton) ? -1 : BorderAt(x);
        if (border >= 0 && border < count() - 1)
            viewport()->setCursor(Qt::SplitHCursor);
        else
            viewport()->unsetCursor();
        QHeaderView::mouseMoveEvent(Event);
        return;
    }
    Event->accept();
    const int section = FDragSection;
    const TPendingSections pending(*this, section, FPendingChange);
    const int change =
        TWidthChanger::BorderChange(pending, section, FDragStartWidth + (x - FDragStartX));
    if (change == 0)
        return;
    FPendingChange += change;
    QMetaObject::invokeMethod(
        this,
        [this, section, change] {
            FPendingChange -= change;
            WMSectionWidthChange(section, change);
        },
        Qt::QueuedConnection);
}

void TGridHeader::mouseReleaseEvent(QMouseEvent* Event)
{
    if (FDragSection >= 0) {
        FDragSection = -1;
        Event->accept();
        return;
    }
    if (FPressedSection >= 0) {
        FPressedSection = -1;
        viewport()->update();
    }
    QHeaderView::mouseReleaseEvent(Event);
}

void TGridHeader::mouseDoubleClickEvent(QMouseEvent* Event)
{
    if (BorderAt(Event->position().toPoint().x()) >= 0) {
        Event->accept();
        return;
    }
    QHeaderView::mouseDoubleClickEvent(Event);
}

void TGridHeader::leaveEvent(QEvent* Event)
{
    if (FDragSection < 0)
        viewport()->unsetCursor();
    QHeaderView::leaveEvent(Event);
}


} // namespace tv
