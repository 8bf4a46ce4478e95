#include "UMoneyEditLogic.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tv {
namespace {

// Keys of a row: digits, "." and "," are typed; '<' Backspace, '>' Delete,
// 'l' Left, 'r' Right, 'A' select all, 'X' cut, 'C' clear, 'P' paste of
// the row's clipboard text, 'K' the caret correction after a click.
struct Row {
    std::string name;
    std::string text;
    int selStart;
    int selLength;
    std::string keys;
    std::string clip;
    std::string wantText;
    int wantStart;
    int wantLength = 0;
    std::string wantCut = "";
};

std::string Run(TMoneyEditLogic& edit, const Row& row) {
    std::string cut;
    for (char k : row.keys) {
        switch (k) {
        case '<': edit.Backspace(); break;
        case '>': edit.DeleteKey(); break;
        case 'l': edit.MoveLeft(); break;
        case 'r': edit.MoveRight(); break;
        case 'A': edit.SelectAll(); break;
        case 'X': cut += edit.Cut(); break;
        case 'C': edit.Clear(); break;
        case 'P': edit.Paste(row.clip); break;
        case 'K': edit.CorrectCaret(); break;
        default: edit.KeyChar(k); break;
        }
    }
    return cut;
}

void Check(const std::vector<Row>& rows) {
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        TMoneyEditLogic edit(row.text, 13);
        edit.SetSelection(row.selStart, row.selLength);
        const std::string cut = Run(edit, row);
        EXPECT_EQ(edit.Text(), row.wantText);
        EXPECT_EQ(edit.SelStart(), row.wantStart);
        EXPECT_EQ(edit.SelLength(), row.wantLength);
        EXPECT_EQ(cut, row.wantCut);
    }
}

TEST(MoneyEditLogic, Typing) {
    Check({
        {"1 2 3 4 into 0.00", "0.00", 0, 0, "1234", "", "1'234.00", 5},
        {"leading zero refused", "5.00", 0, 0, "0", "", "5.00", 0},
        {"7 replaces the lone zero from the start", "0.00", 0, 0, "7", "", "7.00", 1},
        {"7 replaces the lone zero from before the point", "0.00", 1, 0, "7", "", "7.00", 1},
        {"zero after a digit is taken", "5.00", 1, 0, "0", "", "50.00", 2},
        {"digit in front gains a group", "999.00", 0, 0, "1", "", "1'999.00", 2},
        {"digit inside a group", "1'234.00", 3, 0, "9", "", "12'934.00", 4},
        {"point jumps after the point", "12.00", 1, 0, ".", "", "12.00", 3},
        {"comma jumps after the point", "12.00", 0, 0, ",", "", "12.00", 3},
        {"decimals overwrite, third digit at the end ignored", "12.00", 1, 0, ".456", "",
         "12.45", 5},
        {"point among the decimals does nothing", "12.00", 4, 0, ".", "", "12.00", 4},
        {"other characters ignored", "12.00", 2, 0, "a- '", "", "12.00", 2},
        {"ninth whole digit refused", "12'345'678.00", 10, 0, "9", "", "12'345'678.00", 10},
        {"eighth whole digit taken", "1'234'567.00", 9, 0, "8", "", "12'345'678.00", 10},
        {"digit over the decimals selected", "3.47", 2, 2, "5", "", "3.50", 3},
        {"digit over the whole part selected", "1'234.56", 0, 5, "7", "", "7.56", 1},
        {"digit over a selection across the point", "1'234.56", 3, 4, "9", "", "129.06", 3},
        {"point over a selection across the point", "1'234.56", 3, 4, ".", "", "12.06", 3},
        {"digit over all", "1'234.56", 0, 8, "4", "", "4.00", 1},
        {"digit over the point and the decimals", "1.23", 1, 3, "5", "", "1.50", 3},
    });
}

