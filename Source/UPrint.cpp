#include "UPrint.h"

#include "UDateTime.h"
#include "UException.h"
#include "UPdfWriter.h"
#include "UProgFolder.h"
#include "UShell.h"
#include "UStringUtils.h"
#include "UTextConst.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFont>
#include <QFontMetrics>
#include <QPageLayout>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>

#include <algorithm>
#include <cmath>

namespace tv {

namespace {

// Digits, separators and the tallest Cyrillic capitals: the height of a line
// that any of the program's texts fits into.
const char* const LineSample = "0123456789,.'ЦЇ";

constexpr std::string_view Ellipsis = "\u2026";

[[noreturn]] void RaisePrinterInitError()
{
    throw Exception(TextTable[SlotPrinterInitError]);
}

} // namespace

TPrintManager::TPrintManager(TPrintDevice& device) : FDevice(device)
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
    FDevice.PageSize(width, height);
    FPageHeight = height;
    FMargin = width / 32;
    FRightEdge = width - FMargin / 2;
    FPageLineHeight = FDevice.TextHeight(pfPage, LineSample);
    FHeaderLineHeight = FDevice.TextHeight(pfHeader, LineSample);
    FRowLineHeight = FDevice.TextHeight(pfRow, LineSample);
}

TPageMetrics TPrintManager::Metrics() const
{
    return {FPageHeight, FPageLineHeight, FHeaderLineHeight, FRowLineHeight};
}

bool TPrintManager::BeginReport(const std::string& title)
{
    AbortReport();
    FTitle = title;
    FPageNumber = 1;
    FPageCount = 1;
    FY = 0;
    ClearTable();
    FTableAdded = false;
    if (!FDevice.BeginDoc(title))
        return false;
    FStarted = true;
    try {
        PrintPageHeader();
    } catch (...) {
        AbortReport();
        throw;
    }
    return true;
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
    FWidths = ShareColumnWidths(std::vector<int32_t>(widths.begin(), widths.begin() + n),
                                FRightEdge - FMargin);
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
        FDevice.NewPage();
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
    FDevice.EndDoc();
}

void TPrintManager::AbortReport() noexcept
{
    if (!FStarted)
        return;
    FStarted = false;
    FDevice.AbortDoc();
}

void TPrintManager::PrintPageHeader()
{
    const int32_t top = FY, bottom = FY + FPageLineHeight;
    const int32_t titleRight =
        std::min<int64_t>(int64_t(FMargin) + FDevice.TextWidth(pfPage, FTitle), FRightEdge / 2);
    FDevice.DrawText(FMargin, top, titleRight, bottom, FTitle, pfPage, false);
    std::string date = FormatDateTimeText(Now());
    if (date.size() >= 4)
        date.erase(date.size() - 4, 3);
    const int32_t dateLeft =
        std::max<int64_t>(int64_t(FRightEdge) - FDevice.TextWidth(pfPage, date), FRightEdge / 2);
    FDevice.DrawText(dateLeft, top, FRightEdge, bottom, date, pfPage, true);
    FY += FPageLineHeight + FPageLineHeight / 2;
}

