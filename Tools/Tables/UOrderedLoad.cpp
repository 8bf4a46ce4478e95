#include "UOrderedLoad.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <typeinfo>
#include <utility>

#include "UBaseFld.h"
#include "UBlockSort.h"
#include "UChecked.h"
#include "UDatFormat.h"
#include "UException.h"
#include "UIndex.h"
#include "UParts.h"

namespace tv {

namespace {

bool Live(const uint8_t* record) { return (record[0] | record[1] | record[2] | record[3]) == 0; }

} // namespace

TOrderedLoad::TOrderedLoad(const TIndex* Order, TRecordBlock& Block, std::function<int32_t(int32_t)> Size)
    : FOrder(Order), FBlock(Block), FSize(std::move(Size))
{
}

int32_t TOrderedLoad::Loaded() const
{
    if (FNext.empty()) return FLoaded;
    int32_t loaded = 0;
    for (const TPart& part : FParts) {
        TV_ASSERT(size_t(part.Loaded) == part.Values.size(), "the second scan saw other records than the first");
        loaded += part.Loaded;
    }
    return loaded;
}

bool TOrderedLoad::Begin(const TScanStart& Start)
{
    FRecordSize = Start.RecordSize;
    FLoaded = 0;
    Free();
    FRoom = std::max(0, Start.Records - Start.Deleted);
    FElemSize = FSize(FRoom);
    // With a first scan the pages are taken concurrently with it.
    const bool first = FOrder != nullptr && typeid(*FOrder->LeadingField()) == typeid(TIntegerField);
    if (first)
        FParts.resize(Start.Parts);
    else
        FBlock.Prefault(static_cast<size_t>(FRoom) * FElemSize);
    return first;
}

void TOrderedLoad::DuringFirstScan() { FBlock.Prefault(static_cast<size_t>(FRoom) * FElemSize); }

int32_t TOrderedLoad::Value(const uint8_t* Record) const
{
    int32_t value;
    std::memcpy(&value, Record + DatFormat::PrefixBytes + FOrder->LeadingFieldOffset(), 4);
    return value;
}

void TOrderedLoad::FirstRecords(size_t Part, const uint8_t* Records, int32_t Count)
{
    std::vector<int32_t>& values = FParts[Part].Values;
    for (int32_t k = 0; k < Count; ++k) {
        const uint8_t* record = Records + static_cast<size_t>(k) * FRecordSize;
        if (Live(record)) values.push_back(Value(record));
    }
}

// Each value's run of places starts after those of the lower values, and
// within it the records of each part of the scan after those of the parts
// before. The parts of the second scan go in parallel when a table of
// places per part stays small next to the elements; else the values join
// into one part.
bool TOrderedLoad::EndFirstScan()
{
    size_t count = 0;
    int32_t lo = std::numeric_limits<int32_t>::max(), hi = std::numeric_limits<int32_t>::min();
    for (const TPart& part : FParts) {
        const std::vector<int32_t>& values = part.Values;
        count += values.size();
        if (values.empty()) continue;
        const auto [l, h] = std::minmax_element(values.begin(), values.end());
        lo = std::min(lo, *l);
        hi = std::max(hi, *h);
    }
    if (count == 0 || !BlockSort::NarrowRange(lo, hi, count)) {
        Free();
        return false;
    }
    const auto range = static_cast<size_t>(int64_t(hi) - lo + 1);
    if (FParts.size() > 1 && !BlockSort::SmallTable(int64_t(FParts.size() * range), count)) {
        std::vector<int32_t>& all = FParts[0].Values;
        for (size_t part = 1; part < FParts.size(); ++part)
            all.insert(all.end(), FParts[part].Values.begin(), FParts[part].Values.end());
        FParts.resize(1);
    }
    const size_t parts = FParts.size();
    FLow = lo;
    FRange = range;
    FNext.assign(parts * range, 0);
    RunParts(parts, [this](size_t part) {
        int32_t* next = FNext.data() + part * FRange;
        for (const int32_t v : FParts[part].Values) ++next[static_cast<size_t>(int64_t(v) - FLow)];
    });
    int32_t start = 0;
    for (size_t v = 0; v < range; ++v)
        for (size_t part = 0; part < parts; ++part) start += std::exchange(FNext[part * range + v], start);
    FRoom = static_cast<int32_t>(count);
    FElemSize = FSize(FRoom);
    return parts > 1;
}

void TOrderedLoad::Free()
{
    std::vector<TPart>().swap(FParts);
    std::vector<int32_t>().swap(FNext);
}

void TOrderedLoad::Records(size_t Part, int32_t Offset, const uint8_t* Records, int32_t Count)
{
    for (int32_t k = 0; k < Count; ++k)
        Place(Part, Offset + k * FRecordSize, Records + static_cast<size_t>(k) * FRecordSize);
}

// The live records are counted while reading, so a deleted count that
// disagrees with the status words neither leaves elements unfilled nor
// writes past the block.
void TOrderedLoad::Place(size_t Part, int32_t Offset, const uint8_t* Record)
{
    if (!Live(Record)) return;
    int32_t place = FLoaded;
    if (!FNext.empty()) {
        const int32_t value = Value(Record);
        const std::vector<int32_t>& values = FParts[Part].Values;
        int32_t* next = FNext.data() + Part * FRange;
        const auto loaded = static_cast<size_t>(FParts[Part].Loaded++);
        TV_ASSERT(loaded < values.size() && value == values[loaded],
                  "the second scan saw other records than the first");
        place = next[static_cast<size_t>(int64_t(value) - FLow)]++;
        // The place of a record further on is fetched now, so that the
        // waits for the scattered places overlap.
        constexpr size_t kAhead = 16;
        const size_t ahead = loaded + kAhead;
        if (ahead < values.size()) {
            const uint8_t* p = Elem(next[static_cast<size_t>(int64_t(values[ahead]) - FLow)]);
            for (int32_t at = 0; at < FElemSize; at += 64) __builtin_prefetch(p + at, 1);
            __builtin_prefetch(p + FElemSize - 1, 1);
        }
    } else {
        if (FLoaded == FRoom) {
            FRoom = CheckedAdd(FLoaded, 1);
            FSize(FRoom);
        }
        ++FLoaded;
    }
    uint8_t* elem = Elem(place);
    std::memcpy(elem, &Offset, 4);
    std::memcpy(elem + 4, Record + DatFormat::PrefixBytes, static_cast<size_t>(FRecordSize - DatFormat::PrefixBytes));
}

} // namespace tv
