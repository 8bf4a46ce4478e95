#pragma once
// Work split into independent parts, run side by side on a few threads.

#include <cstddef>
#include <functional>

namespace tv {

// Threads worth starting for work that splits: the processors, at most 4.
unsigned PartThreads();

// Runs work(0) .. work(parts - 1), part 0 on the calling thread and each
// other on a thread of its own, and returns once all have ended. Parts must
// not write what another part reads. Where a thread cannot be started its
// part runs on the calling thread. The first exception of a part is raised
// after every part has ended.
void RunParts(size_t parts, const std::function<void(size_t part)>& work);

} // namespace tv
