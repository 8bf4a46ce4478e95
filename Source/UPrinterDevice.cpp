#include "UPrinterDevice.h"

#include "UException.h"
#include "UTextConst.h"

namespace tv {

TPrinterDevice::TPrinterDevice() = default;

TPrinterDevice::~TPrinterDevice() { AbortDoc(); }

void TPrinterDevice::RaiseRefused()
{
    std::string text = TextTable[SlotPrinterInitError];
    if (const QString name = FPrinter.printerName(); !name.isEmpty())
        text += "\r\n" + name.toStdString();
    throw Exception(text);
}

void TPrinterDevice::BeginDoc(const std::string& title)
{
    AbortDoc();
    if (!HasPrinters())
        throw Exception(TextTable[SlotPrinterInitError]);
    FPrinter.setDocName(QString::fromStdString(title));
    FPrinter.setCreator("Tarnovell");
    if (!BeginPaint())
        RaiseRefused();
}

void TPrinterDevice::NewPage()
{
    if (!FPrinter.newPage())
        RaiseRefused();
}

void TPrinterDevice::EndDoc()
{
    if (!EndPaint())
        RaiseRefused();
}

void TPrinterDevice::AbortDoc() noexcept
{
    if (!Painting())
        return;
    FPrinter.abort();
    EndPaint();
}

} // namespace tv
