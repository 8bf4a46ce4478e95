#pragma once
// What the printer and the PDF file share: the report's three fonts and the
// painter code that measures and draws a page's lines on a Qt paged device.

#include "UPrint.h"

#include <QFont>
#include <QFontMetrics>
#include <QPainter>

#include <memory>
#include <string>

class QPagedPaintDevice;

namespace tv {

class TPaintPrintDevice : public TPrintDevice {
public:
    TPaintPrintDevice();
    ~TPaintPrintDevice() override;
    TPaintPrintDevice(const TPaintPrintDevice&) = delete;
    TPaintPrintDevice& operator=(const TPaintPrintDevice&) = delete;

    bool HasPrinters() const override;
    void PageSize(int32_t& width, int32_t& height) override;
    int32_t TextWidth(TPrintFont font, std::string_view text) override;
    int32_t TextHeight(TPrintFont font, const std::string& text) override;
    void FillRect(int32_t left, int32_t top, int32_t right, int32_t bottom, uint32_t rgb) override;
    void DrawText(int32_t left, int32_t top, int32_t right, int32_t bottom, std::string_view text,
                  TPrintFont font, bool rightAligned) override;

    // The font a line of the kind is printed in.
    const QFont& Font(TPrintFont font) const { return FFonts[font]; }

protected:
    // The device the page size is read from and the fonts are measured for;
    // the one a job paints on while it is open.
    virtual QPagedPaintDevice& Target() = 0;
    // Paints on the target from now on; false when it cannot be opened.
    bool BeginPaint();
    // Ends the painting; false when the device failed to finish it.
    bool EndPaint();
    bool Painting() const { return FPainter.isActive(); }
    // The target changed its page or resolution.
    void ResetMetrics();

private:
    const QFontMetrics& Metrics(TPrintFont font);

    QPainter FPainter;
    QFont FFonts[3];
    std::unique_ptr<QFontMetrics> FMetrics[3];
    int FCurrentFont = -1;
};

} // namespace tv
