#include "UCodePage.h"

#include <cstdint>
#include <algorithm>
#include <cstring>

namespace tv {

namespace {

// Characters of the bytes 0x80..0xBF; 0xC0..0xFF are U+0410..U+044F.
// 0x98 has no character and is carried as U+0098 so that it survives.
const char32_t kHigh[64] = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021,
    0x20AC, 0x2030, 0x0409, 0x2039, 0x040A, 0x040C, 0x040B, 0x040F,
    0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x0098, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F,
    0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7,
    0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407,
    0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6, 0x00B7,
    0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457,
};

char32_t ByteToChar(unsigned char b)
{
    if (b < 0x80) return b;
    if (b >= 0xC0) return 0x0410 + (b - 0xC0);
    return kHigh[b - 0x80];
}

int CharToByte(char32_t c)
{
    if (c < 0x80) return static_cast<int>(c);
    if (c >= 0x0410 && c <= 0x044F) return static_cast<int>(0xC0 + (c - 0x0410));
    for (int i = 0; i < 64; ++i)
        if (kHigh[i] == c) return 0x80 + i;
    return -1;
}

// Characters 1251 lacks, stored as the byte of the character they stand
// for: the Ukrainian apostrophe as the right quote, thin and other
// typographic spaces as a blank (so a pasted name matches a typed one),
// hyphens and the minus sign as "-". A character 1251 has keeps its byte.
struct TFold {
    char32_t Char;
    unsigned char Byte;
};
const TFold kFolds[] = {
    {0x02BB, 0x91}, {0x02BC, 0x92}, {0x2000, ' '}, {0x2001, ' '}, {0x2002, ' '}, {0x2003, ' '},
    {0x2004, ' '},  {0x2005, ' '},  {0x2006, ' '}, {0x2007, ' '}, {0x2008, ' '}, {0x2009, ' '},
    {0x200A, ' '},  {0x2010, '-'},  {0x2011, '-'}, {0x2012, 0x96}, {0x2015, 0x97}, {0x201B, 0x91},
    {0x201F, 0x93}, {0x202F, ' '},  {0x205F, ' '}, {0x2212, '-'},
};

int FoldedByte(char32_t c)
{
    if (const int b = CharToByte(c); b >= 0) return b;
    for (const TFold& f : kFolds)
        if (f.Char == c) return f.Byte;
    return -1;
}

// Decodes one character at pos; an invalid sequence gives len 1 and ok false.
struct TDecoded {
    char32_t Char;
    size_t Len;
    bool Ok;
};

TDecoded DecodeAt(std::string_view s, size_t pos)
{
    const auto b0 = static_cast<unsigned char>(s[pos]);
    if (b0 < 0x80) return {b0, 1, true};
    size_t len;
    char32_t c;
    char32_t min;
    if ((b0 & 0xE0) == 0xC0) {
        len = 2; c = b0 & 0x1F; min = 0x80;
    } else if ((b0 & 0xF0) == 0xE0) {
        len = 3; c = b0 & 0x0F; min = 0x800;
    } else if ((b0 & 0xF8) == 0xF0) {
        len = 4; c = b0 & 0x07; min = 0x10000;
    } else {
        return {0, 1, false};
    }
    if (pos + len > s.size()) return {0, 1, false};
    for (size_t i = 1; i < len; ++i) {
        const auto b = static_cast<unsigned char>(s[pos + i]);
        if ((b & 0xC0) != 0x80) return {0, 1, false};
        c = (c << 6) | (b & 0x3F);
    }
    if (c < min || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return {0, 1, false};
    return {c, len, true};
}

char32_t UpperChar(char32_t c)
{
    if (c >= 'a' && c <= 'z') return c - 0x20;
    if (c >= 0x0430 && c <= 0x044F) return c - 0x20;
    if (c >= 0x0450 && c <= 0x045F) return c - 0x50;
    if (c == 0x0491) return 0x0490;
    return c;
}

// The UTF-8 bytes of every 1251 byte, at most three, and their count.
struct TUtf8Of {
    char Bytes[4];
    uint8_t Len;
};

// With oneLine, a control character's byte gives a blank.
struct TUtf8Table {
    TUtf8Of Of[256];
    explicit TUtf8Table(bool oneLine)
    {
        for (int b = 0; b < 256; ++b) {
            std::string s;
            const char32_t c = ByteToChar(static_cast<unsigned char>(b));
            AppendUtf8(s, oneLine && IsControlChar(c) ? U' ' : c);
            Of[b].Len = static_cast<uint8_t>(s.size());
            for (size_t i = 0; i < 4; ++i) Of[b].Bytes[i] = i < s.size() ? s[i] : 0;
        }
    }
};

// The bytes through the table appended to out; with oneLine the LF of a
// CR LF pair is left out, so the pair gives one blank.
void AppendThrough(const TUtf8Table& table, bool oneLine, std::string& out, std::string_view bytes)
{
    const size_t start = out.size();
    // One more byte of room: four bytes are always copied, the length says
    // how many count.
    out.resize(start + bytes.size() * 3 + 1);
    char* p = out.data() + start;
    for (size_t i = 0; i < bytes.size(); ++i) {
        const TUtf8Of& u = table.Of[static_cast<unsigned char>(bytes[i])];
        std::memcpy(p, u.Bytes, 4);
        p += u.Len;
        if (oneLine && bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') ++i;
    }
    out.resize(static_cast<size_t>(p - out.data()));
}

const TUtf8Table& OneLineTable()
{
    static const TUtf8Table table(true);
    return table;
}

} // namespace

bool IsControlChar(char32_t c)
{
    return c < 0x20 || (c >= 0x7F && c <= 0x9F) || c == 0x2028 || c == 0x2029;
}

void AppendCp1251AsUtf8(std::string& out, std::string_view bytes)
{
    static const TUtf8Table table(false);
    AppendThrough(table, false, out, bytes);
}

void AppendCp1251AsOneLine(std::string& out, std::string_view bytes)
{
    AppendThrough(OneLineTable(), true, out, bytes);
}

std::string Cp1251ToOneLine(std::string_view bytes)
{
    std::string out;
    AppendCp1251AsOneLine(out, bytes);
    return out;
}

bool Cp1251ShowsAs(std::string_view bytes, std::string_view text)
{
    if (text.size() < bytes.size() / 2) return false;
    size_t at = 0;
    for (size_t i = 0; i < bytes.size(); ++i) {
        const TUtf8Of& u = OneLineTable().Of[static_cast<unsigned char>(bytes[i])];
        if (text.size() - at < u.Len || std::memcmp(text.data() + at, u.Bytes, u.Len) != 0) return false;
        at += u.Len;
        if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') ++i;
    }
    return at == text.size();
}

namespace {

// The length of the control character whose bytes begin at pos, 0 for any
// other byte. Every byte that continues no character is where the decoder
// starts one, valid or not, so the controls are found by their bytes: C0
// and DEL, U+0080..U+009F (C2 80..9F), U+2028 and U+2029 (E2 80 A8..A9).
size_t ControlAt(std::string_view s, size_t pos)
{
    const auto b = static_cast<unsigned char>(s[pos]);
    if (b < 0x20 || b == 0x7F) return 1;
    if (b == 0xC2)
        return pos + 1 < s.size() && static_cast<unsigned char>(s[pos + 1]) >= 0x80 &&
                       static_cast<unsigned char>(s[pos + 1]) <= 0x9F
                   ? 2
                   : 0;
    if (b == 0xE2)
        return pos + 2 < s.size() && s[pos + 1] == '\x80' && (s[pos + 2] == '\xA8' || s[pos + 2] == '\xA9') ? 3 : 0;
    return 0;
}

bool MayStartControl(char c)
{
    const auto b = static_cast<unsigned char>(c);
    return b < 0x20 || b == 0x7F || b == 0xC2 || b == 0xE2;
}

// The bytes of one control character at pos, with the LF of a CR LF pair.
size_t ControlSpan(std::string_view s, size_t pos, size_t len)
{
    return len == 1 && s[pos] == '\r' && pos + 1 < s.size() && s[pos + 1] == '\n' ? 2 : len;
}

} // namespace

std::string OneLine(std::string_view text)
{
    std::string out;
    size_t done = 0;
    for (size_t pos = 0; pos < text.size(); ++pos) {
        if (!MayStartControl(text[pos])) continue;
        const size_t len = ControlAt(text, pos);
        if (len == 0) continue;
        if (out.empty()) out.reserve(text.size());
        out.append(text, done, pos - done);
        out += ' ';
        pos += ControlSpan(text, pos, len) - 1;
        done = pos + 1;
    }
    if (done == 0) return std::string(text);
    out.append(text, done);
    return out;
}

void AppendUtf8(std::string& out, char32_t c)
{
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

std::string Cp1251ToUtf8(std::string_view bytes)
{
    std::string out;
    out.reserve(bytes.size() * 2);
    for (char b : bytes) AppendUtf8(out, ByteToChar(static_cast<unsigned char>(b)));
    return out;
}

namespace {

// The 1251 byte of a letter U+0410..U+044F whose two bytes begin at pos,
// or -1: most characters of a Russian or Ukrainian text, taken without the
// decoder.
int BasicCyrillicAt(std::string_view s, size_t pos)
{
    if (pos + 1 >= s.size()) return -1;
    const auto b = static_cast<unsigned char>(s[pos]), n = static_cast<unsigned char>(s[pos + 1]);
    if (b == 0xD0 && n >= 0x90 && n <= 0xBF) return 0xC0 + (n - 0x90);
    if (b == 0xD1 && n >= 0x80 && n <= 0x8F) return 0xF0 + (n - 0x80);
    return -1;
}

// Each UTF-8 character as the byte byteOf gives it, "?" where it gives -1,
// and every byte of invalid UTF-8 as "?".
template <class F>
std::string ToCp1251(std::string_view text, F byteOf)
{
    std::string out;
    out.reserve(text.size());
    for (size_t pos = 0; pos < text.size();) {
        if (static_cast<unsigned char>(text[pos]) < 0x80) {
            out += text[pos++];
            continue;
        }
        if (const int c = BasicCyrillicAt(text, pos); c >= 0) {
            out += static_cast<char>(c);
            pos += 2;
            continue;
        }
        const TDecoded d = DecodeAt(text, pos);
        pos += d.Len;
        const int b = d.Ok ? byteOf(d.Char) : -1;
        out += b < 0 ? '?' : static_cast<char>(b);
    }
    return out;
}

} // namespace

std::string Utf8ToCp1251(std::string_view text) { return ToCp1251(text, CharToByte); }

std::string TextToCp1251(std::string_view text) { return ToCp1251(text, FoldedByte); }

std::string TextToCp1251Line(std::string_view text, size_t width)
{
    // Every character takes one byte of the text at least.
    std::string out(std::min(text.size(), width), '\0');
    char* p = out.data();
    char* const end = p + out.size();
    for (size_t pos = 0; p < end;) {
        const auto b = static_cast<unsigned char>(text[pos]);
        if (b >= 0x20 && b < 0x7F) {
            *p++ = static_cast<char>(b);
            ++pos;
        } else if (const size_t len = ControlAt(text, pos); len > 0) {
            *p++ = ' ';
            pos += ControlSpan(text, pos, len);
        } else if (const int c = BasicCyrillicAt(text, pos); c >= 0) {
            *p++ = static_cast<char>(c);
            pos += 2;
        } else {
            const TDecoded d = DecodeAt(text, pos);
            pos += d.Len;
            const int f = d.Ok ? FoldedByte(d.Char) : -1;
            *p++ = f < 0 ? '?' : static_cast<char>(f);
        }
        if (pos >= text.size()) break;
    }
    out.resize(static_cast<size_t>(p - out.data()));
    return out;
}

int Cp1251ByteOf(char32_t c)
{
    return c == 0 ? -1 : FoldedByte(c);
}

bool Cp1251Holds(std::string_view text)
{
    for (size_t pos = 0; pos < text.size();) {
        const auto b = static_cast<unsigned char>(text[pos]);
        if (b > 0 && b < 0x80) {
            ++pos;
        } else if (BasicCyrillicAt(text, pos) >= 0) {
            pos += 2;
        } else {
            const TDecoded d = DecodeAt(text, pos);
            if (!d.Ok || Cp1251ByteOf(d.Char) < 0) return false;
            pos += d.Len;
        }
    }
    return true;
}

bool IsValidUtf8(std::string_view text)
{
    for (size_t pos = 0; pos < text.size();) {
        // ASCII and the two-byte characters without the full decoder.
        const auto b0 = static_cast<unsigned char>(text[pos]);
        if (b0 < 0x80) {
            ++pos;
            continue;
        }
        if (b0 >= 0xC2 && b0 < 0xE0 && pos + 1 < text.size() &&
            (static_cast<unsigned char>(text[pos + 1]) & 0xC0) == 0x80) {
            pos += 2;
            continue;
        }
        const TDecoded d = DecodeAt(text, pos);
        if (!d.Ok) return false;
        pos += d.Len;
    }
    return true;
}

size_t Utf8Length(std::string_view text)
{
    size_t n = 0;
    for (size_t pos = 0; pos < text.size(); ++n) {
        const auto b0 = static_cast<unsigned char>(text[pos]);
        // ASCII and the two-byte characters (Cyrillic) without the full decoder.
        if (b0 < 0x80)
            ++pos;
        else if (b0 >= 0xC2 && b0 < 0xE0 && pos + 1 < text.size() &&
                 (static_cast<unsigned char>(text[pos + 1]) & 0xC0) == 0x80)
            pos += 2;
        else
            pos += DecodeAt(text, pos).Len;
    }
    return n;
}

std::string Utf8Left(std::string_view text, size_t count)
{
    size_t pos = 0;
    for (size_t n = 0; n < count && pos < text.size(); ++n) pos += DecodeAt(text, pos).Len;
    return std::string(text.substr(0, pos));
}

std::string AnsiUpperCase(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (size_t pos = 0; pos < text.size();) {
        const TDecoded d = DecodeAt(text, pos);
        if (d.Ok)
            AppendUtf8(out, UpperChar(d.Char));
        else
            out += text[pos];
        pos += d.Len;
    }
    return out;
}

bool AnsiSameText(std::string_view a, std::string_view b)
{
    return AnsiUpperCase(a) == AnsiUpperCase(b);
}

} // namespace tv
