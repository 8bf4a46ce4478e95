#include "UStoreRepair.h"

#include "UChecked.h"
#include "UDateTime.h"
#include "UException.h"
#include "UParts.h"
#include "URecordView.h"
#include "UStockValue.h"
#include "UStoreTables.h"

#include <algorithm>
#include <cstdint>
#include <set>
#include <vector>

namespace tv {

namespace {

struct TExpected {
    uint32_t Weight = 0;
    int32_t PCount = 0;
    uint32_t Sum = 0;
    TDateTime LastDate = 0;  // of the movement booked last, whatever the clock said
    int32_t Moves = 0;
    bool Reprice = false;
};

struct TMove {
    int32_t ID;
    bool Received;
    uint32_t Weight;
    int32_t PCount;
    uint32_t Cost;
    uint32_t Sum;
    TDateTime Date;
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

struct TGoods {
    int32_t ID;
    uint32_t Cost;
    uint32_t Weight;
    int32_t PCount;
    uint32_t Sum;
    TDateTime LastDate;
};

// Both tables' records read straight from their blocks, the movements in
// the order of IndSD. Holds while neither table changes.
class TBookView {
public:
    TBookView(const TTableStore& goods, const TTableMoves& moves)
        : FGoods(goods), FMoves(moves), GID(FGoods.Column(goods.ID)), GCost(FGoods.Column(goods.Cost)),
          GWeight(FGoods.Column(goods.Weight)), GPCount(FGoods.Column(goods.PCount)), GSum(FGoods.Column(goods.Sum)),
          GLastDate(FGoods.Column(goods.LastDate)), MID(FMoves.Column(moves.ID)),
          MIDStore(FMoves.Column(moves.IDStore)), MDirection(FMoves.Column(moves.Direction)),
          MWeight(FMoves.Column(moves.Weight)), MPCount(FMoves.Column(moves.PCount)),
          MCost(FMoves.Column(moves.Cost)), MSum(FMoves.Column(moves.Sum)), MDate(FMoves.Column(moves.MoveDate))
    {
    }
    int32_t GoodsCount() const { return FGoods.Count(); }
    int32_t GoodsID(int32_t n) const { return GID(n); }
    TGoods Goods(int32_t n) const { return {GID(n), GCost(n), GWeight(n), GPCount(n), GSum(n), GLastDate(n)}; }
    int32_t MoveCount() const { return FMoves.Count(); }
    int32_t MoveGoods(int32_t m) const { return MIDStore(m); }
    TMove Move(int32_t m) const
    {
        return {MID(m), MDirection(m) != 0, MWeight(m), MPCount(m), MCost(m), MSum(m), MDate(m)};
    }
    // Movement m and those after it of the same goods; returns the place
    // after them.
    int32_t ReadMovesOf(int32_t m, int32_t goodsID, std::vector<TMove>& list) const
    {
        for (; m < MoveCount() && MIDStore(m) == goodsID; ++m) list.push_back(Move(m));
        return m;
    }

private:
    TRecordView FGoods, FMoves;
    TRecordView::TColumn<TIntegerField> GID;
    TRecordView::TColumn<TMoneyField> GCost, GWeight;
    TRecordView::TColumn<TIntegerField> GPCount;
    TRecordView::TColumn<TMoneyField> GSum;
    TRecordView::TColumn<TShowDateTimeField> GLastDate;
    TRecordView::TColumn<TIntegerField> MID, MIDStore;
    TRecordView::TColumn<TDirectionBooleanField> MDirection;
    TRecordView::TColumn<TMoneyField> MWeight;
    TRecordView::TColumn<TIntegerField> MPCount;
    TRecordView::TColumn<TMoneyField> MCost, MSum;
    TRecordView::TColumn<TShowDateTimeField> MDate;
};

// The movements as ValueMoves takes them; RecNo is the place in the list.
std::vector<TValuedMove> ValuedList(const std::vector<TMove>& list)
{
    std::vector<TValuedMove> valued;
    valued.reserve(list.size());
    for (size_t i = 0; i < list.size(); ++i)
        valued.push_back({list[i].ID, list[i].Received, list[i].Weight, list[i].Sum,
                          static_cast<int32_t>(i)});
    return valued;
}

// The goods record's values as the movements at the price give them, valued
// in the order they were booked (a clock set back dates an issue before its
// receipt); EIntOverflow when the stock on hand leaves its range.
TExpected Expected(const std::vector<TMove>& list, uint32_t price)
{
    TExpected e;
    int64_t weight = 0, pcount = 0;
    int32_t lastID = 0;
    std::vector<TValuedMove> valued = ValuedList(list);
    e.Sum = ValueMoves(valued, price);
    for (const TValuedMove& v : valued) {
        const TMove& m = list[static_cast<size_t>(v.RecNo)];
        e.Reprice = e.Reprice || m.Cost != price || m.Sum != v.Sum;
        const int64_t sign = m.Received ? 1 : -1;
        weight += sign * m.Weight;
        pcount += sign * m.PCount;
        if (e.Moves == 0 || m.ID > lastID) {
            lastID = m.ID;
            e.LastDate = m.Date;
        }
        ++e.Moves;
    }
    if (weight < 0 || weight > int64_t(UINT32_MAX) || pcount < INT32_MIN || pcount > INT32_MAX)
        throw EIntOverflow();
    e.Weight = static_cast<uint32_t>(weight);
    e.PCount = static_cast<int32_t>(pcount);
    return e;
}

// Whether the movements at the price hold the values booking gives them at
// it, the others counted at those values; an issue may instead hold price x
// quantity within the value on hand, as files booked before the issue's
// value was capped do. Held: the value on hand so reckoned.
bool HoldValuesAt(const std::vector<TMove>& list, uint32_t price, uint32_t& held)
{
    std::vector<TValuedMove> valued = ValuedList(list);
    std::sort(valued.begin(), valued.end(),
              [](const TValuedMove& a, const TValuedMove& b) { return a.ID < b.ID; });
    try {
        uint32_t weight = 0, sum = 0;
        for (const TValuedMove& v : valued) {
            const TMove& m = list[static_cast<size_t>(v.RecNo)];
            uint32_t value = m.Received ? TMoneyField::MulMoney(price, m.Weight)
                                        : IssueValue(price, std::min(m.Weight, weight), weight, sum);
            if (m.Cost == price && m.Sum != value) {
                if (m.Received || m.Sum > sum || m.Sum != TMoneyField::MulMoney(price, m.Weight))
                    return false;
                value = m.Sum;
            }
            if (m.Received) {
                weight = CheckedAddU(weight, m.Weight);
                sum = CheckedAddU(sum, value);
            } else {
                weight = CheckedSubU(weight, m.Weight);
                sum = CheckedSubU(sum, value);
            }
        }
        held = sum;
        return true;
    } catch (const EIntOverflow&) {
        return false;
    }
}

// What the goods record at the current position of Goods needs; nForeign
// when it disagrees with its movements in a way no cut operation leaves.
enum TNeed { nOK, nRemove, nRewrite, nForeign };

TNeed NeedOf(const TTableStore& Goods, const TTableMoves& Moves, const TGoods& g, const std::vector<TMove>& list,
             TExpected& e)
{
    const int32_t id = g.ID;
    const uint32_t price = g.Cost;
    const uint32_t weight = g.Weight;
    const int32_t pcount = g.PCount;
    const uint32_t sum = g.Sum;
    if (list.empty()) {
        // Stock on hand without movements was never booked in this file.
        if (weight != 0 || pcount != 0 || sum != 0)
            return nForeign;
        // An insert cut before its movement: the newest goods, and a
        // movements file that is the partner of the goods file (one made
        // empty has booked nothing, while every earlier goods booked a
        // movement). Other empty goods are harmless and kept.
        const bool partner = Moves.ID.GetNextKeyValue() > 1 || id == 1;
        return id == Goods.ID.GetNextKeyValue() - 1 && partner ? nRemove : nOK;
    }
    try {
        e = Expected(list, price);
        std::set<uint32_t> others;
        for (const TMove& m : list)
            if (m.Cost != price)
                others.insert(m.Cost);
        uint32_t held = 0;
        if (e.Reprice && others.empty()) {
            // Values of an older rounding at the goods price stand as stored.
            if (!HoldValuesAt(list, price, held))
                return nForeign;
            e.Reprice = false;
            e.Sum = held;
        }
        if (!e.Reprice) {
            if (weight == e.Weight && pcount == e.PCount && sum == e.Sum)
                return g.LastDate == e.LastDate ? nOK : nRewrite;
            // A re-pricing cut after its last movement leaves the old value.
            if (weight == e.Weight && pcount == e.PCount)
                return nRewrite;
            // A booking cut between its movement and the goods record: the
            // goods lack exactly one movement.
            const int64_t dw = int64_t(e.Weight) - weight, dp = int64_t(e.PCount) - pcount,
                          ds = int64_t(e.Sum) - sum;
            for (const TMove& m : list) {
                const int64_t sign = m.Received ? 1 : -1;
                if (dw == sign * m.Weight && dp == sign * m.PCount && ds == sign * m.Sum)
                    return nRewrite;
            }
            return nForeign;
        }
        // A re-pricing cut short: the quantities agree, the movements hold
        // the goods price or one other with the values at it, and the value
        // on hand is that at either.
        uint32_t heldOther = 0;
        if (weight != e.Weight || pcount != e.PCount || others.size() != 1 ||
            !HoldValuesAt(list, price, held) || !HoldValuesAt(list, *others.begin(), heldOther))
            return nForeign;
        return sum == e.Sum || sum == heldOther ? nRewrite : nForeign;
    } catch (const EIntOverflow&) {
        return nForeign;
    }
}

// Goods records from First to End of the goods in number order, with the
// movements from Move to MoveEnd on IndSD: those of these goods and those
// of no goods between them.
struct TPart {
    size_t First, End;
    int32_t Move, MoveEnd;
};

// What a part of the check found. Target: the record number of the last
// goods in the part that needs mending, else -1.
struct TFound {
    bool Foreign = false;
    std::set<int32_t> Affected;
    int32_t Target = -1;
    TGoods TargetGoods{};
    std::vector<TMove> TargetMoves;
};

// Below this many goods the check runs as one part.
constexpr size_t kGoodsPerPart = 8192;

// Parts of about equal numbers of goods; goods sharing a number stay in
// one part.
std::vector<TPart> SplitGoods(const TBookView& book, const std::vector<std::pair<int32_t, int32_t>>& goods)
{
    const size_t count = std::clamp<size_t>(goods.size() / kGoodsPerPart, 1, PartThreads());
    std::vector<TPart> parts;
    size_t first = 0;
    int32_t move = 0;
    for (size_t p = 1; p <= count; ++p) {
        size_t end = p == count ? goods.size() : std::max(first, goods.size() * p / count);
        while (end > first && end < goods.size() && goods[end - 1].first == goods[end].first)
            ++end;
        if (end == first && p != count)
            continue;
        int32_t moveEnd = book.MoveCount();
        if (end < goods.size()) {
            // The first movement past the part's last goods.
            int32_t lo = move, hi = book.MoveCount();
            while (lo < hi) {
                const int32_t mid = lo + (hi - lo) / 2;
                if (book.MoveGoods(mid) <= goods[end - 1].first)
                    lo = mid + 1;
                else
                    hi = mid;
            }
            moveEnd = lo;
        }
        parts.push_back({first, end, move, moveEnd});
        first = end;
        move = moveEnd;
    }
    return parts;
}

// Holds each goods of the part against its movements; stops at the first
// sign that nothing is to be mended.
TFound CheckPart(const TTableStore& Goods, const TTableMoves& Moves, const TBookView& book,
                 const std::vector<std::pair<int32_t, int32_t>>& goods, const TPart& part)
{
    TFound f;
    // Movements left by a cut deletion name a number given before.
    const auto orphan = [&](int32_t id) {
        f.Foreign = f.Foreign || id <= 0 || id >= Goods.ID.GetNextKeyValue();
        f.Affected.insert(id);
    };
    std::vector<TMove> list;
    int32_t m = part.Move;
    for (size_t k = part.First; k < part.End; ++k) {
        const auto [id, n] = goods[k];
        // Records that share a number (a damaged file) are each held
        // against all of its movements.
        if (k == part.First || goods[k - 1].first != id) {
            for (; m < part.MoveEnd && book.MoveGoods(m) < id; ++m)
                orphan(book.MoveGoods(m));
            list.clear();
            m = book.ReadMovesOf(m, id, list);
        }
        if (f.Foreign || f.Affected.size() > 1)
            return f;
        TExpected e;
        const TGoods g = book.Goods(n);
        const TNeed need = NeedOf(Goods, Moves, g, list, e);
        if (need == nForeign) {
            f.Foreign = true;
            return f;
        }
        if (need != nOK) {
            f.Affected.insert(id);
            f.Target = n;
            f.TargetGoods = g;
            f.TargetMoves = list;
        }
    }
    for (; m < part.MoveEnd; ++m)
        orphan(book.MoveGoods(m));
    return f;
}

// Movements on IndSD, goods on any index. One operation in flight touches
// one goods: traces of more than one, or any trace no cut operation leaves,
// and nothing is mended (Apart). The movements are read once, in step with
// the goods in the order of their numbers, straight from the record blocks,
// by parts of the goods in parallel.
int Mend(TTableStore& Goods, TTableMoves& Moves, bool& Apart)
{
    Apart = false;
    int32_t target = -1;  // record number of the goods to mend
    int32_t goodsID = 0;
    TGoods targetGoods{};
    std::vector<TMove> targetMoves;
    {
        const TBookView book(Goods, Moves);
        std::vector<std::pair<int32_t, int32_t>> goods;  // number, record number
        goods.reserve(static_cast<size_t>(book.GoodsCount()));
        for (int32_t n = 0; n < book.GoodsCount(); ++n)
            goods.emplace_back(book.GoodsID(n), n);
        std::sort(goods.begin(), goods.end());
        const std::vector<TPart> parts = SplitGoods(book, goods);
        std::vector<TFound> found(parts.size());
        RunParts(parts.size(), [&](size_t p) { found[p] = CheckPart(Goods, Moves, book, goods, parts[p]); });
        std::set<int32_t> affected;
        for (const TFound& f : found) {
            if (f.Foreign) {
                Apart = true;
                return 0;
            }
            affected.insert(f.Affected.begin(), f.Affected.end());
            if (f.Target >= 0) {
                target = f.Target;
                targetGoods = f.TargetGoods;
                targetMoves = f.TargetMoves;
            }
        }
        if (affected.size() != 1) {
            Apart = !affected.empty();
            return 0;
        }
        goodsID = *affected.begin();
    }

    int repaired = 0;
    // Movements of goods that are gone: a deletion cut after its goods record.
    if (target < 0) {
        Moves.FindKey(TTableMoves::GoodsLowKey(goodsID));
        while (!Moves.Eof() && Moves.IDStore.GetValue() == goodsID && Moves.RecordCount() > 0) {
            Moves.Delete();
            ++repaired;
        }
        return repaired;
    }

    Goods.SetRecNo(target);
    TExpected e;
    switch (NeedOf(Goods, Moves, targetGoods, targetMoves, e)) {
    case nRemove:
        Goods.Delete();
        return 1;
    case nRewrite:
        if (e.Reprice)
            repaired += RepriceMovesOf(Moves, goodsID, Goods.Cost.GetValue());
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
    case nForeign:
        Apart = true;
        break;
    }
    return repaired;
}

// The fields of goods record data as the group holds it.
TGoods GroupGoods(TTableStore& Goods, const uint8_t* data)
{
    Goods.Fields()->SetRecord(data);
    return {Goods.ID.GetValue(), Goods.Cost.GetValue(), Goods.Weight.GetValue(),
            Goods.PCount.GetValue(), Goods.Sum.GetValue(), Goods.LastDate.GetValue()};
}

// How many of the goods group past the counted goods the newest movements
// hold: they must be exactly the receipts an import writes for its first
// records, one each in order; -1 when they are anything else.
int32_t GoodsTheMovesHold(TTableStore& Goods, const TTableMoves& Moves)
{
    const int32_t count = Goods.GroupCount();
    const int32_t nextGoods = Goods.ID.GetNextKeyValue();
    const int32_t nextMove = Moves.ID.GetNextKeyValue();
    const auto dataSize = static_cast<size_t>(Goods.Fields()->DataSize());
    const TBookView book(Goods, Moves);
    int32_t m = book.MoveCount();
    while (m > 0 && book.MoveGoods(m - 1) >= nextGoods)
        --m;
    const int32_t held = book.MoveCount() - m;
    if (held > count)
        return -1;
    for (int32_t k = 0; k < held; ++k, ++m) {
        const TGoods g = GroupGoods(Goods, Goods.GroupData().data() + static_cast<size_t>(k) * dataSize);
        const TMove move = book.Move(m);
        if (book.MoveGoods(m) != nextGoods + k || g.ID != nextGoods + k || move.ID != nextMove - held + k ||
            !move.Received || move.Cost != g.Cost || move.Weight != g.Weight || move.PCount != g.PCount ||
            move.Sum != g.Sum || move.Date != g.LastDate || move.Sum != TMoneyField::MulMoney(move.Cost, move.Weight))
            return -1;
    }
    return held;
}

// A goods group an import wrote and did not count (with the one after it,
// when the count of the first had not reached the disk): the goods whose
// movements were counted (the import's step that makes them the book's)
// are counted, the rest dropped. Each step is one write a cut keeps whole
// or not at all: the rest is cut off first, then the header counts.
void SettleImportGroup(TTableStore& Goods, TTableMoves& Moves, TRepairReport& report)
{
    const int32_t count = Goods.GroupCount();
    if (count == 0)
        return;
    const auto dataSize = static_cast<size_t>(Goods.Fields()->DataSize());
    bool imported = count > 1;
    for (int32_t k = 0; k < count && !imported; ++k) {
        const TGoods g = GroupGoods(Goods, Goods.GroupData().data() + static_cast<size_t>(k) * dataSize);
        imported = g.Weight != 0 || g.PCount != 0 || g.Sum != 0;
    }
    const int32_t held = GoodsTheMovesHold(Goods, Moves);
    if (held > 0) {
        Goods.ShortenGroup(held);
        Goods.CountGroup();
        report.ImportCut = true;
        return;
    }
    // A cut insert leaves one record of no stock; only an import more.
    Goods.DropGroup();
    report.ImportCut = imported;
}

// The goods with the highest number, if any.
void NameNewestGoods(TTableStore& Goods, TRepairReport& report)
{
    int32_t newest = -1, id = 0;
    {
        const TRecordView view(Goods);
        const TRecordView::TColumn<TIntegerField> ids = view.Column(Goods.ID);
        for (int32_t n = 0; n < view.Count(); ++n)
            if (newest < 0 || ids(n) > id) {
                newest = n;
                id = ids(n);
            }
    }
    if (newest < 0)
        return;
    Goods.SetRecNo(newest);
    report.LastCode = Goods.Code.GetText();
    report.LastName = Goods.Name.GetText();
}

} // namespace

TRepairReport RepairStore(TTableStore& Goods, TTableMoves& Moves)
{
    TRepairReport report;
    Moves.SetIndex(Moves.IndSD.get());
    // A status word no change writes hides a record that is there: its
    // goods would look deleted, its movement unbooked.
    const bool damaged = Goods.OddStatusCount() > 0 || Moves.OddStatusCount() > 0;
    if (damaged) {
        if (Goods.GroupCount() > 0)
            Goods.DropGroup();
    } else {
        SettleImportGroup(Goods, Moves, report);
        report.Rewritten = Mend(Goods, Moves, report.FilesApart);
    }
    if (report.FilesApart && Moves.RecordCount() > 0) {
        // Movements of goods not numbered yet must not pass to new goods.
        Moves.SetRecNo(Moves.RecordCount() - 1);
        const int32_t highest = Moves.IDStore.GetValue();
        if (highest >= Goods.ID.GetNextKeyValue())
            Goods.ID.SetNextKeyValue(CheckedAdd(highest, 1));
    }
    Goods.SetIndex(Goods.IndDate.get());
    if (report.ImportCut)
        NameNewestGoods(Goods, report);
    Goods.First();
    Moves.SetIndex(Moves.IndSD.get());
    Moves.First();
    return report;
}

} // namespace tv
