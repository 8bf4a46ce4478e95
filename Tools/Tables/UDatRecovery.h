#pragma once
// TDatRecovery: what the open of a data file learns of its records before
// it decides to mend what one change cut off by a crash leaves: the tail
// no header counts, the rewrite copy in it, the records that are not live,
// the highest numbered keys. It reads the file in chunks, in parts in
// parallel where it can, and hands each record to a scan sink; of the
// mends it writes only the rewrite copy in place, the caller the rest.

#include <cstdint>
#include <vector>

#include "UDatFormat.h"

namespace tv {

class TFields;
class TFile;
class TScanSink;

class TDatRecovery {
public:
    // The open file, its header and fields as the open checked them, and
    // its size. All stay the caller's and must outlive the recovery.
    TDatRecovery(TFile& File, const TDatHeader& Header, TFields& Fields, int64_t FileSize);
    TDatRecovery(const TDatRecovery&) = delete;
    TDatRecovery& operator=(const TDatRecovery&) = delete;

    // The steps, in this order. Each raises when the file holds what no
    // cut change leaves, and the file is not changed.
    // Judges the tail: up to one record's bytes, a group not yet counted
    // (and the one before it), or the records an empty had not yet cut.
    // With KeepGroup the whole records it begins with are kept (KeptGroup)
    // and only what follows them is cut off.
    void CheckTail(bool KeepGroup);
    // A copy counts only when it is exactly the tail and whole.
    void FindRewriteCopy();
    // Reads every counted record, as it will be once a rewrite cut short
    // is finished, and hands it to Sink (none: to nobody).
    void Scan(TScanSink* Sink);
    void CheckDeletedCount() const;
    // Raises a next key value not above a stored key past it, in the
    // fields and in Descs; true when a descriptor changed.
    bool MendKeys(std::vector<TFieldDesc>& Descs);

    // Where the counted records end; the bytes to cut off, past the kept
    // group if any.
    int32_t CountedEnd() const { return FCountedEnd; }
    int64_t CutAt() const { return FCountedEnd + FKeptBytes; }
    int64_t Tail() const { return FTail; }
    bool KeptGroup() const { return FKeptGroup; }
    // Moves the kept group's data (packed as TFields packs records) to Data
    // and answers its records.
    int32_t TakeGroup(std::vector<uint8_t>& Data);
    // Status words other than 0, and of those neither 0 nor -1.
    int32_t NotLiveCount() const { return FNotLive; }
    int32_t OddCount() const { return FOdd; }
    // Writes the rewrite copy found, if any, in place and flushes.
    void FinishRewrite();

private:
    bool EmptiedHeader() const;
    struct TPartCount;
    template <typename F>
    void EachRecord(int32_t first, int32_t end, F visit) const;

    TFile& FFile;
    const TDatHeader& FHeader;
    TFields& FFields;
    int32_t FCountedEnd = 0;
    int64_t FTail = 0;
    int32_t FCopyRecord = -1;      // record a whole rewrite copy names, or -1
    std::vector<uint8_t> FCopy;    // that copy as the record it becomes
    bool FKeptGroup = false;
    int64_t FKeptBytes = 0;
    int32_t FGroupCount = 0;
    std::vector<uint8_t> FGroupData;
    int32_t FNotLive = 0;
    int32_t FOdd = 0;
    std::vector<int32_t> FKeyOffsets;  // numbered keys inside a record
    std::vector<int32_t> FMaxKeys;     // their highest stored values
};

} // namespace tv
