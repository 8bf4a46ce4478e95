#pragma once
// The stock book: TStore, which makes every change to the goods and
// movements tables (UStoreTables) so that each goods record holds the
// running totals of its movements. Store is the program's single stock
// book; its tables stay closed until the data are opened.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "UStoreRepair.h"
#include "UStoreTables.h"

namespace tv {

class TFileEnv;

enum TStoreMode : uint8_t {
    smBrowse = 0,
    smEdit = 1,
    smInsert = 2,
    smSearch = 3,
    smDelete = 4,
    smAdd = 5,
    smDeduct = 6,
};

class TStore {
public:
    TStore();
    ~TStore();
    TStore(const TStore&) = delete;
    TStore& operator=(const TStore&) = delete;

    TStoreMode GetMode() const { return FMode; }
    void SetMode(TStoreMode Mode) { FMode = Mode; }

    TTableStore& Goods() { return FGoods; }
    TTableMoves& Moves() { return FMoves; }

    // The file environment of both tables; they must be closed.
    void SetEnv(TFileEnv* Env);
    // The environment the tables and the copies go through.
    TFileEnv& Env();

    // The operations below act on the current goods record and need both
    // tables open in browse state. Texts are money texts for quantities and
    // prices and decimal integers for packages. Each raises on failure and
    // then leaves the data as before the call; should even putting them back
    // fail (the disk is gone), the next Open completes or removes the change.

    // A new goods record with one received movement of the quantity.
    void InsertGoods(const std::string& ACode, const std::string& AName,
                     const std::string& APrice, const std::string& AQuantity,
                     const std::string& APackages, const std::string& ANote);
    // New goods as InsertGoods makes them, for texts CanInsert accepts, each
    // goods record written with its totals, in groups. Per group: the
    // movements' records and the header counting the group before, flushed;
    // then the same of the goods; then both count the group in memory. So a
    // group is the book's on the disk once the movements' header that counts
    // it is there; the goods' count follows it, and the next Open counts
    // goods the movements hold from the goods file's tail. A failure raises
    // after the lines of the failing group were taken back; the groups
    // before it stay. With More further lines follow: the last group's count
    // may wait for them; otherwise (and by SettleImport) it is on the disk
    // before the call returns.
    struct TNewGoods {
        std::string Code, Name, Price, Quantity, Packages;
    };
    void ImportGoods(const std::vector<TNewGoods>& Lines, const std::string& ANote, bool More = false);
    // Puts on the disk the counts of the groups imported so far.
    void SettleImport();
    // Books a received or issued movement and updates the totals; the sums
    // are tested for overflow before anything is written. An issue takes
    // price x quantity but never more than the value on hand, and all of it
    // with the whole quantity (UStockValue).
    void AddGoods(const std::string& AQuantity, const std::string& APackages,
                  const std::string& ANote);
    void DeductGoods(const std::string& AQuantity, const std::string& APackages,
                     const std::string& ANote);
    // Code, name and price; a new price values every movement again, in the
    // order they were booked, and so the value on hand. A running total
    // leaving 32 bits refuses the edit before anything is written; a failed
    // write puts the goods and its movements back as they were.
    void EditGoods(const std::string& ACode, const std::string& AName,
                   const std::string& APrice);
    // Removes the goods and its movements. Once the goods record is gone the
    // deletion counts as done; movements it leaves behind go at the next Open.
    void DeleteGoods();

    // Pre-checks with the operations' texts; they never raise.
    bool CanInsert(const std::string& APrice, const std::string& AQuantity,
                   const std::string& APackages);
    bool CanAdd(const std::string& AQuantity, const std::string& APackages);
    bool CanDeduct(const std::string& AQuantity, const std::string& APackages);
    bool CanSetCost(const std::string& APrice);

    // Select IndName or IndCode and go to the first record at or after the text.
    void FindByName(const std::string& Text);
    void FindByCode(const std::string& Text);

    // Totals over all goods; EIntOverflow when one leaves 32 bits. The
    // current record stays.
    void GetTotals(std::string& Packages, std::string& Quantity, std::string& Value,
                   std::string& Count);

    // True when program folder/Folder exists and holds at least one of the
    // two files; Missing then lists the missing ones, joined by CR LF.
    bool DataExists(std::string& Missing, const std::string& Folder);
    // Opens both tables on the files in program folder/Folder, creating the
    // folder and files when Create is set. A replacement of the pair that a
    // crash cut short is completed or dropped first, so the two files always
    // come from one copy. An operation that a crash cut short is completed or
    // removed, and the user is told; a file that had to be created leaves
    // the other one untouched.
    void Open(bool Create, const std::string& Folder);
    // Settles on the disk what a failed change left, where it still can.
    void Close();
    // Copies both files from program folder/Source to program
    // folder/Root/Sub, creating Root and Sub (one level each). True when both
    // copies were made; a copy that is not made is not reported otherwise.
    // Both files, when the source has both and the target may take both,
    // replace the target's pair as one. Failing to create a folder raises.
    bool CopyBase(const std::string& Sub, bool Overwrite, const std::string& Source,
                  const std::string& Root);
    // Copies both files into an existing folder as one pair; the tables come
    // back on the same index and record. False, with nothing changed, for a
    // missing folder.
    bool SaveAs(const std::string& Folder);
    // Program folder/Hist/0000-00-00.
    static std::string SafetyCopyFolder();
    // SaveAs into the safety copy's folder, made with Hist when missing.
    // False when a folder cannot be made or a copy failed.
    bool SaveSafetyCopy();
    // Replaces the working files by the folder's, after a safety copy into
    // Hist/0000-00-00. False when the folder lacks a file or a copy failed;
    // the working files are then as before. When the restored files do not
    // open, the former data are put back and opened, the user is told and
    // the result is false.
    bool RestoreBase(const std::string& Folder);
    // True when the last RestoreBase failed and has told the user why.
    bool RestoreFailureShown() const { return FRestoreFailureShown; }
    // Finishes a restore from the safety copy cut short by a crash or a
    // failed step: when the working files had taken the safety copy's pair,
    // the data they replaced, kept in Hist/0000-00-00/tmp, become the safety
    // copy; else tmp is dropped. At the start and before every restore.
    void FinishRestore();

    // Operations the last Open completed or removed, and what else it found.
    int RepairedCount() const { return FRepair.Rewritten; }
    const TRepairReport& Repair() const { return FRepair; }

private:
    void Book(bool Received, const std::string& AQuantity, const std::string& APackages,
              const std::string& ANote);
    // Fails unless both files are still the ones opened, and puts what a
    // failed change left on either disk in line with memory; before the
    // first write of every change.
    void BeginChange();
    uint32_t RepricedTotal(int32_t GoodsID, uint32_t Price);
    void ImportGroup(const TNewGoods* Lines, int32_t Count, const std::string& ANote);

    TStoreMode FMode = smBrowse;
    TTableStore FGoods;
    TTableMoves FMoves;
    TRepairReport FRepair;
    bool FRestoreFailureShown = false;
};

extern TStore Store;

} // namespace tv
