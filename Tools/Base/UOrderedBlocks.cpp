#include "UOrderedBlocks.h"

#include <algorithm>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <thread>

namespace tv {

void TOrderedBlocks::Run(int32_t count, unsigned workers, const TMake& make, const TWrite& write)
{
    const size_t ringSize = std::max<size_t>(1, 2 * size_t(workers));
    if (FTexts.size() < ringSize)
        FTexts.resize(ringSize);
    for (std::string& text : FTexts)
        text.reserve(FBlockBytes);
    if (workers == 0) {
        for (int32_t block = 0; block < count; ++block) {
            make(block, FTexts[0]);
            write(FTexts[0]);
        }
        return;
    }

    // Block k is made into FTexts[k % ringSize] once block k - ringSize is
    // written; ready[k % ringSize] tells the writer it is made.
    std::vector<uint8_t> ready(ringSize);
    std::mutex mutex;
    std::condition_variable changed;
    int32_t next = 0, written = 0;
    bool stop = false;
    std::exception_ptr failure;
    auto work = [&] {
        // Made here and swapped into the ring: strings next to each other in
        // one cache line, grown row by row on several cores, slow each other.
        std::string text;
        for (;;) {
            int32_t block;
            {
                std::unique_lock lock(mutex);
                changed.wait(lock, [&] { return stop || next >= count || next < written + int32_t(ringSize); });
                if (stop || next >= count)
                    return;
                block = next++;
            }
            const size_t slot = size_t(block) % ringSize;
            try {
                make(block, text);
            } catch (...) {
                const std::lock_guard lock(mutex);
                if (!failure)
                    failure = std::current_exception();
                stop = true;
                changed.notify_all();
                return;
            }
            {
                const std::lock_guard lock(mutex);
                FTexts[slot].swap(text);
                ready[slot] = 1;
            }
            changed.notify_all();
        }
    };
    // Stops and joins the workers however this function is left.
    struct TCrew {
        std::mutex& Mutex;
        std::condition_variable& Changed;
        bool& Stop;
        std::vector<std::thread> Threads;
        ~TCrew()
        {
            {
                const std::lock_guard lock(Mutex);
                Stop = true;
            }
            Changed.notify_all();
            for (std::thread& t : Threads)
                t.join();
        }
    } crew{mutex, changed, stop, {}};
    crew.Threads.reserve(workers);
    for (unsigned i = 0; i < workers; ++i)
        crew.Threads.emplace_back(work);
    for (int32_t block = 0; block < count; ++block) {
        const size_t slot = size_t(block) % ringSize;
        {
            std::unique_lock lock(mutex);
            changed.wait(lock, [&] { return stop || ready[slot]; });
            if (failure)
                std::rethrow_exception(failure);
        }
        write(FTexts[slot]);
        {
            const std::lock_guard lock(mutex);
            ready[slot] = 0;
            ++written;
        }
        changed.notify_all();
    }
}

} // namespace tv
