#include "UEximText.h"

#include "UCodePage.h"
#include "UTextUtils.h"

#include <algorithm>
#include <cstring>
#include <iterator>

namespace tv {

const std::array<std::array<const char*, ceCount>, LanguageCount> CsvExportTexts = {{
    {"В файл .csv", "Экспорт остатков в файл .csv (Exel)", "Ошибка при выполнении экспорта",
     "Код", "Наименование", "Цена", "Дата", "К-во", "Упк", "Стоимость",
     "Файл таблицы (*.csv)|*.csv", "Экспорт остатков на складе",
     "Закрыть окно с сообщением об ошибке", ";", ","},
    {"До файлу .csv", "Експорт залишків до файлу .csv (Exel)", "Помилка під час виконання експорту",
     "Код", "Найменування", "Ціна", "Дата", "К-ть", "Упк", "Вартість",
     "Файл таблиці (*.csv)|*.csv", "Експорт залишків на складі",
     "Закрити вікно з повідомленням про помилку", ";", ","},
    {"To .csv file ", "Export rests to .csv file (Excel)", "Error while executing export",
     "Code", "Name", "Price", "Date", "Qnt", "Pks", "Cost",
     "Table file (*.csv)|*.csv", "Export rests on warehouse", "Close error message window", ",", "."},
}};

const std::array<std::array<const char*, teCount>, LanguageCount> TxtExportTexts = {{
    {"В файл .txt", "Экспорт остатков в файл .txt (Блокнот)", "Текстовый файл (*.txt)|*.txt"},
    {"До файлу .txt", "Експорт залишків до файлу .txt (Блокнот)", "Текстовий файл (*.txt)|*.txt"},
    {"To .txt file", "Export rests to .txt file (Notepad)", "Text file (*.txt)|*.txt"},
}};

const std::array<std::array<const char*, ciCount>, LanguageCount> CsvImportTexts = {{
    {"Из файла .csv", "Прием на склад новых товаров из файла .csv", "Ошибка при выполнении импорта!",
     "Файл таблицы (*.csv)|*.csv", "Импорт данных по складу", "Импорт из файла ",
     "Принято на склад новых товаров: ", "Пропущено строк в файле импорта: ",
     "Закрыть окно с сообщением", "Невозможно импортировать строку:", "Продолжить",
     "Пропустить строку и продолжить импорт данных", "Остановить",
     "Остановить выполнение импорта данных", "Импорт данных был прерван пользователем!",
     "Импорт не выполнен: на склад ничего не принято.",
     "Файл больше 256 МБ и не может быть списком товаров: на склад ничего не принято."},
    {"З файлу .csv", "Прийом нових товарів на склад з файлу .csv", "Помилка під час виконання імпорту!",
     "Файл таблиці (*.csv)|*.csv", "Імпорт даних по складу", "Імпорт з файлу ",
     "Прийнято на склад нових товарів: ", "Пропущено рядків у файлі імпорту: ",
     "Закрити вікно з повідомленням", "Неможливо імпортувати рядок:", "Продовжити",
     "Пропустити рядок і продовжити імпорт даних", "Зупинити",
     "Зупинити виконання імпорту даних", "Імпорт даних був перерваний користувачем!",
     "Імпорт не виконано: на склад нічого не прийнято.",
     "Файл більший за 256 МБ і не може бути списком товарів: на склад нічого не прийнято."},
    {"From .csv file", "Recieve new products to warehouse from .csv file",
     "Error while executing import!", "Table file (*.csv)|*.csv", "Import warehouse data",
     "Import from file ", "New products recieved to warehouse: ",
     "Data strings missed in import file: ", "Close the message window",
     "Can't import data string:", "Continue", "Pass the data string and continue data import",
     "Stop", "Stop data import execution", "Data import has been interrupted by user!",
     "The import was not run: nothing was received to warehouse.",
     "The file is larger than 256 MB and cannot be a goods list: nothing was received to warehouse."},
}};

const std::array<std::array<const char*, lrCount>, LanguageCount> ListReportTexts = {{
    {"Список остатков", "Печать списка с остатками товара на складе", "Остатки товара на складе",
     "Всего наименований: "},
    {"Список залишків", "Друк списку із залишками товару на складі", "Залишки товару на складі",
     "Всього найменувань: "},
    {"Rests list", "Print a list of product rests in warehouse", "Product rest in warehouse",
     "Names total: "},
}};

namespace {

size_t LanguageIndex(int language)
{
    return language >= 0 && language < LanguageCount ? size_t(language) : 0;
}

// Writes one line into out through a pointer after making room for the
// most it can take; at its end out is cut to what was written.
class TLineWriter {
public:
    TLineWriter(std::string& out, size_t room) : FOut(out)
    {
        const size_t start = out.size();
        out.resize(start + room);
        FP = FStart = out.data() + start;
    }
    ~TLineWriter() { FOut.resize(size_t(FP - FOut.data())); }
    TLineWriter(const TLineWriter&) = delete;
    TLineWriter& operator=(const TLineWriter&) = delete;

