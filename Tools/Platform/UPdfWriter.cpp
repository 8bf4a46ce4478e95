#include "UPdfWriter.h"

#include "UException.h"

#include <QFont>
#include <QRawFont>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <condition_variable>
#include <cstring>
#include <map>
#include <mutex>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tv {

namespace {

constexpr size_t FlushSize = 1 << 18;

uint16_t Get16(const QByteArray& t, size_t at)
{
    if (at + 2 > size_t(t.size()))
        return 0;
    return uint16_t(uint8_t(t[qsizetype(at)]) << 8 | uint8_t(t[qsizetype(at + 1)]));
}

int16_t GetS16(const QByteArray& t, size_t at) { return int16_t(Get16(t, at)); }

uint32_t Get32(const QByteArray& t, size_t at)
{
    return uint32_t(Get16(t, at)) << 16 | Get16(t, at + 2);
}

void Put16(std::string& s, uint16_t v)
{
    s += char(v >> 8);
    s += char(v & 0xFF);
}

void Put32(std::string& s, uint32_t v)
{
    Put16(s, uint16_t(v >> 16));
    Put16(s, uint16_t(v & 0xFFFF));
}

void Set32(std::string& s, size_t at, uint32_t v)
{
    s[at] = char(v >> 24), s[at + 1] = char(v >> 16), s[at + 2] = char(v >> 8), s[at + 3] = char(v);
}

uint32_t CheckSum(std::string_view data)
{
    uint32_t sum = 0;
    for (size_t i = 0; i < data.size(); i += 4) {
        uint32_t word = 0;
        for (size_t k = 0; k < 4; ++k)
            word = word << 8 | (i + k < data.size() ? uint8_t(data[i + k]) : 0);
        sum += word;
    }
    return sum;
}

// Units per em and the hhea ascent, descent (positive) and line gap of
// the face; false when its head or hhea table is missing or short.
bool ReadFaceMetrics(const QRawFont& raw, int& unitsPerEm, int& ascent, int& descent, int& leading)
{
    const QByteArray head = raw.fontTable("head");
    const QByteArray hhea = raw.fontTable("hhea");
    if (!raw.isValid() || head.size() < 54 || hhea.size() < 36)
        return false;
    unitsPerEm = std::max<int>(16, Get16(head, 18));
    ascent = GetS16(hhea, 4);
    descent = -GetS16(hhea, 6);
    leading = GetS16(hhea, 8);
    return true;
}

// One code point from the UTF-8 text at pos (U+FFFD for a bad sequence).
char32_t NextCodePoint(std::string_view s, size_t& pos)
{
    const uint8_t c = uint8_t(s[pos++]);
    if (c < 0x80)
        return c;
    int more = c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : c >= 0xC0 ? 1 : -1;
    if (more < 0 || c > 0xF4)
        return 0xFFFD;
    char32_t cp = c & (0x3F >> more);
    for (; more > 0; --more) {
        if (pos >= s.size() || (uint8_t(s[pos]) & 0xC0) != 0x80)
            return 0xFFFD;
        cp = cp << 6 | (uint8_t(s[pos++]) & 0x3F);
    }
    return cp;
}

// A number with at most two decimals, written into p; the end.
char* PutNumber(char* p, double v)
{
    int64_t n = int64_t(v * 100 + (v < 0 ? -0.5 : 0.5));
    if (n < 0)
        *p++ = '-', n = -n;
    char digits[24];
    int len = 0;
    int64_t whole = n / 100;
    do
        digits[len++] = char('0' + whole % 10), whole /= 10;
    while (whole != 0);
    while (len > 0)
        *p++ = digits[--len];
    const int cents = int(n % 100);
    if (cents != 0) {
        *p++ = '.';
        *p++ = char('0' + cents / 10);
        if (cents % 10 != 0)
            *p++ = char('0' + cents % 10);
    }
    return p;
}

// NextCodePoint with the one-byte letters inline.
inline char32_t NextChar(std::string_view s, size_t& pos)
{
    const uint8_t c = uint8_t(s[pos]);
    if (c < 0x80) {
        ++pos;
        return c;
    }
    return NextCodePoint(s, pos);
}

void AppendNumber(std::string& s, double v)
{
    char buf[32];
    s.append(buf, PutNumber(buf, v));
}

void AppendInt(std::string& s, int64_t v)
{
    char buf[24];
    const auto r = std::to_chars(buf, buf + sizeof buf, v);
    s.append(buf, r.ptr);
}

void AppendHex4(std::string& s, uint32_t v)
{
    static const char digits[] = "0123456789ABCDEF";
    for (int shift = 12; shift >= 0; shift -= 4)
        s += digits[(v >> shift) & 0xF];
}

// A code point as UTF-16BE in hex.
void AppendUtf16Hex(std::string& s, char32_t cp)
{
    if (cp >= 0x10000) {
        cp -= 0x10000;
        AppendHex4(s, 0xD800 + (cp >> 10));
        AppendHex4(s, 0xDC00 + (cp & 0x3FF));
    } else
        AppendHex4(s, cp);
}

// A text for the document information as a UTF-16BE hex string.
std::string InfoString(const std::string& text)
{
    std::string s = "<FEFF";
    for (size_t pos = 0; pos < text.size();)
        AppendUtf16Hex(s, NextCodePoint(text, pos));
    return s + ">";
}

struct TFont {
    QRawFont Raw;
    std::string Name;
    int UnitsPerEm = 1000;
    int Ascent = 0, Descent = 0, Leading = 0;  // design units, descent positive
    int BoxLeft = 0, BoxBottom = 0, BoxRight = 0, BoxTop = 0;
    int CapHeight = 0;
    double ItalicAngle = 0;
    bool Bold = false;
    std::vector<uint16_t> Advances;  // per glyph, design units
    std::vector<uint32_t> Bmp;       // per code point below 0x10000: Slot, 0 when not read
    std::map<char32_t, uint16_t> Others;
    std::vector<char32_t> Used;      // per glyph: the code point it shows, 0 when unused
    int Object = 0;                  // the Type0 font dictionary

