#pragma once
// Helpers of the stock book tests: a temporary program folder, a message box
// that records what it was asked to show, and a check of the stock invariants.

#include "MessagesTestKit.h"
#include "TempFolder.h"
#include "UProgFolder.h"
#include "UStoreData.h"

#include <gtest/gtest.h>

#include <algorithm>
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

// price x quantity in hundredths, rounded half up.
inline int64_t ModelValue(int64_t price, int64_t quantity)
{
    return (price * quantity + 50) / 100;
}

// Every goods record holds the totals of its movements, the date of its
// latest movement, and no movement names missing goods. Each movement holds
// the goods price and the value booking gives it at that price, in the order
// of the movements' numbers: a receipt price x quantity, an issue the same
// but never more than on hand, and everything on hand with the whole
// quantity. The goods value is never below 0 and is 0 with nothing on hand.
inline void ExpectInvariants(TStore& store)
{
    TTableStore& g = store.Goods();
    TTableMoves& m = store.Moves();
    struct TMove {
        bool Received;
        int64_t Weight, PCount, Sum, Cost;
        double Date;
    };
    std::map<int32_t, std::map<int32_t, TMove>> moves;  // goods, movement number
    std::map<int32_t, uint32_t> prices;
    for (g.First(); !g.Eof(); g.Next())
        prices[g.ID.GetValue()] = g.Cost.GetValue();
    m.SetIndex(m.IndSD.get());
    for (m.First(); !m.Eof(); m.Next()) {
        const int32_t id = m.IDStore.GetValue();
        ASSERT_TRUE(prices.count(id)) << "movement " << m.ID.GetValue() << " names no goods";
        moves[id][m.ID.GetValue()] = {m.Direction.GetValue(), m.Weight.GetValue(),
                                      m.PCount.GetValue(), m.Sum.GetValue(), m.Cost.GetValue(),
                                      m.MoveDate.GetValue()};
    }
    for (g.First(); !g.Eof(); g.Next()) {
        SCOPED_TRACE("goods " + g.ID.GetText());
        const std::map<int32_t, TMove>& list = moves[g.ID.GetValue()];
        EXPECT_FALSE(list.empty());
        int64_t weight = 0, pcount = 0, sum = 0, stored = 0;
        for (const auto& [id, mv] : list) {
            EXPECT_EQ(mv.Cost, int64_t(g.Cost.GetValue())) << "movement " << id;
            int64_t value = ModelValue(g.Cost.GetValue(), mv.Weight);
            if (!mv.Received)
                value = mv.Weight == weight ? sum : std::min(value, sum);
            EXPECT_EQ(mv.Sum, value) << "movement " << id;
            const int sign = mv.Received ? 1 : -1;
            weight += sign * mv.Weight;
            pcount += sign * mv.PCount;
            sum += sign * value;
            stored += sign * mv.Sum;
            EXPECT_GE(weight, 0) << "movement " << id;
        }
        EXPECT_EQ(int64_t(g.Weight.GetValue()), weight);
        EXPECT_EQ(int64_t(g.PCount.GetValue()), pcount);
        EXPECT_EQ(int64_t(g.Sum.GetValue()), stored);
        if (g.Weight.GetValue() == 0) {
            EXPECT_EQ(g.Sum.GetValue(), 0u);
        }
        if (!list.empty()) {
            EXPECT_EQ(g.LastDate.GetValue(), list.rbegin()->second.Date);
        }
    }
}

// Closes and opens the book on its Data folder again; the files need no
// mending.
inline void ExpectReopenedUnmended(TStore& store)
{
    store.Close();
    store.Open(false, "Data");
    EXPECT_EQ(store.RepairedCount(), 0);
}

// Hundredths as the edits hold them: no group marks, two decimals.
inline std::string Money(int64_t v)
{
    const std::string cents = std::to_string(v % 100);
    return std::to_string(v / 100) + "." + (cents.size() < 2 ? "0" : "") + cents;
}

// One goods as the model keeps it: its price and what it booked.
struct TModelGoods {
    struct TMove {
        bool Received;
        int64_t Weight, PCount;
    };
    int64_t Price = 0;
    std::vector<TMove> Moves;
    int64_t Weight = 0, PCount = 0, Sum = 0;

    // The value of a movement booked now at the price.
    int64_t ValueOf(const TMove& m) const
    {
        const int64_t value = ModelValue(Price, m.Weight);
        if (m.Received)
            return value;
        return m.Weight == Weight ? Sum : std::min(value, Sum);
    }
    void Book(const TMove& m)
    {
        const int64_t value = ValueOf(m);
        const int sign = m.Received ? 1 : -1;
        Weight += sign * m.Weight;
        PCount += sign * m.PCount;
        Sum += sign * value;
        Moves.push_back(m);
    }
    // Every movement valued again at the new price, in the order booked.
    void SetPrice(int64_t price)
    {
        Price = price;
        std::vector<TMove> moves;
        moves.swap(Moves);
        Weight = PCount = Sum = 0;
        for (const TMove& m : moves)
            Book(m);
    }
};

} // namespace tv::testkit
