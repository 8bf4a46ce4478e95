#pragma once
// The system printer as a print device: the printer, paper and options of
// the printer set-up, printed through Qt's print support.

#include "UPaintPrintDevice.h"

#include <QPrinter>

namespace tv {

class TPrinterDevice : public TPaintPrintDevice {
public:
    TPrinterDevice();
    ~TPrinterDevice() override;

    // Raises the printer initializing error, with the printer's name, when
    // the system has no printer or the printer refuses the job.
    void BeginDoc(const std::string& title) override;
    void NewPage() override;
    void EndDoc() override;
    void AbortDoc() noexcept override;

    QPrinter& Printer() { return FPrinter; }

protected:
    QPagedPaintDevice& Target() override { return FPrinter; }

private:
    [[noreturn]] void RaiseRefused();

    QPrinter FPrinter{QPrinter::HighResolution};
};

} // namespace tv
