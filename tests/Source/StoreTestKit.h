#pragma once
// Helpers of the stock book tests: a temporary program folder, a message box
// that records what it was asked to show, and a check of the stock invariants.

#include "MessagesTestKit.h"
#include "TempFolder.h"
#include "UProgFolder.h"
#include "UStoreData.h"

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace tv::testkit {

// A fresh folder that is the program folder while the object lives.
class TProgramFolder {
public:
    TProgramFolder() { SetProgramFolder(FFolder.Path()); }
    ~TProgramFolder() { SetProgramFolder(std::string()); }
    TProgramFolder(const TProgramFolder&) = delete;
    TProgramFolder& operator=(const TProgramFolder&) = delete;
    // The folder with a trailing '/'.
    std::string Path() const { return FFolder.Path() + "/"; }

private:
    TTempFolder FFolder{"tv-store-"};
};

inline std::string ReadFile(const std::string& name)
{
    std::ifstream in(name, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

inline void WriteFile(const std::string& name, const std::string& bytes)
{
    std::ofstream out(name, std::ios::binary | std::ios::trunc);
    out << bytes;
}

// The goods and their movements as text, dates left out (they are the
// clock's); the order is by goods ID, then by IndSD, which it selects.
inline std::string Snapshot(TStore& store)
{
    TTableStore& g = store.Goods();
    TTableMoves& m = store.Moves();
    const int32_t gRec = g.GetRecNo();
    std::map<int32_t, std::string> goods;
    for (g.First(); !g.Eof(); g.Next())
        goods[g.ID.GetValue()] = g.Code.GetText() + "|" + g.Name.GetText() + "|" +
                                 g.Cost.GetText() + "|" + g.Weight.GetText() + "|" +
                                 g.PCount.GetText() + "|" + g.Sum.GetText();
    std::map<int32_t, std::string> moves;
    m.SetIndex(m.IndSD.get());
    for (m.First(); !m.Eof(); m.Next())
        moves[m.IDStore.GetValue()] += " [" + m.ID.GetText() + " " +
                                       (m.Direction.GetValue() ? "+" : "-") + m.Weight.GetText() +
                                       " " + m.PCount.GetText() + "p @" + m.Cost.GetText() + "=" +
                                       m.Sum.GetText() + " " + m.Note.GetText() + "]";
    std::string out;
    for (auto& [id, text] : goods)
        out += std::to_string(id) + ":" + text + moves[id] + "\n";
    for (auto& [id, text] : moves)
        if (!goods.count(id))
            out += "orphans of " + std::to_string(id) + ":" + text + "\n";
    if (g.RecordCount() > 0)
        g.SetRecNo(gRec);
    return out;
}

// Every goods record holds the totals of its movements at its price, the
// date of its latest movement, and no movement names missing goods.
inline void ExpectInvariants(TStore& store)
{
    TTableStore& g = store.Goods();
    TTableMoves& m = store.Moves();
    struct TTotals {
        int64_t Weight = 0, PCount = 0, Sum = 0;
        double Last = 0;  // of the movement booked last
        int32_t LastID = 0;
        int Count = 0;
    };
    std::map<int32_t, TTotals> totals;
    std::map<int32_t, uint32_t> prices;
    for (g.First(); !g.Eof(); g.Next())
        prices[g.ID.GetValue()] = g.Cost.GetValue();
    m.SetIndex(m.IndSD.get());
    for (m.First(); !m.Eof(); m.Next()) {
        const int32_t id = m.IDStore.GetValue();
        ASSERT_TRUE(prices.count(id)) << "movement " << m.ID.GetValue() << " names no goods";
        EXPECT_EQ(m.Cost.GetValue(), prices[id]) << "movement " << m.ID.GetValue();
        EXPECT_EQ(m.Sum.GetValue(), TMoneyField::MulMoney(m.Cost.GetValue(), m.Weight.GetValue()));
        TTotals& t = totals[id];
        const int sign = m.Direction.GetValue() ? 1 : -1;
        t.Weight += sign * int64_t(m.Weight.GetValue());
        t.PCount += sign * int64_t(m.PCount.GetValue());
        t.Sum += sign * int64_t(m.Sum.GetValue());
        if (m.ID.GetValue() > t.LastID) {
            t.LastID = m.ID.GetValue();
            t.Last = m.MoveDate.GetValue();
        }
        ++t.Count;
    }
    for (g.First(); !g.Eof(); g.Next()) {
        const TTotals& t = totals[g.ID.GetValue()];
        SCOPED_TRACE("goods " + g.ID.GetText());
        EXPECT_GT(t.Count, 0);
        EXPECT_EQ(int64_t(g.Weight.GetValue()), t.Weight);
        EXPECT_EQ(int64_t(g.PCount.GetValue()), t.PCount);
        EXPECT_EQ(int64_t(g.Sum.GetValue()), t.Sum);
        EXPECT_EQ(g.LastDate.GetValue(), t.Last);
    }
}

} // namespace tv::testkit
