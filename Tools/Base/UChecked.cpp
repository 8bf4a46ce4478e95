#include "UChecked.h"

namespace tv {

int32_t CheckedAdd(int32_t a, int32_t b)
{
    int32_t r;
    if (__builtin_add_overflow(a, b, &r)) throw EIntOverflow();
    return r;
}

int32_t CheckedSub(int32_t a, int32_t b)
{
    int32_t r;
    if (__builtin_sub_overflow(a, b, &r)) throw EIntOverflow();
    return r;
}

int32_t CheckedMul(int32_t a, int32_t b)
{
    int32_t r;
    if (__builtin_mul_overflow(a, b, &r)) throw EIntOverflow();
    return r;
}

uint32_t CheckedAddU(uint32_t a, uint32_t b)
{
    uint32_t r;
    if (__builtin_add_overflow(a, b, &r)) throw EIntOverflow();
    return r;
}

uint32_t CheckedSubU(uint32_t a, uint32_t b)
{
    uint32_t r;
    if (__builtin_sub_overflow(a, b, &r)) throw EIntOverflow();
    return r;
}

uint32_t CheckedMulU(uint32_t a, uint32_t b)
{
    uint32_t r;
    if (__builtin_mul_overflow(a, b, &r)) throw EIntOverflow();
    return r;
}

void CheckIndex(int64_t index, int64_t count)
{
    if (index < 0 || index >= count) throw ERangeError();
}

} // namespace tv
