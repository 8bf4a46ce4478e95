// The stock arithmetic against a small model of its own: random receipts,
// issues (also of everything on hand), price changes and reopenings of goods
// sold by weight, with the totals and the three rules of the value on hand
// checked after every step.

#include "StoreTestKit.h"

#include "UFaultEnv.h"
#include "UStoreData.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <random>

using namespace tv;
using namespace tv::testkit;

namespace {

class StockArithmetic : public ::testing::TestWithParam<unsigned> {
protected:
    StockArithmetic()
    {
        std::filesystem::create_directory(FFolder.Path() + "Data");
        FStore.SetEnv(&FEnv);
        FStore.Open(true, "Data");
    }

    // Prices of a shop: mostly below 100 with any cents, a few dear ones.
    int64_t Price()
    {
        return Pick(0, 9) == 0 ? Pick(100, 99999) : Pick(1, 9999);
    }
    // Weights to the hundredth, now and then whole pieces.
    int64_t Quantity()
    {
        return Pick(0, 4) == 0 ? 100 * Pick(1, 20) : Pick(1, 500);
    }
    int64_t Pick(int64_t lo, int64_t hi)
    {
        return std::uniform_int_distribution<int64_t>(lo, hi)(FRandom);
    }

    void Select(size_t goods)
    {
        TTableStore& g = FStore.Goods();
        g.SetIndex(g.IndID.get());
        g.SetRecNo(static_cast<int32_t>(goods));
    }

    void ExpectAsModel()
    {
        TTableStore& g = FStore.Goods();
        ASSERT_EQ(size_t(g.RecordCount()), FModel.size());
        g.SetIndex(g.IndID.get());
        for (size_t i = 0; i < FModel.size(); ++i) {
            g.SetRecNo(static_cast<int32_t>(i));
            const TModelGoods& m = FModel[i];
            SCOPED_TRACE("goods " + g.ID.GetText());
            EXPECT_GE(m.Sum, 0);
            if (m.Weight == 0) {
                EXPECT_EQ(m.Sum, 0);
            }
            EXPECT_EQ(g.Cost.GetValue(), m.Price);
            EXPECT_EQ(g.Weight.GetValue(), m.Weight);
            EXPECT_EQ(g.PCount.GetValue(), m.PCount);
            EXPECT_EQ(g.Sum.GetValue(), m.Sum);
        }
        // The rule of every movement, and the value on hand as the movements
        // hold it.
        ExpectInvariants(FStore);
    }

    TProgramFolder FFolder;
    TRecordingMessages FMessages;
    TFaultEnv FEnv;
    TStore FStore;
    std::vector<TModelGoods> FModel;
    std::mt19937 FRandom{GetParam()};
};

TEST_P(StockArithmetic, TheValueOnHandFollowsTheModel)
{
    int issuesOfAll = 0, refused = 0, repriced = 0;
    for (int step = 0; step < 400 && !HasFailure(); ++step) {
        const int64_t kind = FModel.empty() ? 0 : Pick(0, 99);
        const size_t goods = FModel.empty() ? 0 : size_t(Pick(0, int64_t(FModel.size()) - 1));
        std::string what;
        if (kind < 8) {
            TModelGoods m;
            m.Price = Price();
            const TModelGoods::TMove first{true, Quantity(), Pick(0, 3)};
            what = "insert at " + Money(m.Price) + " of " + Money(first.Weight);
            ASSERT_TRUE(FStore.CanInsert(Money(m.Price), Money(first.Weight), std::to_string(first.PCount)));
            FStore.InsertGoods(std::to_string(FModel.size() + 1), "Сир ваговий", Money(m.Price),
                               Money(first.Weight), std::to_string(first.PCount), "");
            m.Book(first);
            FModel.push_back(m);
        } else if (kind < 40) {
            const TModelGoods::TMove in{true, Quantity(), Pick(0, 2)};
            what = "receive " + Money(in.Weight);
            Select(goods);
            ASSERT_TRUE(FStore.CanAdd(Money(in.Weight), std::to_string(in.PCount)));
            FStore.AddGoods(Money(in.Weight), std::to_string(in.PCount), "");
            FModel[goods].Book(in);
        } else if (kind < 80) {
            TModelGoods& m = FModel[goods];
            // Everything on hand, a part of it, or maybe more than there is.
            const int64_t how = Pick(0, 2);
            TModelGoods::TMove out{false, m.Weight, m.PCount};
            if (how == 1) {
                out.Weight = Pick(0, m.Weight);
                out.PCount = Pick(0, m.PCount);
            } else if (how == 2) {
                out.Weight = Pick(0, m.Weight + 50);
                out.PCount = Pick(0, m.PCount + 1);
            }
            what = "issue " + Money(out.Weight) + " of " + Money(m.Weight);
            Select(goods);
            const bool onHand = out.Weight <= m.Weight && out.PCount <= m.PCount;
            ASSERT_EQ(FStore.CanDeduct(Money(out.Weight), std::to_string(out.PCount)), onHand) << what;
            if (onHand) {
                FStore.DeductGoods(Money(out.Weight), std::to_string(out.PCount), "");
                issuesOfAll += out.Weight == m.Weight;
                m.Book(out);
            } else {
                ++refused;
            }
        } else if (kind < 92) {
            const int64_t price = Price();
            what = "price " + Money(price);
            Select(goods);
            TTableStore& g = FStore.Goods();
            ASSERT_TRUE(FStore.CanSetCost(Money(price)));
            FStore.EditGoods(g.Code.GetText(), g.Name.GetText(), Money(price));
            FModel[goods].SetPrice(price);
            ++repriced;
        } else {
            what = "reopen";
            ExpectReopenedUnmended(FStore);
        }
        SCOPED_TRACE("step " + std::to_string(step) + ": " + what);
        ExpectAsModel();
    }
    EXPECT_TRUE(FMessages.Boxes.empty());
    // The run met what it is about.
    EXPECT_GT(issuesOfAll, 10);
    EXPECT_GT(refused, 5);
    EXPECT_GT(repriced, 10);
}

INSTANTIATE_TEST_SUITE_P(Seeds, StockArithmetic, ::testing::Values(1u, 2u, 3u, 25u, 2026u),
                         [](const ::testing::TestParamInfo<unsigned>& info) {
                             return "seed" + std::to_string(info.param);
                         });

} // namespace
