#include "UStringUtils.h"

#include "UException.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace tv {
namespace {

struct PadCase {
    const char* name;
    std::string text;
    int newLen;
    char32_t fill;
    std::string left;
    std::string right;
};

TEST(StringUtils, PadLeftAndRight) {
    const std::vector<PadCase> cases = {
        {"longer text is cut", "12345", 3, U'*', "345", "123"},
        {"shorter text is filled", "12", 5, U'*', "***12", "12***"},
        {"exact length unchanged", "abc", 3, U'*', "abc", "abc"},
        {"zero width gives empty", "12345", 0, U'*', "", ""},
        {"empty text is all fill", "", 4, U' ', "    ", "    "},
        {"empty text to zero", "", 0, U' ', "", ""},
        // Cyrillic letters are two bytes each; widths count characters.
        {"cyrillic cut keeps whole letters", "Привет", 4, U' ', "ивет", "Прив"},
        {"cyrillic filled by characters", "Ціна", 6, U'.', "..Ціна", "Ціна.."},
        {"cyrillic fill character", "7", 3, U'Ж', "ЖЖ7", "7ЖЖ"},
        {"mixed text", "Код-1", 3, U'*', "д-1", "Код"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(PadLeft(c.text, c.newLen, c.fill), c.left);
        EXPECT_EQ(PadRight(c.text, c.newLen, c.fill), c.right);
    }
}

TEST(StringUtils, PadRejectsNegativeLength) {
    for (int newLen : {-1, -100}) {
        SCOPED_TRACE(newLen);
        try {
            PadLeft("abc", newLen, U' ');
            ADD_FAILURE() << "PadLeft accepted a negative length";
        } catch (const EAssertionFailed& e) {
            EXPECT_EQ(e.Text(), "newLen is negative");
        }
        try {
            PadRight("abc", newLen, U' ');
            ADD_FAILURE() << "PadRight accepted a negative length";
        } catch (const EAssertionFailed& e) {
            EXPECT_EQ(e.Text(), "newLen is negative");
        }
    }
    // A fill that is no character at all is refused too, not written as junk.
    EXPECT_THROW(PadLeft("1", 3, char32_t{0xD800}), EAssertionFailed);
    EXPECT_THROW(PadRight("1", 3, char32_t{0x110000}), EAssertionFailed);
}

TEST(StringUtils, ZeroPadNumber) {
    struct Case {
        const char* name;
        std::uint32_t number;
        std::uint8_t width;
        std::string expected;
    };
    const std::vector<Case> cases = {
        {"padded", 7, 3, "007"},
        {"last digits kept", 123, 2, "23"},
        {"exact width", 123, 3, "123"},
        {"zero width", 5, 0, ""},
        {"largest number", 4294967295u, 12, "004294967295"},
        {"largest width", 1, 255, std::string(254, '0') + "1"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(ZeroPadNumber(c.number, c.width), c.expected);
    }
    try {
        ZeroPadNumber(0, 3);
        ADD_FAILURE() << "ZeroPadNumber accepted 0";
    } catch (const EAssertionFailed& e) {
        EXPECT_EQ(e.Text(), "Number must be positive");
    }
}

TEST(StringUtils, UrlEncodeText) {
    struct Case {
        const char* name;
        std::string text;
        std::string expected;
    };
    const std::vector<Case> cases = {
        {"empty", "", ""},
        {"blanks", "a b  c", "a%20b%20%20c"},
        {"line breaks", "one\r\ntwo\nthree\r", "one%0D%0Atwo%0Athree%0D"},
        {"tab and ampersand unchanged", "a\tb&c", "a\tb&c"},
        {"other reserved characters unchanged", "?=#%+/:@", "?=#%+/:@"},
        {"cyrillic bytes unchanged", "Версия 1.0", "Версия%201.0"},
        {"mail subject", "Support (version 1.2, 3)", "Support%20(version%201.2,%203)"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(UrlEncodeText(c.text), c.expected);
    }
}

TEST(StringUtils, UnscrambleText) {
    // Byte i is combined with (i + 1) mod 256.
    const std::vector<std::uint8_t> abc = {'a' ^ 1, 'b' ^ 2, 'c' ^ 3};
    EXPECT_EQ(UnscrambleText(abc), "abc");
    EXPECT_EQ(UnscrambleText(abc.data(), 2), "ab");
    EXPECT_EQ(UnscrambleText(nullptr, 0), "");

    // Past 255 bytes the key wraps: byte 255 is combined with 0, byte 256 with 1.
    std::vector<std::uint8_t> zeros(300, 0);
    const std::string key = UnscrambleText(zeros);
    ASSERT_EQ(key.size(), 300u);
    EXPECT_EQ(static_cast<std::uint8_t>(key[0]), 1);
    EXPECT_EQ(static_cast<std::uint8_t>(key[254]), 255);
    EXPECT_EQ(static_cast<std::uint8_t>(key[255]), 0);
    EXPECT_EQ(static_cast<std::uint8_t>(key[256]), 1);

    // Zero bytes inside the result are kept, the length is the count.
    const std::vector<std::uint8_t> withZero = {1, 'x' ^ 2};
    EXPECT_EQ(UnscrambleText(withZero), std::string("\0x", 2));
}

TEST(StringUtils, ScrambleRoundTrip) {
    const std::vector<std::string> texts = {
        "http://www.example.org/tarnovell/ru",
        "mailto-free text with blanks\r\nand line breaks",
        "Кириллица: Українська",
        std::string(600, 'z'),
    };
    for (const auto& text : texts) {
        SCOPED_TRACE(text.substr(0, 40));
        const std::string scrambled = UnscrambleText(
            reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
        EXPECT_NE(scrambled, text);
        EXPECT_EQ(UnscrambleText(reinterpret_cast<const std::uint8_t*>(scrambled.data()),
                                 scrambled.size()),
                  text);
    }
}

struct FormatCase {
    const char* name;
    std::string format;
    std::vector<TFormatArg> args;
    std::string expected;
};

TEST(StringUtils, FormatTextFillsPlaceholders) {
    const std::vector<FormatCase> cases = {
        {"indexed texts", "Apply (version %0:s, %1:s)", {std::string("1.2"), std::string("x")},
         "Apply (version 1.2, x)"},
        {"indexed numbers", "(page %0:d of %1:d)", {std::int64_t{3}, std::int64_t{7}}, "(page 3 of 7)"},
        {"indexes out of order and repeated", "%1:s-%0:s-%1:s", {std::string("a"), std::string("b")}, "b-a-b"},
        {"plain placeholders run on after an index", "%1:d %d %0:d %d",
         {std::int64_t{0}, std::int64_t{1}, std::int64_t{2}}, "1 2 0 1"},
        {"negative number", "%d", {std::int64_t{-42}}, "-42"},
        {"percent sign", "100%% of %s", {std::string("it")}, "100% of it"},
        {"no placeholders", "plain", {}, "plain"},
        {"cyrillic text kept", "(страница %0:d из %1:d)", {std::int64_t{1}, std::int64_t{2}}, "(страница 1 из 2)"},
        {"argument holding a placeholder is not formatted", "%s", {std::string("%d")}, "%d"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(FormatText(c.format, c.args), c.expected);
    }
}

TEST(StringUtils, FormatTextRefusesBadPlaceholders) {
    const std::vector<FormatCase> cases = {
        {"text for a number", "%0:d", {std::string("3")}, ""},
        {"number for a text", "%0:s", {std::int64_t{3}}, ""},
        {"index past the arguments", "%2:s", {std::string("a"), std::string("b")}, ""},
        {"plain placeholder past the arguments", "%0:s %s", {std::string("a")}, ""},
        {"no arguments", "%s", {}, ""},
        {"lone percent at the end", "50%", {}, ""},
        {"unknown kind", "%0:x", {std::string("a")}, ""},
        {"index without colon", "%0s", {std::string("a")}, ""},
        {"huge index", "%99999999999999999999:s", {std::string("a")}, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        try {
            FormatText(c.format, c.args);
            ADD_FAILURE() << "no error";
        } catch (const EConvertError& e) {
            EXPECT_NE(std::string(e.what()).find(c.format), std::string::npos);
        }
    }
}

} // namespace
} // namespace tv
