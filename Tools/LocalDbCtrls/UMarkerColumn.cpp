#include "UMarkerColumn.h"

#include <QPainter>
#include <QStyleOptionViewItem>

#include <algorithm>

#include "UDataGrid.h"

namespace tv {

TMarkerColumn::TMarkerColumn(TDataGrid* Grid) : QHeaderView(Qt::Vertical, Grid), FGrid(Grid)
{
    setSectionsClickable(false);
    setHighlightSections(false);
    setSectionResizeMode(QHeaderView::Fixed);
    setMinimumSectionSize(1);
}

void TMarkerColumn::paintEvent(QPaintEvent*)
{
    QPainter painter(viewport());
    const QPalette& pal = FGrid->palette();
    const int w = viewport()->width();
    const int rows = count();
    const int bottom = rows > 0 ? sectionViewportPosition(rows - 1) + sectionSize(rows - 1) : 0;
    const int used = std::clamp(bottom, 0, viewport()->height());
    painter.fillRect(0, used, w, viewport()->height() - used, pal.color(QPalette::Active, QPalette::Base));
    if (used <= 0)
        return;
    painter.fillRect(0, 0, w, used, pal.color(QPalette::Active, QPalette::Button));
    QStyleOptionViewItem option;
    option.initFrom(FGrid);
    const QColor line(static_cast<QRgb>(
        FGrid->style()->styleHint(QStyle::SH_Table_GridLineColor, &option, FGrid)));
    painter.setPen(line);
    painter.drawLine(w - 1, 0, w - 1, used - 1);
    if (bottom <= viewport()->height())
        painter.drawLine(0, bottom - 1, w - 1, bottom - 1);
    if (FGrid->Searching() && FGrid->Row() >= 1) {
        const int row = FGrid->Row() - 1;
        const int top = sectionViewportPosition(row);
        const int height = sectionSize(row) - 1;
        if (top + height >= 0 && top < viewport()->height()) {
            const QPointF corners[3] = {QPointF(1, top + 1),
                                        QPointF(w - 2, top + height / 2.0),
                                        QPointF(1, top + height - 1)};
            painter.setRenderHint(QPainter::Antialiasing);
            painter.setPen(Qt::NoPen);
            painter.setBrush(pal.color(QPalette::Active, QPalette::Highlight));
            painter.drawPolygon(corners, 3);
        }
    }
}

} // namespace tv
