#include "UStoreData.h"

#include "UChecked.h"
#include "UDateTime.h"
#include "UException.h"
#include "UMessages.h"
#include "UProgFolder.h"
#include "UStoreCopy.h"
#include "UStoreMessages.h"
#include "UStoreRepair.h"
#include "UStockValue.h"
#include "UTextConst.h"

#include <algorithm>
#include <limits>
#include <vector>

namespace tv {

namespace {

const char* const SEmptyTable = "Недопустимая операция при пустой таблице";
const char* const SFolderNotMade = "Cannot create the folder ";
const char* const SPairNotFinished = "Cannot complete the copy of the data files in ";

// A money text as the money field's set-text operation reads it.
uint32_t MoneyFieldValue(const std::string& text)
{
    TMoneyField f;
    f.AllowEdit();
    f.SetText(text);
    return f.GetValue();
}

// A decimal int32 with an optional sign; anything else raises.
int32_t StrToInt(const std::string& text)
{
    size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';
    if (i == text.size())
        throw EConvertError("'" + text + "' is not a valid integer value");
    int64_t value = 0;
    for (; i < text.size(); ++i) {
        if (text[i] < '0' || text[i] > '9')
            throw EConvertError("'" + text + "' is not a valid integer value");
        value = value * 10 + (text[i] - '0');
        if (value > int64_t(std::numeric_limits<int32_t>::max()) + 1)
            throw EConvertError("'" + text + "' is not a valid integer value");
    }
    value = negative ? -value : value;
    if (value > std::numeric_limits<int32_t>::max())
        throw EConvertError("'" + text + "' is not a valid integer value");
    return static_cast<int32_t>(value);
}

// Leaves a table that a failed step left editing in browse state.
void CancelEditing(TTable& table)
{
    if (table.GetState() == tsEdit || table.GetState() == tsInsert)
        table.Cancel();
}

} // namespace

// Stock operations

TStore::TStore() = default;

TStore::~TStore()
{
    Close();
}

void TStore::SetEnv(TFileEnv* Env)
{
    FGoods.SetEnv(Env);
    FMoves.SetEnv(Env);
}

void TStore::Book(bool Received, const std::string& AQuantity, const std::string& APackages,
                  const std::string& ANote)
{
    if (FGoods.RecordCount() == 0)
        throw Exception(SEmptyTable);
    const uint32_t weight = MoneyFieldValue(AQuantity);
    const int32_t packages = StrToInt(APackages);
    const int32_t goodsID = FGoods.ID.GetValue();
    const uint32_t cost = FGoods.Cost.GetValue();
    uint32_t newWeight, newSum, sum;
    int32_t newPCount;
    if (Received) {
        sum = TMoneyField::MulMoney(cost, weight);
        newWeight = CheckedAddU(FGoods.Weight.GetValue(), weight);
        newPCount = CheckedAdd(FGoods.PCount.GetValue(), packages);
        newSum = CheckedAddU(FGoods.Sum.GetValue(), sum);
    } else {
        newWeight = CheckedSubU(FGoods.Weight.GetValue(), weight);
        newPCount = CheckedSub(FGoods.PCount.GetValue(), packages);
        sum = IssueValue(cost, weight, FGoods.Weight.GetValue(), FGoods.Sum.GetValue());
        newSum = CheckedSubU(FGoods.Sum.GetValue(), sum);
    }
    const TDateTime now = Now();
    BeginChange();

    FMoves.Insert();
    try {
        FMoves.IDStore.SetValue(goodsID);
        FMoves.MoveDate.SetValue(now);
        FMoves.Direction.SetValue(Received);
        FMoves.Cost.SetValue(cost);
        FMoves.Weight.SetValue(weight);
        FMoves.PCount.SetValue(packages);
        FMoves.Note.SetText(ANote);
        FMoves.Sum.SetValue(sum);
        FMoves.Post();
    } catch (...) {
        CancelEditing(FMoves);
        throw;
    }

    try {
        FGoods.Edit();
        FGoods.Weight.SetValue(newWeight);
        FGoods.PCount.SetValue(newPCount);
        FGoods.Sum.SetValue(newSum);
        FGoods.LastDate.SetValue(now);
        FGoods.Post();
    } catch (...) {
        CancelEditing(FGoods);
        try {
            FMoves.Delete();  // the movement just posted is current
        } catch (...) {
            // Left for the repair at the next open, which completes the booking.
        }
        throw;
    }
}

void TStore::AddGoods(const std::string& AQuantity, const std::string& APackages,
                      const std::string& ANote)
{
    Book(true, AQuantity, APackages, ANote);
}

void TStore::DeductGoods(const std::string& AQuantity, const std::string& APackages,
                         const std::string& ANote)
{
    Book(false, AQuantity, APackages, ANote);
}

void TStore::InsertGoods(const std::string& ACode, const std::string& AName,
                         const std::string& APrice, const std::string& AQuantity,
                         const std::string& APackages, const std::string& ANote)
{
    // Everything that can fail on the texts fails before the first write.
    const uint32_t price = MoneyFieldValue(APrice);
    TMoneyField::MulMoney(price, MoneyFieldValue(AQuantity));
    StrToInt(APackages);
    BeginChange();

    const int32_t before = FGoods.GetRecordPos();
    FGoods.Insert();
    try {
        FGoods.Code.SetText(ACode);
        FGoods.Name.SetText(AName);
        FGoods.Cost.SetText(APrice);
        FGoods.Weight.SetValue(0);
        FGoods.PCount.SetValue(0);
        FGoods.Sum.SetValue(0);
        FGoods.LastDate.SetValue(Now());
        FGoods.Post();
    } catch (...) {
        CancelEditing(FGoods);
        throw;
    }
    try {
        Book(true, AQuantity, APackages, ANote);
    } catch (...) {
        try {
            FGoods.Delete();
            if (before != 0)
                FGoods.SetRecordPos(before);
        } catch (...) {
            // The repair at the next open removes goods left without a movement.
        }
        throw;
    }
}

void TStore::ImportGoods(const std::vector<TNewGoods>& Lines, const std::string& ANote, bool More)
{
    for (size_t k = 0; k < Lines.size(); k += TDatFile::MaxGroupRecords) {
        const auto count = static_cast<int32_t>(std::min<size_t>(Lines.size() - k, TDatFile::MaxGroupRecords));
        ImportGroup(Lines.data() + k, count, ANote);
    }
    if (!More)
        SettleImport();
}

void TStore::SettleImport()
{
    BeginChange();
}

namespace {

// The fields' records, one for each of count settings of every field by
// fill(k), in one insert that is then cancelled: nothing is written.
template <class Fill>
void RecordsOf(TTable& Table, std::vector<uint8_t>& Out, int32_t Count, Fill fill)
{
    const auto size = static_cast<size_t>(Table.Fields()->DataSize());
    Out.reserve(size * static_cast<size_t>(Count));
    Table.Insert();
    try {
        for (int32_t k = 0; k < Count; ++k) {
            fill(k);
            const uint8_t* record = Table.Fields()->GetRecord();
            Out.insert(Out.end(), record, record + size);
        }
    } catch (...) {
        CancelEditing(Table);
        throw;
    }
    Table.Cancel();
}

} // namespace

void TStore::ImportGroup(const TNewGoods* Lines, int32_t Count, const std::string& ANote)
{
    const int32_t goodsID = FGoods.ID.GetNextKeyValue();
    const int32_t moveID = FMoves.ID.GetNextKeyValue();
    const TDateTime now = Now();
    struct TValues {
        uint32_t Price, Weight, Sum;
        int32_t Packages;
    };
    std::vector<TValues> values(static_cast<size_t>(Count));
    for (int32_t k = 0; k < Count; ++k) {
        const TNewGoods& line = Lines[k];
        TValues& v = values[static_cast<size_t>(k)];
        v.Price = MoneyFieldValue(line.Price);
        v.Weight = MoneyFieldValue(line.Quantity);
        v.Packages = StrToInt(line.Packages);
        v.Sum = TMoneyField::MulMoney(v.Price, v.Weight);
    }
    // Every field is set for every record.
    std::vector<uint8_t> goods, moves;
    RecordsOf(FMoves, moves, Count, [&](int32_t k) {
        const TValues& v = values[static_cast<size_t>(k)];
        FMoves.ID.SetValue(moveID + k);
        FMoves.IDStore.SetValue(goodsID + k);
        FMoves.MoveDate.SetValue(now);
        FMoves.Direction.SetValue(true);
        FMoves.Cost.SetValue(v.Price);
        FMoves.Weight.SetValue(v.Weight);
        FMoves.PCount.SetValue(v.Packages);
        FMoves.Note.SetText(ANote);
        FMoves.Sum.SetValue(v.Sum);
    });
    RecordsOf(FGoods, goods, Count, [&](int32_t k) {
        const TValues& v = values[static_cast<size_t>(k)];
        FGoods.ID.SetValue(goodsID + k);
        FGoods.Code.SetText(Lines[k].Code);
        FGoods.Name.SetText(Lines[k].Name);
        FGoods.Cost.SetValue(v.Price);
        FGoods.Weight.SetValue(v.Weight);
        FGoods.PCount.SetValue(v.Packages);
        FGoods.Sum.SetValue(v.Sum);
        FGoods.LastDate.SetValue(now);
    });
    FGoods.CheckNamed();
    FMoves.CheckNamed();
    // Each write settles its own file, the movements first; the headers the
    // group before owes go with these records.
    FMoves.WriteGroup(moves.data(), Count);
    FGoods.WriteGroup(goods.data(), Count);
    FMoves.PrepareGroup();
    try {
        FGoods.PrepareGroup();
    } catch (...) {
        FMoves.UnprepareGroup();
        throw;
    }
    FMoves.CountGroup(TDatFile::TGroupCount::Deferred);
    FGoods.CountGroup(TDatFile::TGroupCount::Deferred);
}

uint32_t TStore::RepricedTotal(int32_t GoodsID, uint32_t Price)
{
    std::vector<TValuedMove> moves = ReadMovesOf(FMoves, GoodsID);
    return ValueMoves(moves, Price);
}

void TStore::BeginChange()
{
    FGoods.CheckNamed();
    FMoves.CheckNamed();
    // The movements first: a goods group is dropped only once no movement
    // on the disk counts it.
    FMoves.Settle();
    FGoods.Settle();
}

void TStore::EditGoods(const std::string& ACode, const std::string& AName,
                       const std::string& APrice)
{
    if (FGoods.RecordCount() == 0)
        throw Exception(SEmptyTable);
    const int32_t goodsID = FGoods.ID.GetValue();
    const uint32_t oldCost = FGoods.Cost.GetValue();
    const uint8_t* record = FGoods.Fields()->GetRecord();
    const std::vector<uint8_t> old(record, record + FGoods.Fields()->DataSize());
    uint32_t total = 0;
    BeginChange();

    FGoods.Edit();
    try {
        FGoods.Code.SetText(ACode);
        FGoods.Name.SetText(AName);
        FGoods.Cost.SetText(APrice);
        if (FGoods.Cost.GetValue() != oldCost)
            total = RepricedTotal(goodsID, FGoods.Cost.GetValue());
        FGoods.Post();
    } catch (...) {
        CancelEditing(FGoods);
        throw;
    }
    const uint32_t newCost = FGoods.Cost.GetValue();
    if (newCost == oldCost)
        return;
    // As stored, to be put back should a write fail.
    const std::vector<TValuedMove> moves = ReadMovesOf(FMoves, goodsID);

    try {
        RepriceMovesOf(FMoves, goodsID, newCost);
        FGoods.Edit();
        FGoods.Sum.SetValue(total);
        FGoods.Post();
    } catch (...) {
        CancelEditing(FGoods);
        try {
            FGoods.Edit();
            FGoods.Fields()->SetRecord(old.data());
            FGoods.Post();
            RewriteMoves(FMoves, moves, oldCost);
        } catch (...) {
            // The repair at the next open completes whichever price the
            // goods record holds.
            CancelEditing(FGoods);
        }
        throw;
    }
}

void TStore::DeleteGoods()
{
    if (FGoods.RecordCount() == 0)
        throw Exception(SEmptyTable);
    const int32_t goodsID = FGoods.ID.GetValue();
    FMoves.SetIndex(FMoves.IndSD.get());
    BeginChange();
    // The goods record goes first: from then on the history is only orphans.
    FGoods.Delete();
    try {
        FMoves.FindKey(TTableMoves::GoodsLowKey(goodsID));
        while (!FMoves.Eof() && FMoves.IDStore.GetValue() == goodsID && FMoves.RecordCount() > 0)
            FMoves.Delete();
    } catch (...) {
        // The repair at the next open removes the movements left behind.
    }
}

bool TStore::CanInsert(const std::string& APrice, const std::string& AQuantity,
                       const std::string& APackages)
{
    try {
        const uint32_t price = TMoneyField::TextToMoney(APrice);
        const uint32_t quantity = TMoneyField::TextToMoney(AQuantity);
        TMoneyField::MulMoney(price, quantity);
        return StrToInt(APackages) >= 0;
    } catch (...) {
        return false;
    }
}

bool TStore::CanAdd(const std::string& AQuantity, const std::string& APackages)
{
    try {
        if (FGoods.RecordCount() == 0)
            return false;
        const uint32_t q = TMoneyField::TextToMoney(AQuantity);
        const uint32_t v = TMoneyField::MulMoney(FGoods.Cost.GetValue(), q);
        CheckedAddU(FGoods.Sum.GetValue(), v);
        CheckedAddU(FGoods.Weight.GetValue(), q);
        const int32_t packages = StrToInt(APackages);
        return packages >= 0 && CheckedAdd(FGoods.PCount.GetValue(), packages) >= 0;
    } catch (...) {
        return false;
    }
}

bool TStore::CanDeduct(const std::string& AQuantity, const std::string& APackages)
{
    try {
        if (FGoods.RecordCount() == 0)
            return false;
        // The value an issue takes always fits: it is never more than on hand.
        if (FGoods.Weight.GetValue() < TMoneyField::TextToMoney(AQuantity))
            return false;
        const int32_t packages = StrToInt(APackages);
        return packages >= 0 && CheckedSub(FGoods.PCount.GetValue(), packages) >= 0;
    } catch (...) {
        return false;
    }
}

bool TStore::CanSetCost(const std::string& APrice)
{
    try {
        if (FGoods.RecordCount() == 0)
            return false;
        const uint32_t price = TMoneyField::TextToMoney(APrice);
        TMoneyField::MulMoney(price, FGoods.Weight.GetValue());
        // Every single movement, and the running total the re-pricing forms.
        RepricedTotal(FGoods.ID.GetValue(), price);
        return true;
    } catch (...) {
        return false;
    }
}

void TStore::FindByName(const std::string& Text)
{
    FGoods.SetIndex(FGoods.IndName.get());
    FGoods.FindText(Text);
}

void TStore::FindByCode(const std::string& Text)
{
    FGoods.SetIndex(FGoods.IndCode.get());
    FGoods.FindText(Text);
}

void TStore::GetTotals(std::string& Packages, std::string& Quantity, std::string& Value,
                       std::string& Count)
{
    const int32_t recNo = FGoods.GetRecNo();
    uint32_t packages = 0, quantity = 0, value = 0, count = 0;
    try {
        FGoods.First();
        while (!FGoods.Eof()) {
            packages = CheckedAddU(packages, static_cast<uint32_t>(FGoods.PCount.GetValue()));
            quantity = CheckedAddU(quantity, FGoods.Weight.GetValue());
            value = CheckedAddU(value, FGoods.Sum.GetValue());
            count = CheckedAddU(count, 1);
            FGoods.Next();
        }
    } catch (...) {
        FGoods.SetRecNo(recNo);
        throw;
    }
    FGoods.SetRecNo(recNo);
    Packages = std::to_string(packages);
    Quantity = TMoneyField::MoneyToText(quantity);
    Value = TMoneyField::MoneyToText(value);
    Count = std::to_string(count);
}

// Folders and copies

TFileEnv& TStore::Env()
{
    return *FGoods.GetEnv();
}

bool TStore::DataExists(std::string& Missing, const std::string& Folder)
{
    const std::string path = ProgramFolder() + Folder;
    if (!Env().FolderExists(path))
        return false;
    const bool store = Env().FileExists(InFolder(path, StoreFileName));
    const bool moves = Env().FileExists(InFolder(path, MovesFileName));
    if (!store && !moves)
        return false;
    Missing.clear();
    if (!store)
        Missing = StoreFileName;
    if (!moves)
        Missing = MovesFileName;
    return true;
}

void TStore::Open(bool Create, const std::string& Folder)
{
    const std::string path = ProgramFolder() + Folder;
    if (!Env().FolderExists(path) && (!Create || !MakeFolder(Env(), path)))
        throw Exception(TextTable[SlotDataFolderNotFound]);
    if (!FinishPair(Env(), path))
        throw Exception(SPairNotFinished + path);
    FRepair = {};
    FGoods.SetFileName(InFolder(path, StoreFileName));
    FMoves.SetFileName(InFolder(path, MovesFileName));
    // A file made empty here is no cut operation: its partner is kept as it is.
    const bool bothThere = Env().FileExists(FGoods.GetFileName()) &&
                           Env().FileExists(FMoves.GetFileName());
    FGoods.Open(Create);
    FGoods.First();
    FMoves.Open(Create);
    if (bothThere)
        FRepair = RepairStore(FGoods, FMoves);
    else if (FGoods.GroupCount() > 0)
        FGoods.DropGroup();
    if (FRepair.ImportCut) {
        const std::string last = FRepair.LastCode.empty() && FRepair.LastName.empty()
                                     ? std::string("-")
                                     : FRepair.LastCode + " " + FRepair.LastName;
        std::string text = TextTable[SlotImportInterrupted];
        const size_t at = text.find("%s");
        if (at != std::string::npos)
            text.replace(at, 2, last);
        ShowOneButton(text, TextTable[SlotRepairCaption], MB_ICONEXCLAMATION);
    }
    if (FRepair.Rewritten > 0)
        ShowOneButton(TextTable[SlotRepairedOnOpen], TextTable[SlotRepairCaption], MB_ICONEXCLAMATION);
    if (FRepair.FilesApart)
        ShowOneButton(TextTable[SlotFilesApart], TextTable[SlotRepairCaption], MB_ICONEXCLAMATION);
}

void TStore::Close()
{
    // What a failed change left unsettled goes on the disk while it can;
    // else the next open mends it as a cut's.
    if (FGoods.GetState() != tsClosed && FMoves.GetState() != tsClosed) {
        try {
            BeginChange();
        } catch (...) {
        }
    }
    if (FGoods.GetState() != tsClosed)
        FGoods.Close();
    if (FMoves.GetState() != tsClosed)
        FMoves.Close();
}

bool TStore::CopyBase(const std::string& Sub, bool Overwrite, const std::string& Source,
                      const std::string& Root)
{
    const std::string root = ProgramFolder() + Root;
    const std::string to = InFolder(root, Sub);
    for (const std::string& folder : {root, to})
        if (!MakeFolder(Env(), folder))
            throw Exception(SFolderNotMade + folder);
    return CopyPair(Env(), ProgramFolder() + Source, to, Overwrite);
}

bool TStore::SaveAs(const std::string& Folder)
{
    if (!Env().FolderExists(Folder))
        return false;
    const std::string goodsIndex = FGoods.GetIndexName();
    const std::string movesIndex = FMoves.GetIndexName();
    const int32_t goodsPos = FGoods.GetRecordPos();
    const int32_t movesPos = FMoves.GetRecordPos();
    const std::string data = FolderOf(FGoods.GetFileName());
    Close();
    const bool result = ReplacePair(Env(), data, Folder);
    Open(false, DataFolder);
    FGoods.SetIndexName(goodsIndex);
    if (goodsPos != 0)
        FGoods.SetRecordPos(goodsPos);
    FMoves.SetIndexName(movesIndex);
    if (movesPos != 0)
        FMoves.SetRecordPos(movesPos);
    return result;
}

std::string TStore::SafetyCopyFolder()
{
    return InFolder(ProgramFolder() + HistFolder, SafetyFolder);
}

bool TStore::SaveSafetyCopy()
{
    const std::string folder = SafetyCopyFolder();
    return MakeFolder(Env(), ProgramFolder() + HistFolder) && MakeFolder(Env(), folder) &&
           SaveAs(folder);
}

void TStore::FinishRestore()
{
    const std::string safety = SafetyCopyFolder();
    const std::string tmp = InFolder(safety, "tmp");
    const std::string data = ProgramFolder() + DataFolder;
    if (!Env().FolderExists(tmp) || !FinishPair(Env(), data) || !FinishPair(Env(), tmp))
        return;
    const bool whole = Env().FileExists(InFolder(tmp, StoreFileName)) &&
                       Env().FileExists(InFolder(tmp, MovesFileName));
    if (whole && !SamePairContents(Env(), tmp, data) && !ReplacePair(Env(), tmp, safety))
        return;
    RemoveFolderWithFiles(Env(), tmp);
}

namespace {

// Both files open as the stock book's tables.
bool OpenAsTables(TFileEnv& env, const std::string& store, const std::string& moves)
{
    try {
        TTableStore goods;
        goods.SetEnv(&env);
        goods.SetFileName(store);
        goods.Open(false);
        goods.Close();
        TTableMoves movements;
        movements.SetEnv(&env);
        movements.SetFileName(moves);
        movements.Open(false);
        movements.Close();
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

} // namespace

bool TStore::RestoreBase(const std::string& Folder)
{
    FRestoreFailureShown = false;
    Close();
    FinishRestore();
    const std::string data = ProgramFolder() + DataFolder;
    // Restoring from the safety copy itself keeps the current files apart
    // in its tmp subfolder until the restore is done.
    const bool tmp = Env().SameFile(Folder, SafetyCopyFolder());
    const std::string safetySub = tmp ? InFolder(SafetyFolder, "tmp") : SafetyFolder;
    const std::string safety = InFolder(ProgramFolder() + HistFolder, safetySub);
    bool safe = false;
    try {
        safe = CopyBase(safetySub, true, DataFolder, HistFolder);
    } catch (const std::exception&) {
    }
    // A tmp folder left by a restore whose end was not on the disk is stale
    // now, and must not be taken for one cut short at the next start.
    if (safe && !tmp)
        RemoveFolderWithFiles(Env(), InFolder(safety, "tmp"));

    // A copy into the folder that was cut short is completed first.
    const bool whole = safe && FinishPair(Env(), Folder) &&
                       Env().FileExists(InFolder(Folder, StoreFileName)) &&
                       Env().FileExists(InFolder(Folder, MovesFileName));
    // Files that do not open never replace the working ones.
    bool begun = false, damaged = false;
    const auto opens = [&](const std::string& store, const std::string& moves) {
        damaged = !OpenAsTables(Env(), store, moves);
        return !damaged;
    };
    bool restored = whole && ReplacePair(Env(), Folder, data, &begun, opens);
    if (begun && !restored) {
        // The new pair took the names but is not known to be on the disk.
        ReplacePair(Env(), safety, data);
    }
    if (restored) {
        try {
            Open(false, DataFolder);
        } catch (const std::exception&) {
            Close();
            ReplacePair(Env(), safety, data);
            restored = false;
            damaged = true;
        }
    }
    if (restored && tmp) {
        // The data just replaced become the safety copy.
        if (ReplacePair(Env(), safety, Folder))
            RemoveFolderWithFiles(Env(), safety);
    } else if (tmp) {
        // The working files are as the safety copy in tmp holds them.
        RemoveFolderWithFiles(Env(), safety);
    }
    if (restored)
        return true;
    Open(false, DataFolder);
    if (damaged) {
        ShowOneButton(TextTable[SlotRestoredOpenFailed], TextTable[SlotRestoreCaption], MB_ICONSTOP);
        FRestoreFailureShown = true;
    }
    return false;
}

TStore Store;

} // namespace tv
