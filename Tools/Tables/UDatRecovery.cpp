#include "UDatRecovery.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <utility>

#include "UChecked.h"
#include "UException.h"
#include "UField.h"
#include "UFields.h"
#include "UFile.h"
#include "UParts.h"
#include "UScanSink.h"

namespace tv {

using namespace DatFormat;

namespace {

constexpr int32_t ScanChunkBytes = 1 << 20;
// Fewer records than this to a part are read on one thread.
constexpr int32_t RecordsPerScanPart = 1 << 16;

} // namespace

TDatRecovery::TDatRecovery(TFile& File, const TDatHeader& Header, TFields& Fields, int64_t FileSize)
    : FFile(File), FHeader(Header), FFields(Fields)
{
    FCountedEnd = CheckedAdd(Header.HeaderSize, CheckedMul(Header.RecordCount, Header.RecordSize));
    FTail = FileSize - FCountedEnd;
    TV_ASSERT(FTail >= 0, "a data file shorter than its records reached recovery");
}

int32_t TDatRecovery::TakeGroup(std::vector<uint8_t>& Data)
{
    Data = std::move(FGroupData);
    FGroupData.clear();
    return std::exchange(FGroupCount, 0);
}

// The tails a single cut change leaves: up to one record's bytes (an append
// before its header, a rewrite copy not yet cut off), a group not yet
// counted with the group before it, or the records an empty had not yet cut
// after its header said "no records".
void TDatRecovery::CheckTail(bool KeepGroup)
{
    const int32_t rs = FHeader.RecordSize;
    if (FTail == 0 || FTail < rs)
        return;
    if (EmptiedHeader() && FTail % rs == 0)
        return;
    if (FTail > int64_t(rs) * MaxTailRecords)
        throw Exception(SBadRecordCount);
    // Whole records and a torn last one, its missing bytes read as zeros.
    const auto records = static_cast<int32_t>((FTail + rs - 1) / rs);
    std::vector<uint8_t> recs(static_cast<size_t>(records) * rs, 0);
    FFile.Seek(FCountedEnd, 0);
    FFile.Read(recs.data(), static_cast<int32_t>(FTail));
    // Exactly one record past the count: an append or a rewrite copy. An
    // append writes the next key value into it, so a live record with
    // another key where the status and key share a sector is a record the
    // header lost, not a cut append.
    const bool single = FTail == rs;
    if (single && GetInt(recs.data()) != 0)
        return;
    // Tail records are numbered on from the last counted one, also when a
    // count reached the disk without its key values.
    std::vector<uint8_t> lastRec(static_cast<size_t>(rs), 0);
    if (FHeader.RecordCount > 0) {
        FFile.Seek(FCountedEnd - rs, 0);
        FFile.Read(lastRec.data(), rs);
    }
    const auto firstKey = [&](int32_t i, const TField* f) {
        const int64_t after = FHeader.RecordCount > 0 ? int64_t(GetInt(lastRec.data() + PrefixBytes + FFields.Offsets(i))) + 1 : 1;
        return std::max<int64_t>(f->GetNextKeyValue(), after);
    };
    // The leading records that are whole: all their bytes, keys and the
    // unused word as written.
    int32_t whole = 0;
    bool leading = true;
    for (int32_t k = 0; k < records; ++k) {
        const uint8_t* rec = recs.data() + static_cast<size_t>(k) * rs;
        const int32_t at = FCountedEnd + k * rs;
        bool full = int64_t(k + 1) * rs <= FTail && GetInt(rec + 4) == 0;
        // More: a group append, written live; what is not yet on the disk
        // reads as zeros.
        if (GetInt(rec) != 0)
            throw Exception(SBadRecordCount);
        for (int32_t i = 0; i < FFields.Count(); ++i) {
            TField* f = FFields.Items(i);
            const int32_t off = PrefixBytes + FFields.Offsets(i);
            if (!IsNumberedKey(f))
                continue;
            if (single && (at / SectorBytes) != (int64_t(at) + off + 3) / SectorBytes)
                continue;
            const int32_t key = GetInt(rec + off);
            if (key != 0 && int64_t(key) != firstKey(i, f) + k)
                throw Exception(SBadRecordCount);
            full = full && key != 0;
        }
        leading = leading && full;
        if (leading)
            ++whole;
    }
    if (whole == 0 || !KeepGroup)
        return;
    // The whole ones stay for the caller to count or drop; the rest is cut.
    FKeptGroup = true;
    FKeptBytes = int64_t(whole) * rs;
    FTail -= FKeptBytes;
    FGroupCount = whole;
    const auto dataSize = static_cast<size_t>(FFields.DataSize());
    FGroupData.resize(static_cast<size_t>(whole) * dataSize);
    for (int32_t k = 0; k < whole; ++k)
        std::memcpy(FGroupData.data() + static_cast<size_t>(k) * dataSize,
                    recs.data() + static_cast<size_t>(k) * rs + PrefixBytes, dataSize);
}

// The header as an empty leaves it: no records, numbered keys back at 1.
bool TDatRecovery::EmptiedHeader() const
{
    if (FHeader.RecordCount != 0 || FHeader.DeletedCount != 0)
        return false;
    for (int32_t i = 0; i < FFields.Count(); ++i)
        if (IsNumberedKey(FFields.Items(i)) && FFields.Items(i)->GetNextKeyValue() != 1)
            return false;
    return true;
}

// A copy counts only when it is exactly the tail and whole: its check word
// matches its target offset and data, and the target names a counted record.
void TDatRecovery::FindRewriteCopy()
{
    const int32_t rs = FHeader.RecordSize;
    if (FTail != rs || FKeptGroup)
        return;
    std::vector<uint8_t> image(static_cast<size_t>(rs));
    FFile.Seek(FCountedEnd, 0);
    FFile.Read(image.data(), rs);
    const int32_t target = GetInt(image.data() + 4);
    if (target < FHeader.HeaderSize || target >= FCountedEnd || (target - FHeader.HeaderSize) % rs != 0 ||
        GetInt(image.data()) != ImageCheck(target, image.data() + PrefixBytes, rs - PrefixBytes))
        return;
    PutInt(image.data(), 0);
    PutInt(image.data() + 4, 0);
    FCopyRecord = (target - FHeader.HeaderSize) / rs;
    FCopy = std::move(image);
}

// Reads counted records first .. end - 1 in large chunks and hands them
// to visit(first record, its bytes, count), each seen as it will be once a
// pending rewrite is finished. Reads at offsets, so that parts of one file
// can be read in parallel.
template <typename F>
void TDatRecovery::EachRecord(int32_t first, int32_t end, F visit) const
{
    const int32_t rs = FHeader.RecordSize;
    const int32_t perChunk = std::max<int32_t>(1, ScanChunkBytes / rs);
    std::vector<uint8_t> chunk;
    for (; first < end; first += perChunk) {
        const int32_t n = std::min(perChunk, end - first);
        chunk.resize(static_cast<size_t>(n) * rs);
        FFile.ReadAt(int64_t(FHeader.HeaderSize) + int64_t(first) * rs, chunk.data(), n * rs);
        int32_t k = 0;
        if (FCopyRecord >= first && FCopyRecord < first + n) {
            k = FCopyRecord - first;
            if (k > 0) visit(first, chunk.data(), k);
            visit(FCopyRecord, FCopy.data(), 1);
            ++k;
        }
        if (k < n) visit(first + k, chunk.data() + static_cast<size_t>(k) * rs, n - k);
    }
}

// What the scan counts of the records of one part.
struct TDatRecovery::TPartCount {
    int32_t NotLive = 0;
    int32_t Odd = 0;
    std::vector<int32_t> MaxKeys;
};

// One pass over the counted records, after a first one for a sink that
// asks for it; both passes in parts in parallel where the sink can take
// the second so.
void TDatRecovery::Scan(TScanSink* Sink)
{
    const int32_t rs = FHeader.RecordSize;
    for (int32_t i = 0; i < FFields.Count(); ++i)
        if (IsNumberedKey(FFields.Items(i)))
            FKeyOffsets.push_back(PrefixBytes + FFields.Offsets(i));
    const int32_t count = FHeader.RecordCount;
    size_t parts = static_cast<size_t>(std::clamp<int64_t>(count / RecordsPerScanPart, 1, PartThreads()));
    const auto partStart = [&](size_t part) {
        return static_cast<int32_t>(int64_t(count) * static_cast<int64_t>(part) / static_cast<int64_t>(parts));
    };
    TScanSink* const sink = Sink;
    bool inParts = false;
    if (sink != nullptr && sink->Begin({count, FHeader.DeletedCount, rs, parts})) {
        // The first scan's parts in parallel, the sink's own work
        // concurrently on one more thread.
        RunParts(parts + 1, [&](size_t part) {
            if (part == parts)
                sink->DuringFirstScan();
            else
                EachRecord(partStart(part), partStart(part + 1),
                           [sink, part](int32_t, const uint8_t* recs, int32_t n) { sink->FirstRecords(part, recs, n); });
        });
        inParts = sink->EndFirstScan();
    }
    if (!inParts)
        parts = 1;
    std::vector<TPartCount> counts(parts);
    RunParts(parts, [&](size_t part) {
        TPartCount& c = counts[part];
        c.MaxKeys.assign(FKeyOffsets.size(), std::numeric_limits<int32_t>::min());
        const size_t keys = FKeyOffsets.size();
        const int32_t* const keyOffsets = FKeyOffsets.data();
        int32_t* const maxKeys = c.MaxKeys.data();
        EachRecord(partStart(part), partStart(part + 1), [&](int32_t first, const uint8_t* recs, int32_t n) {
            // Counted in locals, which the stores of the highest keys do
            // not alias.
            int32_t notLive = 0, odd = 0;
            for (int32_t k = 0; k < n; ++k) {
                const uint8_t* rec = recs + static_cast<size_t>(k) * rs;
                const int32_t status = GetInt(rec);
                notLive += status != 0;
                odd += status != 0 && status != -1;
                for (size_t j = 0; j < keys; ++j)
                    maxKeys[j] = std::max(maxKeys[j], GetInt(rec + keyOffsets[j]));
            }
            c.NotLive += notLive;
            c.Odd += odd;
            if (sink != nullptr)
                sink->Records(part, FHeader.HeaderSize + first * rs, recs, n);
        });
    });
    FMaxKeys.assign(FKeyOffsets.size(), std::numeric_limits<int32_t>::min());
    for (const TPartCount& c : counts) {
        FNotLive += c.NotLive;
        FOdd += c.Odd;
        for (size_t j = 0; j < FMaxKeys.size(); ++j)
            FMaxKeys[j] = std::max(FMaxKeys[j], c.MaxKeys[j]);
    }
    TV_ASSERT(FNotLive <= FHeader.RecordCount, "more records not live than counted");
}

// A delete writes its mark and the header's count together: a crash keeps
// either, so the count may be one off the marks, never more; and only when
// every mark is one a delete writes.
void TDatRecovery::CheckDeletedCount() const
{
    const int64_t diff = int64_t(FNotLive) - FHeader.DeletedCount;
    if (diff != 0 && (diff < -1 || diff > 1 || FOdd > 0))
        throw Exception(SBadRecordCount);
}

// A numbered key whose next value is not above a stored key is raised past
// it (an append whose header reached the disk before the key descriptor,
// or a record posted with a key typed above the next value); raising loses
// nothing. True when a descriptor changed.
bool TDatRecovery::MendKeys(std::vector<TFieldDesc>& Descs)
{
    bool changed = false;
    for (int32_t i = 0, k = 0; i < FFields.Count(); ++i) {
        TField* f = FFields.Items(i);
        if (!IsNumberedKey(f))
            continue;
        const int32_t maxKey = FMaxKeys[static_cast<size_t>(k++)];
        TV_ASSERT(f->GetNextKeyValue() >= 1, "a next key value below 1 passed the field check");
        if (FHeader.RecordCount == 0 || maxKey < f->GetNextKeyValue())
            continue;
        if (maxKey == std::numeric_limits<int32_t>::max())
            throw Exception(SBadKeyValue);
        f->SetNextKeyValue(maxKey + 1);
        Descs[static_cast<size_t>(i)].NextKeyValue = maxKey + 1;
        changed = true;
    }
    return changed;
}

void TDatRecovery::FinishRewrite()
{
    if (FCopyRecord < 0)
        return;
    FFile.Seek(FHeader.HeaderSize + FCopyRecord * FHeader.RecordSize, 0);
    FFile.Write(FCopy.data(), FHeader.RecordSize);
    FFile.Flush();
}

} // namespace tv
