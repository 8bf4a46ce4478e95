#pragma once
// What each mode of the main window allows: the actions it enables and shows,
// the keys it gives them, the entry-panel edits that take input and the sign
// beside the quantity; and the automatic goods code. No widgets here, so the
// tables can be checked on their own.

#include "UStoreData.h"

#include <cstdint>
#include <string>

namespace tv {

// The entry panel's edits, as bits of TModeRules::Writable.
enum TPanelEdit : unsigned {
    peCode = 1,
    peName = 2,
    peCost = 4,
    peWeight = 8,
    pePCount = 16,
    peNote = 32,
    peAll = 63,
};

// The sign beside the quantity edit.
enum class TPlusSign { None, Plus, Minus };

struct TModeRules {
    bool Grids;           // GridStore, GridMoves
    bool Insert;          // ActInsert
    bool GoodsActions;    // ActEdit, ActDelete, ActAdd, ActDed
    bool Sort;            // ActSort
    bool Search;          // ActSearch enabled
    bool SearchVisible;   // ActSearch shown
    bool PostCancel;      // ActPost, ActCancel
    bool SearchEnd;       // ActSearchEnd enabled and shown
    bool Work;            // ActStat, ActSaveAs, ActRestoreBase, export/import/report
    unsigned Writable;    // TPanelEdit bits
    TPlusSign Plus;
};

// The rules of a mode over a goods table that holds records (notEmpty) or
// none. A mode beyond 6 gets the browse rules.
TModeRules ModeRules(TStoreMode mode, bool notEmpty);

// How a mode sets a shortcut: clears it, gives the key, or leaves it alone.
enum class TKeyRule { Clear, Set, Keep };

struct TModeKeys {
    TKeyRule Delete;     // Del
    TKeyRule Cancel;     // Esc
    TKeyRule SearchEnd;  // Esc
    TKeyRule Exit;       // Esc
    TKeyRule PadKeys;    // numeric-pad plus and minus of ActAdd, ActDed (full keyboard only)
};

TModeKeys ModeKeys(TStoreMode mode);

// The automatic code of the next goods. nuls is the digit count as stored
// (0 reads as 4), capped at codeWidth so that the code always fits the code
// field; with at most one digit the code is nextId alone, otherwise nextId +
// delta with at least nuls digits, zero-padded. EIntOverflow when the sum
// leaves 32 bits unsigned.
std::string AutoCode(std::uint32_t nuls, std::uint32_t delta, std::int32_t nextId, int codeWidth);

} // namespace tv