    // Glyph id (low 16 bits) and advance (the 15 bits above) of the code
    // point, with the top bit set.
    uint32_t Slot(char32_t cp)
    {
        if (cp < 0x10000) {
            uint32_t& slot = Bmp[cp];
            if (slot == 0)
                slot = MakeSlot(Lookup(cp));
            return slot;
        }
        const auto it = Others.find(cp);
        if (it != Others.end())
            return MakeSlot(it->second);
        return MakeSlot(Others[cp] = Lookup(cp));
    }
    uint32_t MakeSlot(uint16_t glyph) const
    {
        const uint32_t advance = std::min<uint32_t>(uint32_t(Advance(glyph)), 0x7FFF);
        return 0x80000000u | advance << 16 | glyph;
    }
    uint16_t Glyph(char32_t cp) { return uint16_t(Slot(cp) & 0xFFFF); }
    uint16_t Lookup(char32_t cp) const
    {
        QString s;
        if (cp >= 0x10000) {
            s += QChar(ushort(0xD800 + ((cp - 0x10000) >> 10)));
            s += QChar(ushort(0xDC00 + ((cp - 0x10000) & 0x3FF)));
        } else
            s += QChar(ushort(cp));
        const QList<quint32> ids = Raw.glyphIndexesForString(s);
        const quint32 id = ids.isEmpty() ? 0 : ids.front();
        return id < Advances.size() ? uint16_t(id) : 0;
    }
    double Advance(uint16_t glyph) const
    {
        return glyph < Advances.size() ? Advances[glyph] : Advances.empty() ? 0 : Advances.back();
    }
    int Scaled(double v) const { return int(v * 1000 / UnitsPerEm + (v < 0 ? -0.5 : 0.5)); }
};

} // namespace

