#pragma once

#include <QHeaderView>

#include <memory>

#include "UWidthChanger.h"

namespace tv {

class TDataGrid;

// The header laid over the grid's top: one section per data column, at least
// MinColumnWidth wide. A border drag is limited so that neither neighbour
// falls below 12 pixels and is applied by a queued call, so the two widths
// always add up to what they were; the last section's border does not move.
// A resize spreads the header's width over the sections in proportion.
class TGridHeader : public QHeaderView, public TWidthSections {
    Q_OBJECT
public:
    explicit TGridHeader(TDataGrid* Grid);
    ~TGridHeader() override;

    // Builds the changer over the present section widths; called once the
    // sections exist.
    void CreateChanger();
    TWidthChanger* Changer() const { return FChanger.get(); }

    // Section Index grows by Change and the next one shrinks by it (each kept
    // at 12 pixels at least), and the new widths become the base of later
    // spreading. Ignored for the last section or beyond. A drag calls it
    // through the event queue.
    void WMSectionWidthChange(int Index, int Change);

    // TWidthSections over the header's sections.
    int Count() const override { return count(); }
    int Width(int Index) const override { return sectionSize(Index); }
    void SetWidth(int Index, int Width) override;
    int MinWidth(int Index) const override;

protected:
    // The style draws the section; the caption goes 3 pixels in from either
    // side (shifted while pressed), ending in an ellipsis when too long.
    void paintSection(QPainter* Painter, const QRect& Rect, int LogicalIndex) const override;
    void resizeEvent(QResizeEvent* Event) override;
    void mousePressEvent(QMouseEvent* Event) override;
    void mouseMoveEvent(QMouseEvent* Event) override;
    void mouseReleaseEvent(QMouseEvent* Event) override;
    void mouseDoubleClickEvent(QMouseEvent* Event) override;
    void leaveEvent(QEvent* Event) override;

private:
    // The section whose right border lies under x, or -1.
    int BorderAt(int X) const;

    TDataGrid* FGrid;
    std::unique_ptr<TWidthChanger> FChanger;
    int FDragSection = -1;
    int FDragStartX = 0;
    int FDragStartWidth = 0;
    int FPendingChange = 0;  // posted but not yet applied
    int FPressedSection = -1;
};

} // namespace tv