TEST(MoneyEditLogic, BackspaceAndDelete) {
    Check({
        {"backspace after the point only moves", "5.00", 2, 0, "<", "", "5.00", 1},
        {"backspace at the end zeroes the last decimal", "5.12", 4, 0, "<", "", "5.10", 3},
        {"backspace between the decimals", "5.12", 3, 0, "<", "", "5.02", 2},
        {"backspace on the lone digit", "5.00", 1, 0, "<", "", "0.00", 0},
        {"backspace at the start does nothing", "12.00", 0, 0, "<", "", "12.00", 0},
        {"backspace leaves leading zeros", "100.00", 1, 0, "<", "", "00.00", 0},
        {"backspace after a mark takes the digit before it", "1'234.00", 2, 0, "<", "",
         "234.00", 0},
        {"backspace regroups, caret stays after the same digit", "1'234.00", 4, 0, "<", "",
         "124.00", 2},
        {"backspace over a selection in the whole part", "1'234.56", 2, 3, "<", "", "1.56", 1},
        {"backspace over the whole part selected", "1'234.56", 0, 5, "<", "", "0.56", 0},
        {"backspace over the decimals selected", "5.12", 2, 2, "<", "", "5.00", 2},
        {"delete on the lone digit", "5.00", 0, 0, ">", "", "0.00", 1},
        {"delete before the point does nothing", "12.00", 2, 0, ">", "", "12.00", 2},
        {"delete in the decimals writes 0 and moves right", "5.12", 2, 0, ">>", "", "5.00", 4},
        {"delete at the end does nothing", "5.12", 4, 0, ">", "", "5.12", 4},
        {"delete before the last digit of a group", "12'345.00", 1, 0, ">", "", "1'345.00", 2},
        {"delete before a mark in a longer number", "1'234'567.00", 4, 0, ">", "",
         "123'567.00", 4},
        {"delete twice keeps the caret in front of the next digit", "1'234.00", 2, 0, ">>", "",
         "14.00", 1},
        {"select all and delete", "1'234.56", 0, 0, "A>", "", "0.00", 1},
        {"delete the whole part selected", "1'234.56", 0, 5, ">", "", "0.56", 1},
        {"delete from the point over a decimal", "1'234.56", 5, 2, ">", "", "1'234.06", 7},
        {"delete the decimals selected", "1'234.56", 6, 2, ">", "", "1'234.00", 8},
        {"delete a selection across the point", "1'234.56", 2, 5, ">", "", "1.06", 1},
        {"delete the point alone changes nothing", "1'234.56", 5, 1, ">", "", "1'234.56", 5},
    });
}

TEST(MoneyEditLogic, CaretMoves) {
    Check({
        {"left after a mark jumps over it and a digit", "1'234.00", 2, 0, "l", "", "1'234.00", 0},
        {"right before a mark jumps over it and a digit", "1'234.00", 0, 0, "r", "",
         "1'234.00", 2},
        {"left without a mark", "1'234.00", 4, 0, "l", "", "1'234.00", 3},
        {"right to the point", "1'234.00", 4, 0, "rr", "", "1'234.00", 6},
        {"left in a long number", "1'234'567.00", 6, 0, "ll", "", "1'234'567.00", 3},
        {"left collapses a selection to its start", "1'234.00", 3, 3, "l", "", "1'234.00", 3},
        {"click before a mark is moved past it", "1'234.00", 1, 0, "K", "", "1'234.00", 2},
        {"click elsewhere stays", "1'234.00", 3, 0, "K", "", "1'234.00", 3},
    });
}

TEST(MoneyEditLogic, CutAndClear) {
    Check({
        {"cut the decimals", "1.23", 2, 2, "X", "", "1.00", 4, 0, "23"},
        {"cut a part of the whole part", "12'345.00", 0, 4, "X", "", "45.00", 0, 0, "12'3"},
        {"cut everything", "1'234.56", 0, 8, "X", "", "0.00", 1, 0, "1'234.56"},
        {"cut with nothing selected", "1'234.56", 3, 0, "X", "", "1'234.56", 3},
        {"clear the whole part", "1'234.56", 0, 5, "C", "", "0.56", 1},
        {"clear with nothing selected", "1'234.56", 3, 0, "C", "", "1'234.56", 3},
    });
}

