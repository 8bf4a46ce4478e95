#pragma once
// TDatFile: one table's data file, laid out as UDatFormat.h says. Every
// change is written and flushed before it returns (but a group counted
// Deferred, whose count goes with the next write); deleted records are only
// marked. A file left by a crash in the middle of a change opens with that
// change either complete or absent.

#include <cstdint>
#include <memory>
#include <vector>

#include "UDatFormat.h"
#include "UFile.h"
#include "UScanSink.h"

namespace tv {

class TDatRecovery;
class TField;
class TFields;

class TDatFile : public TFile {
public:
    static constexpr int32_t DatMagic = DatFormat::Magic;
    static constexpr int32_t HeaderBytes = DatFormat::HeaderBytes;
    static constexpr int32_t DescBytes = DatFormat::DescBytes;
    static constexpr int32_t PrefixBytes = DatFormat::PrefixBytes;
    static constexpr int32_t SectorBytes = DatFormat::SectorBytes;

    TDatFile();
    ~TDatFile() override;

    // The attached set, or the set built from the file; null when neither.
    TFields* Fields() const { return FFields; }
    // Attaches a set, which stays the caller's. The file must be closed.
    void SetFields(TFields* Fields);

    void GetHeader(TDatHeader& Header) const { Header = FHeader; }
    // Records Open found with a status word neither 0 nor -1: damage no
    // change writes. They read as not live.
    int32_t OddStatusCount() const { return FOddStatusCount; }
    const std::vector<TFieldDesc>& GetDescs() const { return FDescs; }

    // Offset of the current record: a record boundary between the first
    // record and the append position, both included. The file must be open.
    int32_t GetRecordOffset() const;
    void SetRecordOffset(int32_t Offset);

    // Loads the current record into the fields, whatever its status; true
    // when it is live. The record offset is not advanced.
    bool ReadRecord();

    // Needs attached fields. Writes the header and descriptors and flushes.
    // The name holds the new file only once it is complete on the disk:
    // after a failure or a power loss it holds what it held before (nothing,
    // or the file Overwrite was to replace). The file stays open under its
    // name, held exclusively.
    void CreateNew(bool Overwrite) override;
    // Opens and checks the file against the attached fields, or builds the
    // fields from its descriptors. A file that fails a check is closed again
    // and is not changed. What a crash in the middle of a change can leave
    // is mended: a rewrite cut off while in place is finished from its copy,
    // a tail a cut append, rewrite or empty leaves is cut off, a deleted
    // count one off the status words is taken from them, and a next key
    // value not above the stored keys is raised. Any other disagreement of
    // the header with the file is refused.
    void Open(bool CreateIfMissing) override;
    void Close() override;

    // Each of these needs an open file and has the fields' values (for the
    // first two) on the disk before it returns. On failure it raises, and
    // the header, descriptors, next key values and record offset are as
    // before the call; the file is put back as far as it still can be.
    // The new record becomes current; the primary key's next value rises.
    virtual void AppendRecord();
    // Rewrites the current record with the fields' values. The record offset
    // must name a record, not the append position.
    virtual void WriteRecord();
    // Marks the current record deleted; its data stays. The record offset
    // must name a record.
    virtual void DeleteRecord();
    // Drops every record; next key values become 1 and the fields clear.
    virtual void Empty();

    // A group append in two steps, so that two files can count their groups
    // in an order of the caller's. WriteGroup writes count records (record
    // data as TFields packs it, one after another, each numbered key holding
    // its next value and on) past the counted ones and flushes them; no
    // header counts them yet, so a failure or a crash leaves the counted
    // records as they were. A header that a group counted Deferred owes the
    // disk goes with them, flushed by the same flush. CountGroup then counts
    // them, as How says:
    // - Flushed: header and next key values, flushed; on failure both are
    //   as before.
    // - Committed: the same, but the caller has made the group part of its
    //   data elsewhere (it is counted from the file's tail at the next
    //   open): on failure memory counts it all the same and the header goes
    //   on the disk before the next change.
    // - Deferred: in memory only, which cannot fail; the header goes on the
    //   disk with the next group's records or before the next change.
    // A group not counted is dropped (cut off the file) before any other
    // change. At most MaxGroupRecords records.
    static constexpr int32_t MaxGroupRecords = DatFormat::MaxGroupRecords;
    enum class TGroupCount { Flushed, Committed, Deferred };
    virtual void WriteGroup(const uint8_t* Records, int32_t Count);
    virtual void CountGroup(TGroupCount How = TGroupCount::Flushed);
    // Keeps the first count records of a group written or kept and not yet
    // counted, and cuts the rest off the file, flushed.
    void ShortenGroup(int32_t Count);
    // Cuts off a group written and not counted, and flushes.
    void DropGroup();
    // Records written by WriteGroup, or kept by Open, and not yet counted.
    int32_t GroupCount() const { return FGroupCount; }
    // Their data, packed as WriteGroup takes it.
    const std::vector<uint8_t>& GroupData() const { return FGroupData; }
    // With this set (the file closed), Open keeps the whole records a tail
    // begins with (live, numbered on from the next key values, as WriteGroup
    // leaves them) on the disk as a group written and not counted, for the
    // caller to count, shorten or drop; what follows them, and other tails,
    // are cut off as ever.
    void SetKeepsGroupTail(bool Keep) { FKeepsGroupTail = Keep; }

    // Puts the disk in line with memory: finishes a rewrite whose undo
    // failed, writes a header that may not have reached the disk (a failed
    // change's, or a Deferred count's), and drops a group not counted.
    // Every change does it first.
    void Settle();

protected:
    // Open hands the records it scans to Sink, from now on; null: to none.
    // The sink stays the caller's.
    void SetScanSink(TScanSink* Sink) { FScanSink = Sink; }

    // Steps of Open.
    void ReadHeader();
    void CheckFields();
    void BuildFields();

private:
    void CheckOpen() const;
    void CheckRecordThere() const;
    int32_t AppendPosition() const;
    void WriteHeader();
    void WriteHeaderAndKeys();
    // Counts count records written past the counted ones: header and next
    // key values, written and flushed.
    void CountRecords(int32_t count);
    // The same in memory only.
    void CountInMemory(int32_t count);
    void Recover();
    void WriteMends(TDatRecovery& r);
    void UndoRewrite(bool copied, const std::vector<uint8_t>& old);
    void FreeBuiltFields();

    struct TSaved;
    TSaved Save() const;
    void Restore(const TSaved& saved);
    void RestoreOnDisk();

    TDatHeader FHeader;
    std::vector<TFieldDesc> FDescs;
    TFields* FFields = nullptr;
    bool FOwnsFields = false;
    int32_t FRecordOffset = 0;

    std::unique_ptr<TFields> FBuiltFields;
    std::vector<std::unique_ptr<TField>> FBuiltItems;
    int64_t FFileSize = 0;  // as found by Open
    int32_t FOddStatusCount = 0;
    TScanSink* FScanSink = nullptr;
    // A rewrite copy past the records that a failed undo left needed.
    bool FPendingCopy = false;
    int32_t FPendingOffset = 0;
    std::vector<uint8_t> FPendingRecord;
    std::vector<uint8_t> FScratch;
    int32_t FGroupCount = 0;
    std::vector<uint8_t> FGroupData;
    // Bytes past the counted records that a group or a failed group write
    // may have left.
    bool FTailDirty = false;
    // The disk's header may differ from memory's: a failed change could not
    // put it back, or a group was counted Deferred.
    bool FHeaderUnsure = false;
    bool FKeepsGroupTail = false;
};

} // namespace tv
