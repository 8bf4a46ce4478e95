#include "UEximRep.h"

#include "UCodePage.h"
#include "UDateTime.h"
#include "UException.h"
#include "UFields.h"
#include "UMessageBoxForm.h"
#include "UMessages.h"
#include "UPrint.h"
#include "UProgFolder.h"
#include "UShell.h"
#include "UShortenPath.h"
#include "UStoreData.h"
#include "UTextUtils.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QLocale>

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <fstream>
#include <sstream>

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

// The exports write their text in blocks of this size.
constexpr size_t WriteBlock = size_t(1) << 18;

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
    std::string shown = path;
    if (FormMessageBox)
        shown = ShortenPath(path, FormMessageBox->LbQuery->font(), FormMessageBox->LbQuery->width());
    ShowMessageBox(shown + "\r\n" + text, caption, MB_ONEBUTTON | MB_ICONEXCLAMATION, "OK", hint);
}

std::string FileNameOf(const std::string& path)
{
    return QFileInfo(QString::fromStdString(path)).fileName().toStdString();
}

const auto& ExportTexts(const TInOut& item) { return CsvExportTexts[item.GetLanguage() % LanguageCount]; }
const auto& ImportTexts(const TInOut& item) { return CsvImportTexts[item.GetLanguage() % LanguageCount]; }
const auto& TxtTexts(const TInOut& item) { return TxtExportTexts[item.GetLanguage() % LanguageCount]; }
const auto& ReportTexts(const TInOut& item) { return ListReportTexts[item.GetLanguage() % LanguageCount]; }

class EFileWrite : public Exception {
public:
    explicit EFileWrite(const std::string& path) : Exception("Cannot write " + path, "EInOutError") {}
};

} // namespace

TFileChooser SetFileChooser(TFileChooser chooser)
{
    std::swap(FileChooser, chooser);
    return chooser;
}

// --- File exports ------------------------------------------------------------

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
    } catch (const std::exception&) {
        ShowFileError(path, texts[ceError], texts[ceTitle], texts[ceErrorHint]);
        return;
    }
    ShellOpen(path);
}

void TFileExport::WriteFile(const std::string& path)
{
    struct TClose {
        void operator()(std::FILE* f) const { std::fclose(f); }
    };
    std::unique_ptr<std::FILE, TClose> file(std::fopen(path.c_str(), "wb"));
    if (!file)
        throw EFileWrite(path);
    FFile = file.get();
    FBuffer.clear();
    FBuffer.reserve(WriteBlock + 4096);
    FBuffer += HeaderLine();
    try {
        WriteGoodsRecords();
    } catch (...) {
        FFile = nullptr;
        FBuffer.clear();
        throw;
    }
    FFile = nullptr;
    const bool written = std::fwrite(FBuffer.data(), 1, FBuffer.size(), file.get()) == FBuffer.size();
    FBuffer.clear();
    if (!written || std::fclose(file.release()) != 0)
        throw EFileWrite(path);
}

