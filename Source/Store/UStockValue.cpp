#include "UStockValue.h"

#include "UChecked.h"
#include "UMoneyFld.h"
#include "UStoreTables.h"

#include <algorithm>

namespace tv {

uint32_t IssueValue(uint32_t Price, uint32_t Quantity, uint32_t Weight, uint32_t Sum)
{
    if (Quantity == Weight)
        return Sum;
    // Rounded half up as MulMoney does; in 64 bits, since only the part up
    // to the value on hand is taken.
    const uint64_t value = (uint64_t(Price) * Quantity + 50) / 100;
    return static_cast<uint32_t>(std::min<uint64_t>(value, Sum));
}

uint32_t ValueMoves(std::vector<TValuedMove>& Moves, uint32_t Price)
{
    std::sort(Moves.begin(), Moves.end(),
              [](const TValuedMove& a, const TValuedMove& b) { return a.ID < b.ID; });
    uint32_t weight = 0, sum = 0;
    for (TValuedMove& m : Moves) {
        if (m.Received) {
            m.Sum = TMoneyField::MulMoney(Price, m.Weight);
            weight = CheckedAddU(weight, m.Weight);
            sum = CheckedAddU(sum, m.Sum);
        } else {
            if (m.Weight > weight)
                throw EIntOverflow();
            m.Sum = IssueValue(Price, m.Weight, weight, sum);
            weight -= m.Weight;
            sum -= m.Sum;
        }
    }
    return sum;
}

std::vector<TValuedMove> ReadMovesOf(TTableMoves& Moves, int32_t GoodsID)
{
    std::vector<TValuedMove> list;
    Moves.SetIndex(Moves.IndSD.get());
    Moves.FindKey(TTableMoves::GoodsLowKey(GoodsID));
    for (; !Moves.Eof() && Moves.IDStore.GetValue() == GoodsID; Moves.Next())
        list.push_back({Moves.ID.GetValue(), Moves.Direction.GetValue(), Moves.Weight.GetValue(),
                        Moves.Sum.GetValue(), Moves.GetRecNo()});
    return list;
}

int RewriteMoves(TTableMoves& Moves, const std::vector<TValuedMove>& List, uint32_t Price)
{
    int written = 0;
    // Neither price nor value is a key of IndSD: record numbers stay.
    Moves.SetIndex(Moves.IndSD.get());
    for (const TValuedMove& m : List) {
        Moves.SetRecNo(m.RecNo);
        if (Moves.Cost.GetValue() == Price && Moves.Sum.GetValue() == m.Sum)
            continue;
        Moves.Edit();
        try {
            Moves.Cost.SetValue(Price);
            Moves.Sum.SetValue(m.Sum);
            Moves.Post();
        } catch (...) {
            Moves.Cancel();
            throw;
        }
        ++written;
    }
    return written;
}

int RepriceMovesOf(TTableMoves& Moves, int32_t GoodsID, uint32_t Price)
{
    std::vector<TValuedMove> valued = ReadMovesOf(Moves, GoodsID);
    ValueMoves(valued, Price);
    return RewriteMoves(Moves, valued, Price);
}

} // namespace tv
