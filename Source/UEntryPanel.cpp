#include "UEntryPanel.h"

#include "UGradient.h"
#include "UNbLabel.h"

#include <QApplication>
#include <QLabel>
#include <QPainter>

#include <algorithm>

namespace tv {

TMainClient::TMainClient(QWidget* parent, std::function<void(QPainter&)> paint, std::function<void()> resized)
    : QWidget(parent), FPaint(std::move(paint)), FResized(std::move(resized))
{
}

void TMainClient::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    FPaint(painter);
}

void TMainClient::resizeEvent(QResizeEvent*) { FResized(); }

void PaintEntryPanel(QPainter& painter, bool active, int right, int height)
{
    MainGradienter().PaintRect(painter, active, QRect(0, 0, right, height));
}

// The caption gradient may run from dark to light, so each label takes the
// caption text colour that reads on the gradient behind its middle: the
// window text on a light part, the highlighted text on a dark one, each in
// the palette of the window's activation.
void ColourPanelLabels(QWidget* client, bool active, int panelRight)
{
    const QPalette p = QApplication::palette();
    TGradienter& g = MainGradienter();
    const QColor start = active ? g.ActiveStart() : g.InactiveStart();
    const QColor end = active ? g.ActiveEnd() : g.InactiveEnd();
    const int panel = std::max(1, panelRight);
    for (QLabel* l : client->findChildren<QLabel*>(Qt::FindDirectChildrenOnly)) {
        const double t = std::clamp((l->x() + l->width() / 2.0) / panel, 0.0, 1.0);
        const double lightness = (1 - t) * start.lightness() + t * end.lightness();
        const QColor c = lightness >= 128 ? p.color(active ? QPalette::Active : QPalette::Inactive, QPalette::WindowText)
                                          : p.color(active ? QPalette::Active : QPalette::Inactive,
                                                    QPalette::HighlightedText);
        QPalette lp = l->palette();
        lp.setColor(QPalette::WindowText, c);
        l->setPalette(lp);
    }
}

} // namespace tv
