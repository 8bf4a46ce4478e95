// The thread count of split work follows the CPUs the process may use, and
// a test can set it.

#include "UParts.h"

#include <sched.h>

#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

namespace {

// The CPUs the calling thread may run on now.
std::vector<int> UsableCpus()
{
    cpu_set_t set;
    CPU_ZERO(&set);
    EXPECT_EQ(sched_getaffinity(0, sizeof(set), &set), 0);
    std::vector<int> cpus;
    for (int cpu = 0; cpu < CPU_SETSIZE; ++cpu)
        if (CPU_ISSET(cpu, &set)) cpus.push_back(cpu);
    return cpus;
}

// Runs ask on a thread of its own that may run only on the first count of
// the given CPUs (as taskset or a CPU set leaves a process), and returns
// what it answered.
unsigned OnCpus(const std::vector<int>& cpus, size_t count, unsigned (*ask)())
{
    unsigned answer = 0;
    std::thread thread([&] {
        cpu_set_t set;
        CPU_ZERO(&set);
        for (size_t i = 0; i < count; ++i) CPU_SET(cpus[i], &set);
        ASSERT_EQ(sched_setaffinity(0, sizeof(set), &set), 0);
        answer = ask();
    });
    thread.join();
    return answer;
}

TEST(PartThreads, FollowTheCpusTheProcessMayUseUpToFour)
{
    const std::vector<int> cpus = UsableCpus();
    ASSERT_FALSE(cpus.empty());
    struct TRow {
        size_t Cpus;
        unsigned Threads;
    };
    const TRow rows[] = {{1, 1}, {2, 2}, {3, 3}, {4, 4}, {5, 4}, {cpus.size(), std::min<unsigned>(unsigned(cpus.size()), 4)}};
    for (const TRow& r : rows) {
        if (r.Cpus > cpus.size()) continue;  // the machine has fewer
        SCOPED_TRACE(std::to_string(r.Cpus) + " CPUs");
        EXPECT_EQ(OnCpus(cpus, r.Cpus, &tv::PartThreads), r.Threads);
    }
}

// A set count holds whatever the CPUs, on every thread, until it is taken
// back; scopes nest.
TEST(PartThreads, ASetCountHoldsUntilTakenBack)
{
    const std::vector<int> cpus = UsableCpus();
    ASSERT_FALSE(cpus.empty());
    const auto onOneCpu = [&] { return OnCpus(cpus, 1, &tv::PartThreads); };
    {
        const tv::TPartThreadsScope four(4);
        EXPECT_EQ(tv::PartThreads(), 4u);
        EXPECT_EQ(onOneCpu(), 4u);
        {
            const tv::TPartThreadsScope one(0);  // at least one
            EXPECT_EQ(onOneCpu(), 1u);
            EXPECT_EQ(tv::PartThreads(), 1u);
        }
        EXPECT_EQ(onOneCpu(), 4u);
    }
    EXPECT_EQ(onOneCpu(), 1u);
    tv::SetPartThreads(3);
    EXPECT_EQ(onOneCpu(), 3u);
    tv::SetPartThreads(0);
    EXPECT_EQ(onOneCpu(), 1u);
}

} // namespace
