#include "UEximRep.h"

#include "UCodePage.h"
#include "UCsvImportRun.h"
#include "UDateTime.h"
#include "UException.h"
#include "UFile.h"
#include "UFileEnv.h"
#include "UMessageBoxForm.h"
#include "UMessages.h"
#include "UParts.h"
#include "UPdfFileDevice.h"
#include "UPrint.h"
#include "UProgFolder.h"
#include "URecordView.h"
#include "UShell.h"
#include "UStatusPanels.h"
#include "UStoreData.h"
#include "UStoreMessages.h"
#include "UTextConst.h"
#include "UTextUtils.h"
#include "UUserFile.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLocale>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <iterator>
#include <thread>

namespace tv {

TCsvSeparators CsvSeparators;

TCsvExport CsvExport;
TTxtExport TxtExport;
TCsvImport CsvImport;
TListReport ListReport;

std::vector<TInOut*> RegisteredInOuts() { return {&CsvExport, &TxtExport, &CsvImport, &ListReport}; }

void ReadLocaleSeparators()
{
    const QString point = QLocale().decimalPoint();
    const char decimal = point.size() == 1 && point[0].unicode() < 0x80 ? char(point[0].unicode()) : '.';
    CsvSeparators = {decimal == ',' ? ';' : ',', decimal};
}

namespace {

TFileChooser FileChooser;

// The exports make their lines in blocks of this many rows; a book of at
// least ExportThreadBlocks blocks has them made on worker threads.
constexpr int32_t ExportBlockRows = 2048;
constexpr int32_t ExportThreadBlocks = 3;

// "description|pattern" as a file dialog filter; the description names its
// pattern already.
QString DialogFilter(const std::string& filter)
{
    return QString::fromStdString(filter.substr(0, filter.find('|')));
}

std::string ChooseFile(const TFileRequest& r)
{
    if (FileChooser)
        return FileChooser(r);
    QFileDialog dialog(QApplication::activeWindow(), QString::fromStdString(r.Title),
                       QString::fromStdString(r.Folder), DialogFilter(r.Filter));
    dialog.setAcceptMode(r.Save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(r.Save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog.setDefaultSuffix(QString::fromStdString(r.DefaultExt));
    if (r.Save)
        dialog.selectFile(QString::fromStdString(r.FileName));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().first().toStdString();
}

// ProgramFolder()/name, made when missing (one level); whether that worked
// is left to the dialog.
std::string MakeFolder(const std::string& name)
{
    const std::string folder = ProgramFolder() + name;
    QDir().mkdir(QString::fromStdString(folder));
    return folder;
}

// The path, shortened to the message box's text width, above the text.
void ShowFileError(const std::string& path, const std::string& text, const std::string& caption,
                   const std::string& hint)
{
    ShowOneButton(FitToMessageBox(path, TMessageFit::ShortPath) + "\r\n" + text, caption,
                  MB_ICONEXCLAMATION, hint);
}

std::string FileNameOf(const std::string& path)
{
    return QFileInfo(QString::fromStdString(path)).fileName().toStdString();
}

const auto& ExportTexts(const TInOut& item) { return CsvExportTexts[item.GetLanguage() % LanguageCount]; }
const auto& ImportTexts(const TInOut& item) { return CsvImportTexts[item.GetLanguage() % LanguageCount]; }
const auto& TxtTexts(const TInOut& item) { return TxtExportTexts[item.GetLanguage() % LanguageCount]; }
const auto& ReportTexts(const TInOut& item) { return ListReportTexts[item.GetLanguage() % LanguageCount]; }

// The goods records' texts read through a record view. The date texts are
// made by the field when this is made; ForEach then only reads the records'
// memory, so several threads may run it at once.
class TGoodsRecords {
public:
    explicit TGoodsRecords(const TTableStore& goods);
    TGoodsRecords(const TGoodsRecords&) = delete;
    TGoodsRecords& operator=(const TGoodsRecords&) = delete;
    int32_t Count() const { return FView.Count(); }
    // f(const TGoodsRowView&) for the records from, from + 1, ... before to;
    // the views hold until f returns, except the date's: it shows a text
    // kept here, the same one for every record of a run of one date text.
    template <class F>
    void ForEach(int32_t from, int32_t to, F&& f) const;

private:
    TRecordView FView;
    TRecordView::TColumn<TStringField> FCode;
    TRecordView::TColumn<TCompareStringField> FName;
    TRecordView::TColumn<TMoneyField> FCost, FWeight, FSum;
    TRecordView::TColumn<TIntegerField> FPCount;
    TRecordView::TColumn<TShowDateTimeField> FLastDate;
    // Runs of records of one date text: the first record and the text.
    struct TDay {
        int32_t From;
        std::string Text;
    };
    std::vector<TDay> FDays;
};

TGoodsRecords::TGoodsRecords(const TTableStore& goods)
    : FView(goods), FCode(FView.Column(goods.Code)), FName(FView.Column(goods.Name)),
      FCost(FView.Column(goods.Cost)), FWeight(FView.Column(goods.Weight)), FSum(FView.Column(goods.Sum)),
      FPCount(FView.Column(goods.PCount)), FLastDate(FView.Column(goods.LastDate))
{
    // The goods come in date order as a rule: a day's text is made once.
    double day = -1;
    for (int32_t i = 0; i < Count(); ++i) {
        const double value = FLastDate(i);
        if (std::trunc(value) == day && value != 0.0)
            continue;
        day = value == 0.0 ? -1 : std::trunc(value);
        std::string text = FLastDate.Text(i);
        if (FDays.empty() || FDays.back().Text != text)
            FDays.push_back({i, std::move(text)});
    }
}

template <class F>
void TGoodsRecords::ForEach(int32_t from, int32_t to, F&& f) const
{
    auto text = [](std::string& out, std::string_view cp1251) {
        out.clear();
        AppendCp1251AsOneLine(out, cp1251);
    };
    auto money = [](char* out, uint32_t value) {
        return std::string_view(out, TMoneyField::MoneyToChars(value, out));
    };
    std::string codeText, nameText;
    char price[TMoneyField::MoneyTextMax], quantity[TMoneyField::MoneyTextMax],
        value[TMoneyField::MoneyTextMax], packages[12];
    auto day = std::upper_bound(FDays.begin(), FDays.end(), from,
                                [](int32_t i, const TDay& d) { return i < d.From; });
    for (int32_t i = from; i < to; ++i) {
        while (day != FDays.end() && day->From <= i)
            ++day;
        TGoodsRowView row;
        text(codeText, FCode(i));
        text(nameText, FName(i));
        row.Code = codeText;
        row.Name = nameText;
        row.Price = money(price, FCost(i));
        row.Date = std::prev(day)->Text;
        row.Quantity = money(quantity, FWeight(i));
        row.Packages = std::string_view(packages, size_t(std::to_chars(packages, packages + sizeof packages,
                                                                         FPCount(i)).ptr - packages));
        row.Value = money(value, FSum(i));
        f(static_cast<const TGoodsRowView&>(row));
    }
}

} // namespace

TFileChooser SetFileChooser(TFileChooser chooser)
{
    std::swap(FileChooser, chooser);
    return chooser;
}

// --- File exports ------------------------------------------------------------

TFileExport::TFileExport() : FBlocks(size_t(ExportBlockRows) * 128) {}

void TFileExport::Execute()
{
    const auto& texts = ExportTexts(*this);
    TFileRequest request;
    request.Save = true;
    request.Title = texts[ceTitle];
    request.Filter = Filter();
    request.DefaultExt = Extension();
    request.Folder = MakeFolder("Export");
    request.FileName = FormatDateTime("yyyy-mm-dd", Date());
    std::string path = ChooseFile(request);
    if (path.empty())
        return;
    const std::string ext = "." + Extension();
    if (QFileInfo(QString::fromStdString(path)).suffix().toLower().toStdString() != Extension())
        path += ext;
    try {
        WriteFile(path);
    } catch (const std::exception& e) {
        // The path stands above already: of a file's failure only the reason.
        const auto* file = dynamic_cast<const EFileError*>(&e);
        const std::string reason = file ? file->Reason() : std::string();
        ShowFileError(path, texts[ceError] + (reason.empty() ? "" : "\r\n" + reason), texts[ceTitle],
                      texts[ceErrorHint]);
        return;
    }
    ShellOpen(path);
}

void TFileExport::WriteFile(const std::string& path)
{
    TUserFile file(path);
    file.Check();
    file.Write(HeaderLine());
    file.Check();
    WriteGoodsRecords(file);
    file.Close();
    file.Check();
}

void TFileExport::WriteGoodsRecords(TUserFile& file)
{
    const TGoodsRecords records(Store.Goods());
    const int32_t count = records.Count();
    const int32_t blocks = (count + ExportBlockRows - 1) / ExportBlockRows;
    const unsigned workers =
        blocks >= ExportThreadBlocks ? PartThreads() : 0;
    FBlocks.Run(
        blocks, workers,
        [&](int32_t block, std::string& out) {
            out.clear();
            const int32_t from = block * ExportBlockRows;
            records.ForEach(from, std::min(count, from + ExportBlockRows),
                            [&](const TGoodsRowView& row) { AppendRow(out, row); });
        },
        [&](const std::string& text) {
            if (!file.Write(text))
                file.Check();
        });
}

std::string TCsvExport::GetCaption() const { return ExportTexts(*this)[ceCaption]; }
std::string TCsvExport::GetHint() const { return ExportTexts(*this)[ceHint]; }
std::string TCsvExport::Filter() const { return ExportTexts(*this)[ceFilter]; }

std::string TCsvExport::HeaderLine()
{
    ReadLocaleSeparators();
    return CsvHeaderLine(GetLanguage(), CsvSeparators.List) + "\r\n";
}

void TCsvExport::AppendRow(std::string& out, const TGoodsRowView& row) const
{
    AppendCsvRow(out, row, CsvSeparators);
}

std::string TTxtExport::GetCaption() const { return TxtTexts(*this)[teCaption]; }
std::string TTxtExport::GetHint() const { return TxtTexts(*this)[teHint]; }
std::string TTxtExport::Filter() const { return TxtTexts(*this)[teFilter]; }
std::string TTxtExport::HeaderLine() { return TxtHeaderLine(GetLanguage()); }
void TTxtExport::AppendRow(std::string& out, const TGoodsRowView& row) const { AppendTxtRow(out, row); }

// --- Import ------------------------------------------------------------------

std::string TCsvImport::GetCaption() const { return ImportTexts(*this)[ciCaption]; }
std::string TCsvImport::GetHint() const { return ImportTexts(*this)[ciHint]; }

namespace {

// A bad line shows at most this many characters in the question.
constexpr size_t ShownLineChars = 300;

std::string ReasonOf(const std::exception_ptr& failure)
{
    try {
        std::rethrow_exception(failure);
    } catch (const std::exception& e) {
        return FailureReason(e);
    } catch (...) {
        return {};
    }
}

// Clears the import's progress in the window's hint however the import ends.
struct TProgressHint {
    TProgressHint() = default;
    TProgressHint(const TProgressHint&) = delete;
    TProgressHint& operator=(const TProgressHint&) = delete;
    ~TProgressHint() { ShowWorkHint({}); }
};

} // namespace

void TCsvImport::Execute()
{
    const auto& texts = ImportTexts(*this);
    TFileRequest request;
    request.Title = texts[ciTitle];
    request.Filter = texts[ciFilter];
    request.DefaultExt = "csv";
    request.Folder = MakeFolder("Import");
    const std::string path = ChooseFile(request);
    TFileEnv& env = Store.Env();
    if (path.empty() || !env.FileExists(path))
        return;
    ReadLocaleSeparators();
    std::string bytes;
    if (const int error = ReadCsvImportFile(env, path, bytes)) {
        ShowImportError(path, error == CsvFileTooLarge ? texts[ciTooLarge] : std::strerror(error));
        return;
    }
    const TProgressHint hint;
    TCsvImportRun run(
        Store, CsvSeparators, texts[ciNotePrefix] + FileNameOf(path),
        [this](const std::string& line) { return AskSkipBadLine(line); },
        [](uint32_t received) {
            // The window is repainted between groups, with the lines stored.
            ShowWorkHint(TextTable[SlotImportStored] + std::to_string(received));
            QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        });
    const TCsvImportRun::TSummary summary = run.Run(std::move(bytes));
    if (summary.Failure) {
        // The lines before the failure are stored: the counts say where it
        // stopped.
        ShowImportError(path, ReasonOf(summary.Failure));
        ShowImportSummary(summary.Received, summary.Skipped, false, true);
        return;
    }
    ShowImportSummary(summary.Received, summary.Skipped, summary.Aborted, summary.Aborted);
}

void TCsvImport::ShowImportError(const std::string& path, const std::string& reason)
{
    const auto& texts = ImportTexts(*this);
    ShowFileError(path, std::string(texts[ciError]) + (reason.empty() ? "" : "\r\n" + reason),
                  texts[ciTitle], texts[ciOkHint]);
}

bool TCsvImport::AskSkipBadLine(const std::string& line)
{
    const auto& texts = ImportTexts(*this);
    const std::string shown = FitToMessageBox(ShownLine(line, ShownLineChars), TMessageFit::CharLines);
    return ShowMessageBox(texts[ciBadLine] + ("\r\n" + shown), texts[ciTitle],
                          MB_TWOBUTTONS | MB_ICONEXCLAMATION, texts[ciContinue],
                          texts[ciContinueHint], texts[ciStop], texts[ciStopHint]) == 1;
}

void TCsvImport::ShowImportSummary(uint32_t received, uint32_t skipped, bool aborted, bool stopped)
{
    const auto& texts = ImportTexts(*this);
    ShowWorkHint({});
    std::string text;
    if (aborted)
        text = std::string(texts[ciAborted]) + "\r\n";
    text += texts[ciReceived] + std::to_string(received);
    if (skipped > 0)
        text += "\r\n" + std::string(texts[ciSkipped]) + std::to_string(skipped);
    ShowOneButton(text, texts[ciTitle], stopped ? MB_ICONEXCLAMATION : MB_ICONINFORMATION,
                  texts[ciOkHint]);
}

// --- Printed list --------------------------------------------------------------

std::string TListReport::GetCaption() const { return ReportTexts(*this)[lrCaption]; }
std::string TListReport::GetHint() const { return ReportTexts(*this)[lrHint]; }

void TListReport::Execute()
{
    const auto& texts = ReportTexts(*this);
    TPrintManager& pm = PrintManager();
    pm.ChooseDevice();
    auto* const pdf = dynamic_cast<TPdfFileDevice*>(&pm.Device());
    std::string path;
    if (pdf) {
        TFileRequest request;
        request.Save = true;
        request.Title = texts[lrTitle];
        request.Filter = "PDF (*.pdf)|*.pdf";
        request.DefaultExt = "pdf";
        request.Folder = MakeFolder("Export");
        request.FileName = FormatDateTime("yyyy-mm-dd", Date());
        path = ChooseFile(request);
        if (path.empty())
            return;
        // A new name gets the extension; an existing file is written as chosen.
        const QFileInfo chosen(QString::fromStdString(path));
        if (!chosen.exists() && chosen.suffix().toLower() != "pdf")
            path += ".pdf";
        pdf->SetFile(path);
    }
    pm.BeginReport(texts[lrTitle]);
    try {
        std::string packages, quantity, value, count;
        GetTotals(packages, quantity, value, count);
        pm.AddTable(ColumnCaptions(GetLanguage()), {4, 16, 5, 5, 5, 3, 6},
                    {false, false, true, true, true, true, true}, GoodsCount(),
                    {"", texts[lrNamesTotal] + count, "", "", quantity, packages, value});
        // The rows come straight from the record bytes like the exports';
        // the printed date, made once per date text, drops the century.
        const TGoodsRecords records(Store.Goods());
        const char* dateOf = nullptr;
        std::string date;
        records.ForEach(0, records.Count(), [&](const TGoodsRowView& row) {
            if (row.Date.data() != dateOf) {
                dateOf = row.Date.data();
                date = FitTo10(row.Date);
                date.erase(6, 2);
            }
            const std::string_view cells[] = {row.Code,     row.Name,     row.Price, date,
                                              row.Quantity, row.Packages, row.Value};
            pm.AddRow(cells);
        });
        pm.EndReport();
    } catch (...) {
        pm.AbortReport();
        throw;
    }
    if (pdf)
        ShellOpen(path);
}

} // namespace tv