struct TPdfWriter::TImpl {
    int Fd = -1;
    std::string Out;     // bytes not yet written
    uint64_t Written = 0;  // bytes written before Out
    std::vector<uint64_t> Offsets{0};  // per object number
    std::vector<int> Pages;
    std::vector<std::unique_ptr<TFont>> Fonts;
    std::string Content;  // the open page
    bool PageOpen = false;
    double PageWidth = 0, PageHeight = 0;
    int PageFont = -1;
    double PageFontSize = 0;
    bool InText = false;      // inside BT .. ET
    int64_t LineX = 0, LineY = 0;  // start of the text line, hundredths of a point
    uint32_t PageFill = 0;
    int PagesObject = 0, ResourcesObject = 0, InfoObject = 0;
    std::string Title;
    bool Failed = false;

    int Reserve()
    {
        Offsets.push_back(0);
        return int(Offsets.size() - 1);
    }
    void Begin(int object)
    {
        Offsets[size_t(object)] = Written + Out.size();
        AppendInt(Out, object);
        Out += " 0 obj\n";
    }
    // The bytes go to the file from a thread of their own while the next
    // ones are made: Out is handed over, and comes back empty once the
    // buffer before it is written.
    std::thread Thread;
    std::mutex Lock;
    std::condition_variable Changed;
    std::string Pending;
    bool HasPending = false, Stop = false;
    int Error = 0;  // errno of the first failed write

    void WriteLoop()
    {
        std::unique_lock lock(Lock);
        for (;;) {
            Changed.wait(lock, [this] { return HasPending || Stop; });
            if (!HasPending)
                return;
            lock.unlock();
            int error = 0;
            for (size_t done = 0; done < Pending.size();) {
                const ssize_t n = ::write(Fd, Pending.data() + done, Pending.size() - done);
                if (n < 0 && errno == EINTR)
                    continue;
                if (n <= 0) {
                    error = n < 0 ? errno : ENOSPC;
                    break;
                }
                done += size_t(n);
            }
            lock.lock();
            if (Error == 0)
                Error = error;
            Pending.clear();
            HasPending = false;
            Changed.notify_all();
        }
    }
    void RaiseError(const std::string& path, int error)
    {
        throw Exception("Cannot write the file " + path + ": " + std::strerror(error), "EPdfWriter");
    }
    // Hands Out to the writing thread; raises the error of a write before.
    void Flush(const std::string& path)
    {
        if (!Thread.joinable())
            Thread = std::thread([this] { WriteLoop(); });
        std::unique_lock lock(Lock);
        Changed.wait(lock, [this] { return !HasPending; });
        if (Error != 0)
            RaiseError(path, Error);
        Written += Out.size();
        std::swap(Pending, Out);
        HasPending = true;
        Changed.notify_all();
    }
    // Waits for every byte handed over to be written.
    void Drain(const std::string& path)
    {
        std::unique_lock lock(Lock);
        Changed.wait(lock, [this] { return !HasPending; });
        if (Error != 0)
            RaiseError(path, Error);
    }
    void StopThread() noexcept
    {
        if (!Thread.joinable())
            return;
        {
            std::lock_guard lock(Lock);
            Stop = true;
        }
        Changed.notify_all();
        Thread.join();
    }
    void MaybeFlush(const std::string& path)
    {
        if (Out.size() >= FlushSize)
            Flush(path);
    }
    void Stream(int object, std::string_view data, const std::string& dict = {})
    {
        Begin(object);
        Out += "<< /Length ";
        AppendInt(Out, int64_t(data.size()));
        Out += dict;
        Out += " >>\nstream\n";
        Out += data;
        Out += "\nendstream\nendobj\n";
    }
    void EndPage(const std::string& path);
    void WriteFont(TFont& font);
};

