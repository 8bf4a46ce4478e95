#include "UCodePage.h"

#include <gtest/gtest.h>

#include <random>

namespace {

// A text in UTF-8 and in code page 1251.
struct TTextCase {
    const char* Name;
    std::string Utf8;
    std::string Cp1251;
};

// Both conversions into 1251, the strict one and the one of data files,
// give every byte back; the fold only serves characters 1251 lacks.
TEST(CodePage, EveryByteSurvivesTheRoundTrip)
{
    std::string all;
    for (int b = 1; b < 256; ++b) all += static_cast<char>(b);
    const std::string utf8 = tv::Cp1251ToUtf8(all);
    EXPECT_EQ(tv::Utf8ToCp1251(utf8), all);
    EXPECT_EQ(tv::TextToCp1251(utf8), all);
    EXPECT_EQ(tv::Cp1251ByteOf(0x00A0), 0xA0);
}

// Control characters show and are stored as one blank each, a CR LF pair
// as one; everything else stays.
TEST(CodePage, OneLineTexts)
{
    const std::vector<TTextCase> cases = {
        // Utf8 is the text, Cp1251 the one-line text.
        {"pasted name", "Two\nlines\tname", "Two lines name"},
        {"CR LF is one break", "a\r\nb\rc\n\rd", "a b c  d"},
        {"two tabs, two blanks", "a\t\tb", "a  b"},
        {"NUL, DEL and C1", std::string("a\0b\x7F" "c\u0085d\u009Fe", 11), "a b c d e"},
        {"line and paragraph separators", "a\u2028b\u2029c", "a b c"},
        {"no-break space and Cyrillic stay", "1\u00A0000 Її", "1\u00A0000 Її"},
        {"invalid bytes stay", "a\xD0\x0A", "a\xD0 "},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        EXPECT_EQ(tv::OneLine(c.Utf8), c.Cp1251);
    }
    // Stored bytes read through the same rule; 0x98, undefined in 1251,
    // shows as a blank too.
    const std::string stored("\xC0\r\n\xC1\t\x01\x98\xA0\x7F.", 10);
    EXPECT_EQ(tv::Cp1251ToOneLine(stored), "А Б   \u00A0 .");
    std::string out = "x";
    tv::AppendCp1251AsOneLine(out, stored);
    EXPECT_EQ(out, "x" + tv::Cp1251ToOneLine(stored));
    EXPECT_EQ(tv::Cp1251ToOneLine(stored), tv::OneLine(tv::Cp1251ToUtf8(stored)));
}

TEST(CodePage, KnownCharacters)
{
    const std::vector<TTextCase> cases = {
        {"ascii", "Abc 1.5", "Abc 1.5"},
        {"russian", "Привет", "\xCF\xF0\xE8\xE2\xE5\xF2"},
        {"yo", "Ёё", "\xA8\xB8"},
        {"ukrainian", "ІіЇїЄєҐґ", "\xB2\xB3\xAF\xBF\xAA\xBA\xA5\xB4"},
        {"numero and euro", "№€", "\xB9\x88"},
        {"quotes and dash", "«»—", "\xAB\xBB\x97"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        EXPECT_EQ(tv::Utf8ToCp1251(c.Utf8), c.Cp1251);
        EXPECT_EQ(tv::Cp1251ToUtf8(c.Cp1251), c.Utf8);
    }
}

TEST(CodePage, UnrepresentableOrInvalidBecomesQuestionMark)
{
    const std::vector<TTextCase> cases = {
        {"chinese", "a中b", "a?b"},
        {"greek", "αβ", "??"},
        {"emoji", "x\xF0\x9F\x98\x80y", "x?y"},
        {"lone continuation", "a\x80z", "a?z"},
        {"cut sequence at end", "a\xD0", "a?"},
        {"overlong slash", "\xC0\xAF", "??"},
        {"surrogate", "\xED\xA0\x80", "???"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        EXPECT_EQ(tv::Utf8ToCp1251(c.Utf8), c.Cp1251);
    }
}

// Characters 1251 holds in another form are stored as that form; what it
// cannot hold is told apart before anything is stored.
TEST(CodePage, DataTextsFoldWhat1251HoldsInAnotherForm)
{
    const std::vector<TTextCase> cases = {
        {"Ukrainian apostrophe", "м\u02BCята", "\xEC\x92\xFF\xF2\xE0"},
        {"right quote as it is", "м\u2019ята", "\xEC\x92\xFF\xF2\xE0"},
        {"turned comma and reversed quote", "\u02BB\u201B\u201F", "\x91\x91\x93"},
        {"thin, narrow no-break and en spaces", "1\u2009000\u202F0\u2002x", "1 000 0 x"},
        {"no-break space as it is", "1\u00A0000", "1\xA0" "000"},
        {"hyphens and minus", "a\u2010b\u2011c\u22121", "a-b-c-1"},
        {"figure dash and bar", "\u2012\u2015", "\x96\x97"},
        {"what has no form stays lost", "Caf\u00E9 M\u00FCller", "Caf? M?ller"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        EXPECT_EQ(tv::TextToCp1251(c.Utf8), c.Cp1251);
        EXPECT_EQ(tv::Cp1251Holds(c.Utf8), c.Cp1251.find('?') == std::string::npos);
    }
    // The plain conversion stays strict: the password digest depends on it.
    EXPECT_EQ(tv::Utf8ToCp1251("\u02BC\u2009"), "??");
    EXPECT_FALSE(tv::Cp1251Holds(std::string("a\0b", 3)));
    EXPECT_FALSE(tv::Cp1251Holds("a\xD0"));
    EXPECT_TRUE(tv::Cp1251Holds("Чай «Її» №5 – 2€"));
    EXPECT_EQ(tv::Cp1251ByteOf(0x02BC), 0x92);
    EXPECT_EQ(tv::Cp1251ByteOf(0x00E9), -1);
    EXPECT_EQ(tv::Cp1251ByteOf(0), -1);
}

TEST(CodePage, AppendUtf8AtEachLengthBoundary)
{
    const std::vector<std::pair<char32_t, std::string>> cases = {
        {0x7F, "\x7F"},
        {0x80, "\xC2\x80"},
        {0x7FF, "\xDF\xBF"},
        {0x800, "\xE0\xA0\x80"},
        {0xFFFF, "\xEF\xBF\xBF"},
        {0x10000, "\xF0\x90\x80\x80"},
        {0x10FFFF, "\xF4\x8F\xBF\xBF"},
    };
    for (const auto& [c, bytes] : cases) {
        std::string out = "x";
        tv::AppendUtf8(out, c);
        EXPECT_EQ(out, "x" + bytes) << std::hex << static_cast<uint32_t>(c);
    }
}

TEST(CodePage, AppendedConversionEqualsTheConversion)
{
    std::string everyByte;
    for (int b = 0; b < 256; ++b) everyByte += static_cast<char>(b);
    const std::vector<std::pair<const char*, std::string>> cases = {
        {"empty", ""},
        {"ascii", "Abc 1.5"},
        {"cyrillic", "\xCF\xF0\xE8\xE2\xE5\xF2 \xA8\xB8\xB2\xB3\xAF\xBF\xAA\xBA\xA5\xB4"},
        {"no cyrillic letter", "\xB9\x88\xAB\xBB\x97\x85\x99\xA0\xB0\xB1\x98"},
        {"three-byte character last", "a\x88"},
        {"full width of a name", std::string(40, '\xFF')},
        {"every byte", everyByte},
    };
    for (const auto& [name, bytes] : cases) {
        SCOPED_TRACE(name);
        std::string out = "prefix ";
        tv::AppendCp1251AsUtf8(out, bytes);
        EXPECT_EQ(out, "prefix " + tv::Cp1251ToUtf8(bytes));
        // A reused buffer: cleared, then filled again.
        out.clear();
        tv::AppendCp1251AsUtf8(out, bytes);
        EXPECT_EQ(out, tv::Cp1251ToUtf8(bytes));
    }
}

TEST(CodePage, LengthCountsAnInvalidByteAsOneCharacter)
{
    const std::vector<std::pair<std::string, size_t>> cases = {
        {"", 0},
        {"Дата1", 5},
        {"€№", 2},
        {"x\xF0\x9F\x98\x80y", 3},
        {"\xC0\xAF", 2},      // overlong
        {"\xC1\x80", 2},      // overlong
        {"a\xD0", 2},          // cut at the end
        {"\xD0 ", 2},          // no continuation
        {"\x80\x80", 2},      // lone continuations
        {"\xED\xA0\x80", 3}, // surrogate
    };
    for (const auto& [text, length] : cases)
        EXPECT_EQ(tv::Utf8Length(text), length) << text;
}

TEST(CodePage, ValidityOfUtf8)
{
    struct Case { const char* Name; std::string Bytes; bool Valid; };
    const Case cases[] = {
        {"empty", "", true},
        {"ascii", "abc;1,2", true},
        {"cyrillic", "\xD0\xA6\xD1\x96\xD0\xBD\xD0\xB0", true},  // "Ціна"
        {"three and four bytes", "\xE2\x82\xAC\xF0\x9F\x98\x80", true},
        {"1251 bytes", "\xD6\xB3\xED\xE0", false},  // "Ціна" in 1251
        {"cut at the end", "ab\xD0", false},
        {"lone continuation", "\x80", false},
        {"overlong", "\xC0\xAF", false},
        {"surrogate", "\xED\xA0\x80", false},
        {"past 0x10FFFF", "\xF4\x90\x80\x80", false},
        {"no continuation", "\xE2\x82" "A", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(tv::IsValidUtf8(c.Bytes), c.Valid) << c.Name;
}

TEST(CodePage, LengthLeftAndUpperCaseCountCharacters)
{
    EXPECT_EQ(tv::Utf8Length("Дата1"), 5u);
    EXPECT_EQ(tv::Utf8Left("Дата1", 3), "Дат");
    EXPECT_EQ(tv::Utf8Left("ab", 5), "ab");
    EXPECT_EQ(tv::AnsiUpperCase("true Ёлка ґї"), "TRUE ЁЛКА ҐЇ");
    EXPECT_TRUE(tv::AnsiSameText("Код товара", "КОД ТОВАРА"));
    EXPECT_FALSE(tv::AnsiSameText("Код", "Кот"));
}

// The conversions of one-line texts as a character decoder gives them,
// beside which the byte-wise fast paths are checked.
namespace model {

struct TChar {
    char32_t Char;
    size_t Len;
    bool Ok;
};

TChar Decode(std::string_view s, size_t pos)
{
    const auto b0 = static_cast<unsigned char>(s[pos]);
    const size_t len = b0 < 0x80 ? 1 : b0 >= 0xF8 ? 0 : b0 >= 0xF0 ? 4 : b0 >= 0xE0 ? 3 : b0 >= 0xC0 ? 2 : 0;
    if (len == 0 || pos + len > s.size()) return {0, 1, false};
    char32_t c = len == 1 ? b0 : b0 & (0x7F >> len);
    for (size_t i = 1; i < len; ++i) {
        const auto b = static_cast<unsigned char>(s[pos + i]);
        if ((b & 0xC0) != 0x80) return {0, 1, false};
        c = c << 6 | (b & 0x3F);
    }
    const size_t shortest = c < 0x80 ? 1 : c < 0x800 ? 2 : c < 0x10000 ? 3 : 4;
    if (shortest != len || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return {0, 1, false};
    return {c, len, true};
}

std::string OneLine(std::string_view text)
{
    std::string out;
    for (size_t pos = 0; pos < text.size();) {
        const TChar d = Decode(text, pos);
        if (d.Ok && tv::IsControlChar(d.Char)) {
            out += ' ';
            if (d.Char == '\r' && pos + 1 < text.size() && text[pos + 1] == '\n') ++pos;
        } else {
            out.append(text, pos, d.Len);
        }
        pos += d.Len;
    }
    return out;
}

std::string TextToCp1251(std::string_view text)
{
    std::string out;
    for (size_t pos = 0; pos < text.size();) {
        const TChar d = Decode(text, pos);
        pos += d.Len;
        const int b = !d.Ok ? -1 : d.Char == 0 ? 0 : tv::Cp1251ByteOf(d.Char);
        out += b < 0 ? '?' : static_cast<char>(b);
    }
    return out;
}

bool Cp1251Holds(std::string_view text)
{
    for (size_t pos = 0; pos < text.size();) {
        const TChar d = Decode(text, pos);
        if (!d.Ok || tv::Cp1251ByteOf(d.Char) < 0) return false;
        pos += d.Len;
    }
    return true;
}

bool IsValidUtf8(std::string_view text)
{
    for (size_t pos = 0; pos < text.size();) {
        const TChar d = Decode(text, pos);
        if (!d.Ok) return false;
        pos += d.Len;
    }
    return true;
}

} // namespace model

// Pieces the texts below are made of: controls of each kind and their
// near misses, letters of one to four bytes, characters 1251 folds or
// lacks, and invalid UTF-8.
const std::vector<std::string> kPieces = {
    "a", "7", " ", "\t", "\r", "\n", "\r\n", std::string(1, '\0'), "\x7F", "\x1F",
    "\u0080", "\u0085", "\u0098", "\u009F", "\u00A0", "\u00A9",
    "\u2028", "\u2029", "\u2027", "\u202F", "\u2009", "\u02BC", "\u2212", "\u3000",
    "Ж", "ж", "А", "я", "р", "П", "Ё", "ё", "Ї", "ґ", "Ђ", "ѓ", "€", "№", "—", "中", "é", "\U0001F600",
    "\xC2", "\xE2", "\xE2\x80", "\xE2\x80\x80", "\xD0", "\xD1", "\x80", "\xBF", "\xC0\xAF", "\xC1\x80",
    "\xED\xA0\x80", "\xF4\x90\x80\x80", "\xF8", "\xFF", "\xE0\x80\xA8",
};

TEST(CodePage, OneLineConversionsMatchTheDecoderOnEdgeTexts)
{
    std::vector<std::pair<std::string, std::string>> texts = {
        {"empty", ""},
        {"ascii", "Plain name 12"},
        {"russian", "Новый товар 12"},
        {"CR at the end", "a\r"},
        {"CR CR LF", "a\r\r\nb"},
        {"LF CR", "a\n\rb"},
        {"C1 lead cut at the end", "a\xC2"},
        {"separator cut at the end", "a\xE2\x80"},
        {"lead before a control", "\xD0\x01\xE2\r\n\xC2\u0085"},
        {"no-break spaces and tabs around", "\u00A0\t name \u2009\u00A0"},
    };
    // Every piece alone, then texts of pieces taken at random (a fixed seed).
    for (const std::string& p : kPieces)
        texts.emplace_back("piece", p);
    std::mt19937 random(1251);
    for (int n = 0; n < 3000; ++n) {
        std::string text;
        for (int k = random() % 12; k >= 0; --k)
            text += kPieces[random() % kPieces.size()];
        texts.emplace_back("random", text);
    }
    for (const auto& [name, text] : texts) {
        SCOPED_TRACE(::testing::Message() << name << " " << ::testing::PrintToString(text));
        const std::string line = model::OneLine(text);
        ASSERT_EQ(tv::OneLine(text), line);
        const std::string stored = model::TextToCp1251(line);
        ASSERT_EQ(tv::TextToCp1251(text), model::TextToCp1251(text));
        ASSERT_EQ(tv::TextToCp1251(line), stored);
        ASSERT_EQ(tv::Cp1251Holds(text), model::Cp1251Holds(text));
        ASSERT_EQ(tv::IsValidUtf8(text), model::IsValidUtf8(text));
        // The cut of every width, also inside the bytes of a character.
        for (size_t width = 0; width <= stored.size() + 1; ++width)
            ASSERT_EQ(tv::TextToCp1251Line(text, width), stored.substr(0, width)) << width;
        // The stored bytes show as their one-line text and as nothing else.
        const std::string shown = tv::Cp1251ToOneLine(stored);
        EXPECT_TRUE(tv::Cp1251ShowsAs(stored, shown));
        EXPECT_EQ(tv::Cp1251ShowsAs(stored, text), shown == text);
        EXPECT_EQ(tv::Cp1251ShowsAs(stored, line), shown == line);
        if (!shown.empty()) {
            EXPECT_FALSE(tv::Cp1251ShowsAs(stored, shown.substr(0, shown.size() - 1)));
            EXPECT_FALSE(tv::Cp1251ShowsAs(stored, shown + "x"));
        }
    }
}

// Stored bytes with CR LF pairs, lone breaks and the byte 1251 leaves
// undefined show as blanks; the comparison takes them as the conversion does.
TEST(CodePage, StoredBytesShowAsTheirOneLineText)
{
    struct TCase {
        const char* Name;
        std::string Bytes;
        std::string Text;
        bool Shows;
    };
    const TCase cases[] = {
        {"empty shows as empty", "", "", true},
        {"empty is no blank", "", " ", false},
        {"CR LF as one blank", "a\r\nb", "a b", true},
        {"CR LF not as two", "a\r\nb", "a  b", false},
        {"LF CR as two", "a\n\rb", "a  b", true},
        {"0x98 and a tab", "\x98\t", "  ", true},
        {"Cyrillic", "\xCF\xF0\xE8", "При", true},
        {"other case", "\xCF\xF0\xE8", "при", false},
        {"three-byte character", "\x88", "€", true},
        {"cut three-byte character", "\x88", "\xE2\x82", false},
        {"the bytes themselves", "\xCF", "\xCF", false},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        EXPECT_EQ(tv::Cp1251ShowsAs(c.Bytes, c.Text), c.Shows);
        EXPECT_EQ(tv::Cp1251ToOneLine(c.Bytes) == c.Text, c.Shows);
    }
}

} // namespace