void TFileExport::WriteGoodsRecords()
{
    TTableStore& g = Store.Goods();
    const TFields& fields = *g.Fields();
    auto offset = [&](const TField& field) {
        for (int32_t i = 0; i < fields.Count(); ++i)
            if (fields.Items(i) == &field)
                return size_t(fields.Offsets(i) - fields.Offsets(0));
        throw Exception("The goods table has no field " + field.GetName());
    };
    const size_t code = offset(g.Code), name = offset(g.Name), cost = offset(g.Cost),
                 weight = offset(g.Weight), pcount = offset(g.PCount), sum = offset(g.Sum),
                 lastDate = offset(g.LastDate);
    auto text = [](std::string& out, const uint8_t* data, int32_t width) {
        const char* p = reinterpret_cast<const char*>(data);
        out.clear();
        AppendCp1251AsUtf8(out, std::string_view(p, strnlen(p, size_t(width))));
    };
    auto money = [](char* out, const uint8_t* data) {
        uint32_t value;
        std::memcpy(&value, data, sizeof value);
        return std::string_view(out, TMoneyField::MoneyToChars(value, out));
    };
    std::string codeText, nameText, dateText;
    char price[TMoneyField::MoneyTextMax], quantity[TMoneyField::MoneyTextMax],
        value[TMoneyField::MoneyTextMax], packages[12];
    // The goods come in date order as a rule: a day's text is made once.
    double day = -1;
    const int32_t count = g.RecordCount();
    for (int32_t i = 0; i < count; ++i) {
        const uint8_t* record = g.GetElemData(i, 0);
        double date;
        std::memcpy(&date, record + lastDate, sizeof date);
        if (std::trunc(date) != day || date == 0.0) {
            day = date == 0.0 ? -1 : std::trunc(date);
            dateText = g.LastDate.DataToText(record + lastDate);
        }
        int32_t pieces;
        std::memcpy(&pieces, record + pcount, sizeof pieces);
        TGoodsRowView row;
        text(codeText, record + code, g.Code.GetWidth());
        text(nameText, record + name, g.Name.GetWidth());
        row.Code = codeText;
        row.Name = nameText;
        row.Price = money(price, record + cost);
        row.Date = dateText;
        row.Quantity = money(quantity, record + weight);
        row.Packages = std::string_view(packages, size_t(std::to_chars(packages, packages + sizeof packages,
                                                                         pieces).ptr - packages));
        row.Value = money(value, record + sum);
        AppendRow(row);
        WriteFull();
    }
}

void TFileExport::WriteFull()
{
    if (FBuffer.size() < WriteBlock)
        return;
    if (!FFile || std::fwrite(FBuffer.data(), 1, FBuffer.size(), FFile) != FBuffer.size())
        throw EFileWrite("the export file");
    FBuffer.clear();
}

std::string TCsvExport::GetCaption() const { return ExportTexts(*this)[ceCaption]; }
std::string TCsvExport::GetHint() const { return ExportTexts(*this)[ceHint]; }
std::string TCsvExport::Filter() const { return ExportTexts(*this)[ceFilter]; }

std::string TCsvExport::HeaderLine()
{
    ReadLocaleSeparators();
    return CsvHeaderLine(GetLanguage(), CsvSeparators.List) + "\r\n";
}

void TCsvExport::WriteRow(const TGoodsRow& row)
{
    AppendRow(row);
    WriteFull();
}

void TCsvExport::AppendRow(const TGoodsRowView& row) { AppendCsvRow(FBuffer, row, CsvSeparators); }

std::string TTxtExport::GetCaption() const { return TxtTexts(*this)[teCaption]; }
std::string TTxtExport::GetHint() const { return TxtTexts(*this)[teHint]; }
std::string TTxtExport::Filter() const { return TxtTexts(*this)[teFilter]; }
std::string TTxtExport::HeaderLine() { return TxtHeaderLine(GetLanguage()); }
void TTxtExport::WriteRow(const TGoodsRow& row)
{
    AppendRow(row);
    WriteFull();
}

void TTxtExport::AppendRow(const TGoodsRowView& row) { AppendTxtRow(FBuffer, row); }

// --- Import ------------------------------------------------------------------

std::string TCsvImport::GetCaption() const { return ImportTexts(*this)[ciCaption]; }
std::string TCsvImport::GetHint() const { return ImportTexts(*this)[ciHint]; }

bool TCsvImport::ParseLine(const std::string& line, TCsvSeparators separators, TCsvGoods& goods)
{
    return ParseCsvLine(line, separators, goods);
}