namespace {

// The TrueType file of the font with the outlines of unused glyphs left
// out; glyph ids stay as they are.
std::string SubsetFont(const TFont& font)
{
    const QRawFont& raw = font.Raw;
    const QByteArray head = raw.fontTable("head");
    const QByteArray maxp = raw.fontTable("maxp");
    const QByteArray loca = raw.fontTable("loca");
    const QByteArray glyf = raw.fontTable("glyf");
    const size_t glyphs = Get16(maxp, 4);
    const bool longLoca = GetS16(head, 50) == 1;
    auto location = [&](size_t g) -> size_t {
        return longLoca ? Get32(loca, g * 4) : size_t(Get16(loca, g * 2)) * 2;
    };
    // Glyphs used, with the components of composite glyphs.
    std::vector<bool> keep(glyphs, false);
    std::vector<size_t> todo;
    for (size_t g = 0; g < glyphs; ++g)
        if (g == 0 || (g < font.Used.size() && font.Used[g] != 0))
            todo.push_back(g);
    while (!todo.empty()) {
        const size_t g = todo.back();
        todo.pop_back();
        if (g >= glyphs || keep[g])
            continue;
        keep[g] = true;
        const size_t start = location(g), end = location(g + 1);
        if (end <= start + 10 || GetS16(glyf, start) >= 0)
            continue;
        size_t at = start + 10;
        for (;;) {
            const uint16_t flags = Get16(glyf, at);
            todo.push_back(Get16(glyf, at + 2));
            at += 4 + ((flags & 0x0001) ? 4 : 2);
            if (flags & 0x0008)
                at += 2;
            else if (flags & 0x0040)
                at += 4;
            else if (flags & 0x0080)
                at += 8;
            if (!(flags & 0x0020) || at >= end)
                break;
        }
    }
    std::string newGlyf, newLoca;
    for (size_t g = 0; g < glyphs; ++g) {
        Put32(newLoca, uint32_t(newGlyf.size()));
        if (!keep[g])
            continue;
        const size_t start = location(g), end = location(g + 1);
        if (end > start && end <= size_t(glyf.size()))
            newGlyf.append(glyf.constData() + start, end - start);
        newGlyf.resize((newGlyf.size() + 3) & ~size_t(3), '\0');
    }
    Put32(newLoca, uint32_t(newGlyf.size()));
    std::string newHead(head.constData(), size_t(head.size()));
    if (newHead.size() >= 54) {
        Set32(newHead, 8, 0);  // checkSumAdjustment, set below
        newHead[50] = 0, newHead[51] = 1;  // long loca
    }

    struct TTable {
        const char* Tag;
        std::string Data;
    };
    std::vector<TTable> tables;
    for (const char* tag : {"OS/2", "cmap", "cvt ", "fpgm", "glyf", "head", "hhea", "hmtx", "loca",
                            "maxp", "name", "post", "prep"}) {
        std::string data;
        if (!std::strcmp(tag, "glyf"))
            data = newGlyf;
        else if (!std::strcmp(tag, "loca"))
            data = newLoca;
        else if (!std::strcmp(tag, "head"))
            data = newHead;
        else {
            const QByteArray t = raw.fontTable(tag);
            if (t.isEmpty())
                continue;
            data.assign(t.constData(), size_t(t.size()));
        }
        tables.push_back({tag, std::move(data)});
    }
    const uint16_t count = uint16_t(tables.size());
    uint16_t power = 1, log = 0;
    while (power * 2 <= count)
        power *= 2, ++log;
    std::string file;
    Put32(file, 0x00010000);
    Put16(file, count);
    Put16(file, uint16_t(power * 16));
    Put16(file, log);
    Put16(file, uint16_t(count * 16 - power * 16));
    size_t offset = 12 + 16 * size_t(count), headAt = 0;
    for (const TTable& t : tables) {
        file.append(t.Tag, 4);
        Put32(file, CheckSum(t.Data));
        Put32(file, uint32_t(offset));
        Put32(file, uint32_t(t.Data.size()));
        if (!std::strcmp(t.Tag, "head"))
            headAt = offset;
        offset += (t.Data.size() + 3) & ~size_t(3);
    }
    for (const TTable& t : tables) {
        file += t.Data;
        file.resize((file.size() + 3) & ~size_t(3), '\0');
    }
    if (headAt != 0 && newHead.size() >= 54)
        Set32(file, headAt + 8, 0xB1B0AFBA - CheckSum(file));
    return file;
}

} // namespace

