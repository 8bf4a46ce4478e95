#include "UStoreTables.h"

#include "UDateTime.h"
#include "UStoreCopy.h"

#include <utility>

namespace tv {

const char* const DataFolder = "Data";
const char* const HistFolder = "Hist";
const char* const SafetyFolder = "0000-00-00";

TTableStore::TTableStore()
    : FFieldSet({&ID, &Code, &Name, &PCount, &Weight, &Cost, &Sum, &LastDate})
{
    const std::pair<TField*, const char*> names[] = {
        {&ID, "ID"}, {&Code, "Code"}, {&Name, "Name"}, {&PCount, "PCount"},
        {&Weight, "Weight"}, {&Cost, "Cost"}, {&Sum, "Sum"}, {&LastDate, "LastDate"},
    };
    for (auto [field, name] : names)
        field->SetName(name);
    ID.SetPrimaryKey(true);
    SetFields(&FFieldSet);
    SetFileName(StoreFileName);
    SetKeepsGroupTail(true);
    IndID = TIndex::CreateNamed(&FFieldSet, "IndID", &ID);
    IndCode = TIndex::CreateNamed(&FFieldSet, "IndCode", &Code);
    IndName = TIndex::CreateNamed(&FFieldSet, "IndName", &Name);
    IndPock = TIndex::CreateNamed(&FFieldSet, "IndPock", &PCount);
    IndWeight = TIndex::CreateNamed(&FFieldSet, "IndWeight", &Weight);
    IndCost = TIndex::CreateNamed(&FFieldSet, "IndCost", &Cost);
    IndSum = TIndex::CreateNamed(&FFieldSet, "IndSum", &Sum);
    IndDate = TIndex::CreateNamed(&FFieldSet, "IndDate", &LastDate);
}

TTableStore::~TTableStore()
{
    if (GetState() != tsClosed)
        Close();
}

void TTableStore::Open(bool CreateIfMissing)
{
    TTable::Open(CreateIfMissing);
    for (TIndex* index : {IndID.get(), IndCode.get(), IndName.get(), IndPock.get(),
                          IndWeight.get(), IndCost.get(), IndSum.get(), IndDate.get()})
        AddIndex(index);
    SetIndex(IndDate.get());
}

TTableMoves::TTableMoves()
    : FFieldSet({&ID, &IDStore, &MoveDate, &Direction, &PCount, &Weight, &Cost, &Sum, &Note})
{
    const std::pair<TField*, const char*> names[] = {
        {&ID, "ID"}, {&IDStore, "IDStore"}, {&MoveDate, "MoveDate"},
        {&Direction, "Direction"}, {&PCount, "PCount"}, {&Weight, "Weight"},
        {&Cost, "Cost"}, {&Sum, "Sum"}, {&Note, "Note"},
    };
    for (auto [field, name] : names)
        field->SetName(name);
    ID.SetPrimaryKey(true);
    SetFields(&FFieldSet);
    SetFileName(MovesFileName);
    IndID = TIndex::CreateNamed(&FFieldSet, "IndID", &ID);
    IndSD = TIndex::CreateCompositeNamed(&FFieldSet, "IndSD", {&IDStore, &MoveDate});
    SetScanOrder(IndSD.get());
}

TTableMoves::~TTableMoves()
{
    if (GetState() != tsClosed)
        Close();
}

std::vector<TVariant> TTableMoves::GoodsLowKey(int32_t GoodsID)
{
    return {TVariant(GoodsID), TVariant::DateTime(EncodeDate(1, 1, 1))};
}

void TTableMoves::Open(bool CreateIfMissing)
{
    TTable::Open(CreateIfMissing);
    AddIndex(IndID.get());
    AddIndex(IndSD.get());
    SetIndex(IndSD.get());
    First();
}

} // namespace tv
