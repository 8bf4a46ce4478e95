#pragma once
// Texts made in blocks, on worker threads where there are several, and
// written in block order by the calling thread.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace tv {

class TOrderedBlocks {
public:
    // make(block, out) replaces out with the text of the block; it may run
    // on several threads at once. write(text) runs on the calling thread.
    using TMake = std::function<void(int32_t block, std::string& out)>;
    using TWrite = std::function<void(const std::string& text)>;

    // Each text buffer starts with room for blockBytes.
    explicit TOrderedBlocks(size_t blockBytes) : FBlockBytes(blockBytes) {}
    TOrderedBlocks(const TOrderedBlocks&) = delete;
    TOrderedBlocks& operator=(const TOrderedBlocks&) = delete;

    // Writes the texts of blocks 0 .. count - 1 in order. With workers > 0
    // they are made on that many threads, at most 2 * workers blocks ahead
    // of the writer; with 0 each is made and written in turn. The first
    // exception of make or write is raised once every worker has stopped;
    // the blocks written before it are a leading run, none after it.
    void Run(int32_t count, unsigned workers, const TMake& make, const TWrite& write);

private:
    size_t FBlockBytes;
    // Kept from run to run: their memory is not found and faulted in anew.
    std::vector<std::string> FTexts;
};

} // namespace tv
