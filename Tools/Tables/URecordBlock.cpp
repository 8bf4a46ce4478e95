#include "URecordBlock.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>
#include <sys/mman.h>
#include <unistd.h>

#include "UParts.h"

namespace tv {

namespace {

constexpr size_t kSystemBlock = size_t(1) << 20;

bool SystemSized(size_t n) { return n >= kSystemBlock; }

// The whole mapping, so that it stays one piece that mremap can move; the
// hint may be refused.
void AdviseHugePages(uint8_t* p, size_t n)
{
    ::madvise(p, n, MADV_HUGEPAGE);
}

uint8_t* MapBlock(size_t n)
{
    void* p = ::mmap(nullptr, n, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (p == MAP_FAILED) throw std::bad_alloc();
    AdviseHugePages(static_cast<uint8_t*>(p), n);
    return static_cast<uint8_t*>(p);
}

void FreeBlock(uint8_t* p, size_t n)
{
    if (p == nullptr) return;
    if (SystemSized(n))
        ::munmap(p, n);
    else
        std::free(p);
}

} // namespace

TRecordBlock::~TRecordBlock() { FreeBlock(FData, FSize); }

void TRecordBlock::Resize(size_t n)
{
    if (n == FSize) return;
    uint8_t* p = nullptr;
    if (n == 0) {
    } else if (SystemSized(n) && SystemSized(FSize)) {
        // The pages move, not the bytes; pages added are zero, but the
        // last page kept still holds what a shrink left past its end.
        void* q = ::mremap(FData, FSize, n, MREMAP_MAYMOVE);
        if (q == MAP_FAILED) throw std::bad_alloc();
        p = static_cast<uint8_t*>(q);
        if (n > FSize) {
            const auto page = static_cast<size_t>(::sysconf(_SC_PAGESIZE));
            std::memset(p + FSize, 0, std::min(n, (FSize + page - 1) / page * page) - FSize);
            AdviseHugePages(p, n);
        }
        FData = p;
        FSize = n;
        return;
    } else if (SystemSized(n)) {
        p = MapBlock(n);
    } else if (!SystemSized(FSize)) {
        p = static_cast<uint8_t*>(std::realloc(FData, n));
        if (p == nullptr) throw std::bad_alloc();
        if (n > FSize) std::memset(p + FSize, 0, n - FSize);
        FData = p;
        FSize = n;
        return;
    } else {
        p = static_cast<uint8_t*>(std::calloc(n, 1));
        if (p == nullptr) throw std::bad_alloc();
    }
    // Between the two kinds of memory: at most a small block is copied.
    if (p != nullptr && FData != nullptr) std::memcpy(p, FData, std::min(n, FSize));
    FreeBlock(FData, FSize);
    FData = p;
    FSize = n;
}

void TRecordBlock::Prefault(size_t n)
{
    n = std::min(n, FSize);
    if (!SystemSized(n)) return;
    const size_t page = size_t(2) << 20;
    const size_t pages = (n + page - 1) / page;
    const size_t parts = std::min<size_t>(pages, PartThreads());
    const size_t share = (pages + parts - 1) / parts * page;
    // A zero written into every 4 KiB of each part's own range of pages.
    RunParts(parts, [this, n, share](size_t part) {
        for (size_t at = part * share; at < std::min(n, (part + 1) * share); at += 4096)
            reinterpret_cast<volatile uint8_t*>(FData)[at] = 0;
    });
}

} // namespace tv
