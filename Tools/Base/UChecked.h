#pragma once
// 32-bit arithmetic that raises EIntOverflow instead of wrapping, and
// index checks that raise ERangeError.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "UException.h"

namespace tv {

// Signed 32-bit operations; a result outside the int32 range raises EIntOverflow.
int32_t CheckedAdd(int32_t a, int32_t b);
int32_t CheckedSub(int32_t a, int32_t b);
int32_t CheckedMul(int32_t a, int32_t b);

// Unsigned 32-bit operations; a result outside 0..4294967295 raises EIntOverflow.
uint32_t CheckedAddU(uint32_t a, uint32_t b);
uint32_t CheckedSubU(uint32_t a, uint32_t b);
uint32_t CheckedMulU(uint32_t a, uint32_t b);

// Raises ERangeError unless 0 <= index < count.
void CheckIndex(int64_t index, int64_t count);

// Element of a vector after the range check.
template <typename T>
T& CheckedAt(std::vector<T>& items, int64_t index)
{
    CheckIndex(index, static_cast<int64_t>(items.size()));
    return items[static_cast<size_t>(index)];
}

template <typename T>
const T& CheckedAt(const std::vector<T>& items, int64_t index)
{
    CheckIndex(index, static_cast<int64_t>(items.size()));
    return items[static_cast<size_t>(index)];
}

// Element of a fixed array after the range check.
template <typename T, size_t N>
T& CheckedAt(T (&items)[N], int64_t index)
{
    CheckIndex(index, static_cast<int64_t>(N));
    return items[index];
}

} // namespace tv
