// What each mode of the main window allows and which keys it sets, and the
// automatic goods code.

#include "UMainModes.h"

#include "UException.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

using namespace tv;

namespace {

// Notes a field that differs from the expected value.
template <class T>
void Note(std::ostream& out, const char* what, T got, T want)
{
    if (got != want) out << what << ": " << +static_cast<int>(got) << ", expected " << +static_cast<int>(want) << "; ";
}

// The fields that differ, by the actions they govern; empty when equal.
std::string Differences(const TModeRules& got, const TModeRules& want)
{
    std::ostringstream out;
    Note(out, "grids", got.Grids, want.Grids);
    Note(out, "ActInsert", got.Insert, want.Insert);
    Note(out, "ActEdit/Delete/Add/Ded", got.GoodsActions, want.GoodsActions);
    Note(out, "ActSort", got.Sort, want.Sort);
    Note(out, "ActSearch enabled", got.Search, want.Search);
    Note(out, "ActSearch visible", got.SearchVisible, want.SearchVisible);
    Note(out, "ActPost/Cancel", got.PostCancel, want.PostCancel);
    Note(out, "ActSearchEnd", got.SearchEnd, want.SearchEnd);
    Note(out, "work actions", got.Work, want.Work);
    Note(out, "writable edits", got.Writable, want.Writable);
    Note(out, "LbPlus", got.Plus, want.Plus);
    return out.str();
}

std::string Differences(const TModeKeys& got, const TModeKeys& want)
{
    std::ostringstream out;
    Note(out, "ActDelete", got.Delete, want.Delete);
    Note(out, "ActCancel", got.Cancel, want.Cancel);
    Note(out, "ActSearchEnd", got.SearchEnd, want.SearchEnd);
    Note(out, "ActExit", got.Exit, want.Exit);
    Note(out, "pad keys", got.PadKeys, want.PadKeys);
    return out.str();
}

struct TRulesCase {
    const char* Name;
    TStoreMode Mode;
    bool NotEmpty;
    TModeRules Rules;
};

void PrintTo(const TRulesCase& c, std::ostream* out) { *out << c.Name; }

constexpr bool on = true, off = false;
constexpr unsigned None = 0, CodeNameCost = peCode | peName | peCost, AllSix = peAll,
                   Quantities = peWeight | pePCount | peNote;
constexpr TPlusSign Empty = TPlusSign::None, Plus = TPlusSign::Plus, Minus = TPlusSign::Minus;

// Browsing enables sort and search as it does edit; a search leaves sort on.
//                                grids ins  goods sort srch shown post end  work writable      LbPlus
constexpr TModeRules Browsing{     on,  on,  on,   on,  on,  on,   off, off, on,  None,         Empty};
constexpr TModeRules BrowsingEmpty{on,  on,  off,  off, off, on,   off, off, on,  None,         Empty};

// One row per mode over a table with goods and an empty one.
const TRulesCase RulesCases[] = {
    {"Browse",      smBrowse, true,  Browsing},
    {"BrowseEmpty", smBrowse, false, BrowsingEmpty},
    {"Edit",        smEdit,   true,  {off, off, off, off, off, on,  on,  off, off, CodeNameCost, Empty}},
    {"EditEmpty",   smEdit,   false, {off, off, off, off, off, on,  on,  off, off, CodeNameCost, Empty}},
    {"Insert",      smInsert, true,  {off, off, off, off, off, on,  on,  off, off, AllSix,       Plus}},
    {"InsertEmpty", smInsert, false, {off, off, off, off, off, on,  on,  off, off, AllSix,       Plus}},
    {"Search",      smSearch, true,  {on,  on,  on,  on,  off, off, off, on,  off, None,         Empty}},
    {"SearchEmpty", smSearch, false, {on,  on,  off, on,  off, off, off, on,  off, None,         Empty}},
    {"Delete",      smDelete, true,  {off, off, off, off, off, on,  off, off, off, None,         Empty}},
    {"DeleteEmpty", smDelete, false, {off, off, off, off, off, on,  off, off, off, None,         Empty}},
    {"Add",         smAdd,    true,  {off, off, off, off, off, on,  on,  off, off, Quantities,   Plus}},
    {"AddEmpty",    smAdd,    false, {off, off, off, off, off, on,  on,  off, off, Quantities,   Plus}},
    {"Deduct",      smDeduct, true,  {off, off, off, off, off, on,  on,  off, off, Quantities,   Minus}},
    {"DeductEmpty", smDeduct, false, {off, off, off, off, off, on,  on,  off, off, Quantities,   Minus}},
    // Not a mode the window sets: it browses.
    {"UnknownMode",      static_cast<TStoreMode>(7),   true,  Browsing},
    {"UnknownModeEmpty", static_cast<TStoreMode>(255), false, BrowsingEmpty},
};

class ModeRulesTest : public testing::TestWithParam<TRulesCase> {};

TEST_P(ModeRulesTest, EnablesWhatTheModeAllows)
{
    const TRulesCase& c = GetParam();
    EXPECT_EQ(Differences(ModeRules(c.Mode, c.NotEmpty), c.Rules), "");
}

INSTANTIATE_TEST_SUITE_P(Modes, ModeRulesTest, testing::ValuesIn(RulesCases),
                         [](const testing::TestParamInfo<TRulesCase>& info) { return info.param.Name; });

struct TKeysCase {
    const char* Name;
    TStoreMode Mode;
    TModeKeys Keys;
};

void PrintTo(const TKeysCase& c, std::ostream* out) { *out << c.Name; }

// Esc closes the window while browsing, ends a search while searching and
// cancels otherwise; searching and deleting leave the pad keys alone.
constexpr TKeyRule Clear = TKeyRule::Clear, Set = TKeyRule::Set, Keep = TKeyRule::Keep;
//                                Del    Cancel SearchEnd Exit   pad keys
constexpr TModeKeys BrowsingKeys{Set,   Clear, Clear,    Set,   Set};
const TKeysCase KeysCases[] = {
    {"Browse", smBrowse, BrowsingKeys},
    {"Edit",   smEdit,   {Clear, Set,   Clear,    Clear, Clear}},
    {"Insert", smInsert, {Clear, Set,   Clear,    Clear, Clear}},
    {"Search", smSearch, {Set,   Clear, Set,      Clear, Keep}},
    {"Delete", smDelete, {Clear, Set,   Clear,    Clear, Keep}},
    {"Add",    smAdd,    {Clear, Set,   Clear,    Clear, Clear}},
    {"Deduct", smDeduct, {Clear, Set,   Clear,    Clear, Clear}},
    {"UnknownMode", static_cast<TStoreMode>(7), BrowsingKeys},
};

class ModeKeysTest : public testing::TestWithParam<TKeysCase> {};

TEST_P(ModeKeysTest, SetsTheModesShortcuts)
{
    const TKeysCase& c = GetParam();
    EXPECT_EQ(Differences(ModeKeys(c.Mode), c.Keys), "");
}

INSTANTIATE_TEST_SUITE_P(Modes, ModeKeysTest, testing::ValuesIn(KeysCases),
                         [](const testing::TestParamInfo<TKeysCase>& info) { return info.param.Name; });

struct TCodeCase {
    const char* Name;
    std::uint32_t Nuls, Delta;
    std::int32_t Next;
    const char* Code;
};

void PrintTo(const TCodeCase& c, std::ostream* out) { *out << c.Name; }

const TCodeCase CodeCases[] = {
    {"Defaults",              4, 0, 17, "0017"},
    {"AbsentDigitCountIs4",   0, 0, 17, "0017"},
    {"SixDigitsWithDelta",    6, 1000, 5, "001005"},
    {"OneDigitNoDelta",       1, 500, 9, "9"},
    {"LongerNumberKeepsAll",  2, 0, 12345, "12345"},
    {"DeltaToTheLargestCode", 3, 4294967286u, 9, "4294967295"},
    // a digit count beyond the code field stops at its width, so codes
    // stay distinct instead of being cut to the same leading zeros
    {"DigitsBeyondTheField",  12, 0, 17, "00000017"},
    {"HugeDigitCount",        4000000000u, 0, 3, "00000003"},
};

class AutoCodeTest : public testing::TestWithParam<TCodeCase> {};

TEST_P(AutoCodeTest, PadsNextIdPlusDeltaToTheDigitCount)
{
    const TCodeCase& c = GetParam();
    EXPECT_EQ(AutoCode(c.Nuls, c.Delta, c.Next, 8), c.Code);
}

INSTANTIATE_TEST_SUITE_P(Codes, AutoCodeTest, testing::ValuesIn(CodeCases),
                         [](const testing::TestParamInfo<TCodeCase>& info) { return info.param.Name; });

TEST(AutoCode, SumBeyondThirtyTwoBitsRaises)
{
    EXPECT_THROW(AutoCode(4, 4294967295u, 1, 8), EIntOverflow);
    EXPECT_EQ(AutoCode(1, 4294967295u, 1, 8), "1");
}

} // namespace
