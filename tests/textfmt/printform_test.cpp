#include "textfmt/printform.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace z5 {
namespace {

TEST(PrintForm, Integers) {
    EXPECT_EQ(numberText(0), "0");
    EXPECT_EQ(numberText(-17), "-17");
    const std::pair<std::int32_t, const char*> printed[] = {
        {1, " 1 "}, {-1, "-1 "}, {0, " 0 "}, {INT32_MIN, "-2147483648 "}, {255, " 255 "}};
    for (const auto& [value, text] : printed) EXPECT_EQ(printNumber(value), text);
}

// Fixed form up to seven significant digits, then the exponent form; the
// printed form adds a blank for the sign and one after. 9999999.5 rounds
// into a new digit.
TEST(PrintForm, Singles) {
    constexpr float kMax = std::numeric_limits<float>::max();
    constexpr float kTiny = std::numeric_limits<float>::denorm_min();
    // clang-format off
    const std::pair<float, const char*> texts[] = {
        {0.5f, ".5"}, {1.0f, "1"}, {-2.25f, "-2.25"}, {12.5f, "12.5"}, {100.0f, "100"}, {0.1f, ".1"},
        {0.0001f, ".0001"}, {1234567.0f, "1234567"}, {3.14159265f, "3.141593"},
        {0.3333333f, ".3333333"}, {1e10f, "1E+10"}, {123456789.0f, "1.234568E+08"},
        {1e-5f, "1E-05"}, {10000000.0f, "1E+07"}, {9999999.5f, "1E+07"}, {-1.5e-7f, "-1.5E-07"},
        {kMax, "3.402823E+38"}, {kTiny, "1.401298E-45"}};
    // clang-format on
    for (const auto& [value, text] : texts) EXPECT_EQ(singleText(value), text) << text;
    const std::pair<float, const char*> printed[] = {
        {0.5f, " .5 "},     {-0.5f, "-.5 "},     {0.0f, " 0 "},        {-0.0f, " 0 "},
        {1e10f, " 1E+10 "}, {INFINITY, " Inf "}, {-INFINITY, "-Inf "}, {std::nanf(""), " NaN "}};
    for (const auto& [value, text] : printed) EXPECT_EQ(printSingle(value), text) << text;
}

}  // namespace
}  // namespace z5