void TCsvImport::Execute()
{
    const auto& texts = ImportTexts(*this);
    TFileRequest request;
    request.Title = texts[ciTitle];
    request.Filter = texts[ciFilter];
    request.DefaultExt = "csv";
    request.Folder = MakeFolder("Import");
    const std::string path = ChooseFile(request);
    if (path.empty() || !QFileInfo::exists(QString::fromStdString(path)))
        return;
    try {
        ReadLocaleSeparators();
        uint32_t received = 0, skipped = 0;
        bool aborted = false;
        const std::string note = texts[ciNotePrefix] + FileNameOf(path);
        std::ifstream in(path, std::ios::binary);
        std::ostringstream bytes;
        bytes << in.rdbuf();
        if (!in.good() && !in.eof())
            throw Exception("Cannot read " + path, "EInOutError");
        const TCsvSeparators tries[] = {CsvSeparators, LanguageSeparators(0), LanguageSeparators(1),
                                        LanguageSeparators(2)};
        for (const std::string& line : DecodeTextLines(bytes.str())) {
            if (IsAnyCsvHeader(TrimText(line), CsvSeparators.List))
                continue;
            bool accepted = false;
            for (const TCsvSeparators& sep : tries) {
                TCsvGoods g;
                if (ParseLine(line, sep, g) &&
                    InsertGoods(g.Code, g.Name, g.Price, g.Quantity, g.Packages, note)) {
                    accepted = true;
                    break;
                }
            }
            if (accepted) {
                ++received;
            } else if (AskSkipBadLine(line)) {
                ++skipped;
            } else {
                aborted = true;
                break;
            }
        }
        ShowImportSummary(received, skipped, aborted);
    } catch (const std::exception& e) {
        ShowFileError(path, std::string(texts[ciError]) + "\r\n" + e.what(), texts[ciTitle],
                      texts[ciOkHint]);
    }
}

bool TCsvImport::AskSkipBadLine(const std::string& line)
{
    const auto& texts = ImportTexts(*this);
    std::string wrapped;
    if (FormMessageBox) {
        const QFontMetrics fm(FormMessageBox->LbQuery->font());
        const int limit = FormMessageBox->LbQuery->width();
        QString piece;
        for (const QChar c : QString::fromStdString(line)) {
            if (piece.isEmpty() || fm.horizontalAdvance(piece + c) < limit) {
                piece += c;
                continue;
            }
            wrapped += "\r\n" + piece.toStdString();
            piece = c;
        }
        wrapped += "\r\n" + piece.toStdString();
    } else {
        wrapped = "\r\n" + line;
    }
    return ShowMessageBox(texts[ciBadLine] + wrapped, texts[ciTitle],
                          MB_TWOBUTTONS | MB_ICONEXCLAMATION, texts[ciContinue],
                          texts[ciContinueHint], texts[ciStop], texts[ciStopHint]) == 1;
}

void TCsvImport::ShowImportSummary(uint32_t received, uint32_t skipped, bool aborted)
{
    const auto& texts = ImportTexts(*this);
    std::string text;
    if (aborted)
        text = std::string(texts[ciAborted]) + "\r\n";
    text += texts[ciReceived] + std::to_string(received);
    if (skipped > 0)
        text += "\r\n" + std::string(texts[ciSkipped]) + std::to_string(skipped);
    ShowMessageBox(text, texts[ciTitle],
                   MB_ONEBUTTON | (aborted ? MB_ICONEXCLAMATION : MB_ICONINFORMATION), "OK",
                   texts[ciOkHint]);
}

// --- Printed list --------------------------------------------------------------

std::string TListReport::GetCaption() const { return ReportTexts(*this)[lrCaption]; }
std::string TListReport::GetHint() const { return ReportTexts(*this)[lrHint]; }

void TListReport::Execute()
{
    const auto& texts = ReportTexts(*this);
    TPrintManager& pm = PrintManager();
    if (!pm.BeginReport(texts[lrTitle]))
        return;
    try {
        std::string packages, quantity, value, count;
        GetTotals(packages, quantity, value, count);
        pm.AddTable(ColumnCaptions(GetLanguage()), {4, 16, 5, 5, 5, 3, 6},
                    {false, false, true, true, true, true, true}, GoodsCount(),
                    {"", texts[lrNamesTotal] + count, "", "", quantity, packages, value});
        WriteAllGoods();
        pm.EndReport();
    } catch (...) {
        pm.AbortReport();
        throw;
    }
}

void TListReport::WriteRow(const TGoodsRow& row)
{
    std::string date = FitTo10(row.Date);
    date.erase(6, 2);
    PrintManager().AddRow({row.Code, row.Name, row.Price, date, row.Quantity, row.Packages, row.Value});
}

} // namespace tv
