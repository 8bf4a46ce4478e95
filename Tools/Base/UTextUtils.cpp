#include "UTextUtils.h"

#include <algorithm>

namespace tv {

namespace {

char LowerAscii(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

} // namespace

std::string TrimText(std::string_view text) { return std::string(TrimView(text)); }

std::string_view TrimView(std::string_view text)
{
    size_t b = 0, e = text.size();
    while (b < e && static_cast<unsigned char>(text[b]) <= ' ')
        ++b;
    while (e > b && static_cast<unsigned char>(text[e - 1]) <= ' ')
        --e;
    return text.substr(b, e - b);
}

bool AsciiSameText(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (LowerAscii(a[i]) != LowerAscii(b[i]))
            return false;
    return true;
}

std::vector<std::string> SplitLines(std::string_view text)
{
    std::vector<std::string> lines;
    size_t i = 0;
    while (i < text.size()) {
        const size_t j = std::min(text.find('\n', i), text.size());
        std::string_view line = text.substr(i, j - i);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        lines.emplace_back(line);
        i = j + 1;
    }
    return lines;
}

} // namespace tv
