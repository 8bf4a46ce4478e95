#include "UQtText.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tv {
namespace {

TEST(QtText, ToQTurnsCrLfIntoLfAndKeepsTheRest) {
    struct Case {
        const char* name;
        std::string text;
        QString shown;
    };
    const std::vector<Case> cases = {
        {"empty", "", ""},
        {"two breaks", "Remove product\r\nApple\r\n", "Remove product\nApple\n"},
        {"lone CR and LF stay", "a\rb\nc", "a\rb\nc"},
        {"CR CR LF keeps the first CR", "a\r\r\nb", "a\r\nb"},
        {"Cyrillic", "Ціна товару", QString::fromUtf8("Ціна товару")},
        {"embedded zero byte", std::string("a\0b", 3), QString(QStringLiteral("a")) + QChar(0) + "b"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(ToQ(c.text), c.shown);
    }
}

TEST(QtText, FromQGivesUtf8WithItsLineBreaks) {
    for (const std::string text : {"", "Мова (Language)", "line\r\nnext", "x\ny"})
        EXPECT_EQ(FromQ(QString::fromStdString(text)), text) << text;
    EXPECT_EQ(FromQ(ToQ("a\r\nb")), "a\nb");
}

} // namespace
} // namespace tv
