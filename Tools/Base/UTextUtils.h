#pragma once
// Small byte-wise text helpers shared by the configuration, registry and
// options units.

#include <string>
#include <string_view>
#include <vector>

namespace tv {

// text without the blanks and control characters (bytes up to ' ') at both
// ends.
std::string TrimText(std::string_view text);
// The same part of text, in its own memory.
std::string_view TrimView(std::string_view text);

// a and b are equal when the ASCII letters A..Z are taken as a..z; every
// other byte must match exactly.
bool AsciiSameText(std::string_view a, std::string_view b);

// The lines of text, each without its LF and one CR before it; a text that
// ends with LF has no empty line after it.
std::vector<std::string> SplitLines(std::string_view text);

} // namespace tv
