#pragma once
// The stock book's two tables: the goods (store.dat) and their movements
// (moves.dat), with their fields and indexes; and the folders of the
// program folder that hold the book and its copies.

#include <cstdint>
#include <memory>
#include <vector>

#include "UBaseFld.h"
#include "UFields.h"
#include "UIndex.h"
#include "UMoneyFld.h"
#include "UStoreFields.h"
#include "UTable.h"

namespace tv {

// Folders of the program folder: the working files, and the copies, one
// subfolder per copy; SafetyFolder is the copy in Hist that each import and
// restore replaces.
extern const char* const DataFolder;
extern const char* const HistFolder;
extern const char* const SafetyFolder;

// The kinds of goods on hand.
class TTableStore : public TTable {
public:
    TTableStore();
    ~TTableStore() override;

    // Opens the file, adds the eight indexes and selects IndDate.
    void Open(bool CreateIfMissing) override;

    TIntegerField ID;
    TStringField Code{8};
    TCompareStringField Name{40};
    TIntegerField PCount;
    TMoneyField Weight;
    TMoneyField Cost;
    TMoneyField Sum;
    TShowDateTimeField LastDate;

private:
    TFields FFieldSet;

public:
    std::unique_ptr<TIndex> IndID, IndCode, IndName, IndPock, IndWeight, IndCost, IndSum, IndDate;
};

// The movements of goods into and out of stock.
class TTableMoves : public TTable {
public:
    TTableMoves();
    ~TTableMoves() override;

    // Opens the file, adds IndID and IndSD, selects IndSD and goes first.
    void Open(bool CreateIfMissing) override;
    // The IndSD key at which the goods' movements begin.
    static std::vector<TVariant> GoodsLowKey(int32_t GoodsID);

    TIntegerField ID;
    TIntegerField IDStore;
    TShowDateTimeField MoveDate;
    TDirectionBooleanField Direction;
    TIntegerField PCount;
    TMoneyField Weight;
    TMoneyField Cost;
    TMoneyField Sum;
    TCompareStringField Note{40};

private:
    TFields FFieldSet;

public:
    // IndSD orders by goods, then by date.
    std::unique_ptr<TIndex> IndID, IndSD;
};

} // namespace tv
