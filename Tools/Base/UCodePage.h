#pragma once
// Conversion between UTF-8 (text in memory) and code page 1251 (one byte per
// character in data files), and upper-casing in the user's letters.

#include <string>
#include <string_view>

namespace tv {

// Each 1251 byte becomes its UTF-8 character. Never fails.
std::string Cp1251ToUtf8(std::string_view bytes);
// The same conversion appended to out, by a table of the 256 bytes: for
// loops that reuse one buffer.
void AppendCp1251AsUtf8(std::string& out, std::string_view bytes);

// True for what a one-line text holds none of: the control characters (C0,
// DEL, C1) and the line and paragraph separators.
bool IsControlChar(char32_t c);

// The text with each control character as one blank, a CR LF pair as one:
// names, notes and codes are one line. Bytes of invalid UTF-8 stay.
std::string OneLine(std::string_view text);

// Cp1251ToUtf8 and AppendCp1251AsUtf8 of the one-line text: a control
// byte (and 0x98, which 1251 leaves undefined) shows as a blank, a CR LF
// pair as one.
std::string Cp1251ToOneLine(std::string_view bytes);
void AppendCp1251AsOneLine(std::string& out, std::string_view bytes);
// Cp1251ToOneLine(bytes) == text, without building the text.
bool Cp1251ShowsAs(std::string_view bytes, std::string_view text);

// Each UTF-8 character becomes its 1251 byte; a character 1251 cannot hold
// and every byte of invalid UTF-8 become "?". Never fails.
std::string Utf8ToCp1251(std::string_view text);

// Utf8ToCp1251 for the texts of data files: a character 1251 lacks but
// holds in another form (the apostrophe U+02BC, thin spaces, hyphens)
// becomes that form's byte; every character 1251 has keeps its own.
std::string TextToCp1251(std::string_view text);
// TextToCp1251(OneLine(text)) cut to its first width bytes, in one pass.
std::string TextToCp1251Line(std::string_view text, size_t width);

// The byte TextToCp1251 stores for the character, or -1 when 1251 cannot
// hold it; NUL, which ends a stored text, counts as not held.
int Cp1251ByteOf(char32_t c);

// True when the text is valid UTF-8 and TextToCp1251 keeps every character
// of it: none is lost as "?" and none is NUL.
bool Cp1251Holds(std::string_view text);

// Appends the UTF-8 bytes of the code point c (at most 0x10FFFF) to out.
void AppendUtf8(std::string& out, char32_t c);

// True when every byte belongs to a well-formed UTF-8 character (no overlong
// forms, surrogates or values past 0x10FFFF).
bool IsValidUtf8(std::string_view text);

// Number of characters of a UTF-8 text (an invalid byte counts as one).
size_t Utf8Length(std::string_view text);

// The first count characters of a UTF-8 text.
std::string Utf8Left(std::string_view text, size_t count);

// Upper case of Latin and Cyrillic letters in a UTF-8 text; everything else
// is kept as it is.
std::string AnsiUpperCase(std::string_view text);

// AnsiUpperCase(a) == AnsiUpperCase(b).
bool AnsiSameText(std::string_view a, std::string_view b);

} // namespace tv
