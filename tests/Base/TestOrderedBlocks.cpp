// Blocks made on worker threads reach the writer whole and in order; a
// failure of a maker or of the writer ends the run with that failure and no
// block after it.

#include "UOrderedBlocks.h"

#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <string>

using namespace tv;

namespace {

std::string BlockText(int32_t block) { return std::to_string(block) + std::string(size_t(block % 7) * 300, 'x') + ";"; }

std::string Expected(int32_t count)
{
    std::string out;
    for (int32_t i = 0; i < count; ++i)
        out += BlockText(i);
    return out;
}

} // namespace

TEST(TOrderedBlocks, WritesEveryBlockInOrder)
{
    struct TCase {
        int32_t Count;
        unsigned Workers;
    };
    TOrderedBlocks blocks(64);
    // One object for every case: buffers kept from a run of more workers
    // must not leak old texts into the next.
    for (const TCase c : {TCase{0, 0}, TCase{1, 0}, TCase{50, 0}, TCase{0, 3}, TCase{1, 3}, TCase{2, 4},
                          TCase{500, 4}, TCase{37, 1}, TCase{20, 0}}) {
        std::string written;
        blocks.Run(
            c.Count, c.Workers, [](int32_t block, std::string& out) { out = BlockText(block); },
            [&](const std::string& text) { written += text; });
        EXPECT_EQ(written, Expected(c.Count)) << c.Count << " blocks, " << c.Workers << " workers";
    }
}

TEST(TOrderedBlocks, FailureEndsTheRunWithALeadingRunWritten)
{
    for (const unsigned workers : {0u, 1u, 4u}) {
        for (const bool inWriter : {false, true}) {
            TOrderedBlocks blocks(16);
            constexpr int32_t failing = 123;
            std::atomic<int32_t> made{0};
            std::string written;
            std::string raised;
            try {
                blocks.Run(
                    400, workers,
                    [&](int32_t block, std::string& out) {
                        ++made;
                        if (!inWriter && block == failing)
                            throw std::runtime_error("make " + std::to_string(block));
                        out = BlockText(block);
                    },
                    [&](const std::string& text) {
                        if (inWriter && text == BlockText(failing))
                            throw std::runtime_error("write");
                        written += text;
                    });
            } catch (const std::runtime_error& e) {
                raised = e.what();
            }
            const std::string where = std::to_string(workers) + " workers, failing in the " +
                                      (inWriter ? "writer" : "maker");
            EXPECT_EQ(raised, inWriter ? "write" : "make 123") << where;
            EXPECT_EQ(written, Expected(failing).substr(0, written.size())) << where;
            EXPECT_LE(written.size(), Expected(failing).size()) << where;
            // The workers stop: they make no more than the ring holds past the failure.
            EXPECT_LE(made.load(), failing + 1 + 2 * int32_t(workers)) << where;
        }
    }
}
