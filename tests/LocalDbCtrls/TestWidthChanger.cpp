#include "UWidthChanger.h"

#include <gtest/gtest.h>

#include <functional>
#include <numeric>
#include <string>
#include <vector>

#include "UException.h"

namespace tv {
namespace {

// Header sections that keep a minimum of 12 like the grid's header.
struct TestSections : TWidthSections {
    explicit TestSections(std::vector<int> widths) : W(std::move(widths)) {}
    int Count() const override { return static_cast<int>(W.size()); }
    int Width(int i) const override { return W.at(static_cast<size_t>(i)); }
    void SetWidth(int i, int w) override { W.at(static_cast<size_t>(i)) = std::max(w, 12); }
    int MinWidth(int) const override { return 12; }
    int Sum() const { return std::accumulate(W.begin(), W.end(), 0); }
    std::vector<int> W;
};

TEST(WidthChanger, GrowThenShrinkGivesBackTheWidths) {
    struct Row {
        std::string name;
        std::vector<int> widths;
        std::vector<int> steps;  // successive changes of the total width
    };
    const std::vector<Row> rows = {
        {"one pixel", {80, 120, 41}, {1, -1}},
        {"large growth", {80, 120, 41}, {517, -517}},
        {"many small steps", {30, 200, 13, 77}, {3, 5, 7, 11, -11, -7, -5, -3}},
        {"shrink to the minimum and back", {50, 60, 70}, {-144, 144}},
        {"shrink first then grow", {50, 60, 70}, {-40, 40}},
        {"one section", {100}, {37, -37}},
        {"sections at the minimum", {12, 12, 300}, {-100, 250, -150}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        TestSections sections(row.widths);
        TWidthChanger changer(&sections);
        int total = sections.Sum();
        for (int step : row.steps) {
            total += step;
            changer.Resize(total);
            EXPECT_EQ(sections.Sum(), total);
            EXPECT_EQ(changer.TotalWidth(), total);
        }
        EXPECT_EQ(sections.W, row.widths);
    }
}

TEST(WidthChanger, GrowthIsSpreadInProportion) {
    TestSections sections({100, 200, 300});
    TWidthChanger changer(&sections);
    changer.Resize(1200);
    EXPECT_EQ(sections.W, (std::vector<int>{200, 400, 600}));
    changer.Resize(603);
    EXPECT_EQ(sections.Sum(), 603);
    for (int i = 0; i < 3; ++i)
        EXPECT_NEAR(sections.W[static_cast<size_t>(i)], 100.5 * (i + 1), 1.0);
}

TEST(WidthChanger, ShrinkStopsAtTheMinimumPerSection) {
    TestSections sections({40, 50, 60});
    TWidthChanger changer(&sections);
    changer.Resize(10);
    EXPECT_EQ(sections.W, (std::vector<int>{12, 12, 12}));
    EXPECT_EQ(changer.TotalWidth(), 36);
    changer.Resize(150);
    EXPECT_EQ(sections.W, (std::vector<int>{40, 50, 60}));
}

TEST(WidthChanger, BorderDragKeepsBothNeighboursAndTheirSum) {
    struct Row {
        std::string name;
        int index;
        int newWidth;
        int change;
    };
    // Widths 50, 30, 70.
    const std::vector<Row> rows = {
        {"widen within room", 0, 60, 10},
        {"narrow within room", 0, 40, -10},
        {"widen into the neighbour's minimum", 0, 100, 18},
        {"narrow below the minimum", 0, 5, -38},
        {"second border widen", 1, 200, 58},
        {"second border narrow", 1, 0, -18},
        {"no change", 1, 30, 0},
        {"last section", 2, 90, 0},
        {"beyond the sections", 3, 90, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        TestSections sections({50, 30, 70});
        TWidthChanger changer(&sections);
        const int change = TWidthChanger::BorderChange(sections, row.index, row.newWidth);
        EXPECT_EQ(change, row.change);
        const bool moved = changer.MoveBorder(row.index, change);
        EXPECT_EQ(moved, row.index < 2);
        if (moved) {
            const size_t i = static_cast<size_t>(row.index);
            EXPECT_GE(sections.W[i], 12);
            EXPECT_GE(sections.W[i + 1], 12);
            EXPECT_EQ(sections.W[i] + sections.W[i + 1], row.index == 0 ? 80 : 100);
        }
        EXPECT_EQ(sections.Sum(), 150);
        EXPECT_EQ(changer.TotalWidth(), 150);
    }
}

TEST(WidthChanger, ResizeAfterDragSpreadsByTheDraggedWidths) {
    TestSections sections({100, 100, 100});
    TWidthChanger changer(&sections);
    changer.Resize(600);
    changer.Resize(300);
    ASSERT_EQ(sections.W, (std::vector<int>{100, 100, 100}));
    changer.MoveBorder(0, TWidthChanger::BorderChange(sections, 0, 50));
    ASSERT_EQ(sections.W, (std::vector<int>{50, 150, 100}));
    changer.Resize(600);
    EXPECT_EQ(sections.W, (std::vector<int>{100, 300, 200}));
    changer.Resize(300);
    EXPECT_EQ(sections.W, (std::vector<int>{50, 150, 100}));
}

TEST(WidthChanger, Contracts) {
    TestSections none({});
    TestSections sections({20, 30});
    TWidthChanger changer(&sections);
    struct Row {
        std::string name;
        std::function<void()> call;
        std::string text;
    };
    const std::vector<Row> rows = {
        {"no sections object", [] { TWidthChanger c(nullptr); },
         "OwnerSections param must be assigned"},
        {"no sections", [&] { TWidthChanger c(&none); },
         "OwnerSections param must have Sections"},
        {"index below 0", [&] { changer.GetWidth(-1); }, "Invalid section index"},
        {"index past the last", [&] { changer.GetWidth(2); }, "Invalid section index"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        try {
            row.call();
            ADD_FAILURE() << "no assertion";
        } catch (const EAssertionFailed& e) {
            EXPECT_EQ(e.Text(), row.text);
            EXPECT_NE(e.File().find("UWidthChanger"), std::string::npos) << e.File();
        }
    }
    EXPECT_EQ(changer.GetWidth(1), 30);
}

} // namespace
} // namespace tv
