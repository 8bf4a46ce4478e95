#include "UParts.h"

#include <algorithm>
#include <exception>
#include <thread>
#include <vector>

namespace tv {

unsigned PartThreads()
{
    return std::clamp(std::thread::hardware_concurrency(), 1u, 4u);
}

void RunParts(size_t parts, const std::function<void(size_t part)>& work)
{
    if (parts == 0) return;
    std::vector<std::exception_ptr> failures(parts);
    const auto run = [&](size_t part) {
        try {
            work(part);
        } catch (...) {
            failures[part] = std::current_exception();
        }
    };
    std::vector<std::thread> threads;
    threads.reserve(parts - 1);
    size_t started = 1;
    try {
        for (; started < parts; ++started) threads.emplace_back(run, started);
    } catch (...) {
        // No thread (or no memory for one): the rest run here.
    }
    run(0);
    for (size_t part = started; part < parts; ++part) run(part);
    for (std::thread& t : threads) t.join();
    for (const std::exception_ptr& failure : failures)
        if (failure) std::rethrow_exception(failure);
}

} // namespace tv
