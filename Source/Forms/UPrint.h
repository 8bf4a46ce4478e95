#pragma once
// The print manager: one report at a time, a page header with the title and
// the date, one table with a bold caption row, alternately shaded data rows
// and a bold footer row, and "(page n of m)" at the foot of every page with
// the page count known before the first row. It draws on a TPrintDevice: the
// program's is the system printer, or a PDF file where there is none or the
// printer set-up chose file output, chosen as each report starts.

#include "UPrintLayout.h"

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

class QWidget;

namespace tv {

enum TPrintFont { pfPage, pfHeader, pfRow };

// What the print manager needs of a printer. Geometry is in device units
// with the origin at the top left of the printable area.
class TPrintDevice {
public:
    virtual ~TPrintDevice() = default;

    // The system lists at least one printer.
    virtual bool HasPrinters() const = 0;
    // Printable width and height of the current printer.
    virtual void PageSize(int32_t& width, int32_t& height) = 0;
    virtual int32_t TextWidth(TPrintFont font, std::string_view text) = 0;
    virtual int32_t TextHeight(TPrintFont font, const std::string& text) = 0;

    // Opens a job under the title; raises the printer initializing error
    // when it cannot be opened.
    virtual void BeginDoc(const std::string& title) = 0;
    virtual void NewPage() = 0;
    // Ends the job; the output is complete. Raises when it could not be
    // finished, with nothing of the job left behind.
    virtual void EndDoc() = 0;
    // Drops the job after a failure; never raises.
    virtual void AbortDoc() noexcept = 0;
    // Fills left..right x top..bottom with the colour 0xRRGGBB.
    virtual void FillRect(int32_t left, int32_t top, int32_t right, int32_t bottom,
                          uint32_t rgb) = 0;
    // One line of text in the rectangle, vertically centred, cut with an end
    // ellipsis when it is too wide.
    virtual void DrawText(int32_t left, int32_t top, int32_t right, int32_t bottom,
                          std::string_view text, TPrintFont font, bool rightAligned) = 0;
};

class TPrintManager {
public:
    // The device must outlive the manager; the metrics are read at once.
    explicit TPrintManager(TPrintDevice& device);
    virtual ~TPrintManager();
    TPrintManager(const TPrintManager&) = delete;
    TPrintManager& operator=(const TPrintManager&) = delete;

    // Opens a job and prints the page header of page 1. Raises the printer
    // initializing error when the job cannot be opened. A report still open
    // is aborted first.
    void BeginReport(const std::string& title);
    // The one table of the report: column captions, relative widths, right
    // alignment and footer texts per column, and the number of rows that
    // AddRow will bring. A footer wider than its column's share takes the
    // room from the widest other columns. Prints the page footer of page 1,
    // the caption row and, for no rows, the footer row. Raises the printer
    // initializing error when the page cannot hold the caption row, a row
    // and the footer.
    void AddTable(const std::vector<std::string>& captions, const std::vector<int32_t>& widths,
                  const std::vector<bool>& rightAligned, int32_t rowCount,
                  const std::vector<std::string>& footers);
    // One data row, after a new page when it does not fit; the last
    // announced row is followed by the footer row.
    void AddRow(std::span<const std::string_view> values);
    void AddRow(const std::vector<std::string>& values);
    // Closes the job.
    void EndReport();
    // Drops an open job (after an error); does nothing when none is open.
    void AbortReport() noexcept;
    bool Started() const { return FStarted; }

    bool HasPrinters() const { return FDevice->HasPrinters(); }
    // Prints on the device from now on and reads its metrics; a report
    // still open is aborted. The device must outlive the manager.
    void SetDevice(TPrintDevice& device);
    // How a report's device is chosen from what the system has when it
    // starts; without it the device stays the one set.
    void SetDeviceChoice(std::function<TPrintDevice&()> choose) { FChoose = std::move(choose); }
    // Before a report: the device chosen now takes the manager (SetDevice).
    void ChooseDevice();
    TPrintDevice& Device() const { return *FDevice; }
    // Page geometry and line heights of the current printer.
    void ReadPrinterMetrics();
    void ClearTable();

    int32_t PageCount() const { return FPageCount; }
    const std::vector<int32_t>& ColumnWidths() const { return FWidths; }
    int32_t Margin() const { return FMargin; }
    int32_t RightEdge() const { return FRightEdge; }
    TPageMetrics Metrics() const;

    static constexpr uint32_t ShadeColour = 0xF7F7F7;

protected:
    void PrintPageHeader();
    void PrintPageFooter();
    void PrintTableHeader();
    void PrintTableFooter();
    void PrintCells(std::span<const std::string_view> texts, int32_t lineHeight, TPrintFont font);
    void PrintCells(const std::vector<std::string>& texts, int32_t lineHeight, TPrintFont font);

private:
    TPrintDevice* FDevice;
    std::function<TPrintDevice&()> FChoose;
    std::string FTitle;
    int32_t FRightEdge = 0;
    int32_t FPageHeight = 0;
    int32_t FPageNumber = 0;
    int32_t FPageCount = 0;
    int32_t FY = 0;
    int32_t FMargin = 0;
    bool FStarted = false;
    bool FTableAdded = false;
    int32_t FRowsLeft = 0;
    bool FShade = false;
    std::vector<std::string> FCaptions;
    std::vector<int32_t> FWidths;
    std::vector<bool> FRightAligned;
    std::vector<std::string> FFooters;
    int32_t FPageLineHeight = 0;
    int32_t FHeaderLineHeight = 0;
    int32_t FRowLineHeight = 0;
    int32_t FCellGap[3] = {};  // a blank's width, per font
};

class TPrinterDevice;
class TPdfFileDevice;

// The program's two devices: the system printer with the printer set-up's
// choices, and the PDF file on the set-up's paper.
TPrinterDevice& PrinterDevice();
TPdfFileDevice& PdfFileDevice();

// The program's print manager: each report goes to the system's printer
// while it has one, to the PDF file where it has none or the set-up chose
// file output; or the one SetPrintManager put in its place (tests print on
// their own device).
TPrintManager& PrintManager();
// Returns the manager set before; null puts back the program's own.
TPrintManager* SetPrintManager(TPrintManager* manager);

// The printer set-up dialog: printer, paper and file output, taken with
// OK (it prints nothing, so its button does not say Print). After OK the
// program's print manager goes to the chosen device and reads its page
// metrics; the answer is whether OK was chosen.
bool PrinterSetup(QWidget* parent);

} // namespace tv
