#pragma once
// The caption gradient of the current style in its active and inactive
// colours, painted into the band at the bottom of a dialog or across an
// area of a window.

#include "UImage.h"

#include <QColor>
#include <QImage>
#include <QPointer>
#include <QRect>

#include <cstdint>
#include <vector>

class QPainter;
class QWidget;

namespace tv {

// A corner of the gradient: position and colour, each channel the 8-bit
// component times 256.
struct TTriVertex {
    std::int32_t x = 0;
    std::int32_t y = 0;
    std::uint16_t Red = 0;
    std::uint16_t Green = 0;
    std::uint16_t Blue = 0;
    std::uint16_t Alpha = 0;
};

class TGradienter {
public:
    // Reads the colours at once (LoadColors).
    TGradienter();
    virtual ~TGradienter();
    TGradienter(const TGradienter&) = delete;
    TGradienter& operator=(const TGradienter&) = delete;

    // Fills the image with a vertical gradient of the active or inactive
    // pair: end colour at the top, start colour at the bottom.
    virtual void PaintImage(TImage* image, bool active);
    // Fills the rectangle with a horizontal gradient: start colour at the
    // left edge, end colour at the right edge.
    void PaintRect(QPainter& painter, bool active, const QRect& rect);
    // Reads the colours again.
    virtual void Refresh();

    // Keeps the band of the form painted: on activation, deactivation and
    // the form's painting, and after palette or style changes (which also
    // Refresh). The keeping ends with the form or with this object.
    void Attach(QWidget* form, TImage* image);

    QColor ActiveStart() const { return FActiveStart; }
    QColor ActiveEnd() const { return FActiveEnd; }
    QColor InactiveStart() const { return FInactiveStart; }
    QColor InactiveEnd() const { return FInactiveEnd; }
    // 0, 1: inactive end and start; 2, 3: active end and start.
    const TTriVertex& Vertex(int index) const { return FVertices.at(static_cast<std::size_t>(index)); }

    // Of the pixels of column 10 from row 2 to the image's last row, the
    // darkest (start) and the lightest (end), by 0.299 R + 0.587 G + 0.114 B;
    // among equal ones the uppermost. The image must be at least 11 x 3.
    static void SampleColors(const QImage& sample, QColor& start, QColor& end);

protected:
    void LoadColors();
    void LoadThemeColors();
    void LoadSystemColors();

private:
    QColor PairStart(bool active) const;
    QColor PairEnd(bool active) const;

    std::vector<TTriVertex> FVertices;
    QColor FActiveStart;
    QColor FActiveEnd;
    QColor FInactiveStart;
    QColor FInactiveEnd;
    std::vector<QPointer<QObject>> FKeepers;
};

} // namespace tv
