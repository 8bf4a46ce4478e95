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

    // Points the printer at the one the set-up chose while the system still
    // lists it, else at the system's default, else at its first; false when
    // the system has none.
    bool SelectPrinter();
    // After the set-up: the printer it chose is the one to print on.
    void KeepChosenPrinter();

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
    QString FChosen;  // by the printer set-up
    QString FName;    // the printer selected last
};

} // namespace tv
