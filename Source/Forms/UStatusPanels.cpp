#include "UStatusPanels.h"

#include <QCoreApplication>
#include <QPainter>
#include <QPointer>
#include <QStatusTipEvent>
#include <QStyle>
#include <QStyleOptionFrame>

namespace tv {

namespace {

QPointer<TStatusPanels> WorkHintBar;

} // namespace

TStatusPanels::TStatusPanels(QWidget* parent, std::vector<TPanel> panels)
    : QWidget(parent), FPanels(std::move(panels))
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::NoFocus);
}

void TStatusPanels::SetText(int panel, const QString& text)
{
    TPanel& p = FPanels.at(static_cast<std::size_t>(panel));
    if (p.Text == text) return;
    p.Text = text;
    update(PanelRect(panel));
}

void TStatusPanels::SetPanelWidth(int panel, int width)
{
    FPanels.at(static_cast<std::size_t>(panel)).Width = width;
    update();
}

QRect TStatusPanels::PanelRect(int panel) const
{
    int left = 0;
    for (int i = 0; i < panel; ++i) left += FPanels[static_cast<std::size_t>(i)].Width;
    const int w = panel == Count() - 1 ? std::max(0, width() - left) : PanelWidth(panel);
    return QRect(left, 0, w, height());
}

void TStatusPanels::TakeWorkHints() { WorkHintBar = this; }

void ShowWorkHint(const std::string& text)
{
    if (!WorkHintBar)
        return;
    // The tip goes up to the window, which shows hints in its own way.
    QStatusTipEvent tip(QString::fromStdString(text));
    QCoreApplication::sendEvent(WorkHintBar.data(), &tip);
}

void TStatusPanels::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), palette().window());
    for (int i = 0; i < Count(); ++i) {
        const QRect r = PanelRect(i).adjusted(0, 1, -2, 0);
        if (r.width() <= 0) continue;
        painter.setPen(palette().color(QPalette::Dark));
        painter.drawLine(r.topLeft(), r.topRight());
        painter.drawLine(r.topLeft(), r.bottomLeft());
        painter.setPen(palette().color(QPalette::Light));
        painter.drawLine(r.bottomLeft(), r.bottomRight());
        painter.drawLine(r.topRight(), r.bottomRight());
        painter.setPen(palette().color(QPalette::WindowText));
        const QRect text = r.adjusted(3, 1, -3, -1);
        const TPanel& p = FPanels[static_cast<std::size_t>(i)];
        painter.drawText(text, int(p.Alignment | Qt::AlignVCenter),
                         fontMetrics().elidedText(p.Text, Qt::ElideRight, text.width()));
    }
}

} // namespace tv
