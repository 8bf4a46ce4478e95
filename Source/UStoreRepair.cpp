#include "UStoreRepair.h"

#include "UChecked.h"
#include "UDateTime.h"
#include "UException.h"
#include "UStoreData.h"

#include <set>

namespace tv {

namespace {

struct TExpected {
    uint32_t Weight = 0;
    int32_t PCount = 0;
    uint32_t Sum = 0;
    TDateTime LastDate = 0;  // of the movement booked last, whatever the clock said
    int32_t LastID = 0;
    int32_t Moves = 0;
    bool Reprice = false;
};

void Post(TTable& table)
{
    try {
        table.Post();
    } catch (...) {
        table.Cancel();
        throw;
    }
}

std::vector<TVariant> LowKey(int32_t goodsID)
{
    return {TVariant(goodsID), TVariant::DateTime(EncodeDate(1, 1, 1))};
}

// The goods record's values as its movements at its price give them.
// EIntOverflow when a total leaves its range.
TExpected Expected(TTableMoves& moves, int32_t goodsID, uint32_t price)
{
    TExpected e;
    moves.FindKey(LowKey(goodsID));
    while (!moves.Eof() && moves.IDStore.GetValue() == goodsID) {
        const uint32_t sum = TMoneyField::MulMoney(price, moves.Weight.GetValue());
        e.Reprice = e.Reprice || moves.Cost.GetValue() != price || moves.Sum.GetValue() != sum;
        if (moves.Direction.GetValue()) {
            e.Weight = CheckedAddU(e.Weight, moves.Weight.GetValue());
            e.PCount = CheckedAdd(e.PCount, moves.PCount.GetValue());
            e.Sum = CheckedAddU(e.Sum, sum);
        } else {
            e.Weight = CheckedSubU(e.Weight, moves.Weight.GetValue());
            e.PCount = CheckedSub(e.PCount, moves.PCount.GetValue());
            e.Sum = CheckedSubU(e.Sum, sum);
        }
        if (e.Moves == 0 || moves.ID.GetValue() > e.LastID) {
            e.LastID = moves.ID.GetValue();
            e.LastDate = moves.MoveDate.GetValue();
        }
        ++e.Moves;
        moves.Next();
    }
    return e;
}

int Reprice(TTableMoves& moves, int32_t goodsID, uint32_t price)
{
    int count = 0;
    moves.FindKey(LowKey(goodsID));
    while (!moves.Eof() && moves.IDStore.GetValue() == goodsID) {
        const uint32_t sum = TMoneyField::MulMoney(price, moves.Weight.GetValue());
        if (moves.Cost.GetValue() != price || moves.Sum.GetValue() != sum) {
            moves.Edit();
            moves.Cost.SetValue(price);
            moves.Sum.SetValue(sum);
            Post(moves);
            ++count;
        }
        moves.Next();
    }
    return count;
}


// What the goods record at the current position of Goods needs.
enum TNeed { nOK, nRemove, nRewrite };

TNeed NeedOf(TTableStore& Goods, TTableMoves& Moves, int32_t newestID, TExpected& e)
{
    try {
        e = Expected(Moves, Goods.ID.GetValue(), Goods.Cost.GetValue());
    } catch (const EIntOverflow&) {
        return nOK;  // not what an operation leaves; kept as it is
    }
    if (e.Moves == 0)
        // Only an insert cut before its movement leaves such a record: the
        // newest goods, nothing on hand.
        return Goods.ID.GetValue() == newestID && Goods.Weight.GetValue() == 0 &&
                       Goods.PCount.GetValue() == 0 && Goods.Sum.GetValue() == 0
                   ? nRemove
                   : nOK;
    if (e.Reprice || Goods.Weight.GetValue() != e.Weight || Goods.PCount.GetValue() != e.PCount ||
        Goods.Sum.GetValue() != e.Sum || Goods.LastDate.GetValue() != e.LastDate)
        return nRewrite;
    return nOK;
}

// Goods on IndID, movements on IndSD. One operation in flight touches one
// goods: traces of more than one are no cut operation and stay untouched.
int Mend(TTableStore& Goods, TTableMoves& Moves)
{
    std::set<int32_t> ids;
    for (Goods.First(); !Goods.Eof(); Goods.Next())
        ids.insert(Goods.ID.GetValue());
    std::set<int32_t> affected;
    for (Moves.First(); !Moves.Eof(); Moves.Next())
        if (ids.count(Moves.IDStore.GetValue()) == 0)
            affected.insert(Moves.IDStore.GetValue());
    const int32_t newestID = Goods.ID.GetNextKeyValue() - 1;
    int32_t target = -1;  // record number of the goods to mend
    for (int32_t n = 0; n < Goods.RecordCount() && affected.size() <= 1; ++n) {
        Goods.SetRecNo(n);
        TExpected e;
        if (NeedOf(Goods, Moves, newestID, e) != nOK) {
            affected.insert(Goods.ID.GetValue());
            target = n;
        }
    }
    if (affected.size() != 1)
        return 0;

    int repaired = 0;
    const int32_t goodsID = *affected.begin();
    // Movements of goods that are gone: a deletion cut after its goods record.
    if (ids.count(goodsID) == 0) {
        Moves.FindKey(LowKey(goodsID));
        while (!Moves.Eof() && Moves.IDStore.GetValue() == goodsID && Moves.RecordCount() > 0) {
            Moves.Delete();
            ++repaired;
        }
        return repaired;
    }

    Goods.SetRecNo(target);
    TExpected e;
    switch (NeedOf(Goods, Moves, newestID, e)) {
    case nRemove:
        Goods.Delete();
        return 1;
    case nRewrite:
        if (e.Reprice)
            repaired += Reprice(Moves, goodsID, Goods.Cost.GetValue());
        if (Goods.Weight.GetValue() != e.Weight || Goods.PCount.GetValue() != e.PCount ||
            Goods.Sum.GetValue() != e.Sum || Goods.LastDate.GetValue() != e.LastDate) {
            Goods.Edit();
            Goods.Weight.SetValue(e.Weight);
            Goods.PCount.SetValue(e.PCount);
            Goods.Sum.SetValue(e.Sum);
            Goods.LastDate.SetValue(e.LastDate);
            Post(Goods);
            ++repaired;
        }
        return repaired;
    case nOK:
        break;
    }
    return repaired;
}

} // namespace

int RepairStore(TTableStore& Goods, TTableMoves& Moves)
{
    Goods.SetIndex(Goods.IndID.get());
    Moves.SetIndex(Moves.IndSD.get());
    const int repaired = Mend(Goods, Moves);
    Goods.SetIndex(Goods.IndDate.get());
    Goods.First();
    Moves.SetIndex(Moves.IndSD.get());
    Moves.First();
    return repaired;
}

} // namespace tv
