#pragma once
// The program's exports, import and printed report: the goods to a CSV table
// and to a fixed-width text file, new goods from a CSV file, and the printed
// list of goods on hand with its totals.

#include "UInOut.h"
#include "UOrderedBlocks.h"

#include <functional>
#include <string>
#include <vector>

namespace tv {

class TUserFile;

// The separators of CSV files, read from the user's locale at the start of
// every CSV export and import.
extern TCsvSeparators CsvSeparators;
// The locale's decimal separator, and as list separator ";" where the
// decimal separator is "," and "," otherwise, so the two always differ.
void ReadLocaleSeparators();

// What a file dialog of an export or import is asked.
struct TFileRequest {
    bool Save = false;        // save dialog (asks before overwriting), else open dialog
    std::string Title;
    std::string Filter;       // "description|pattern"
    std::string DefaultExt;   // without the point
    std::string Folder;       // initial folder
    std::string FileName;     // initial name, save dialog only
};
// Answers the chosen file's path, or the empty text when cancelled.
using TFileChooser = std::function<std::string(const TFileRequest&)>;
// Replaces the dialogs and returns the chooser before; an empty chooser puts
// back the file dialogs.
TFileChooser SetFileChooser(TFileChooser chooser);

// An export into a text file the user names in the Export folder; the file
// is opened with the desktop's handler afterwards.
class TFileExport : public TExport {
public:
    TFileExport();
    // Asks for the file, writes the header line and every goods record,
    // closes it and opens it; an error is shown in a box and a partly
    // written file stays.
    void Execute() override;

protected:
    virtual std::string Filter() const = 0;
    virtual std::string Extension() const = 0;  // without the point
    virtual std::string HeaderLine() = 0;
    // Appends the row's line to out; reads nothing that changes during an
    // export, so several threads may call it at once.
    virtual void AppendRow(std::string& out, const TGoodsRowView& row) const = 0;

private:
    // Creates the file and writes the header and every goods record; raises
    // when it cannot be created, written or closed.
    void WriteFile(const std::string& path);
    // The lines of every goods record in the goods grid's order, made from
    // the record bytes in blocks of rows; a large book's blocks are made on
    // worker threads while the ones before are written, always in order.
    // Raises when a write fails or a worker raised; the workers are joined.
    void WriteGoodsRecords(TUserFile& file);

    // The blocks of rows being made and written.
    TOrderedBlocks FBlocks;
};

class TCsvExport : public TFileExport {
public:
    std::string GetCaption() const override;
    std::string GetHint() const override;

protected:
    std::string Filter() const override;
    std::string Extension() const override { return "csv"; }
    // Reads the locale's separators first.
    std::string HeaderLine() override;
    void AppendRow(std::string& out, const TGoodsRowView& row) const override;
};

class TTxtExport : public TFileExport {
public:
    std::string GetCaption() const override;
    std::string GetHint() const override;

protected:
    std::string Filter() const override;
    std::string Extension() const override { return "txt"; }
    std::string HeaderLine() override;
    void AppendRow(std::string& out, const TGoodsRowView& row) const override;
};

class TCsvImport : public TImport {
public:
    std::string GetCaption() const override;
    std::string GetHint() const override;
    // Asks for a file in Import and takes in every data line as new goods
    // with a first received movement (TCsvImportRun), each group written to
    // disk before the next. A file of more than MaxCsvImportBytes is refused
    // unread. A line no separator set makes acceptable is offered to skip or
    // to stop at; between groups the window is repainted and its hint shows
    // the lines stored so far, until the counts are shown at the end, also
    // after a failed write has stopped the import.
    void Execute() override;

private:
    // The line, cut when long, under the question; true for Continue.
    bool AskSkipBadLine(const std::string& line);
    // The counts; the aborted text when the user stopped, the exclamation
    // icon when the import stopped before the end.
    void ShowImportSummary(uint32_t received, uint32_t skipped, bool aborted, bool stopped);
    // The path, the error text and the system's reason when there is one.
    void ShowImportError(const std::string& path, const std::string& reason);
};

class TListReport : public TReport {
public:
    std::string GetCaption() const override;
    std::string GetHint() const override;
    // Prints every goods record in the goods grid's order with the totals.
    void Execute() override;
};

extern TCsvExport CsvExport;
extern TTxtExport TxtExport;
extern TCsvImport CsvImport;
extern TListReport ListReport;

// CsvExport, TxtExport, CsvImport and ListReport, in this order.
std::vector<TInOut*> RegisteredInOuts();

} // namespace tv
