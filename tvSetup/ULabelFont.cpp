#include "ULabelFont.h"

#include <QFontInfo>
#include <QFontMetricsF>

#include <algorithm>
#include <cmath>

namespace tv {

namespace {

constexpr int SmallestPixels = 8;

// Where the glyphs of the text end below its top, laid out as QPainter
// lays out lines: each starts on a whole pixel, one line spacing below the
// last, and a glyph may reach below the family's descent.
double InkBottom(const QFontMetricsF& metrics, const QString& text)
{
    const QStringList lines = text.split('\n');
    double top = 0;
    for (qsizetype i = 1; i < lines.size(); ++i)
        top = std::ceil(top + metrics.lineSpacing());
    return top + metrics.ascent() + std::max(metrics.descent(), metrics.tightBoundingRect(lines.back()).bottom());
}

} // namespace

QFont LabelFont(const QFont& formFont, const QStringList& texts, int room, const std::vector<TTextBox>& boxes)
{
    QStringList lines;
    for (const QString& text : texts)
        lines += text.split('\n');
    for (const TTextBox& box : boxes)
        for (const QString& text : box.Texts)
            lines += text.split('\n');
    auto fits = [&](const QFont& f) {
        const QFontMetricsF metrics(f);
        auto fitsBox = [&metrics](const TTextBox& box) {
            return std::all_of(box.Texts.begin(), box.Texts.end(), [&](const QString& text) {
                return std::ceil(InkBottom(metrics, text)) <= box.Height;
            });
        };
        return std::all_of(lines.begin(), lines.end(),
                           [&](const QString& line) { return metrics.horizontalAdvance(line) <= room; }) &&
               std::all_of(boxes.begin(), boxes.end(), fitsBox);
    };
    QFont font = formFont;
    if (font.pixelSize() <= 0)
        font.setPixelSize(QFontInfo(formFont).pixelSize());
    while (font.pixelSize() > SmallestPixels && !fits(font))
        font.setPixelSize(font.pixelSize() - 1);
    return font;
}

} // namespace tv
