#pragma once
// Bringing the two stock tables back in line after a stock operation was cut
// short (power loss, a write that failed). Each record write is whole on its
// own, and the operations write in an order whose every prefix is mended
// here: goods totals, movement prices and values (UStockValue) and the last
// date (that of the movement booked last, so that a clock set back is no
// fault) follow from the movements, goods left without any movement by a
// cut insert are removed, and movements of a deleted goods record are
// removed.

#include <cstdint>
#include <string>

namespace tv {

class TTableMoves;
class TTableStore;

struct TRepairReport {
    int Rewritten = 0;        // records rewritten or deleted
    // The files disagree in a way no cut operation leaves: both are left
    // as they are.
    bool FilesApart = false;
    // An import was cut in a group, which has been counted or dropped;
    // the goods with the highest number is then named (empty for none).
    bool ImportCut = false;
    std::string LastCode, LastName;
};

// Both tables open in browse state with their indexes added, the goods
// table keeping a group tail (TDatFile::SetKeepsGroupTail). Of the goods
// an import wrote and did not count (a group, with the one before it when
// that one's count had not reached the disk), those whose receipts are the
// newest movements, one each in order, are counted and the rest dropped. Then only the traces one operation can leave are
// mended, those of a single goods: files that disagree for more goods (put
// together from different copies, say), stock on hand without movements or
// movements of goods never numbered (a file lost and made empty), a
// difference that no single movement or re-pricing explains, totals that
// would leave 32 bits, and a record whose status word no change writes
// leave both files as they are; where the files are apart, the goods'
// next number is raised in memory past those the movements name, so that
// new goods never take another's movements. Afterwards the goods table is
// on IndDate, the movements table on IndSD, each at its first record. A
// failed write raises.
TRepairReport RepairStore(TTableStore& Goods, TTableMoves& Moves);

} // namespace tv
