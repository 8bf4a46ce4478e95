#pragma once
// Work split into independent parts, run in parallel on a few threads.

#include <cstddef>
#include <functional>

namespace tv {

// Threads worth starting for work that splits: the CPUs the calling thread
// may run on (its affinity, which a CPU set or taskset narrows), at least 1
// and at most 4; or the count SetPartThreads gave.
unsigned PartThreads();

// Makes PartThreads() answer Threads (at least 1) from now on, on every
// thread; 0 goes back to the CPUs. For tests: set it before the work starts.
void SetPartThreads(unsigned Threads);

// Sets PartThreads() for its lifetime and puts the former count back.
class TPartThreadsScope {
public:
    explicit TPartThreadsScope(unsigned Threads);
    ~TPartThreadsScope();
    TPartThreadsScope(const TPartThreadsScope&) = delete;
    TPartThreadsScope& operator=(const TPartThreadsScope&) = delete;

private:
    unsigned FFormer;
};

// Runs work(0) .. work(parts - 1), part 0 on the calling thread and each
// other on a thread of its own, and returns once all have ended. Parts must
// not write what another part reads. Where a thread cannot be started its
// part runs on the calling thread. The first exception of a part is raised
// after every part has ended.
void RunParts(size_t parts, const std::function<void(size_t part)>& work);

} // namespace tv
