#include "UChecked.h"

namespace tv {

namespace {

template <typename T, typename Op>
T Checked(T a, T b, Op op)
{
    T r;
    if (op(a, b, &r)) throw EIntOverflow();
    return r;
}

constexpr auto Add = [](auto a, auto b, auto* r) { return __builtin_add_overflow(a, b, r); };
constexpr auto Sub = [](auto a, auto b, auto* r) { return __builtin_sub_overflow(a, b, r); };
constexpr auto Mul = [](auto a, auto b, auto* r) { return __builtin_mul_overflow(a, b, r); };

} // namespace

int32_t CheckedAdd(int32_t a, int32_t b) { return Checked(a, b, Add); }
int32_t CheckedSub(int32_t a, int32_t b) { return Checked(a, b, Sub); }
int32_t CheckedMul(int32_t a, int32_t b) { return Checked(a, b, Mul); }
uint32_t CheckedAddU(uint32_t a, uint32_t b) { return Checked(a, b, Add); }
uint32_t CheckedSubU(uint32_t a, uint32_t b) { return Checked(a, b, Sub); }
uint32_t CheckedMulU(uint32_t a, uint32_t b) { return Checked(a, b, Mul); }

void CheckIndex(int64_t index, int64_t count)
{
    if (index < 0 || index >= count) throw ERangeError();
}

} // namespace tv
