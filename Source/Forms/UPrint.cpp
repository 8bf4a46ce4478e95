#include "UPrint.h"

#include "UDateTime.h"
#include "UException.h"
#include "UPdfFileDevice.h"
#include "UPrinterDevice.h"
#include "UStringUtils.h"
#include "UTextConst.h"

#include <QDialogButtonBox>
#include <QPrintDialog>
#include <QPushButton>

#include <algorithm>

namespace tv {

namespace {

// Digits, separators and the tallest Cyrillic capitals: the height of a line
// that any of the program's texts fits into.
const char* const LineSample = "0123456789,.'ЦЇ";

[[noreturn]] void RaisePrinterInitError()
{
    throw Exception(TextTable[SlotPrinterInitError]);
}

} // namespace

TPrintManager::TPrintManager(TPrintDevice& device) : FDevice(&device)
{
    ClearTable();
    ReadPrinterMetrics();
}

TPrintManager::~TPrintManager() { AbortReport(); }

void TPrintManager::ClearTable()
{
    FCaptions.clear();
    FWidths.clear();
    FRightAligned.clear();
    FFooters.clear();
}

void TPrintManager::ReadPrinterMetrics()
{
    int32_t width = 0, height = 0;
    FDevice->PageSize(width, height);
    FPageHeight = height;
    FMargin = width / 32;
    FRightEdge = width - FMargin / 2;
    FPageLineHeight = FDevice->TextHeight(pfPage, LineSample);
    FHeaderLineHeight = FDevice->TextHeight(pfHeader, LineSample);
    FRowLineHeight = FDevice->TextHeight(pfRow, LineSample);
    for (TPrintFont font : {pfPage, pfHeader, pfRow})
        FCellGap[font] = FDevice->TextWidth(font, " ");
}

TPageMetrics TPrintManager::Metrics() const
{
    return {FPageHeight, FPageLineHeight, FHeaderLineHeight, FRowLineHeight};
}

void TPrintManager::SetDevice(TPrintDevice& device)
{
    AbortReport();
    FDevice = &device;
    ReadPrinterMetrics();
}

void TPrintManager::ChooseDevice()
{
    if (FChoose)
        SetDevice(FChoose());
}

void TPrintManager::BeginReport(const std::string& title)
{
    AbortReport();
    FTitle = title;
    FPageNumber = 1;
    FPageCount = 1;
    FY = 0;
    ClearTable();
    FTableAdded = false;
    FDevice->BeginDoc(title);
    FStarted = true;
    try {
        PrintPageHeader();
    } catch (...) {
        AbortReport();
        throw;
    }
}

void TPrintManager::AddTable(const std::vector<std::string>& captions,
                             const std::vector<int32_t>& widths,
                             const std::vector<bool>& rightAligned, int32_t rowCount,
                             const std::vector<std::string>& footers)
{
    TV_ASSERT(FStarted, "Report must be started");
    TV_ASSERT(!FTableAdded, "Table already added");
    const size_t n = captions.size();
    TV_ASSERT(widths.size() >= n && rightAligned.size() >= n && footers.size() >= n,
              "Invalid columns count");
    const TPageMetrics m = Metrics();
    if (!m.Fits())
        RaisePrinterInitError();
    FCaptions = captions;
    FRightAligned.assign(rightAligned.begin(), rightAligned.begin() + n);
    FFooters.assign(footers.begin(), footers.begin() + n);
    // A total is read as a number: its column takes what its footer needs
    // from the others.
    std::vector<int32_t> needed(n);
    for (size_t i = 0; i < n; ++i)
        if (!FFooters[i].empty())
            needed[i] = FDevice->TextWidth(pfHeader, FFooters[i]) + (i == 0 ? 0 : FCellGap[pfHeader]);
    FWidths = FitColumnsToTexts(
        ShareColumnWidths(std::vector<int32_t>(widths.begin(), widths.begin() + n), FRightEdge - FMargin), needed);
    FRowsLeft = std::max(rowCount, 0);
    FPageCount = CountPages(m, FY, FRowsLeft);
    PrintPageFooter();
    FTableAdded = true;
    PrintTableHeader();
    if (FRowsLeft == 0)
        PrintTableFooter();
}

void TPrintManager::AddRow(const std::vector<std::string>& values)
{
    const std::vector<std::string_view> views(values.begin(), values.end());
    AddRow(std::span<const std::string_view>(views));
}

void TPrintManager::AddRow(std::span<const std::string_view> values)
{
    TV_ASSERT(FTableAdded, "Table not added");
    TV_ASSERT(values.size() == FCaptions.size(), "Invalid values count");
    if (RowNeedsNewPage(Metrics(), FY, FRowsLeft == 1)) {
        FY = 0;
        ++FPageNumber;
        FDevice->NewPage();
        PrintPageHeader();
        PrintPageFooter();
        PrintTableHeader();
    }
    PrintCells(values, FRowLineHeight, pfRow);
    if (FRowsLeft > 0 && --FRowsLeft == 0)
        PrintTableFooter();
}

void TPrintManager::EndReport()
{
    TV_ASSERT(FStarted, "Report must be started");
    if (!FTableAdded)
        PrintPageFooter();
    FStarted = false;
    FDevice->EndDoc();
}

void TPrintManager::AbortReport() noexcept
{
    if (!FStarted)
        return;
    FStarted = false;
    FDevice->AbortDoc();
}

void TPrintManager::PrintPageHeader()
{
    const int32_t top = FY, bottom = FY + FPageLineHeight;
    const int32_t titleRight =
        std::min<int64_t>(int64_t(FMargin) + FDevice->TextWidth(pfPage, FTitle), FRightEdge / 2);
    FDevice->DrawText(FMargin, top, titleRight, bottom, FTitle, pfPage, false);
    std::string date = FormatDateTimeText(Now());
    if (date.size() >= 4)
        date.erase(date.size() - 4, 3);
    const int32_t dateLeft =
        std::max<int64_t>(int64_t(FRightEdge) - FDevice->TextWidth(pfPage, date), FRightEdge / 2);
    FDevice->DrawText(dateLeft, top, FRightEdge, bottom, date, pfPage, true);
    FY += FPageLineHeight + FPageLineHeight / 2;
}

void TPrintManager::PrintPageFooter()
{
    const std::string text = FormatText(TextTable[SlotPageOf], {int64_t(FPageNumber), int64_t(FPageCount)});
    FDevice->DrawText(FMargin, FPageHeight - FPageLineHeight, FRightEdge, FPageHeight, text, pfPage,
                     true);
}

void TPrintManager::PrintTableHeader()
{
    TV_ASSERT(FTableAdded, "Table not added");
    FShade = false;
    PrintCells(FCaptions, FHeaderLineHeight, pfHeader);
    FShade = false;
}

void TPrintManager::PrintTableFooter()
{
    TV_ASSERT(FTableAdded, "Table not added");
    FShade = false;
    PrintCells(FFooters, FHeaderLineHeight, pfHeader);
    FShade = false;
}

void TPrintManager::PrintCells(const std::vector<std::string>& texts, int32_t lineHeight,
                               TPrintFont font)
{
    const std::vector<std::string_view> views(texts.begin(), texts.end());
    PrintCells(std::span<const std::string_view>(views), lineHeight, font);
}

void TPrintManager::PrintCells(std::span<const std::string_view> texts, int32_t lineHeight,
                               TPrintFont font)
{
    const int32_t top = FY, bottom = FY + lineHeight;
    if (FShade)
        FDevice->FillRect(FMargin, top, FRightEdge, bottom, ShadeColour);
    // Every cell after the first keeps a blank's width free at its left, so
    // that a text filling the cell before does not run into it.
    int32_t x = FMargin;
    for (size_t i = 0; i < texts.size() && i < FWidths.size(); ++i) {
        const int32_t left = i == 0 ? x : std::min(x + FCellGap[font], x + FWidths[i]);
        if (!texts[i].empty())
            FDevice->DrawText(left, top, x + FWidths[i], bottom, texts[i], font, FRightAligned[i]);
        x += FWidths[i];
    }
    FY = bottom;
    FShade = !FShade;
}

namespace {

TPrintManager* ReplacedManager = nullptr;
bool FileChosen = false;  // the printer set-up chose file output

TPrintDevice& ChosenDevice()
{
    if (!FileChosen && PrinterDevice().SelectPrinter())
        return PrinterDevice();
    return PdfFileDevice();
}

TPrintManager& ProgramManager()
{
    static TPrintManager manager(ChosenDevice());
    static const bool choosing = (manager.SetDeviceChoice(ChosenDevice), true);
    (void)choosing;
    return manager;
}

} // namespace

TPrinterDevice& PrinterDevice()
{
    static TPrinterDevice device;
    return device;
}

TPdfFileDevice& PdfFileDevice()
{
    static TPdfFileDevice device;
    return device;
}

TPrintManager& PrintManager()
{
    if (ReplacedManager)
        return *ReplacedManager;
    return ProgramManager();
}

TPrintManager* SetPrintManager(TPrintManager* manager)
{
    std::swap(ReplacedManager, manager);
    return manager;
}

bool PrinterSetup(QWidget* parent)
{
    TPrinterDevice& device = PrinterDevice();
    device.SelectPrinter();
    QPrinter& printer = device.Printer();
    QPrintDialog dialog(&printer, parent);
    // The set-up prints nothing: the button that takes its choices is the
    // standard OK, not Qt's "Print".
    if (auto* box = dialog.findChild<QDialogButtonBox*>())
        if (QPushButton* ok = box->button(QDialogButtonBox::Ok))
            ok->setText(QDialogButtonBox(QDialogButtonBox::Ok).button(QDialogButtonBox::Ok)->text());
    if (dialog.exec() != QDialog::Accepted)
        return false;
    PdfFileDevice().SetPageLayout(printer.pageLayout());
    device.KeepChosenPrinter();
    FileChosen = printer.outputFormat() == QPrinter::PdfFormat;
    ProgramManager().SetDevice(ChosenDevice());
    return true;
}

} // namespace tv
