#pragma once
// TScanSink: what takes the records the open of a data file reads. The
// open reads every counted record once, as it will be once a rewrite cut
// short is finished, and hands them over a chunk at a time; it may still
// refuse the file afterwards.

#include <cstddef>
#include <cstdint>

namespace tv {

// What the header says before the records are read.
struct TScanStart {
    int32_t Records = 0;     // counted, live and deleted
    int32_t Deleted = 0;     // as the header counts them
    int32_t RecordSize = 0;  // prefix and data; records lie this far apart
    size_t Parts = 1;        // parts a first scan takes
};

class TScanSink {
public:
    virtual ~TScanSink() = default;

    // Comes first. True asks for a first scan: the records split into
    // Start.Parts parts in file order, FirstRecords for the records of each
    // part in order, the parts in parallel, while DuringFirstScan runs
    // concurrently on another thread; then EndFirstScan.
    virtual bool Begin(const TScanStart& Start) = 0;
    virtual void FirstRecords(size_t Part, const uint8_t* Records, int32_t Count) = 0;
    virtual void DuringFirstScan() = 0;
    // True: Records sees the same parts in parallel, each in order; else
    // (and without a first scan) one part, all records in file order.
    virtual bool EndFirstScan() = 0;
    // Count records from Records on, the first at file offset Offset, each
    // with its prefix and data.
    virtual void Records(size_t Part, int32_t Offset, const uint8_t* Records, int32_t Count) = 0;
};

} // namespace tv
