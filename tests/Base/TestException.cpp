#include "UException.h"

#include <gtest/gtest.h>

TEST(Assertion, CarriesMessageFileAndLine)
{
    try {
        TV_ASSERT(1 + 1 == 3, "Table not added");
        FAIL() << "no exception";
    } catch (const tv::EAssertionFailed& e) {
        EXPECT_EQ(e.Text(), "Table not added");
        EXPECT_NE(e.File().find("TestException.cpp"), std::string::npos);
        EXPECT_GT(e.Line(), 0);
        EXPECT_EQ(e.ClassName(), "EAssertionFailed");
        EXPECT_NE(e.Message().find("Table not added"), std::string::npos);
    }
}

TEST(Assertion, PassingConditionDoesNothing)
{
    EXPECT_NO_THROW(TV_ASSERT(true, "never"));
}
