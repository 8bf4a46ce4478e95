#pragma once
// Tables for the grid tests, the grid benchmark and the screenshot tool: a
// goods-like table and a movements-like table with a composite index, both
// on an in-memory file environment.

#include <memory>
#include <string>

#include "UBaseFld.h"
#include "UDateTime.h"
#include "UFaultEnv.h"
#include "UFields.h"
#include "UIndex.h"
#include "UMoneyFld.h"
#include "UTable.h"

namespace tvtest {

using namespace tv;

class TGoodsTable : public TTable {
public:
    enum : int32_t { fID, fCode, fName, fPCount, fWeight, fCost, fSum, fLastDate };

    TIntegerField ID;
    TStringField Code{8};
    TStringField Name{40};
    TIntegerField PCount;
    TMoneyField Weight;
    TMoneyField Cost;
    TMoneyField Sum;
    TDateTimeField LastDate;
    TFields Set{{&ID, &Code, &Name, &PCount, &Weight, &Cost, &Sum, &LastDate}};
    std::unique_ptr<TIndex> IndId = TIndex::CreateNamed(&Set, "IndId", &ID);
    std::unique_ptr<TIndex> IndCode = TIndex::CreateNamed(&Set, "IndCode", &Code);
    std::unique_ptr<TIndex> IndName = TIndex::CreateNamed(&Set, "IndName", &Name);
    std::unique_ptr<TIndex> IndCost = TIndex::CreateNamed(&Set, "IndCost", &Cost);

    explicit TGoodsTable(TFileEnv* Env, const std::string& Path = "store.dat")
    {
        ID.SetName("ID");
        ID.SetPrimaryKey(true);
        Code.SetName("Code");
        Name.SetName("Name");
        SetEnv(Env);
        SetFields(&Set);
        SetFileName(Path);
    }
    ~TGoodsTable() override
    {
        if (IsOpen())
            Close();
    }
    void Open(bool CreateIfMissing) override
    {
        TTable::Open(CreateIfMissing);
        AddIndex(IndId.get());
        AddIndex(IndCode.get());
        AddIndex(IndName.get());
        AddIndex(IndCost.get());
    }
    void Add(const std::string& code, const std::string& name, uint32_t cost = 100,
             int32_t count = 1)
    {
        Insert();
        Code.SetText(code);
        Name.SetText(name);
        PCount.SetValue(count);
        Weight.SetValue(1000);
        Cost.SetValue(cost);
        Sum.SetValue(TMoneyField::MulMoney(cost, 1000));
        LastDate.SetValue(EncodeDate(2026, 12, 10));
        Post();
    }
};

class TMovesTable : public TTable {
public:
    enum : int32_t { fID, fGoodsID, fMoveDate, fDirection, fWeight, fSum };

    TIntegerField ID;
    TIntegerField GoodsID;
    TDateTimeField MoveDate;
    TIntegerField Direction;
    TMoneyField Weight;
    TMoneyField Sum;
    TFields Set{{&ID, &GoodsID, &MoveDate, &Direction, &Weight, &Sum}};
    std::unique_ptr<TIndex> IndGoods =
        TIndex::CreateCompositeNamed(&Set, "IndGoods", {&GoodsID, &MoveDate});
    std::unique_ptr<TIndex> IndDate = TIndex::CreateNamed(&Set, "IndDate", &MoveDate);

    explicit TMovesTable(TFileEnv* Env, const std::string& Path = "moves.dat")
    {
        ID.SetPrimaryKey(true);
        SetEnv(Env);
        SetFields(&Set);
        SetFileName(Path);
    }
    ~TMovesTable() override
    {
        if (IsOpen())
            Close();
    }
    void Open(bool CreateIfMissing) override
    {
        TTable::Open(CreateIfMissing);
        AddIndex(IndGoods.get());
        AddIndex(IndDate.get());
        SetIndex(IndGoods.get());
    }
    void Add(int32_t goods, TDateTime date, uint32_t weight = 100)
    {
        Insert();
        GoodsID.SetValue(goods);
        MoveDate.SetValue(date);
        Direction.SetValue(1);
        Weight.SetValue(weight);
        Sum.SetValue(weight);
        Post();
    }
};

} // namespace tvtest
