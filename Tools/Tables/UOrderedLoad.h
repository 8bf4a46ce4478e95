#pragma once
// TOrderedLoad: fills a record block with the live records an open scans,
// one element per record (its file offset, then its data). In file order;
// or, given an index whose leading field is a plain integer, each record
// straight in its place in the order of that field, equal values in file
// order, as the stable sort by it would place them: a first scan reads the
// values of every part, a table gives each part its share of each value's
// places, and the second scan fills them, the parts in parallel.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

#include "URecordBlock.h"
#include "UScanSink.h"

namespace tv {

class TIndex;

class TOrderedLoad final : public TScanSink {
public:
    // Size(n) makes room for n elements in Block, keeping the leading ones,
    // and answers the element size. Order may be null: the file order.
    TOrderedLoad(const TIndex* Order, TRecordBlock& Block, std::function<int32_t(int32_t)> Size);
    TOrderedLoad(const TOrderedLoad&) = delete;
    TOrderedLoad& operator=(const TOrderedLoad&) = delete;

    // The elements filled, from the first on.
    int32_t Loaded() const;

    bool Begin(const TScanStart& Start) override;
    void FirstRecords(size_t Part, const uint8_t* Records, int32_t Count) override;
    void DuringFirstScan() override;
    bool EndFirstScan() override;
    void Records(size_t Part, int32_t Offset, const uint8_t* Records, int32_t Count) override;

private:
    uint8_t* Elem(int32_t i) { return FBlock.data() + static_cast<size_t>(i) * FElemSize; }
    int32_t Value(const uint8_t* Record) const;
    void Place(size_t Part, int32_t Offset, const uint8_t* Record);
    void Free();

    const TIndex* FOrder;
    TRecordBlock& FBlock;
    std::function<int32_t(int32_t)> FSize;
    int32_t FElemSize = 0;
    int32_t FRecordSize = 0;
    int32_t FRoom = 0;    // elements the block holds
    int32_t FLoaded = 0;  // filled in file order
    // Of each part of the scan: the first scan's leading values of its live
    // records and how many of them the second placed; apart, so that parts
    // in parallel write no shared line.
    struct alignas(64) TPart {
        std::vector<int32_t> Values;
        int32_t Loaded = 0;
    };
    std::vector<TPart> FParts;
    // The lowest value and the next free place of each value for each part
    // (a table of FRange places a part); empty when the load keeps the file
    // order.
    int32_t FLow = 0;
    size_t FRange = 0;
    std::vector<int32_t> FNext;
};

} // namespace tv
