#pragma once
#include <cstddef>
#include <cstdint>

namespace tv {

// Memory of the record block. A large block comes straight from the system
// (already zero, in huge pages where the system has them), so loading a
// large file neither clears it again nor takes a page fault per 4 KiB; it
// grows and shrinks through the page tables, so a resize never holds two
// copies of it.
class TRecordBlock {
public:
    TRecordBlock() = default;
    ~TRecordBlock();
    TRecordBlock(const TRecordBlock&) = delete;
    TRecordBlock& operator=(const TRecordBlock&) = delete;

    uint8_t* data() { return FData; }
    const uint8_t* data() const { return FData; }
    size_t size() const { return FSize; }
    // Keeps the leading bytes; added bytes are zero. Raises std::bad_alloc
    // and keeps the block as it was when the memory is not there.
    void Resize(size_t n);
    // Takes the system's fresh pages for the first n bytes of a large block
    // on a few threads at once, so that their zeroing runs in parallel
    // instead of at each first write. The bytes stay zero.
    void Prefault(size_t n);

private:
    uint8_t* FData = nullptr;
    size_t FSize = 0;
};

} // namespace tv
