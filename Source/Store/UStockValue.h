#pragma once
// The value each movement of one goods takes. A receipt takes price x
// quantity, rounded to the hundredth; an issue the same, but never more than
// the value on hand, and the whole value with the whole quantity on hand. So
// the value on hand never goes below 0 and is 0 with nothing on hand. The
// movements of one goods are valued in the order they were booked, that of
// their numbers, whatever dates the clock gave them.

#include <cstdint>
#include <vector>

namespace tv {

class TTableMoves;

// The value of an issue of Quantity at Price from Weight and Sum on hand.
// Quantity must not exceed Weight.
uint32_t IssueValue(uint32_t Price, uint32_t Quantity, uint32_t Weight, uint32_t Sum);

struct TValuedMove {
    int32_t ID;
    bool Received;
    uint32_t Weight;
    uint32_t Sum;    // as stored, or as valued
    int32_t RecNo;   // in the movements table's IndSD order
};

// Sorts the movements by number and sets each Sum to its value at Price, as
// if booked at that price from the first; returns the value on hand after
// the last. EIntOverflow when the stock on hand leaves 32 bits or an issue
// takes more than is on hand.
uint32_t ValueMoves(std::vector<TValuedMove>& Moves, uint32_t Price);

// The movements of the goods, read through IndSD, which it selects.
std::vector<TValuedMove> ReadMovesOf(TTableMoves& Moves, int32_t GoodsID);

// Gives each listed movement Price and its Sum, rewriting in the list's order
// those that differ; returns how many it rewrote. A failed write raises with
// the table in browse state.
int RewriteMoves(TTableMoves& Moves, const std::vector<TValuedMove>& List, uint32_t Price);

// Values the goods' movements at Price and rewrites, in the order of their
// numbers, those whose price or value differ; returns how many it rewrote.
// Nothing is written when the values do not fit (EIntOverflow).
int RepriceMovesOf(TTableMoves& Moves, int32_t GoodsID, uint32_t Price);

} // namespace tv
