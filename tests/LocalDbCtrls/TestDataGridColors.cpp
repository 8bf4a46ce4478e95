#include <gtest/gtest.h>

#include <QColor>

#include "UDataGrid.h"

using namespace tv;

// The tint lies 83 % of the way from the highlight to the window colour,
// each channel truncated toward zero, also for negative differences.
TEST(DataGridColors, EvenRowTint)
{
    struct Case {
        const char* Name;
        QColor Window, Highlight, Tint;
    };
    const Case cases[] = {
        {"white window, blue highlight", {255, 255, 255}, {49, 106, 197}, {219, 229, 245}},
        {"highlight brighter than the window", {0, 0, 0}, {255, 255, 255}, {44, 44, 44}},
        {"negative differences truncate toward zero", {0, 10, 100}, {1, 11, 101}, {1, 11, 101}},
        {"positive differences truncate toward zero", {1, 11, 101}, {0, 10, 100}, {0, 10, 100}},
        {"equal colours", {128, 64, 32}, {128, 64, 32}, {128, 64, 32}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(EvenRowColor(c.Window, c.Highlight), c.Tint) << c.Name;
}
