// The lines of the CSV and TXT exports byte for byte, and reading CSV lines
// back: fields, quotes, text cells, money texts, header lines and the
// encodings of a file.

#include "UCodePage.h"
#include "UEximText.h"
#include "UMoneyFld.h"
#include "UTextUtils.h"

#include <gtest/gtest.h>

#include <algorithm>

#include <string>
#include <vector>

using namespace tv;

namespace {

const TCsvSeparators Semicolon{';', ','};
const TCsvSeparators Comma{',', '.'};

// Goods that exercise the writers: Cyrillic text, a quote and the separators
// in a name, the largest numbers, an empty date, formula-looking texts, the
// other separator and a tab, which need no quotes, and a line break, which
// does.
const std::vector<TGoodsRow> Goods = {
    {"00012345", "Молоко \"Селянське\" 2,5%", "1'234.50", "31.12.2026 10:15:00", "42'949'671.99",
     "2147483647", "12'345.00"},
    {"7", "Tea; green", "0.05", "", "0.00", "0", "0.00"},
    {"=1+2", "=SUM(A1)", "1.00", "01/02/2026", "1.00", "1", "1.00"},
    {"-3", "@cmd", "2.00", "01/02/2026", "0.50", "2", "1.00"},
    {"4", "+38 \"a\"; b", "2.00", "01/02/2026", "0.50", "2", "1.00"},
    {"5", "a,b\tc", "1.00", "01/02/2026", "1.00", "1", "1.00"},
    {"6", "Two\r\nlines", "18.40", "01/02/2026", "1.00", "1", "18.40"},
};

TEST(CsvExportLines, HeaderPerLanguageAndSeparator)
{
    EXPECT_EQ(CsvHeaderLine(0, ';'), "Код;Наименование;Цена;Дата;К-во;Упк;Стоимость;");
    EXPECT_EQ(CsvHeaderLine(1, ';'), "Код;Найменування;Ціна;Дата;К-ть;Упк;Вартість;");
    EXPECT_EQ(CsvHeaderLine(2, ';'), "Code;Name;Price;Date;Qnt;Pks;Cost;");
    EXPECT_EQ(CsvHeaderLine(2, ','), "Code,Name,Price,Date,Qnt,Pks,Cost,");
    EXPECT_EQ(CsvHeaderLine(0, ','), "Код,Наименование,Цена,Дата,К-во,Упк,Стоимость,");
}

TEST(CsvExportLines, RowsByteForByte)
{
    struct TCase {
        TCsvSeparators Sep;
        std::vector<std::string> Lines;
    };
    const TCase cases[] = {
        {Semicolon,
         {"=\"00012345\";\"Молоко \"\"Селянське\"\" 2,5%\";1234,50;31.12.2026;42949671,99;2147483647;12345,00;\r\n",
          "=\"7\";\"Tea; green\";0,05;          ;0,00;0;0,00;\r\n",
          "=\"=1+2\";=\"=SUM(A1)\";1,00;01/02/2026;1,00;1;1,00;\r\n",
          "=\"-3\";=\"@cmd\";2,00;01/02/2026;0,50;2;1,00;\r\n",
          "=\"4\";\"=\"\"+38 \"\"\"\"a\"\"\"\"; b\"\"\";2,00;01/02/2026;0,50;2;1,00;\r\n",
          "=\"5\";a,b\tc;1,00;01/02/2026;1,00;1;1,00;\r\n",
          "=\"6\";\"Two\r\nlines\";18,40;01/02/2026;1,00;1;18,40;\r\n"}},
        {Comma,
         {"=\"00012345\",\"Молоко \"\"Селянське\"\" 2,5%\",1234.50,31.12.2026,42949671.99,2147483647,12345.00,\r\n",
          "=\"7\",Tea; green,0.05,          ,0.00,0,0.00,\r\n",
          "=\"=1+2\",=\"=SUM(A1)\",1.00,01/02/2026,1.00,1,1.00,\r\n",
          "=\"-3\",=\"@cmd\",2.00,01/02/2026,0.50,2,1.00,\r\n",
          "=\"4\",\"=\"\"+38 \"\"\"\"a\"\"\"\"; b\"\"\",2.00,01/02/2026,0.50,2,1.00,\r\n",
          "=\"5\",\"a,b\tc\",1.00,01/02/2026,1.00,1,1.00,\r\n",
          "=\"6\",\"Two\r\nlines\",18.40,01/02/2026,1.00,1,18.40,\r\n"}},
    };
    for (const TCase& c : cases)
        for (size_t i = 0; i < Goods.size(); ++i)
            EXPECT_EQ(CsvRow(Goods[i], c.Sep), c.Lines[i]) << "row " << i << " with " << c.Sep.List;
}

TEST(CsvExportLines, ADecimalSeparatorLikeTheListSeparatorCannotSplitARow)
{
    const TCsvSeparators same{',', ','};
    const std::string line = CsvRow(Goods[0], same);
    EXPECT_EQ(line.substr(line.find("%\",") + 3, 10), "\"1234,50\",");
    TCsvGoods back;
    ASSERT_TRUE(ParseCsvLine(line.substr(0, line.size() - 2), same, back));
    EXPECT_EQ(back.Price, "1234.50");
    EXPECT_EQ(back.Packages, "2147483647");
}

TEST(TxtExportLines, ColumnsByteForByte)
{
    EXPECT_EQ(TxtHeaderLine(0),
              "Код      Наименование                                     Цена          Дата"
              "         К-во     Упк    Стоимость\r\n");
    EXPECT_EQ(TxtHeaderLine(1),
              "Код      Найменування                                     Ціна          Дата"
              "         К-ть     Упк     Вартість\r\n");
    EXPECT_EQ(TxtHeaderLine(2),
              "Code     Name                                            Price          Date"
              "          Qnt     Pks         Cost\r\n");
    // A blank stands between two columns, also after a code of eight, a
    // full-width quantity and the largest package count, which keeps all
    // its ten digits.
    EXPECT_EQ(TxtRow(Goods[0]),
              "00012345 Молоко \"Селянське\" 2,5%                      1'234.50    31.12.2026"
              " 42'949'671.99 2147483647    12'345.00\r\n");
    const TGoodsRow full{"1", "N", "0.01", "", "42'949'671.99", "123456789", "42'949'671.99"};
    EXPECT_EQ(TxtRow(full).substr(TxtRow(full).size() - 40),
              " 42'949'671.99 123456789 42'949'671.99\r\n");
    // No date: fourteen blanks.
    EXPECT_EQ(TxtRow(Goods[1]),
              "7        Tea; green                                       0.05              "
              "         0.00       0         0.00\r\n");
    const TGoodsRow longCode{"123456789", std::string(45, 'N'), "1.00", "", "1.00", "1", "1.00"};
    EXPECT_EQ(TxtRow(longCode).substr(0, 50), "12345678 " + std::string(40, 'N') + " ");
}

// Every line of a text file is 110 characters and every column starts at
// the same place: the header, codes of one to eight characters, names up to
// their 40, Cyrillic or not, no code or date at all.
TEST(TxtExportLines, EveryLineHasOneWidth)
{
    std::vector<std::string> lines = {TxtHeaderLine(0), TxtHeaderLine(1), TxtHeaderLine(2)};
    const std::string name40 = "Олія соняшникова рафінована Щедрий лан 1";
    ASSERT_EQ(Utf8Length(name40), 40u);
    const TGoodsRow rows[] = {
        {"1", "Хліб", "18.40", "02.01.2026", "0.75", "1", "13.80"},
        {"4820001", "Tea", "1.00", "", "1.00", "1", "1.00"},
        {"48200012", "Tea", "1.00", "", "1.00", "1", "1.00"},
        {"48200012", name40, "999'999.99", "31.12.2026 10:15:00", "9'999'999.99", "9999999", "9'999'999.99"},
        {"", "N", "0.00", "", "0.00", "0", "0.00"},
    };
    for (const TGoodsRow& row : rows)
        lines.push_back(TxtRow(row));
    for (const std::string& line : lines) {
        ASSERT_EQ(line.substr(line.size() - 2), "\r\n");
        EXPECT_EQ(Utf8Length(line), 112u) << line;
        // The name starts at character 9, the price ends at 62.
        const std::string name = Utf8Left(line, 49).substr(Utf8Left(line, 9).size());
        EXPECT_NE(name[0], ' ') << line;
        EXPECT_EQ(Utf8Left(line, 9).back(), ' ') << line;
        EXPECT_NE(Utf8Left(line, 62).back(), ' ') << line;
        EXPECT_EQ(Utf8Left(line, 63).back(), ' ') << line;
    }
}

TEST(CsvImportLines, ExportedRowsReadBackAsTheyWere)
{
    for (const TCsvSeparators& sep : {Semicolon, Comma})
        for (const TGoodsRow& row : Goods) {
            std::string line = CsvRow(row, sep);
            line.resize(line.size() - 2);
            TCsvGoods back;
            ASSERT_TRUE(ParseCsvLine(line, sep, back)) << line;
            EXPECT_EQ(back.Code, row.Code) << line;
            EXPECT_EQ(back.Name, row.Name) << line;
            EXPECT_EQ(TMoneyField::TextToMoney(back.Price), TMoneyField::TextToMoney(row.Price));
            EXPECT_EQ(TMoneyField::TextToMoney(back.Quantity), TMoneyField::TextToMoney(row.Quantity));
            EXPECT_EQ(back.Packages, row.Packages);
        }
}

TEST(CsvImportLines, FieldsOfHandWrittenLines)
{
    struct TCase {
        const char* Name;
        std::string Line;
        bool Ok;
        std::string Code = {}, NameText = {}, Price = {}, Quantity = {}, Packages = {};
    };
    const TCase cases[] = {
        {"plain fields, no final separator", "12;Bread;3;x;2,5;4;7,50", true, "12", "Bread", "3.00",
         "2.50", "4"},
        {"value left out", "12;Bread;3;x;2;4;", true, "12", "Bread", "3.00", "2.00", "4"},
        {"a code with more than digits", "A1-2;Bread;3;;2;4;", false},
        {"a code with a blank inside", "1 2;Bread;3;;2;4;", false},
        {"blanks around a code", " 12 ;Bread;3;;2;4;", true, "12", "Bread", "3.00", "2.00", "4"},
        {"a quoted code", "\"0012\";Bread;3;;2;4;", true, "0012", "Bread", "3.00", "2.00", "4"},
        {"a text cell's code as it is", "=\"AB-12\";Bread;3;;2;4;", true, "AB-12", "Bread", "3.00",
         "2.00", "4"},
        {"blanks around a count", "1;B;3; ;2; 4 ;", true, "1", "B", "3.00", "2.00", "4"},
        {"a quoted separator stays in the name", "1;\"a;b\"\"c\";3;;2;4;", true, "1", "a;b\"c",
         "3.00", "2.00", "4"},
        {"empty price and quantity", "1;B;;;;0;", true, "1", "B", "0.00", "0.00", "0"},
        {"too few fields", "1;B;3;;2;", false},
        {"an extra field shifts nothing", "1;B;x;3;;2;4;9;", false},
        {"negative packages", "1;B;3;;2;-4;", false},
        {"fractional packages", "1;B;3;;2;4.5;", false},
        {"empty packages", "1;B;3;;2;;", false},
        {"blank line", "   ", false},
        {"empty line", "", false},
    };
    for (const TCase& c : cases) {
        TCsvGoods g;
        ASSERT_EQ(ParseCsvLine(c.Line, Semicolon, g), c.Ok) << c.Name;
        if (!c.Ok)
            continue;
        EXPECT_EQ(g.Code, c.Code) << c.Name;
        EXPECT_EQ(g.Name, c.NameText) << c.Name;
        EXPECT_EQ(g.Price, c.Price) << c.Name;
        EXPECT_EQ(g.Quantity, c.Quantity) << c.Name;
        EXPECT_EQ(g.Packages, c.Packages) << c.Name;
    }
}

TEST(CsvImportLines, MoneyTexts)
{
    const std::pair<std::string, std::string> cases[] = {
        {"12", "12.00"}, {"12,5", "12.50"}, {"12.345", "12.345"}, {"", "0.00"}, {"  7 ", "7.00"},
        {"1,", "1.00"},
    };
    for (const auto& [text, money] : cases)
        EXPECT_EQ(CsvToMoney(text, ','), money) << text;
}

TEST(CsvImportLines, HeaderLinesInAnyLanguageAndCase)
{
    struct TCase {
        std::string Text;
        char LocaleSeparator;
        bool Header;
    };
    const TCase cases[] = {
        {"Code;Name;Price;Date;Qnt;Pks;Cost;", ';', true},
        {"code,name,price,date,qnt,pks,cost", ';', true},
        {"КОД;НАИМЕНОВАНИЕ;ЦЕНА;ДАТА;К-ВО;УПК;СТОИМОСТЬ;", ',', true},
        {"код;найменування;ціна;дата;к-ть;упк;вартість", ';', true},
        {"Code|Name|Price|Date|Qnt|Pks|Cost|", '|', true},
        // As spreadsheets save it: every caption quoted, no final separator.
        {"\"Code\",\"Name\",\"Price\",\"Date\",\"Qnt\",\"Pks\",\"Cost\"", ';', true},
        {"\"Код\";\"Наименование\";\"Цена\";\"Дата\";\"К-во\";\"Упк\";\"Стоимость\"", ';', true},
        {"\"Code\";Name;\"Price\";Date;Qnt;Pks;\"Cost\";", ',', true},
        {"\"Code;Name\";Price;Date;Qnt;Pks;Cost", ';', false},
        {"Code;Name;Price;Date;Qnt;Pks;Cost;;", ';', false},
        {"Code\tName\tPrice\tDate\tQnt\tPks\tCost\t", ';', false},
        {"Code;Name;Price;Date;Qnt;Pks", ';', false},
        {"", ';', false},
    };
    for (const TCase& c : cases)
        EXPECT_EQ(IsAnyCsvHeader(c.Text, c.LocaleSeparator), c.Header) << c.Text;
}

TEST(CsvImportLines, FileBytesInEitherEncoding)
{
    struct TCase {
        const char* Name;
        std::string Bytes;
        std::vector<std::string> Records;
    };
    const TCase cases[] = {
        {"UTF-8 with CR LF", "Молоко;1\r\nЧай;2\r\n", {"Молоко;1", "Чай;2"}},
        {"UTF-8 with a byte-order mark", "\xEF\xBB\xBFМолоко\r\n", {"Молоко"}},
        {"code page 1251", "\xCC\xEE\xEB\xEE\xEA\xEE;1\r\n\xAF\xBF\r\n", {"Молоко;1", "Її"}},
        {"1251 with an ASCII first line", "Code\n\xD7\xE0\xE9", {"Code", "Чай"}},
        {"LF, CR and no end", "a\nb\rc\r\n\r\nd", {"a", "b", "c", "", "d"}},
    };
    for (const TCase& c : cases) {
        const std::string text = DecodeCsvText(c.Bytes);
        std::vector<std::string> records;
        for (size_t pos = 0; pos < text.size();)
            records.emplace_back(NextCsvRecord(text, pos, ';'));
        EXPECT_EQ(records, c.Records) << c.Name;
    }
}

// A record ends at a line break outside quotes: a quoted field holds
// separators, quotes and breaks; a quote that is never closed holds none.
TEST(CsvImportLines, RecordsAcrossLines)
{
    struct TCase {
        const char* Name;
        std::string Text;
        char Separator;
        std::vector<std::string> Records;
    };
    const TCase cases[] = {
        {"break in a quoted name", "=\"1\";\"Two\nlines\";1\r\n2;B\r\n", ';',
         {"=\"1\";\"Two\nlines\";1", "2;B"}},
        {"CR LF and a doubled quote in it", "1;\"a\"\"\r\nb;c\";2\n3", ';', {"1;\"a\"\"\r\nb;c\";2", "3"}},
        {"a text cell in quotes", "\"=\"\"1;\r\n2\"\"\";x\n", ';', {"\"=\"\"1;\r\n2\"\"\";x"}},
        {"a quote inside a bare field opens nothing", "1;a\"b;c\n2;d\"\n", ';', {"1;a\"b;c", "2;d\""}},
        {"quotes open only after the separator", "1,\"a;b\n\",2\n", ',', {"1,\"a;b\n\",2"}},
        {"the same under another separator", "1,\"a;b\n\",2\n", ';', {"1,\"a;b", "\",2"}},
        {"a quote never closed", "1;\"open;2\r\n3;x\n", ';', {"1;\"open;2", "3;x"}},
        {"empty records stay", "\n\"\"\n\n", ';', {"", "\"\"", ""}},
        // Each line's quotes pair up with the next line's, so that every
        // quoted field stays open to the end of the text: each line is one
        // record, as when its quote were the only one.
        {"every line leaves a quote open", "1;Труба 1/2\";\"a;2\r\n3;Труба 1/2\";\"b;4\r\n5;x\";\"c\n", ';',
         {"1;Труба 1/2\";\"a;2", "3;Труба 1/2\";\"b;4", "5;x\";\"c"}},
        {"open quotes, then one that closes them",
         "1;x\";\"a\n2;x\";\"b\n3;x\";\"c\"\n4;d\n", ';', {"1;x\";\"a\n2;x\";\"b\n3;x\";\"c\"", "4;d"}},
    };
    for (const TCase& c : cases) {
        std::vector<std::string> records;
        for (size_t pos = 0; pos < c.Text.size();)
            records.emplace_back(NextCsvRecord(c.Text, pos, c.Separator));
        EXPECT_EQ(records, c.Records) << c.Name;
        TCsvRecords reader(c.Text);
        for (const std::string& record : c.Records) {
            ASSERT_FALSE(reader.AtEnd()) << c.Name;
            EXPECT_EQ(reader.Peek(c.Separator), OneLine(record)) << c.Name;
            reader.Next(c.Separator);
        }
        EXPECT_TRUE(reader.AtEnd()) << c.Name;
    }
}

// The reader keeps what earlier records found about quotes left open: on
// texts of quotes, separators and breaks, what it peeks under two separators
// is what each record is when read alone.
TEST(CsvImportLines, RecordsOfTheReaderAreTheRecordsAlone)
{
    const char pieces[] = {'"', '"', ';', ',', '\n', '\r', 'a'};
    uint32_t seed = 35;
    for (int round = 0; round < 3000; ++round) {
        std::string text;
        const size_t size = 1 + round % 40;
        for (size_t i = 0; i < size; ++i) {
            seed = seed * 1103515245u + 12345u;
            text += pieces[(seed >> 16) % sizeof pieces];
        }
        std::vector<std::string> alone, read;
        for (size_t pos = 0; pos < text.size();) {
            size_t other = pos;
            alone.push_back(OneLine(NextCsvRecord(text, other, ',')));
            alone.push_back(OneLine(NextCsvRecord(text, pos, ';')));
        }
        TCsvRecords reader(text);
        while (!reader.AtEnd()) {
            // Peeked under the other separator first, as the import does.
            read.push_back(reader.Peek(','));
            read.push_back(reader.Peek(';'));
            reader.Next(';');
        }
        ASSERT_EQ(read, alone) << text;
    }
}

// The record reader, the line parser and the header test as plain loops
// over the texts, beside which the fast ones are checked.
namespace model {

// A record to its first break outside quotes, or to the first break at all
// when a quote stays open to the end.
std::string_view Record(std::string_view text, size_t& pos, char separator)
{
    const size_t start = pos;
    bool fieldStart = true, quoted = false, inside = false;
    size_t end = start;
    for (; end < text.size(); ++end) {
        const char c = text[end];
        if (fieldStart)
            quoted = c == '"';
        fieldStart = false;
        if (quoted && c == '"')
            inside = !inside;
        else if (!inside && c == separator)
            fieldStart = true;
        else if (!inside && (c == '\r' || c == '\n'))
            break;
    }
    if (inside)
        end = std::min(text.find_first_of("\r\n", start), text.size());
    pos = end;
    if (pos < text.size())
        pos += text[pos] == '\r' && pos + 1 < text.size() && text[pos + 1] == '\n' ? 2 : 1;
    return text.substr(start, end - start);
}

std::string Money(const std::string& text, char decimal)
{
    std::string s = TrimText(text);
    if (s.empty())
        return "0.00";
    for (char& c : s)
        if (c == decimal)
            c = '.';
    if (s.find('.') == std::string::npos)
        s += '.';
    while (s.size() - s.find('.') - 1 < 2)
        s += '0';
    return s;
}

bool Line(const std::string& line, TCsvSeparators sep, TCsvGoods& goods)
{
    std::vector<std::string> fields;
    for (size_t pos = 0; pos < line.size() && fields.size() <= 7;)
        fields.push_back(NextCsvField(line, pos, sep.List));
    if (fields.size() != 6 && fields.size() != 7)
        return false;
    const std::string code = CsvUnquote(fields[0]);
    const bool cell = ExcelTextValue(code) != code;
    goods.Code = cell ? ExcelTextValue(code) : TrimText(code);
    if (!cell && DigitsOnly(goods.Code) != goods.Code)
        return false;
    goods.Name = ExcelTextValue(CsvUnquote(fields[1]));
    goods.Price = Money(CsvUnquote(fields[2]), sep.Decimal);
    goods.Quantity = Money(CsvUnquote(fields[4]), sep.Decimal);
    goods.Packages = TrimText(CsvUnquote(fields[5]));
    return !goods.Packages.empty() && DigitsOnly(goods.Packages) == goods.Packages;
}

bool Header(const std::string& text, int language, char separator)
{
    size_t pos = 0;
    for (const std::string& caption : ColumnCaptions(language)) {
        if (pos >= text.size())
            return false;
        const std::string field = CsvUnquote(NextCsvField(text, pos, separator));
        if (field.size() != caption.size() || !AnsiSameText(field, caption))
            return false;
    }
    return pos == text.size();
}

bool AnyHeaderLine(const std::string& line, char localeSeparator)
{
    const std::string text = TrimText(line);
    if (text.size() > 256)
        return false;
    for (int language = 0; language < LanguageCount; ++language)
        for (int own = -1; own < LanguageCount; ++own)
            if (Header(text, language, own < 0 ? localeSeparator : LanguageSeparators(own).List))
                return true;
    return false;
}

} // namespace model

// Texts of random pieces (a fixed seed): quotes, separators, breaks, text
// cells, blanks, tabs and no-break spaces, digits, Latin and Cyrillic.
std::vector<std::string> RandomTexts(const std::vector<std::string>& pieces, int count, size_t most)
{
    uint32_t seed = 1251;
    const auto next = [&seed] { return (seed = seed * 1103515245u + 12345u) >> 16; };
    std::vector<std::string> texts;
    for (int n = 0; n < count; ++n) {
        std::string text;
        for (size_t k = next() % most; k > 0; --k)
            text += pieces[next() % pieces.size()];
        texts.push_back(text);
    }
    return texts;
}

TEST(CsvImportLines, RecordsAreTheRecordsOfAPlainScan)
{
    const std::vector<std::string> pieces = {"\"", "\"", ";", ",", "\n", "\r", "\r\n", "a", "Ж", "1",
                                             " ", "\t", "\u00A0", "\u2028", "=\"", "!", "#"};
    for (const std::string& text : RandomTexts(pieces, 3000, 30)) {
        for (const char separator : {';', ','}) {
            std::vector<std::string> plain, read;
            for (size_t pos = 0; pos < text.size();)
                plain.push_back(OneLine(model::Record(text, pos, separator)));
            std::vector<std::string> alone;
            for (size_t pos = 0; pos < text.size();)
                alone.push_back(OneLine(NextCsvRecord(text, pos, separator)));
            ASSERT_EQ(alone, plain) << ::testing::PrintToString(text);
            // The reader moved on with and without a peek before.
            TCsvRecords reader(text);
            for (bool peek = false; !reader.AtEnd(); peek = !peek) {
                if (peek)
                    read.push_back(reader.Peek(separator));
                else
                    read.push_back(TCsvRecords(reader).Peek(separator));
                reader.Next(separator);
            }
            ASSERT_EQ(read, plain) << ::testing::PrintToString(text);
        }
    }
}

TEST(CsvImportLines, ParsedLinesAreThoseOfAPlainParse)
{
    const std::vector<std::string> pieces = {";", ";", ";", ",", ".", "\"", "\"\"", "=\"", "=", "1", "2",
                                             "0", " ", "\t", "\u00A0", "Ж", "a", "-"};
    std::vector<std::string> lines = RandomTexts(pieces, 20000, 24);
    lines.insert(lines.end(), {"1;B;3;;2;4", "=\"A\";\"=\"\"N\"\"\";1,5;;\"2\";\" 7\t\";", " 12 ;\u00A0N ;;;;0",
                               "\"12\";\"a;b\";\"1,5\";x;\"\";\"3\"", "=\"1;2\";N;1;;1;1;1;"});
    for (const std::string& line : lines)
        for (const TCsvSeparators& sep : {Semicolon, Comma}) {
            TCsvGoods fast, plain;
            const bool ok = model::Line(line, sep, plain);
            ASSERT_EQ(ParseCsvLine(line, sep, fast), ok) << line;
            EXPECT_EQ(fast.Code, plain.Code) << line;
            if (!ok)
                continue;
            EXPECT_EQ(fast.Name, plain.Name) << line;
            EXPECT_EQ(fast.Price, plain.Price) << line;
            EXPECT_EQ(fast.Quantity, plain.Quantity) << line;
            EXPECT_EQ(fast.Packages, plain.Packages) << line;
        }
}

// A header line of each language under each separator is one exactly when
// the separator is the locale's or a language's own; changed lines are
// headers as the plain test says.
TEST(CsvImportLines, HeaderLinesOfEachLanguageAndSeparator)
{
    for (int language = 0; language < LanguageCount; ++language)
        for (const char separator : {';', ',', '|', '\t'})
            for (const char locale : {';', ',', '|'}) {
                const bool own = separator == ';' || separator == ',' || separator == locale;
                const std::string header = CsvHeaderLine(language, separator);
                std::string quoted, upper = AnsiUpperCase(header);
                for (const std::string& c : ColumnCaptions(language))
                    quoted += "\"" + c + "\"" + separator;
                quoted.pop_back();
                const std::vector<std::pair<std::string, bool>> lines = {
                    {header, own},
                    {quoted, own},
                    {upper, own},
                    {" \t" + header + "\r ", own},
                    {"\u00A0" + header, false},
                    // A tab at the end is trimmed off as a blank.
                    {header + separator, separator == '\t' && own},
                    {header.substr(1), false},
                    {"\"" + header, false},
                    {header.substr(0, header.size() - 2), false},
                    {"1" + header, false},
                };
                for (const auto& [line, expected] : lines) {
                    SCOPED_TRACE(::testing::Message() << ::testing::PrintToString(line) << " locale " << locale);
                    EXPECT_EQ(IsCsvHeaderLine(line, locale), expected);
                    EXPECT_EQ(model::AnyHeaderLine(line, locale), expected);
                }
            }
    const std::vector<std::string> pieces = {"Код", "КОД", "Code", "code", "Name", "Наименование", ";", ",",
                                             "\"", "Цена", "Price", " ", "1"};
    for (const std::string& line : RandomTexts(pieces, 5000, 10))
        for (const char locale : {';', ',', '|'})
            ASSERT_EQ(IsCsvHeaderLine(line, locale), model::AnyHeaderLine(line, locale)) << line;
}

} // namespace
