#pragma once
// The texts and the line formats of the CSV and TXT exports, the CSV import
// and the printed list, apart from any file or widget: per-language text
// tables, CSV quoting and field reading, the fixed-width text row, and the
// test of a header line. Texts are UTF-8; widths count characters.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tv {

inline constexpr int LanguageCount = 3;  // 0 Russian, 1 Ukrainian, 2 English

// One goods record as the exports see it: the field texts of the goods
// table; of the date the exports use the first 10 characters, the date
// without its time.
struct TGoodsRow {
    std::string Code, Name, Price, Date, Quantity, Packages, Value;
};

// The same seven texts held elsewhere (a record's converted fields).
struct TGoodsRowView {
    std::string_view Code, Name, Price, Date, Quantity, Packages, Value;
    TGoodsRowView() = default;
    TGoodsRowView(const TGoodsRow& r)
        : Code(r.Code), Name(r.Name), Price(r.Price), Date(r.Date), Quantity(r.Quantity),
          Packages(r.Packages), Value(r.Value)
    {
    }
};

enum TCsvExportText {
    ceCaption, ceHint, ceError,
    ceCode, ceName, cePrice, ceDate, ceQnt, cePks, ceCost,
    ceFilter, ceTitle, ceErrorHint, ceListSeparator, ceDecimalSeparator,
    ceCount
};
enum TTxtExportText { teCaption, teHint, teFilter, teCount };
enum TCsvImportText {
    ciCaption, ciHint, ciError, ciFilter, ciTitle, ciNotePrefix, ciReceived, ciSkipped,
    ciOkHint, ciBadLine, ciContinue, ciContinueHint, ciStop, ciStopHint, ciAborted,
    ciNotRun,    // the safety copy could not be made
    ciTooLarge,  // the file holds more than MaxCsvImportBytes
    ciCount
};
// The largest CSV file the import reads, far above a list of a million
// goods; the text ciTooLarge names it.
inline constexpr size_t MaxCsvImportBytes = size_t(256) << 20;
enum TListReportText { lrCaption, lrHint, lrTitle, lrNamesTotal, lrCount };

// Filters are "description|pattern".
extern const std::array<std::array<const char*, ceCount>, LanguageCount> CsvExportTexts;
extern const std::array<std::array<const char*, teCount>, LanguageCount> TxtExportTexts;
extern const std::array<std::array<const char*, ciCount>, LanguageCount> CsvImportTexts;
extern const std::array<std::array<const char*, lrCount>, LanguageCount> ListReportTexts;

// The list separator and the decimal separator of CSV files.
struct TCsvSeparators {
    char List = ';';
    char Decimal = ',';
};

// A language's own separators: ";" and "," in Russian and Ukrainian, "," and
// "." in English.
TCsvSeparators LanguageSeparators(int language);

// The seven column captions of the language, in column order.
std::vector<std::string> ColumnCaptions(int language);

// --- Writing -------------------------------------------------------------

// The seven captions, each followed by the separator.
std::string CsvHeaderLine(int language, char separator);
// The first 10 characters, filled with blanks to 10.
std::string FitTo10(std::string_view text);
// One CSV line with its CR LF, returned or appended to out. The code is
// written as a text cell, and so is a name a spreadsheet would read as a
// formula; either is quoted for what it holds.
std::string CsvRow(const TGoodsRow& row, TCsvSeparators separators);
void AppendCsvRow(std::string& out, const TGoodsRowView& row, TCsvSeparators separators);

// One fixed-width text line with its CR LF, 110 characters before it: code
// 8, a blank and name 40 left-aligned, price 13, four blanks and the date's
// first 10 characters, quantity 13, packages 8 and value 13 right-aligned.
// Longer texts are cut to the width, except the packages, which are never
// cut. A number that fills its column (money of ten million and more,
// packages of eight digits and more) right after a column whose text reaches
// its end is moved right by a blank.
std::string TxtRow(const TGoodsRow& row);
void AppendTxtRow(std::string& out, const TGoodsRowView& row);
std::string TxtHeaderLine(int language);

// --- Reading -------------------------------------------------------------

// The field at pos; a field beginning with a quote keeps its quotes and
// separators inside them. pos moves past the separator that ended it.
std::string NextCsvField(const std::string& line, size_t& pos, char separator);
std::string DigitsOnly(const std::string& text);
// The text of a quoted field (outer quotes off, doubled quotes single, up to
// the closing quote); any other text unchanged.
std::string CsvUnquote(const std::string& text);
// The text of a text cell (an equals sign and a quoted text, as the export
// writes codes); any other text unchanged.
std::string ExcelTextValue(const std::string& text);
// A money text: blanks off, empty as "0.00", the decimal separator made ".",
// at least two decimals. The money check decides the rest.
std::string CsvToMoney(const std::string& text, char decimal);

struct TCsvGoods {
    std::string Code, Name, Price, Quantity, Packages;
};

// Splits a data line with the separators: code, name, price, date (not
// read), quantity, packages and an optional value. False when the line has
// not six or seven fields, the packages are not a plain decimal number, or
// a code that is no text cell holds more than digits (blanks around it
// aside).
bool ParseCsvLine(const std::string& line, TCsvSeparators separators, TCsvGoods& goods);

// Whether the trimmed line is the header line of the language with the
// separator: its seven captions in any case, each bare or quoted, with or
// without the final separator.
bool IsCsvHeader(std::string_view text, int language, char separator);
// IsCsvHeader in any language with the given separator or a language's own.
bool IsAnyCsvHeader(std::string_view text, char localeSeparator);
// IsAnyCsvHeader of the line without its surrounding blanks and control
// characters.
bool IsCsvHeaderLine(std::string_view line, char localeSeparator);

// A line as a question may show it: at most limit characters, and when it
// is longer its first limit - 1 characters and "…".
std::string ShownLine(std::string_view line, size_t limit);

// A file's bytes as UTF-8: valid UTF-8 with or without a byte-order mark,
// otherwise code page 1251 (after a mark, without it). UTF-8 bytes are
// returned in their own memory.
std::string DecodeCsvText(std::string bytes);

// The record of a CSV text at pos, without the line break (CR LF, LF or CR)
// that ends it; pos moves past the break. A break inside a quoted field
// belongs to the record; a quote left open to the end of the text ends the
// record at its first break.
std::string_view NextCsvRecord(std::string_view text, size_t& pos, char separator);

// The records of a CSV text one after another, each as one line: the
// breaks inside its quoted fields become blanks like every control
// character (OneLine). Where a record ends depends on the list separator.
// Reading every record costs time in proportion to the text, also where
// quotes are left open.
class TCsvRecords {
public:
    explicit TCsvRecords(std::string text) : FText(std::move(text)) {}
    bool AtEnd() const { return FPos >= FText.size(); }
    // The record at the current place under the separator; valid until the
    // next call.
    const std::string& Peek(char separator);
    // Moves past the record under the separator.
    void Next(char separator);

private:
    std::string FText;
    size_t FPos = 0;
    // The records peeked at the current place, by separator, with the place
    // after each.
    struct TPeeked {
        char Separator;
        std::string Record;
        size_t Next;
    };
    std::vector<TPeeked> FPeeked;
    // By separator, the quotes after which a field stays open to the end of
    // the text; empty until a record finds one.
    std::vector<std::pair<char, std::vector<bool>>> FOpenQuotes;
    std::vector<bool>& OpenQuotes(char separator);
};

} // namespace tv
