#include "UBoxFont.h"

#include <QFontMetricsF>
#include <QImage>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace tv {

QFont LargestFittingFont(const QFont& font, const std::function<bool(const QFont&)>& fits)
{
    QFont f = font;
    if (f.pixelSize() <= 0) return f;
    while (f.pixelSize() > SmallestBoxPixels && !fits(f)) f.setPixelSize(f.pixelSize() - 1);
    return f;
}

QFont FitFontToWidth(const QFont& font, const QStringList& texts, int width)
{
    return LargestFittingFont(font, [&](const QFont& f) {
        const QFontMetricsF metrics(f);
        return std::all_of(texts.begin(), texts.end(),
                           [&](const QString& text) { return metrics.horizontalAdvance(text) <= width; });
    });
}

QFont FitFontToBox(const QFont& font, const QStringList& texts, const QSize& box, int flags, qreal ratio,
                   const QMargins& margins)
{
    return LargestFittingFont(font, [&](const QFont& f) {
        // The box with a line's room around it, in device pixels.
        const int margin = QFontMetrics(f).height();
        const QRect area(-margin, -margin, box.width() + 2 * margin, box.height() + 2 * margin);
        QImage image((area.size() * ratio).grownBy({1, 1, 1, 1}), QImage::Format_ARGB32_Premultiplied);
        image.setDevicePixelRatio(ratio);
        const QRect inside(QPoint(qRound(margin * ratio), qRound(margin * ratio)),
                           QPoint(qRound((margin + box.width()) * ratio) - 1, qRound((margin + box.height()) * ratio) - 1));
        for (const QString& text : texts) {
            image.fill(Qt::transparent);
            {
                QPainter painter(&image);
                painter.translate(-area.topLeft());
                painter.setFont(f);
                painter.setPen(Qt::black);
                painter.drawText(QRect(QPoint(0, 0), box).marginsRemoved(margins), flags | Qt::TextDontClip, text);
            }
            for (int y = 0; y < image.height(); ++y) {
                const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
                for (int x = 0; x < image.width(); ++x)
                    if (qAlpha(line[x]) >= 64 && !inside.contains(x, y)) return false;
            }
        }
        return true;
    });
}

int LinePixels(const QFont& font)
{
    const QFontMetricsF metrics(font);
    return static_cast<int>(std::ceil(metrics.ascent() + metrics.descent()));
}

} // namespace tv
