// The block's sorts over elements held in plain memory, without a file.
#include "UBaseFld.h"
#include "UBlockSort.h"
#include "UFields.h"
#include "UIndex.h"
#include "PartThreadsKit.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace {

using tv::BlockSort::Permute;
using tv::BlockSort::PermuteTo;
using tv::BlockSort::SortByKeyValue;
using tv::BlockSort::StableSort;

// Elements of (Code: primary key, Name: string 10, Group: integer), each
// with its number where a record keeps its file offset, so that the order
// a sort leaves reads as those numbers.
class BlockSort : public ::testing::Test {
protected:
    BlockSort() : Name(10), Fields({&Code, &Name, &Group})
    {
        Code.SetName("Code");
        Code.SetPrimaryKey(true);
        Name.SetName("Name");
        Group.SetName("Group");
        ByCode = tv::TIndex::CreateNamed(&Fields, "ByCode", &Code);
        ByName = tv::TIndex::CreateNamed(&Fields, "ByName", &Name);
        ByGroup = tv::TIndex::CreateNamed(&Fields, "ByGroup", &Group);
        ByGroupName = tv::TIndex::CreateCompositeNamed(&Fields, "ByGroupName", {&Group, &Name});
        ElemSize = (Fields.DataSize() + 7) & ~3;
    }

    void Add(int32_t code, const std::string& name, int32_t group)
    {
        Fields.Clear();
        Fields.AllowEdit();
        Code.SetValue(code);
        Name.SetText(name);
        Group.SetValue(group);
        Fields.ForbidEdit();
        const auto number = static_cast<int32_t>(Block.size() / ElemSize);
        Block.resize(Block.size() + ElemSize);
        uint8_t* elem = Block.data() + Block.size() - ElemSize;
        std::memcpy(elem, &number, 4);
        std::memcpy(elem + 4, Fields.GetRecord(), static_cast<size_t>(Fields.DataSize()));
    }

    // Names repeat and groups fall in [0, groups), both at random.
    void AddRandom(int32_t count, int32_t groups, int32_t names = 500)
    {
        std::mt19937 random(37);
        for (int32_t i = 0; i < count; ++i)
            Add(i + 1, std::to_string(random() % names),
                static_cast<int32_t>(random() % static_cast<uint32_t>(groups)));
    }

    tv::TBlockView View()
    {
        return {Block.data(), ElemSize, static_cast<int32_t>(Block.size() / ElemSize)};
    }

    std::vector<int32_t> Numbers()
    {
        std::vector<int32_t> out(Block.size() / ElemSize);
        for (size_t i = 0; i < out.size(); ++i) std::memcpy(&out[i], Block.data() + i * ElemSize, 4);
        return out;
    }

    // The order the stable sort of the standard library gives.
    std::vector<int32_t> StableOrder(const tv::TIndex& index)
    {
        std::vector<int32_t> order = Numbers();
        const std::vector<uint8_t> copy = Block;
        std::stable_sort(order.begin(), order.end(), [&](int32_t a, int32_t b) {
            return index.CompareRecords(copy.data() + size_t(a) * ElemSize + 4,
                                        copy.data() + size_t(b) * ElemSize + 4) < 0;
        });
        return order;
    }

    tv::TIntegerField Code;
    tv::TStringField Name;
    tv::TIntegerField Group;
    tv::TFields Fields;
    std::unique_ptr<tv::TIndex> ByCode, ByName, ByGroup, ByGroupName;
    int32_t ElemSize = 0;
    std::vector<uint8_t> Block;
};

using BlockSortAtThreads = tv::testkit::AtPartThreads<BlockSort>;
INSTANTIATE_TEST_SUITE_P(, BlockSortAtThreads, tv::testkit::PartThreadCounts(), tv::testkit::PartThreadsName);

// Each path of the stable sort: a name copied out beside the numbers, an
// integer of a narrow range counted, of a wide range copied out, a
// composite key after its leading integer, and the plain stable sort; in
// parts of a large block and on one part of a small one.
TEST_P(BlockSortAtThreads, StableSortGivesTheStableOrderOnEveryPath)
{
    const struct {
        const char* What;
        const tv::TIndex* Index;
        int32_t Count;
        int32_t Groups;
    } cases[] = {
        {"names of a small block", ByName.get(), 1000, 10},
        {"names of a large block", ByName.get(), 70000, 10},
        {"groups of a narrow range", ByGroup.get(), 70000, 100},
        {"groups of a wide range", ByGroup.get(), 5000, 1 << 30},
        {"group then name, narrow", ByGroupName.get(), 70000, 50},
        {"group then name, wide", ByGroupName.get(), 3000, 1 << 30},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.What);
        Block.clear();
        AddRandom(c.Count, c.Groups);
        const tv::TIndex& index = *c.Index;
        const std::vector<int32_t> expected = StableOrder(index);
        StableSort(View(), index);
        EXPECT_EQ(Numbers(), expected);
        // Sorted already: nothing moves.
        StableSort(View(), index);
        EXPECT_EQ(Numbers(), expected);
    }
}

// The slot table for keys dense enough, the stable sort for sparse keys
// and for two records with one key (a damaged file): the same order.
TEST_F(BlockSort, SortByKeyValueOrdersByTheKeyWhateverTheirSpread)
{
    const struct {
        const char* What;
        int32_t Count;
        int32_t Step;
        bool Twice;
    } cases[] = {
        {"dense keys", 20000, 1, false},
        {"sparse keys", 100, 1000000, false},
        {"a key twice", 1000, 1, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.What);
        Block.clear();
        std::vector<int32_t> keys(static_cast<size_t>(c.Count));
        for (int32_t i = 0; i < c.Count; ++i) keys[size_t(i)] = 1 + i * c.Step;
        if (c.Twice) keys.back() = keys.front();
        std::shuffle(keys.begin(), keys.end(), std::mt19937(37));
        for (const int32_t key : keys) Add(key, "n", 0);
        Code.SetNextKeyValue(1 + c.Count * c.Step);
        const std::vector<int32_t> expected = StableOrder(*ByCode);
        SortByKeyValue(View(), *ByCode);
        EXPECT_EQ(Numbers(), expected);
    }
}

TEST_F(BlockSort, PermutationsMoveEachElementToItsPlace)
{
    for (int32_t i = 0; i < 6; ++i) Add(i + 1, std::to_string(i), 0);
    // Elements 1 .. 5: the one at 4 first, then 2, 5, 1, 3.
    std::vector<int32_t> from = {4, 2, 5, 1, 3};
    Permute(View(), from, 1);
    EXPECT_EQ(Numbers(), (std::vector<int32_t>{0, 4, 2, 5, 1, 3}));
    std::vector<int32_t> to = {5, 4, 3, 2, 1, 0};
    PermuteTo(View(), to, 0);
    EXPECT_EQ(Numbers(), (std::vector<int32_t>{3, 1, 5, 2, 4, 0}));
    EXPECT_EQ(to, (std::vector<int32_t>{0, 1, 2, 3, 4, 5}));
}

} // namespace
