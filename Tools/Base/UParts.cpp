#include "UParts.h"

#include <sched.h>

#include <algorithm>
#include <atomic>
#include <exception>
#include <thread>
#include <vector>

namespace tv {

namespace {

constexpr unsigned MostPartThreads = 4;

// The count SetPartThreads gave; 0: none.
std::atomic<unsigned> SetThreads{0};

// The CPUs the calling thread may run on; what the system says where the
// mask cannot be read (more CPUs than a cpu_set_t holds).
unsigned UsableCpus()
{
    cpu_set_t cpus;
    CPU_ZERO(&cpus);
    if (sched_getaffinity(0, sizeof(cpus), &cpus) == 0)
        return static_cast<unsigned>(CPU_COUNT(&cpus));
    return std::thread::hardware_concurrency();
}

} // namespace

unsigned PartThreads()
{
    if (const unsigned set = SetThreads.load(std::memory_order_relaxed))
        return set;
    return std::clamp(UsableCpus(), 1u, MostPartThreads);
}

void SetPartThreads(unsigned Threads) { SetThreads.store(Threads, std::memory_order_relaxed); }

TPartThreadsScope::TPartThreadsScope(unsigned Threads) : FFormer(SetThreads.load())
{
    SetPartThreads(std::max(Threads, 1u));
}

TPartThreadsScope::~TPartThreadsScope() { SetPartThreads(FFormer); }

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
