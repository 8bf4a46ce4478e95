#include "UPaintPrintDevice.h"

#include "USystemPrinters.h"

#include <QPagedPaintDevice>

namespace tv {

TPaintPrintDevice::TPaintPrintDevice()
{
    // The family is only asked for: font matching picks the machine's face,
    // fallback fills in missing letters, and bold and italic are synthesized
    // where the face has none.
    FFonts[pfPage] = QFont("Arial", 8, QFont::Normal, true);
    FFonts[pfHeader] = QFont("Arial", 9, QFont::Bold);
    FFonts[pfRow] = QFont("Arial", 9);
}

TPaintPrintDevice::~TPaintPrintDevice() = default;

bool TPaintPrintDevice::HasPrinters() const { return !SystemPrinters().Names().isEmpty(); }

void TPaintPrintDevice::PageSize(int32_t& width, int32_t& height)
{
    ResetMetrics();
    width = Target().width();
    height = Target().height();
}

const QFontMetrics& TPaintPrintDevice::Metrics(TPrintFont font)
{
    if (!FMetrics[font])
        FMetrics[font] = std::make_unique<QFontMetrics>(FFonts[font], &Target());
    return *FMetrics[font];
}

void TPaintPrintDevice::ResetMetrics()
{
    for (auto& m : FMetrics)
        m.reset();
}

int32_t TPaintPrintDevice::TextWidth(TPrintFont font, std::string_view text)
{
    return Metrics(font).horizontalAdvance(QString::fromUtf8(text.data(), qsizetype(text.size())));
}

int32_t TPaintPrintDevice::TextHeight(TPrintFont font, const std::string& text)
{
    (void)text;  // every text of a font has the font's line height
    return Metrics(font).height();
}

bool TPaintPrintDevice::BeginPaint()
{
    ResetMetrics();
    FCurrentFont = -1;
    return FPainter.begin(&Target());
}

bool TPaintPrintDevice::EndPaint() { return !FPainter.isActive() || FPainter.end(); }

void TPaintPrintDevice::FillRect(int32_t left, int32_t top, int32_t right, int32_t bottom,
                                 uint32_t rgb)
{
    FPainter.fillRect(QRect(left, top, right - left, bottom - top), QColor(QRgb(rgb)));
}

void TPaintPrintDevice::DrawText(int32_t left, int32_t top, int32_t right, int32_t bottom,
                                 std::string_view text, TPrintFont font, bool rightAligned)
{
    if (FCurrentFont != font) {
        FPainter.setFont(FFonts[font]);
        FCurrentFont = font;
    }
    const QFontMetrics& fm = Metrics(font);
    QString s = QString::fromUtf8(text.data(), qsizetype(text.size()));
    const int width = right - left;
    int advance = fm.horizontalAdvance(s);
    if (advance > width) {
        s = fm.elidedText(s, Qt::ElideRight, width);
        advance = fm.horizontalAdvance(s);
    }
    // One line placed by hand: the text layout behind drawText in a
    // rectangle costs more than the rest of a row.
    const int x = rightAligned ? right - advance : left;
    const int baseline = top + (bottom - top - fm.height()) / 2 + fm.ascent();
    FPainter.drawText(QPoint(x, baseline), s);
}

} // namespace tv
