#include "textfmt/printform.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace z5 {
namespace {

TEST(PrintForm, Integers) {
    EXPECT_EQ(numberText(0), "0");
    EXPECT_EQ(numberText(-17), "-17");
    EXPECT_EQ(printNumber(1), " 1 ");
    EXPECT_EQ(printNumber(-1), "-1 ");
    EXPECT_EQ(printNumber(0), " 0 ");
    EXPECT_EQ(printNumber(INT32_MIN), "-2147483648 ");
    EXPECT_EQ(printNumber(255), " 255 ");
}

TEST(PrintForm, SinglesInFixedForm) {
    EXPECT_EQ(singleText(0.5f), ".5");
    EXPECT_EQ(printSingle(0.5f), " .5 ");
    EXPECT_EQ(printSingle(-0.5f), "-.5 ");
    EXPECT_EQ(singleText(1.0f), "1");
    EXPECT_EQ(singleText(-2.25f), "-2.25");
    EXPECT_EQ(singleText(12.5f), "12.5");
    EXPECT_EQ(singleText(100.0f), "100");
    EXPECT_EQ(singleText(0.1f), ".1");
    EXPECT_EQ(singleText(0.0001f), ".0001");
    EXPECT_EQ(singleText(1234567.0f), "1234567");
    EXPECT_EQ(singleText(3.14159265f), "3.141593");
    EXPECT_EQ(singleText(0.3333333f), ".3333333");
    EXPECT_EQ(printSingle(0.0f), " 0 ");
    EXPECT_EQ(printSingle(-0.0f), " 0 ");
}

TEST(PrintForm, SinglesInExponentForm) {
    EXPECT_EQ(singleText(1e10f), "1E+10");
    EXPECT_EQ(singleText(123456789.0f), "1.234568E+08");
    EXPECT_EQ(singleText(1e-5f), "1E-05");
    EXPECT_EQ(singleText(10000000.0f), "1E+07");
    EXPECT_EQ(singleText(9999999.5f), "1E+07");  // rounding carries into a new digit
    EXPECT_EQ(singleText(-1.5e-7f), "-1.5E-07");
    EXPECT_EQ(singleText(std::numeric_limits<float>::max()), "3.402823E+38");
    EXPECT_EQ(singleText(std::numeric_limits<float>::denorm_min()), "1.401298E-45");
    EXPECT_EQ(printSingle(1e10f), " 1E+10 ");
}

TEST(PrintForm, NonFiniteSingles) {
    EXPECT_EQ(printSingle(INFINITY), " Inf ");
    EXPECT_EQ(printSingle(-INFINITY), "-Inf ");
    EXPECT_EQ(printSingle(std::nanf("")), " NaN ");
}

}  // namespace
}  // namespace z5