TEST(MoneyEditLogic, Paste) {
    Check({
        {"digits into the whole part", "12.00", 1, 0, "P", "5", "152.00", 2},
        {"nine digits into the whole part refused", "0.00", 0, 0, "P", "123456789", "0.00", 0},
        {"digits filling the whole part", "1.00", 1, 0, "P", "2345678", "12'345'678.00", 10},
        {"caret among the decimals refused", "12.00", 3, 0, "P", "5", "12.00", 3},
        {"point into the whole part refused", "12.00", 1, 0, "P", "5.1", "12.00", 1},
        {"over the whole part", "1'234.56", 0, 5, "P", "987654", "987'654.56", 7},
        {"point over the whole part refused", "1'234.56", 0, 5, "P", "9.1", "1'234.56", 0, 5},
        {"nine digits over the whole part refused", "1'234.56", 0, 5, "P", "123456789",
         "1'234.56", 0, 5},
        {"point into a part of the whole part refused", "1'234.56", 2, 3, "P", "9.", "1'234.56",
         2, 3},
        {"into a part of the whole part", "1'234.56", 2, 3, "P", "9", "19.56", 2},
        {"over the leading digit of a group", "1'234.56", 0, 1, "PK", "5", "5'234.56", 2},
        {"over the digits in front of a mark", "12'345.67", 0, 2, "PK", "98", "98'345.67", 3},
        {"into a part of the whole part over the limit", "12'345'678.00", 0, 1, "P", "99",
         "12'345'678.00", 0, 1},
        {"over the decimals, as many digits", "1.23", 2, 2, "P", "45", "1.45", 4},
        {"over the decimals, fewer digits refused", "1.23", 2, 2, "P", "4", "1.23", 2, 2},
        {"over the decimals, digits with a point refused", "1.23", 2, 2, "P", "45.", "1.23", 2,
         2},
        {"from the point, digits for the decimals", "1.23", 1, 3, "P", "45", "1.45", 4},
        {"from the point, point and decimals", "1.23", 1, 3, "P", ".45", "1.45", 4},
        {"from the point, point and one decimal", "1.23", 1, 2, "P", ".7", "1.73", 3},
        {"from the point, too many digits refused", "1.23", 1, 3, "P", "456", "1.23", 1, 3},
        {"across the point", "1'234.56", 3, 4, "P", "99.1", "1'299.16", 7},
        {"across the point, decimals do not match", "1'234.56", 3, 4, "P", "99.12", "1'234.56",
         3, 4},
        {"across the point over the digit limit", "12'345'678.00", 9, 3, "P", "99.1",
         "12'345'678.00", 9, 3},
        {"1'234.5 over the whole text refused", "0.00", 0, 4, "P", "1'234.5", "0.00", 0, 4},
        {"1'234.50 over the whole text", "0.00", 0, 4, "P", "1'234.50", "1'234.50", 8},
        {"blanks and line ends trimmed", "0.00", 0, 4, "P", " 1234.50\r\n", "1'234.50", 8},
        {"untrimmed text longer than the limit refused", "0.00", 0, 4, "P", "       1234.50",
         "0.00", 0, 4},
        {"comma is no point", "0.00", 0, 4, "P", "1234,50", "0.00", 0, 4},
        {"letters refused", "12.00", 1, 0, "P", "1a", "12.00", 1},
        {"blanks only refused", "12.00", 1, 0, "P", "  ", "12.00", 1},
        {"digits over a selection ending after the point keep the point", "1'234.56", 3, 3, "P",
         "99", "1'299.56", 5},
        {"digits over the point alone go before it", "1'234.56", 5, 1, "P", "7", "12'347.56", 6},
        {"point and decimals over everything keep a whole digit", "1'234.56", 0, 8, "P", ".12",
         "0.12", 4},
    });
}

TEST(MoneyEditLogic, TextOutOfShapeIsLeftAlone) {
    Check({
        {"empty text", "", 0, 0, "<>5.", "", "", 0},
        {"no decimals", "12", 2, 0, "<>5", "", "12", 2},
        {"letters", "ab.cd", 5, 0, "<>1", "", "ab.cd", 5},
        {"paste into letters", "ab.cd", 0, 2, "P", "12", "ab.cd", 0, 2},
    });
}

TEST(MoneyEditLogic, GroupDigits) {
    const std::vector<std::pair<std::string, std::string>> rows = {
        {"", ""},          {"1", "1"},           {"123", "123"},
        {"1234", "1'234"}, {"1'2'3'4", "1'234"}, {"0012345", "0'012'345"},
    };
    for (const auto& [in, out] : rows)
        EXPECT_EQ(TMoneyEditLogic::GroupDigits(in), out) << in;
    EXPECT_EQ(TMoneyEditLogic::RegroupText("1234567.89"), "1'234'567.89");
}

TEST(MoneyEditLogic, DigitCounts) {
    TMoneyEditLogic edit("12'345.67", 13);
    EXPECT_EQ(edit.IntegerDigits(), 5);
    EXPECT_EQ(edit.MaxIntegerDigits(), 8);
    edit.SetSelection(1, 3);
    EXPECT_EQ(edit.KeptIntegerDigits(), 3);
    EXPECT_EQ(TMoneyEditLogic("0.00", 10).MaxIntegerDigits(), 6);
}

} // namespace
} // namespace tv
