#pragma once
// TTable: one table in one data file with its records in memory, a state
// machine (closed, browse, edit, insert) that says which operation is allowed
// when, an end-of-table flag for forward loops, record numbers in the order of
// the current index, key and text searches, and a list of named indexes.
// Values are read and set through the field objects; they are editable only
// in the edit and insert states. A subclass that owns its fields closes the
// table in its own destructor, since closing touches the fields.

#include <cstdint>
#include <string>
#include <vector>

#include "UDatArr.h"
#include "UVariant.h"

namespace tv {

class TIndex;

enum TTableState : uint8_t { tsClosed = 0, tsBrowse = 1, tsEdit = 2, tsInsert = 3 };

class TTable : public TDatArr {
public:
    TTable();
    ~TTable() override;

    TTableState GetState() const { return FState; }

    // Live records and the current record number, 0 .. RecordCount - 1 in
    // the order of the current index. Not on a closed table.
    int32_t RecordCount() const;
    int32_t GetRecNo() const;
    // Makes record n current and loads the fields; browse state only. On an
    // empty table it does nothing.
    void SetRecNo(int32_t n);

    // Opens the file, loads every live record in file order without an
    // index and goes to the first record. The table must be closed.
    // Subclasses override it to add their indexes and select one.
    void Open(bool CreateIfMissing) override;
    // Closes from any state, dropping unposted values and the index list.
    void Close() override;

    // Browse state only: the fields clear, become editable and the primary
    // key takes its next value; nothing is written before Post.
    void Insert();
    // Browse state on a table with records: the fields become editable.
    void Edit();
    // Writes the inserted or edited record (flushed) and returns to browse
    // with it current. When the write fails the table stays in its state.
    void Post();
    // Drops the values typed since Insert or Edit and returns to browse.
    void Cancel();
    // Browse state on a table with records: deletes the current record; the
    // following one becomes current, or the new last one with Eof set.
    void Delete();
    // Browse state: drops every record; Eof is set.
    void Empty() override;

    // Browse state. First goes to record 0; Next to the following record, or
    // at the last one sets Eof and stays. There is no backward move.
    void First();
    void Next();
    bool Eof() const { return FEof; }

    // Moves by the current index's key buffer: on the primary key the equal
    // record, else the first record not below the key, else the last one.
    // Whether the key was found is not reported. Needs a current index.
    // The three searches are refused while editing or inserting; the typed
    // values and the key buffer stay as they were.
    void GotoKey();
    // One value per key field of a composite current index, then GotoKey.
    void FindKey(const std::vector<TVariant>& Values);
    // The text converted by a single-field current index's field, then
    // GotoKey; a composite index refuses the text.
    void FindText(const std::string& Text);

    // Adds an index with a name that no added index has (ignoring letter
    // case). The table does not own it; Close empties the list.
    void AddIndex(TIndex* Index);
    void ClearIndexes();
    // Browse state: selects an added index, or none, keeping the current
    // record at its new place.
    void SetIndex(TIndex* Index) override;
    // Browse state: selects the first added index of that name (ignoring
    // letter case); the empty name selects none.
    void SetIndexName(const std::string& Name);
    // The current index's name as the index spells it; empty when none.
    const std::string& GetIndexName() const { return FIndexName; }

    // The cell text for grids; while inserting, row RecordCount shows the
    // values typed so far, while editing the current row does.
    std::string GetElemText(int32_t Elem, int32_t Field) const override;

private:
    void CheckBrowse() const;
    void CheckNotClosed() const;
    void CheckNotEditing() const;

    TTableState FState = tsClosed;
    bool FEof = false;
    std::string FIndexName;
    std::vector<TIndex*> FIndexes;
};

} // namespace tv
