#include "UTextUtils.h"

#include <gtest/gtest.h>

namespace {

TEST(TextUtils, TrimTextDropsBlanksAndControlsAtBothEnds)
{
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"  a b \t", "a b"},
        {"\r\n\x01 12.10.2025\x1F", "12.10.2025"},
        {"   ", ""},
        {"", ""},
        {"\xD0\x9A\xD0\xBE\xD0\xB4 ", "\xD0\x9A\xD0\xBE\xD0\xB4"},
    };
    for (const auto& [text, trimmed] : cases) EXPECT_EQ(tv::TrimText(text), trimmed) << text;
}

TEST(TextUtils, AsciiSameTextFoldsOnlyLatinLetters)
{
    EXPECT_TRUE(tv::AsciiSameText("Software\\Tarnovell", "SOFTWARE\\tarnovell"));
    EXPECT_TRUE(tv::AsciiSameText("", ""));
    EXPECT_FALSE(tv::AsciiSameText("Key", "Keys"));
    EXPECT_FALSE(tv::AsciiSameText("[", "{")) << "bytes next to the letters stay apart";
    EXPECT_FALSE(tv::AsciiSameText("Ключ", "КЛЮЧ")) << "Cyrillic is compared byte for byte";
}

TEST(TextUtils, SplitLinesTakesLfOrCrLf)
{
    using Lines = std::vector<std::string>;
    const std::vector<std::pair<std::string, Lines>> cases = {
        {"", {}},
        {"a", {"a"}},
        {"a\r\nb\r\n", {"a", "b"}},
        {"a\nb", {"a", "b"}},
        {"a\n\n\r\nb\n", {"a", "", "", "b"}},
        {"a\r\r\nb\rc", {"a\r", "b\rc"}},
        {"\n", {""}},
    };
    for (const auto& [text, lines] : cases) EXPECT_EQ(tv::SplitLines(text), lines) << text;
}

} // namespace
