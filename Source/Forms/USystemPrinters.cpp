#include "USystemPrinters.h"

#include <QPrinter>
#include <QPrinterInfo>

#include <utility>

namespace tv {

namespace {

TSystemPrinters* Replaced = nullptr;

} // namespace

QStringList TSystemPrinters::Names() const { return QPrinterInfo::availablePrinterNames(); }

QString TSystemPrinters::DefaultName() const { return QPrinterInfo::defaultPrinterName(); }

void TSystemPrinters::Select(QPrinter& printer, const QString& name) const
{
    if (printer.outputFormat() != QPrinter::NativeFormat) printer.setOutputFormat(QPrinter::NativeFormat);
    if (printer.printerName() != name) printer.setPrinterName(name);
}

const TSystemPrinters& SystemPrinters()
{
    static const TSystemPrinters system;
    return Replaced ? *Replaced : system;
}

TSystemPrinters* SetSystemPrinters(TSystemPrinters* printers)
{
    std::swap(Replaced, printers);
    return printers;
}

} // namespace tv
