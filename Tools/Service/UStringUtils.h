#pragma once
// Padding, number and address texts. Texts are UTF-8; padding counts
// characters (code points), the address routines work on bytes.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <variant>
#include <vector>

namespace tv {

// Exactly newLen characters: the last newLen characters of text when it has
// at least that many, otherwise text preceded by fill characters.
// newLen < 0 fails with EAssertionFailed "newLen is negative".
std::string PadLeft(const std::string& text, int newLen, char32_t fill);

// Exactly newLen characters: the first newLen characters of text, otherwise
// text followed by fill characters. Same assertion as PadLeft.
std::string PadRight(const std::string& text, int newLen, char32_t fill);

// The decimal digits of number, PadLeft to width with '0' (a longer number
// keeps its last width digits). number 0 fails with EAssertionFailed
// "Number must be positive".
std::string ZeroPadNumber(std::uint32_t number, std::uint8_t width);

// Each blank becomes "%20", each CR "%0D", each LF "%0A"; every other byte is
// copied unchanged.
std::string UrlEncodeText(const std::string& text);

// count bytes, byte i combined by exclusive-or with (i + 1) mod 256. The
// routine is its own inverse, so it also scrambles a text for storage.
std::string UnscrambleText(const std::uint8_t* bytes, std::size_t count);
std::string UnscrambleText(std::span<const std::uint8_t> bytes);

// An argument of FormatText: a text for "s" placeholders, a whole number for
// "d" placeholders.
using TFormatArg = std::variant<std::string, std::int64_t>;

// The format with its placeholders filled: "%n:s" and "%n:d" take argument n
// (0-based), "%s" and "%d" the argument after the one used last, "%%" gives
// "%". A placeholder of another kind, one whose argument is missing or of the
// other type, or a lone "%" raise EConvertError naming the format.
std::string FormatText(const std::string& format, const std::vector<TFormatArg>& args);

} // namespace tv