void TPdfWriter::TImpl::EndPage(const std::string& path)
{
    if (!PageOpen)
        return;
    PageOpen = false;
    if (InText)
        Content += "ET\n";
    InText = false;
    const int content = Reserve(), page = Reserve();
    Stream(content, Content);
    Content.clear();
    Begin(page);
    Out += "<< /Type /Page /Parent ";
    AppendInt(Out, PagesObject);
    Out += " 0 R /MediaBox [0 0 ";
    AppendNumber(Out, PageWidth);
    Out += ' ';
    AppendNumber(Out, PageHeight);
    Out += "] /Resources ";
    AppendInt(Out, ResourcesObject);
    Out += " 0 R /Contents ";
    AppendInt(Out, content);
    Out += " 0 R >>\nendobj\n";
    Pages.push_back(page);
    MaybeFlush(path);
}

void TPdfWriter::TImpl::WriteFont(TFont& font)
{
    const int cidFont = Reserve(), descriptor = Reserve(), file = Reserve(), toUnicode = Reserve();
    const std::string program = SubsetFont(font);
    Stream(file, program, " /Length1 " + std::to_string(program.size()));

    std::string map =
        "/CIDInit /ProcSet findresource begin\n12 dict begin\nbegincmap\n"
        "/CIDSystemInfo << /Registry (Adobe) /Ordering (UCS) /Supplement 0 >> def\n"
        "/CMapName /Adobe-Identity-UCS def\n/CMapType 2 def\n"
        "1 begincodespacerange\n<0000> <FFFF>\nendcodespacerange\n";
    std::string widths;
    std::vector<uint16_t> used;
    for (size_t g = 0; g < font.Used.size(); ++g)
        if (font.Used[g] != 0)
            used.push_back(uint16_t(g));
    for (size_t i = 0; i < used.size(); i += 100) {
        const size_t n = std::min<size_t>(100, used.size() - i);
        AppendInt(map, int64_t(n));
        map += " beginbfchar\n";
        for (size_t k = i; k < i + n; ++k) {
            map += '<';
            AppendHex4(map, used[k]);
            map += "> <";
            AppendUtf16Hex(map, font.Used[used[k]]);
            map += ">\n";
        }
        map += "endbfchar\n";
    }
    map += "endcmap\nCMapName currentdict /CMap defineresource pop\nend\nend\n";
    Stream(toUnicode, map);
    for (uint16_t g : used) {
        AppendInt(widths, g);
        widths += " [";
        AppendInt(widths, font.Scaled(font.Advance(g)));
        widths += "] ";
    }

    Begin(descriptor);
    Out += "<< /Type /FontDescriptor /FontName /" + font.Name + " /Flags " +
           std::to_string(4 | (font.ItalicAngle != 0 ? 64 : 0)) + " /FontBBox [" +
           std::to_string(font.Scaled(font.BoxLeft)) + ' ' +
           std::to_string(font.Scaled(font.BoxBottom)) + ' ' +
           std::to_string(font.Scaled(font.BoxRight)) + ' ' +
           std::to_string(font.Scaled(font.BoxTop)) + "] /ItalicAngle ";
    AppendNumber(Out, font.ItalicAngle);
    Out += " /Ascent " + std::to_string(font.Scaled(font.Ascent)) + " /Descent " +
           std::to_string(-font.Scaled(font.Descent)) + " /CapHeight " +
           std::to_string(font.Scaled(font.CapHeight)) + " /StemV " +
           std::to_string(font.Bold ? 120 : 80) + " /FontFile2 " + std::to_string(file) +
           " 0 R >>\nendobj\n";
    Begin(cidFont);
    Out += "<< /Type /Font /Subtype /CIDFontType2 /BaseFont /" + font.Name +
           " /CIDSystemInfo << /Registry (Adobe) /Ordering (Identity) /Supplement 0 >>"
           " /FontDescriptor " +
           std::to_string(descriptor) + " 0 R /CIDToGIDMap /Identity /DW " +
           std::to_string(font.Scaled(font.Advance(0))) + " /W [" + widths + "] >>\nendobj\n";
    Begin(font.Object);
    Out += "<< /Type /Font /Subtype /Type0 /BaseFont /" + font.Name +
           " /Encoding /Identity-H /DescendantFonts [" + std::to_string(cidFont) +
           " 0 R] /ToUnicode " + std::to_string(toUnicode) + " 0 R >>\nendobj\n";
}

