#include "UPrinterDevice.h"

#include "UException.h"
#include "USystemPrinters.h"
#include "UTextConst.h"

namespace tv {

TPrinterDevice::TPrinterDevice() = default;

TPrinterDevice::~TPrinterDevice() { AbortDoc(); }

void TPrinterDevice::RaiseRefused()
{
    std::string text = TextTable[SlotPrinterInitError];
    if (!FName.isEmpty())
        text += "\r\n" + FName.toStdString();
    throw Exception(text);
}

bool TPrinterDevice::SelectPrinter()
{
    const TSystemPrinters& system = SystemPrinters();
    const QStringList names = system.Names();
    if (names.isEmpty())
        return false;
    QString name = FChosen;
    if (!names.contains(name))
        name = system.DefaultName();
    if (!names.contains(name))
        name = names.first();
    system.Select(FPrinter, name);
    FName = name;
    return true;
}

void TPrinterDevice::KeepChosenPrinter()
{
    if (FPrinter.outputFormat() == QPrinter::NativeFormat && !FPrinter.printerName().isEmpty())
        FChosen = FName = FPrinter.printerName();
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
