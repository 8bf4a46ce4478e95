#pragma once
// Replaces the program's allocation so that a test can make one fail:
// FailAllocationIn = n makes the n-th allocation from then on raise
// std::bad_alloc. Include it in one source file of a test program only.

#include <atomic>
#include <cstdlib>
#include <new>

// The replaced allocation pairs malloc with free throughout; the compiler
// sees only the free behind a delete.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"

namespace tv::testkit {

// The n-th allocation from now fails; 0: none.
inline std::atomic<int> FailAllocationIn{0};

} // namespace tv::testkit

void* operator new(std::size_t n)
{
    if (tv::testkit::FailAllocationIn.load() > 0 && --tv::testkit::FailAllocationIn == 0)
        throw std::bad_alloc();
    if (void* p = std::malloc(n ? n : 1))
        return p;
    throw std::bad_alloc();
}

void* operator new[](std::size_t n) { return operator new(n); }

void* operator new(std::size_t n, const std::nothrow_t&) noexcept
{
    try {
        return operator new(n);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

void* operator new[](std::size_t n, const std::nothrow_t& tag) noexcept { return operator new(n, tag); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { std::free(p); }