TPdfWriter::TPdfWriter(const std::string& path, const std::string& title)
    : F(std::make_unique<TImpl>()), FPath(path)
{
    F->Fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (F->Fd < 0)
        throw Exception("Cannot create the file " + path + ": " + std::strerror(errno),
                        "EPdfWriter");
    F->Title = title;
    F->Out.reserve(FlushSize + (FlushSize >> 2));
    F->Pending.reserve(F->Out.capacity());
    F->Out = "%PDF-1.4\n%\xE2\xE3\xCF\xD3\n";
    F->PagesObject = F->Reserve();
    F->ResourcesObject = F->Reserve();
    F->InfoObject = F->Reserve();
}

TPdfWriter::~TPdfWriter() { Abort(); }

int TPdfWriter::AddFont(const QFont& qfont)
{
    auto font = std::make_unique<TFont>();
    font->Raw = QRawFont::fromFont(qfont);
    const QByteArray head = font->Raw.fontTable("head");
    const QByteArray hhea = font->Raw.fontTable("hhea");
    const QByteArray hmtx = font->Raw.fontTable("hmtx");
    const QByteArray maxp = font->Raw.fontTable("maxp");
    if (!ReadFaceMetrics(font->Raw, font->UnitsPerEm, font->Ascent, font->Descent, font->Leading) ||
        maxp.size() < 6 || font->Raw.fontTable("glyf").isEmpty() || font->Raw.fontTable("loca").isEmpty())
        throw Exception("The font " + qfont.family().toStdString() +
                            " has no TrueType outlines to embed in a PDF file",
                        "EPdfWriter");
    font->BoxLeft = GetS16(head, 36), font->BoxBottom = GetS16(head, 38);
    font->BoxRight = GetS16(head, 40), font->BoxTop = GetS16(head, 42);
    const QByteArray os2 = font->Raw.fontTable("OS/2");
    font->CapHeight = os2.size() >= 90 && Get16(os2, 0) >= 2 ? GetS16(os2, 88) : font->Ascent;
    const QByteArray post = font->Raw.fontTable("post");
    if (post.size() >= 8)
        font->ItalicAngle = int32_t(Get32(post, 4)) / 65536.0;
    font->Bold = qfont.bold();
    const size_t glyphs = Get16(maxp, 4);
    const size_t metrics = std::max<size_t>(1, Get16(hhea, 34));
    font->Advances.resize(glyphs);
    for (size_t g = 0; g < glyphs; ++g)
        font->Advances[g] = Get16(hmtx, std::min(g, metrics - 1) * 4);
    font->Bmp.assign(0x10000, 0);
    font->Used.assign(glyphs, 0);
    std::string name;
    for (QChar c : font->Raw.familyName() + font->Raw.styleName())
        if (c.unicode() > 32 && c.unicode() < 127 && !QString("()<>[]{}/%#").contains(c))
            name += char(c.unicode());
    const int index = int(F->Fonts.size());
    font->Name = std::string("TVPDF") + char('A' + index % 26) + "+" + (name.empty() ? "Font" : name);
    font->Object = F->Reserve();
    F->Fonts.push_back(std::move(font));
    return index;
}

