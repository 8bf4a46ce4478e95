#include "UParts.h"

#include <atomic>
#include <stdexcept>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "FailingAllocation.h"

namespace {

using tv::testkit::FailAllocationIn;

TEST(Parts, EveryPartRunsOnceAndIsOverBeforeTheReturn)
{
    for (const size_t parts : {size_t(0), size_t(1), size_t(4), size_t(9)}) {
        SCOPED_TRACE(parts);
        std::vector<int> runs(parts, 0);
        tv::RunParts(parts, [&](size_t part) { ++runs[part]; });
        EXPECT_EQ(runs, std::vector<int>(parts, 1));
    }
}

// A failing part does not stop the others, and what it raised comes out
// only after they have ended; of two failures the first part's.
TEST(Parts, AFailureIsRaisedAfterEveryPartHasEnded)
{
    std::atomic<int> ended = 0;
    try {
        tv::RunParts(6, [&](size_t part) {
            if (part == 2 || part == 4) {
                ++ended;
                throw std::runtime_error("part " + std::to_string(part));
            }
            ++ended;
        });
        ADD_FAILURE() << "nothing raised";
    } catch (const std::runtime_error& e) {
        EXPECT_EQ(ended.load(), 6);
        EXPECT_STREQ(e.what(), "part 2");
    }
}

// Memory that runs out while the threads start: each part still runs once
// (on the calling thread), or none runs and bad_alloc comes out; the
// program never ends with a thread left unjoined.
TEST(Parts, NoMemoryForAThreadRunsItsPartHere)
{
    for (int failing = 1; failing <= 8; ++failing) {
        SCOPED_TRACE("allocation " + std::to_string(failing) + " fails");
        std::vector<std::atomic<int>> runs(4);
        bool raised = false;
        FailAllocationIn = failing;
        try {
            tv::RunParts(4, [&](size_t part) { ++runs[part]; });
        } catch (const std::bad_alloc&) {
            raised = true;
        }
        FailAllocationIn = 0;
        for (const auto& r : runs) EXPECT_EQ(r.load(), raised ? 0 : 1);
    }
}

} // namespace
