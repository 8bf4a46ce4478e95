#pragma once
// Runs a test of split work at each thread count it takes: on one thread,
// and on four whatever CPUs the machine has.
//
//   using SortAtThreads = tv::testkit::AtPartThreads<SortTest>;
//   TEST_P(SortAtThreads, ...) { ... }
//   INSTANTIATE_TEST_SUITE_P(, SortAtThreads, tv::testkit::PartThreadCounts(),
//                            tv::testkit::PartThreadsName);

#include "UParts.h"

#include <string>

#include <gtest/gtest.h>

namespace tv::testkit {

// The fixture Base with PartThreads() set to the test's parameter for as
// long as the test runs.
template <typename Base = ::testing::Test>
class AtPartThreads : public Base, public ::testing::WithParamInterface<unsigned> {
private:
    TPartThreadsScope FThreads{this->GetParam()};
};

inline auto PartThreadCounts() { return ::testing::Values(1u, 4u); }

inline std::string PartThreadsName(const ::testing::TestParamInfo<unsigned>& info)
{
    return std::to_string(info.param) + (info.param == 1 ? "Thread" : "Threads");
}

} // namespace tv::testkit