bool TPdfWriter::FaceMetrics(const QFont& font, double& ascent, double& descent, double& leading)
{
    int units = 0, a = 0, d = 0, l = 0;
    if (!ReadFaceMetrics(QRawFont::fromFont(font), units, a, d, l))
        return false;
    ascent = double(a) / units, descent = double(d) / units, leading = double(l) / units;
    return true;
}

double TPdfWriter::Ascent(int font) const
{
    const TFont& f = *F->Fonts[size_t(font)];
    return double(f.Ascent) / f.UnitsPerEm;
}

double TPdfWriter::Descent(int font) const
{
    const TFont& f = *F->Fonts[size_t(font)];
    return double(f.Descent) / f.UnitsPerEm;
}

double TPdfWriter::Leading(int font) const
{
    const TFont& f = *F->Fonts[size_t(font)];
    return double(f.Leading) / f.UnitsPerEm;
}

double TPdfWriter::Advance(int font, std::string_view text)
{
    TFont& f = *F->Fonts[size_t(font)];
    uint64_t sum = 0;
    for (size_t pos = 0; pos < text.size();)
        sum += (f.Slot(NextChar(text, pos)) >> 16) & 0x7FFF;
    return double(sum) / f.UnitsPerEm;
}

size_t TPdfWriter::FittingPrefix(int font, std::string_view text, double maxAdvance)
{
    TFont& f = *F->Fonts[size_t(font)];
    const double limit = maxAdvance * f.UnitsPerEm;
    uint64_t sum = 0;
    for (size_t pos = 0; pos < text.size();) {
        const size_t start = pos;
        sum += (f.Slot(NextChar(text, pos)) >> 16) & 0x7FFF;
        if (double(sum) > limit)
            return start;
    }
    return text.size();
}

void TPdfWriter::NewPage(double width, double height)
{
    F->EndPage(FPath);
    F->PageOpen = true;
    F->PageWidth = width, F->PageHeight = height;
    F->PageFont = -1;
    F->PageFill = 0;
}

void TPdfWriter::FillRect(double left, double top, double width, double height, uint32_t rgb)
{
    TV_ASSERT(F->PageOpen, "No page");
    std::string& c = F->Content;
    if (F->InText) {
        c += "ET\n";
        F->InText = false;
    }
    if (rgb != F->PageFill) {
        AppendNumber(c, ((rgb >> 16) & 0xFF) / 255.0);
        c += ' ';
        AppendNumber(c, ((rgb >> 8) & 0xFF) / 255.0);
        c += ' ';
        AppendNumber(c, (rgb & 0xFF) / 255.0);
        c += " rg\n";
        F->PageFill = rgb;
    }
    AppendNumber(c, left);
    c += ' ';
    AppendNumber(c, F->PageHeight - top - height);
    c += ' ';
    AppendNumber(c, width);
    c += ' ';
    AppendNumber(c, height);
    c += " re f\n";
}

void TPdfWriter::Text(double x, double baseline, int font, double size, std::string_view text)
{
    TV_ASSERT(F->PageOpen, "No page");
    TFont& f = *F->Fonts[size_t(font)];
    std::string& c = F->Content;
    // Room for the operators and two numbers, and each byte of the text
    // as a glyph id of two bytes, each escaped.
    const size_t start = c.size();
    c.resize(start + 96 + text.size() * 4);
    char* p = c.data() + start;
    auto put = [&p](std::string_view s) {
        std::memcpy(p, s.data(), s.size());
        p += s.size();
    };
    if (F->PageFill != 0) {
        put("0 g\n");
        F->PageFill = 0;
    }
    if (!F->InText) {
        put("BT\n");
        F->InText = true;
        F->LineX = F->LineY = 0;
    }
    if (font != F->PageFont || size != F->PageFontSize) {
        put("/F");
        p = std::to_chars(p, p + 8, font).ptr;
        *p++ = ' ';
        p = PutNumber(p, size);
        put(" Tf\n");
        F->PageFont = font, F->PageFontSize = size;
    }
    // Td moves from the start of the line before; the moves are whole
    // hundredths so that they add up to the places exactly.
    const int64_t tx = std::llround(x * 100), ty = std::llround((F->PageHeight - baseline) * 100);
    p = PutNumber(p, double(tx - F->LineX) / 100);
    *p++ = ' ';
    p = PutNumber(p, double(ty - F->LineY) / 100);
    F->LineX = tx, F->LineY = ty;
    put(" Td(");
    for (size_t pos = 0; pos < text.size();) {
        const char32_t cp = NextChar(text, pos);
        const uint16_t g = f.Glyph(cp);
        if (f.Used[g] == 0)
            f.Used[g] = cp;
        for (const char byte : {char(g >> 8), char(g & 0xFF)}) {
            if (byte == '(' || byte == ')' || byte == '\\')
                *p++ = '\\', *p++ = byte;
            else if (byte == '\r')
                *p++ = '\\', *p++ = 'r';
            else
                *p++ = byte;
        }
    }
    put(")Tj\n");
    c.resize(size_t(p - c.data()));
}