    void Put(char c) { *FP++ = c; }
    void Put(std::string_view text)
    {
        if (!text.empty())
            std::memcpy(FP, text.data(), text.size());
        FP += text.size();
    }
    void Repeat(char c, size_t n)
    {
        std::memset(FP, c, n);
        FP += n;
    }
    // True when the line is empty so far or ends in a blank.
    bool AfterBlank() const { return FP == FStart || FP[-1] == ' '; }

private:
    std::string& FOut;
    char* FStart;
    char* FP;
};

// The text padded with blanks to width characters, on the left when right
// is set; with cut, a longer text keeps its first width characters. Takes
// at most text.size() + width + 1 bytes.
void PutColumn(TLineWriter& w, std::string_view text, size_t width, bool right, bool cut = true)
{
    const size_t len = Utf8Length(text);
    // A column that would begin right after the text of the one before
    // starts with a blank instead.
    if ((len >= width || !right) && !text.empty() && text[0] != ' ' && !w.AfterBlank())
        w.Put(' ');
    if (len >= width) {
        w.Put(cut && len > width ? text.substr(0, Utf8Left(text, width).size()) : text);
        return;
    }
    if (!right)
        w.Put(text);
    w.Repeat(' ', width - len);
    if (right)
        w.Put(text);
}

// The columns of a text line, in field order.
struct TTxtColumn {
    size_t Gap;    // blanks before the column
    size_t Width;  // characters
    bool Right;    // aligned to the right
    bool Cut;      // a longer text keeps its first Width characters
};
constexpr TTxtColumn TxtColumns[] = {
    {0, 8, false, true},   // code
    {1, 40, false, true},  // name, a blank after any code
    {0, 13, true, true},   // price
    {4, 10, true, true},   // date
    {0, 13, true, true},   // quantity
    {0, 8, true, false},   // packages
    {0, 13, true, true},   // value
};
// The room a line takes besides its texts: the columns' widths and gaps, a
// blank before each column and CR LF.
constexpr size_t TxtLineRoom = 128;

constexpr size_t TxtLineFrame()
{
    size_t room = 2;
    for (const TTxtColumn& c : TxtColumns)
        room += c.Gap + c.Width + 1;
    return room;
}
static_assert(TxtLineFrame() <= TxtLineRoom);

void AppendTxtLine(std::string& out, const std::string_view* t)
{
    size_t room = TxtLineRoom;
    for (size_t i = 0; i < std::size(TxtColumns); ++i)
        room += t[i].size();
    TLineWriter w(out, room);
    for (size_t i = 0; i < std::size(TxtColumns); ++i) {
        const TTxtColumn& c = TxtColumns[i];
        w.Repeat(' ', c.Gap);
        PutColumn(w, t[i], c.Width, c.Right, c.Cut);
    }
    w.Put("\r\n");
}

// A spreadsheet takes a cell beginning with one of these as a formula.
bool LooksLikeFormula(std::string_view text)
{
    return !text.empty() && std::string_view("=+-@\t\r").find(text[0]) != std::string::npos;
}

// A field holding the separator or a line break goes in quotes, as does one
// holding a quote.
bool SplitsCsvField(char c, char separator)
{
    return c == separator || c == '\r' || c == '\n';
}

bool IsQuotedText(std::string_view text, size_t from)
{
    return text.size() >= from + 2 && text[from] == '"' && text.back() == '"';
}

// The quoted text starting at from: doubled quotes single, up to the
// closing quote.
std::string Unquote(std::string_view text, size_t from)
{
    std::string out;
    for (size_t i = from + 1; i < text.size(); ++i) {
        if (text[i] == '"') {
            if (i + 1 < text.size() && text[i + 1] == '"') {
                out += '"';
                ++i;
                continue;
            }
            break;
        }
        out += text[i];
    }
    return out;
}

// CsvUnquote without a copy of a bare text: a quoted one is unquoted into
// buffer.
std::string_view UnquotedView(std::string_view text, std::string& buffer)
{
    if (!IsQuotedText(text, 0))
        return text;
    buffer = Unquote(text, 0);
    return buffer;
}

// ExcelTextValue's test: an equals sign and a quoted text.
bool IsTextCell(std::string_view text)
{
    return !text.empty() && text[0] == '=' && IsQuotedText(text, 1);
}

bool AllDigits(std::string_view text)
{
    return std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// CsvToMoney into out.
void PutCsvMoneyText(std::string& out, std::string_view text, char decimal)
{
    const std::string_view t = TrimView(text);
    if (t.empty()) {
        out = "0.00";
        return;
    }
    out.assign(t);
    for (char& c : out)
        if (c == decimal)
            c = '.';
    size_t point = out.find('.');
    if (point == std::string::npos) {
        point = out.size();
        out += '.';
    }
    while (out.size() - point - 1 < 2)
        out += '0';
}

} // namespace

TCsvSeparators LanguageSeparators(int language)
{
    const auto& t = CsvExportTexts[LanguageIndex(language)];
    return {t[ceListSeparator][0], t[ceDecimalSeparator][0]};
}

namespace {

// The texts of the columns, in their order.
constexpr int CaptionSlots[] = {ceCode, ceName, cePrice, ceDate, ceQnt, cePks, ceCost};

} // namespace

std::vector<std::string> ColumnCaptions(int language)
{
    const auto& t = CsvExportTexts[LanguageIndex(language)];
    std::vector<std::string> captions;
    for (const int slot : CaptionSlots)
        captions.emplace_back(t[slot]);
    return captions;
}

std::string CsvHeaderLine(int language, char separator)
{
    std::string line;
    for (const std::string& caption : ColumnCaptions(language))
        line += caption + separator;
    return line;
}

std::string FitTo10(std::string_view text)
{
    std::string out;
    TLineWriter w(out, text.size() + 10);
    PutColumn(w, text, 10, false);
    return out;
}

namespace {

// The text as a CSV field: as it is, or wrapped as a text cell, then in
// double quotes when the text holds what needs them. Takes at most
// 4 * text.size() + 8 bytes.
void PutCsvField(TLineWriter& w, std::string_view text, bool textCell, char separator)
{
    // One pass finds what needs quotes and whether quotes must be doubled.
    bool quoted = false, hasQuote = false;
    for (char c : text) {
        // The quote and the line breaks lie below '#'; letters and the bytes
        // of non-ASCII characters pass at once.
        if (static_cast<unsigned char>(c) > '"' && c != separator)
            continue;
        if (c == '"')
            hasQuote = true;
        else if (SplitsCsvField(c, separator))
            quoted = true;
    }
    quoted = quoted || hasQuote;
    const int quotes = (textCell ? 1 : 0) + (quoted ? 1 : 0);
    if (quoted)
        w.Put('"');
    if (textCell)
        w.Put(quoted ? "=\"\"" : "=\"");
    if (!hasQuote) {
        w.Put(text);
    } else {
        for (char c : text) {
            if (c == '"')
                w.Repeat('"', size_t(1) << quotes);
            else
                w.Put(c);
        }
    }
    if (textCell)
        w.Put(quoted ? "\"\"" : "\"");
    if (quoted)
        w.Put('"');
    w.Put(separator);
}

// A money text without its "'", the point made the decimal separator, bare
// unless the decimal separator is the list separator. Takes at most
// money.size() + 3 bytes.
void PutCsvMoney(TLineWriter& w, std::string_view money, TCsvSeparators sep)
{
    const bool quoted = SplitsCsvField(sep.Decimal, sep.List);
    if (quoted)
        w.Put('"');
    for (char c : money)
        if (c != '\'')
            w.Put(c == '.' ? sep.Decimal : c);
    if (quoted)
        w.Put('"');
    w.Put(sep.List);
}

} // namespace

void AppendCsvRow(std::string& out, const TGoodsRowView& row, TCsvSeparators sep)
{
    // The date text is ten characters as a rule.
    std::string fitted;
    const std::string_view date = Utf8Length(row.Date) == 10 ? row.Date : (fitted = FitTo10(row.Date));
    const size_t room = 4 * (row.Code.size() + row.Name.size() + row.Price.size() + date.size() +
                             row.Quantity.size() + row.Packages.size() + row.Value.size()) + 64;
    TLineWriter w(out, room);
    const char s = sep.List;
    PutCsvField(w, row.Code, true, s);
    PutCsvField(w, row.Name, LooksLikeFormula(row.Name), s);
    PutCsvMoney(w, row.Price, sep);
    PutCsvField(w, date, false, s);
    PutCsvMoney(w, row.Quantity, sep);
    PutCsvField(w, row.Packages, false, s);
    PutCsvMoney(w, row.Value, sep);
    w.Put("\r\n");
}

std::string CsvRow(const TGoodsRow& row, TCsvSeparators sep)
{
    std::string out;
    AppendCsvRow(out, row, sep);
    return out;
}

void AppendTxtRow(std::string& out, const TGoodsRowView& row)
{
    const std::string_view t[] = {row.Code, row.Name, row.Price, row.Date, row.Quantity, row.Packages, row.Value};
    AppendTxtLine(out, t);
}

std::string TxtRow(const TGoodsRow& row)
{
    std::string out;
    AppendTxtRow(out, row);
    return out;
}

std::string TxtHeaderLine(int language)
{
    const std::vector<std::string> captions = ColumnCaptions(language);
    const std::vector<std::string_view> t(captions.begin(), captions.end());
    std::string out;
    AppendTxtLine(out, t.data());
    return out;
}

namespace {

// Where the field at pos ends: at the separator that ends it, or at the end
// of the line.
size_t CsvFieldEnd(std::string_view line, size_t pos, char separator)
{
    if (pos >= line.size() || line[pos] != '"')
        return std::min(line.find(separator, pos), line.size());
    bool inside = false;
    for (; pos < line.size(); ++pos) {
        if (line[pos] == separator && !inside)
            break;
        if (line[pos] == '"')
            inside = !inside;
    }
    return pos;
}

} // namespace

std::string NextCsvField(const std::string& line, size_t& pos, char separator)
{
    const size_t end = CsvFieldEnd(line, pos, separator);
    std::string field = line.substr(pos, end - pos);
    pos = end < line.size() ? end + 1 : end;
    return field;
}

std::string DigitsOnly(const std::string& text)
{
    std::string out;
    for (char c : text)
        if (c >= '0' && c <= '9')
            out += c;
    return out;
}

std::string CsvUnquote(const std::string& text)
{
    return IsQuotedText(text, 0) ? Unquote(text, 0) : text;
}

std::string ExcelTextValue(const std::string& text)
{
    return IsTextCell(text) ? Unquote(text, 1) : text;
}

std::string CsvToMoney(const std::string& text, char decimal)
{
    std::string s;
    PutCsvMoneyText(s, text, decimal);
    return s;
}

bool ParseCsvLine(const std::string& line, TCsvSeparators sep, TCsvGoods& goods)
{
    // The fields are found before any is copied: a long line of the wrong
    // shape costs one pass.
    std::string_view fields[8];
    size_t count = 0;
    for (size_t pos = 0; pos < line.size() && count <= 7; ++count) {
        const size_t end = CsvFieldEnd(line, pos, sep.List);
        fields[count] = std::string_view(line).substr(pos, end - pos);
        pos = end < line.size() ? end + 1 : end;
    }
    if (count != 6 && count != 7)
        return false;
    std::string buffer;
    // A text cell's code is taken as it is; any other code must be digits,
    // the import changes none.
    const std::string_view code = UnquotedView(fields[0], buffer);
    const bool cell = IsTextCell(code);
    if (cell)
        goods.Code = Unquote(code, 1);
    else
        goods.Code.assign(TrimView(code));
    if (!cell && !AllDigits(goods.Code))
        return false;
    const std::string_view name = UnquotedView(fields[1], buffer);
    if (IsTextCell(name))
        goods.Name = Unquote(name, 1);
    else
        goods.Name.assign(name);
    PutCsvMoneyText(goods.Price, UnquotedView(fields[2], buffer), sep.Decimal);
    PutCsvMoneyText(goods.Quantity, UnquotedView(fields[4], buffer), sep.Decimal);
    goods.Packages.assign(TrimView(UnquotedView(fields[5], buffer)));
    return !goods.Packages.empty() && AllDigits(goods.Packages);
}

namespace {

// The first field of the text under the separator, unquoted, is the code
// caption of the language.
bool IsCodeCaption(std::string_view field, int language)
{
    const std::string_view caption = CsvExportTexts[LanguageIndex(language)][ceCode];
    // Upper case keeps the length of every letter the captions hold.
    return field.size() == caption.size() && AnsiSameText(field, caption);
}

} // namespace

bool IsCsvHeader(std::string_view text, int language, char separator)
{
    // Each caption as it is or quoted, as spreadsheets save them; the final
    // separator may stand or not.
    const auto& t = CsvExportTexts[LanguageIndex(language)];
    std::string buffer;
    size_t pos = 0;
    for (const int slot : CaptionSlots) {
        const std::string_view caption = t[slot];
        if (pos >= text.size())
            return false;
        const size_t end = CsvFieldEnd(text, pos, separator);
        const std::string_view field = UnquotedView(text.substr(pos, end - pos), buffer);
        pos = end < text.size() ? end + 1 : end;
        if (field.size() != caption.size() || !AnsiSameText(field, caption))
            return false;
    }
    return pos == text.size();
}

bool IsCsvHeaderLine(std::string_view line, char localeSeparator)
{
    // Longer than any header once its blanks are off.
    constexpr size_t longest = 256;
    const std::string_view text = TrimView(line);
    return text.size() <= longest && IsAnyCsvHeader(text, localeSeparator);
}

bool IsAnyCsvHeader(std::string_view text, char localeSeparator)
{
    if (text.empty())
        return false;
    char separators[1 + LanguageCount];
    size_t count = 0;
    for (int own = -1; own < LanguageCount; ++own) {
        const char s = own < 0 ? localeSeparator : LanguageSeparators(own).List;
        if (std::find(separators, separators + count, s) == separators + count)
            separators[count++] = s;
    }
    // A line is told from a header by its first field, once a separator.
    std::string buffer;
    for (size_t i = 0; i < count; ++i) {
        const std::string_view first =
            UnquotedView(text.substr(0, CsvFieldEnd(text, 0, separators[i])), buffer);
        for (int language = 0; language < LanguageCount; ++language)
            if (IsCodeCaption(first, language) && IsCsvHeader(text, language, separators[i]))
                return true;
    }
    return false;
}

std::string DecodeCsvText(std::string bytes)
{
    const bool marked = bytes.compare(0, 3, "\xEF\xBB\xBF") == 0;
    const std::string_view text = std::string_view(bytes).substr(marked ? 3 : 0);
    if (!IsValidUtf8(text))
        return Cp1251ToUtf8(text);
    if (marked)
        bytes.erase(0, 3);
    return bytes;
}

namespace {

// NextCsvRecord; open marks the quotes after which the field they open stays
// open to the end of the text under the separator, as the scans before
// found. A record that opens a field at a marked quote ends at its first
// break at once, and one that finds its field open to the end marks the
// quotes it opened the field at after its first break: a later record that
// is inside the same field got there through one of them. So every place of
// the text is scanned a few times at most.
std::string_view ScanCsvRecord(std::string_view text, size_t& pos, char separator, std::vector<bool>& open)
{
    const size_t start = pos;
    // A field is quoted when it begins with a quote; inside it every quote
    // flips the inside state, as the field reader takes it.
    bool fieldStart = true, quoted = false, inside = false, broken = false;
    std::vector<size_t> opened;
    size_t end = start;
    for (; end < text.size(); ++end) {
        const char c = text[end];
        if (fieldStart) {
            fieldStart = false;
            quoted = c == '"';
        } else if (static_cast<unsigned char>(c) > '"' && c != separator) {
            // Past the quote and the breaks: no state changes at such a byte.
            continue;
        }
        if (quoted && c == '"') {
            inside = !inside;
            if (inside && !open.empty() && open[end])
                break;
            if (inside && broken)
                opened.push_back(end);
        } else if (inside) {
            broken = broken || c == '\r' || c == '\n';
        } else if (c == separator) {
            fieldStart = true;
        } else if (c == '\r' || c == '\n') {
            break;
        }
    }
    // A quote left open to the end of the text opens no field across lines.
    if (inside) {
        if (!opened.empty() && open.empty())
            open.resize(text.size());
        for (size_t quote : opened)
            open[quote] = true;
        end = std::min(text.find_first_of("\r\n", start), text.size());
    }
    pos = end;
    if (pos < text.size())
        pos += text[pos] == '\r' && pos + 1 < text.size() && text[pos + 1] == '\n' ? 2 : 1;
    return text.substr(start, end - start);
}

} // namespace

std::string_view NextCsvRecord(std::string_view text, size_t& pos, char separator)
{
    std::vector<bool> open;
    return ScanCsvRecord(text, pos, separator, open);
}

std::vector<bool>& TCsvRecords::OpenQuotes(char separator)
{
    for (auto& [sep, open] : FOpenQuotes)
        if (sep == separator)
            return open;
    return FOpenQuotes.emplace_back(separator, std::vector<bool>()).second;
}

const std::string& TCsvRecords::Peek(char separator)
{
    for (const TPeeked& p : FPeeked)
        if (p.Separator == separator)
            return p.Record;
    size_t pos = FPos;
    const std::string_view record = ScanCsvRecord(FText, pos, separator, OpenQuotes(separator));
    return FPeeked.emplace_back(TPeeked{separator, OneLine(record), pos}).Record;
}

void TCsvRecords::Next(char separator)
{
    // A scan again from the same place under the same separator ends where
    // the peek's did and marks no other quotes.
    for (const TPeeked& p : FPeeked)
        if (p.Separator == separator) {
            FPos = p.Next;
            FPeeked.clear();
            return;
        }
    FPeeked.clear();
    ScanCsvRecord(FText, FPos, separator, OpenQuotes(separator));
}

std::string ShownLine(std::string_view line, size_t limit)
{
    std::string head = Utf8Left(line, limit);
    if (head.size() == line.size() || limit == 0)
        return head;
    return Utf8Left(head, limit - 1) + "\u2026";
}

} // namespace tv