void TPrintManager::PrintPageFooter()
{
    const std::string text = FormatText(TextTable[SlotPageOf], {int64_t(FPageNumber), int64_t(FPageCount)});
    FDevice.DrawText(FMargin, FPageHeight - FPageLineHeight, FRightEdge, FPageHeight, text, pfPage,
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
        FDevice.FillRect(FMargin, top, FRightEdge, bottom, ShadeColour);
    int32_t x = FMargin;
    for (size_t i = 0; i < texts.size() && i < FWidths.size(); ++i) {
        if (!texts[i].empty())
            FDevice.DrawText(x, top, x + FWidths[i], bottom, texts[i], font, FRightAligned[i]);
        x += FWidths[i];
    }
    FY = bottom;
    FShade = !FShade;
}

// ---------------------------------------------------------------------------

struct TQtPrintDevice::TImpl {
    QPrinter Printer{QPrinter::HighResolution};
    QPainter Painter;
    QFont Fonts[3];
    std::unique_ptr<QFontMetrics> Metrics[3];
    int CurrentFont = -1;
    TPdfFileChooser Chooser;
    QString File;  // PDF file of the open job

    // File output: our own PDF writer, in points; device units are those of
    // the printer, from the top left of the printable area.
    std::unique_ptr<TPdfWriter> Pdf;
    int PdfFonts[3] = {};
    double Scale = 1;  // points per device unit
    double Left = 0, Top = 0, PaperWidth = 0, PaperHeight = 0;  // points
    // Per font of the open file, in device units: size, ascent, line
    // height and the ellipsis's width.
    double Px[3] = {}, EllipsisAdvance[3] = {};
    int AscentPx[3] = {}, HeightPx[3] = {};

    // The size of the font in device units.
    double PixelSize(TPrintFont font) const
    {
        return Fonts[font].pointSizeF() * Printer.resolution() / 72.0;
    }
    int Ascent(TPrintFont font) const
    {
        return qRound(Pdf->Ascent(PdfFonts[font]) * PixelSize(font));
    }
    int Height(TPrintFont font) const
    {
        double ascent = 0, descent = 0, leading = 0;
        if (Pdf)
            ascent = Pdf->Ascent(PdfFonts[font]), descent = Pdf->Descent(PdfFonts[font]);
        else if (!TPdfWriter::FaceMetrics(Fonts[font], ascent, descent, leading))
            return 0;
        const double px = PixelSize(font);
        return qRound(ascent * px) + qRound(descent * px);
    }
    double Advance(TPrintFont font, std::string_view text) const
    {
        return Pdf->Advance(PdfFonts[font], text) * Px[font];
    }

    TImpl()
    {
        Fonts[pfPage] = QFont("Arial", 8, QFont::Normal, true);
        Fonts[pfHeader] = QFont("Arial", 9, QFont::Bold);
        Fonts[pfRow] = QFont("Arial", 9);
        if (QPrinterInfo::availablePrinters().isEmpty())
            Printer.setOutputFormat(QPrinter::PdfFormat);
    }

    const QFontMetrics& FontMetrics(TPrintFont font)
    {
        if (!Metrics[font])
            Metrics[font] = std::make_unique<QFontMetrics>(Fonts[font], &Printer);
        return *Metrics[font];
    }
    void ResetMetrics()
    {
        for (auto& m : Metrics)
            m.reset();
    }
};

TQtPrintDevice::TQtPrintDevice() : F(std::make_unique<TImpl>()) {}

TQtPrintDevice::~TQtPrintDevice() { AbortDoc(); }

QPrinter& TQtPrintDevice::Printer() { return F->Printer; }

bool TQtPrintDevice::HasPrinters() const { return !QPrinterInfo::availablePrinters().isEmpty(); }

bool TQtPrintDevice::PrintsToFile() const
{
    return F->Printer.outputFormat() == QPrinter::PdfFormat || !HasPrinters();
}

TPdfFileChooser TQtPrintDevice::SetPdfFileChooser(TPdfFileChooser chooser)
{
    std::swap(F->Chooser, chooser);
    return chooser;
}

void TQtPrintDevice::PageSize(int32_t& width, int32_t& height)
{
    F->ResetMetrics();
    width = F->Printer.width();
    height = F->Printer.height();
}

int32_t TQtPrintDevice::TextWidth(TPrintFont font, std::string_view text)
{
    if (F->Pdf)
        return int32_t(std::ceil(F->Advance(font, text)));
    return F->FontMetrics(font).horizontalAdvance(QString::fromUtf8(text.data(), qsizetype(text.size())));
}

int32_t TQtPrintDevice::TextHeight(TPrintFont font, const std::string& text)
{
    (void)text;  // every text of a font has the font's line height
    if (F->Pdf || PrintsToFile()) {
        if (const int height = F->Height(font))
            return height;
    }
    return F->FontMetrics(font).height();
}

bool TQtPrintDevice::BeginDoc(const std::string& title)
{
    AbortDoc();
    QPrinter& printer = F->Printer;
    F->File.clear();
    if (PrintsToFile()) {
        std::string suggested = printer.outputFileName().toStdString();
        if (suggested.empty())
            suggested = ProgramFolder() + "Export/" + FormatDateTime("yyyy-mm-dd", Date()) + ".pdf";
        QDir().mkpath(QFileInfo(QString::fromStdString(suggested)).absolutePath());
        std::string chosen;
        if (F->Chooser)
            chosen = F->Chooser(suggested);
        else
            chosen = QFileDialog::getSaveFileName(QApplication::activeWindow(),
                                                  QString::fromStdString(title),
                                                  QString::fromStdString(suggested), "PDF (*.pdf)")
                         .toStdString();
        if (chosen.empty())
            return false;
        F->File = QString::fromStdString(chosen);
        if (!F->File.endsWith(".pdf", Qt::CaseInsensitive))
            F->File += ".pdf";
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(F->File);
        const QPageLayout layout = printer.pageLayout();
        const QRectF paper = layout.fullRect(QPageLayout::Point);
        const QRectF paint = layout.paintRect(QPageLayout::Point);
        F->Scale = 72.0 / printer.resolution();
        F->Left = paint.left() - paper.left(), F->Top = paint.top() - paper.top();
        F->PaperWidth = paper.width(), F->PaperHeight = paper.height();
        auto pdf = std::make_unique<TPdfWriter>(F->File.toStdString(), title);
        for (int font : {pfPage, pfHeader, pfRow})
            F->PdfFonts[font] = pdf->AddFont(F->Fonts[font]);
        pdf->NewPage(F->PaperWidth, F->PaperHeight);
        F->Pdf = std::move(pdf);
        for (TPrintFont font : {pfPage, pfHeader, pfRow}) {
            F->Px[font] = F->PixelSize(font);
            F->AscentPx[font] = F->Ascent(font);
            F->HeightPx[font] = F->Height(font);
            F->EllipsisAdvance[font] = F->Advance(font, Ellipsis);
        }
        F->ResetMetrics();
        return true;
    }
    printer.setDocName(QString::fromStdString(title));
    printer.setCreator("Tarnovell");
    F->ResetMetrics();
    F->CurrentFont = -1;
    if (!F->Painter.begin(&printer))
        RaisePrinterInitError();
    return true;
}

void TQtPrintDevice::NewPage()
{
    if (F->Pdf)
        return F->Pdf->NewPage(F->PaperWidth, F->PaperHeight);
    if (!F->Printer.newPage())
        RaisePrinterInitError();
}

void TQtPrintDevice::EndDoc()
{
    if (F->Pdf) {
        const std::unique_ptr<TPdfWriter> pdf = std::move(F->Pdf);
        F->File.clear();
        pdf->Finish();
        FLastFile = pdf->Path();
        ShellOpen(FLastFile);
        return;
    }
    if (!F->Painter.isActive())
        return;
    if (!F->Painter.end())
        RaisePrinterInitError();
    if (!F->File.isEmpty()) {
        FLastFile = F->File.toStdString();
        F->File.clear();
        ShellOpen(FLastFile);
    }
}

void TQtPrintDevice::AbortDoc() noexcept
{
    if (F->Pdf) {
        F->Pdf->Abort();
        F->Pdf.reset();
        F->File.clear();
        return;
    }
    if (!F->Painter.isActive())
        return;
    F->Printer.abort();
    F->Painter.end();
    if (!F->File.isEmpty()) {
        QFile::remove(F->File);
        F->File.clear();
    }
}

void TQtPrintDevice::FillRect(int32_t left, int32_t top, int32_t right, int32_t bottom,
                              uint32_t rgb)
{
    if (F->Pdf)
        return F->Pdf->FillRect(F->Left + left * F->Scale, F->Top + top * F->Scale,
                                (right - left) * F->Scale, (bottom - top) * F->Scale, rgb);
    F->Painter.fillRect(QRect(left, top, right - left, bottom - top), QColor(QRgb(rgb)));
}

void TQtPrintDevice::DrawText(int32_t left, int32_t top, int32_t right, int32_t bottom,
                              std::string_view text, TPrintFont font, bool rightAligned)
{
    if (F->Pdf) {
        TPdfWriter& pdf = *F->Pdf;
        const int id = F->PdfFonts[font];
        const double px = F->Px[font], width = right - left;
        std::string elided;
        double advance = pdf.Advance(id, text) * px;
        if (advance > width) {
            // The longest start that leaves room for the ellipsis.
            const double room = width - F->EllipsisAdvance[font];
            if (room < 0)
                return;
            elided.assign(text.substr(0, pdf.FittingPrefix(id, text, room / px)));
            elided += Ellipsis;
            text = elided;
            advance = pdf.Advance(id, text) * px;
        }
        const double x = rightAligned ? right - advance : left;
        const int baseline = top + (bottom - top - F->HeightPx[font]) / 2 + F->AscentPx[font];
        pdf.Text(F->Left + x * F->Scale, F->Top + baseline * F->Scale, id, px * F->Scale, text);
        return;
    }
    if (F->CurrentFont != font) {
        F->Painter.setFont(F->Fonts[font]);
        F->CurrentFont = font;
    }
    const QFontMetrics& fm = F->FontMetrics(font);
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
    F->Painter.drawText(QPoint(x, baseline), s);
}

TQtPrintDevice& PrintDevice()
{
    static TQtPrintDevice device;
    return device;
}

namespace {
TPrintManager* ReplacedManager = nullptr;
}

TPrintManager& PrintManager()
{
    if (ReplacedManager)
        return *ReplacedManager;
    static TPrintManager manager(PrintDevice());
    return manager;
}

TPrintManager* SetPrintManager(TPrintManager* manager)
{
    std::swap(ReplacedManager, manager);
    return manager;
}

bool PrinterSetup(QWidget* parent)
{
    QPrintDialog dialog(&PrintDevice().Printer(), parent);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    PrintManager().ReadPrinterMetrics();
    return true;
}

} // namespace tv
