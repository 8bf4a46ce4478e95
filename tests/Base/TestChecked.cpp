#include "UChecked.h"

#include <climits>
#include <functional>

#include <gtest/gtest.h>

namespace {

// An operation that either overflows or gives Result.
template <typename T>
struct TCase {
    const char* Name;
    std::function<T()> Op;
    bool Overflows;
    T Result;
};

template <typename T>
void ExpectCases(const std::vector<TCase<T>>& cases)
{
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        if (c.Overflows)
            EXPECT_THROW(c.Op(), tv::EIntOverflow);
        else
            EXPECT_EQ(c.Op(), c.Result);
    }
}

TEST(Checked, SignedAtTheLimits)
{
    const std::vector<TCase<int32_t>> cases = {
        {"max plus zero", [] { return tv::CheckedAdd(INT_MAX, 0); }, false, INT_MAX},
        {"max plus one", [] { return tv::CheckedAdd(INT_MAX, 1); }, true, 0},
        {"min plus minus one", [] { return tv::CheckedAdd(INT_MIN, -1); }, true, 0},
        {"min plus max", [] { return tv::CheckedAdd(INT_MIN, INT_MAX); }, false, -1},
        {"min minus one", [] { return tv::CheckedSub(INT_MIN, 1); }, true, 0},
        {"zero minus min", [] { return tv::CheckedSub(0, INT_MIN); }, true, 0},
        {"minus one minus max", [] { return tv::CheckedSub(-1, INT_MAX); }, false, INT_MIN},
        {"half times two", [] { return tv::CheckedMul(1 << 30, 2); }, true, 0},
        {"min times minus one", [] { return tv::CheckedMul(INT_MIN, -1); }, true, 0},
        {"min times one", [] { return tv::CheckedMul(INT_MIN, 1); }, false, INT_MIN},
        {"46341 squared", [] { return tv::CheckedMul(46341, 46341); }, true, 0},
        {"46340 squared", [] { return tv::CheckedMul(46340, 46340); }, false, 2147395600},
    };
    ExpectCases(cases);
}

TEST(Checked, UnsignedAtTheLimits)
{
    const std::vector<TCase<uint32_t>> cases = {
        {"max plus zero", [] { return tv::CheckedAddU(UINT_MAX, 0); }, false, UINT_MAX},
        {"max plus one", [] { return tv::CheckedAddU(UINT_MAX, 1); }, true, 0},
        {"zero minus one", [] { return tv::CheckedSubU(0, 1); }, true, 0},
        {"one minus one", [] { return tv::CheckedSubU(1, 1); }, false, 0},
        {"65536 squared", [] { return tv::CheckedMulU(65536, 65536); }, true, 0},
        {"max times one", [] { return tv::CheckedMulU(UINT_MAX, 1); }, false, UINT_MAX},
        {"65535 times 65537", [] { return tv::CheckedMulU(65535, 65537); }, false, UINT_MAX},
    };
    ExpectCases(cases);
}

TEST(Checked, IndexOutsideVectorOrArrayRaisesRangeError)
{
    std::vector<int> items = {10, 20, 30};
    int array[2] = {1, 2};
    EXPECT_EQ(tv::CheckedAt(items, 2), 30);
    EXPECT_THROW(tv::CheckedAt(items, 3), tv::ERangeError);
    EXPECT_THROW(tv::CheckedAt(items, -1), tv::ERangeError);
    EXPECT_EQ(tv::CheckedAt(array, 1), 2);
    EXPECT_THROW(tv::CheckedAt(array, 2), tv::ERangeError);
    std::vector<int> empty;
    EXPECT_THROW(tv::CheckedAt(empty, 0), tv::ERangeError);
}

} // namespace