void TPdfWriter::Finish()
{
    TV_ASSERT(F->Fd >= 0, "Document closed");
    try {
        if (!F->PageOpen && F->Pages.empty())
            NewPage(595, 842);
        F->EndPage(FPath);
        for (auto& font : F->Fonts)
            F->WriteFont(*font);
        std::string& o = F->Out;
        F->Begin(F->ResourcesObject);
        o += "<< /ProcSet [/PDF /Text] /Font <<";
        for (size_t i = 0; i < F->Fonts.size(); ++i)
            o += " /F" + std::to_string(i) + ' ' + std::to_string(F->Fonts[i]->Object) + " 0 R";
        o += " >> >>\nendobj\n";
        F->Begin(F->PagesObject);
        o += "<< /Type /Pages /Count " + std::to_string(F->Pages.size()) + " /Kids [";
        for (int page : F->Pages) {
            AppendInt(o, page);
            o += " 0 R ";
        }
        o += "] >>\nendobj\n";
        F->Begin(F->InfoObject);
        o += "<< /Title " + InfoString(F->Title) + " /Creator " + InfoString("Tarnovell") +
             " /Producer " + InfoString("Tarnovell") + " >>\nendobj\n";
        const int catalog = F->Reserve();
        F->Begin(catalog);
        o += "<< /Type /Catalog /Pages " + std::to_string(F->PagesObject) + " 0 R >>\nendobj\n";
        const uint64_t xref = F->Written + o.size();
        o += "xref\n0 " + std::to_string(F->Offsets.size()) + "\n0000000000 65535 f \n";
        for (size_t i = 1; i < F->Offsets.size(); ++i) {
            char line[24];
            std::snprintf(line, sizeof line, "%010llu 00000 n \n",
                          static_cast<unsigned long long>(F->Offsets[i]));
            o += line;
        }
        o += "trailer\n<< /Size " + std::to_string(F->Offsets.size()) + " /Root " +
             std::to_string(catalog) + " 0 R /Info " + std::to_string(F->InfoObject) +
             " 0 R >>\nstartxref\n" + std::to_string(xref) + "\n%%EOF\n";
        F->Flush(FPath);
        F->Drain(FPath);
        F->StopThread();
        const int fd = F->Fd;
        F->Fd = -1;
        if (::close(fd) != 0) {
            const int error = errno;
            std::remove(FPath.c_str());
            F->RaiseError(FPath, error);
        }
    } catch (...) {
        Abort();
        throw;
    }
}

void TPdfWriter::Abort() noexcept
{
    if (F->Fd < 0)
        return;
    F->StopThread();
    ::close(F->Fd);
    F->Fd = -1;
    F->Out.clear();
    // Only a file of our own goes: never a device such as /dev/full.
    struct stat st {};
    if (::stat(FPath.c_str(), &st) == 0 && S_ISREG(st.st_mode))
        ::unlink(FPath.c_str());
}

} // namespace tv
