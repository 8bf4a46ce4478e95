#include "UStringUtils.h"

#include "UCodePage.h"
#include "UException.h"

namespace tv {

namespace {

bool IsContinuationByte(char c) {
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

std::size_t CharCount(const std::string& text) {
    std::size_t count = 0;
    for (char c : text)
        if (!IsContinuationByte(c)) ++count;
    return count;
}

// Byte offset where character number index (from 0) starts; text.size()
// when the text has no more characters.
std::size_t CharOffset(const std::string& text, std::size_t index) {
    std::size_t seen = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (IsContinuationByte(text[i])) continue;
        if (seen == index) return i;
        ++seen;
    }
    return text.size();
}

std::string EncodeChar(char32_t c) {
    TV_ASSERT(c <= 0x10FFFF && (c < 0xD800 || c > 0xDFFF), "Fill character is not a valid code point");
    std::string out;
    AppendUtf8(out, c);
    return out;
}

std::string Repeat(const std::string& piece, std::size_t times) {
    std::string out;
    out.reserve(piece.size() * times);
    for (std::size_t i = 0; i < times; ++i) out += piece;
    return out;
}

} // namespace

std::string PadLeft(const std::string& text, int newLen, char32_t fill) {
    TV_ASSERT(newLen >= 0, "newLen is negative");
    const std::size_t want = static_cast<std::size_t>(newLen);
    const std::size_t have = CharCount(text);
    if (have >= want) return text.substr(CharOffset(text, have - want));
    return Repeat(EncodeChar(fill), want - have) + text;
}

std::string PadRight(const std::string& text, int newLen, char32_t fill) {
    TV_ASSERT(newLen >= 0, "newLen is negative");
    const std::size_t want = static_cast<std::size_t>(newLen);
    const std::size_t have = CharCount(text);
    if (have >= want) return text.substr(0, CharOffset(text, want));
    return text + Repeat(EncodeChar(fill), want - have);
}

std::string ZeroPadNumber(std::uint32_t number, std::uint8_t width) {
    TV_ASSERT(number > 0, "Number must be positive");
    return PadLeft(std::to_string(number), width, U'0');
}

std::string UrlEncodeText(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        switch (c) {
        case ' ': out += "%20"; break;
        case '\r': out += "%0D"; break;
        case '\n': out += "%0A"; break;
        default: out += c; break;
        }
    }
    return out;
}

std::string UnscrambleText(const std::uint8_t* bytes, std::size_t count) {
    TV_ASSERT(bytes != nullptr || count == 0, "No bytes to unscramble");
    std::string out(count, '\0');
    for (std::size_t i = 0; i < count; ++i)
        out[i] = static_cast<char>(bytes[i] ^ static_cast<std::uint8_t>((i + 1) % 256));
    return out;
}

std::string UnscrambleText(std::span<const std::uint8_t> bytes) {
    return UnscrambleText(bytes.data(), bytes.size());
}

std::string FormatText(const std::string& format, const std::vector<TFormatArg>& args) {
    const auto fail = [&format]() {
        throw EConvertError("Format '" + format + "' invalid or incompatible with argument");
    };
    std::string out;
    std::size_t next = 0;
    for (std::size_t i = 0; i < format.size(); ++i) {
        if (format[i] != '%') {
            out += format[i];
            continue;
        }
        if (++i >= format.size()) fail();
        if (format[i] == '%') {
            out += '%';
            continue;
        }
        std::size_t index = next;
        if (format[i] >= '0' && format[i] <= '9') {
            index = 0;
            while (i < format.size() && format[i] >= '0' && format[i] <= '9') {
                index = index * 10 + static_cast<std::size_t>(format[i] - '0');
                if (index > args.size()) fail();
                ++i;
            }
            if (i >= format.size() || format[i] != ':') fail();
            if (++i >= format.size()) fail();
        }
        if (index >= args.size()) fail();
        const TFormatArg& arg = args[index];
        const char kind = format[i];
        if (kind == 's' && std::holds_alternative<std::string>(arg))
            out += std::get<std::string>(arg);
        else if (kind == 'd' && std::holds_alternative<std::int64_t>(arg))
            out += std::to_string(std::get<std::int64_t>(arg));
        else
            fail();
        next = index + 1;
    }
    return out;
}

} // namespace tv
