#include "archive/blocks.hpp"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <limits>

#include "textfmt/failure.hpp"

namespace z5 {
namespace {

// lng2048, lng1024, ..., lng4, byt1
using Split = std::array<std::int64_t, 11>;

Split split(std::int32_t len) {
    std::int32_t a, b, c, d, e, f, g, h, i, j;
    a = b = c = d = e = f = g = h = i = j = 99;  // every output must be set
    std::uint8_t k = 99;
    FileSize().CheckDatFileSize(len, a, b, c, d, e, f, g, h, i, j, k);
    return {a, b, c, d, e, f, g, h, i, j, k};
}

TEST(CheckDatFileSize, SplitsEveryCountExactly) {
    EXPECT_EQ(split(0), (Split{0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(split(5), (Split{0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 1}));
    EXPECT_EQ(split(2047), (Split{0, 1, 1, 1, 1, 1, 1, 1, 1, 1, 3}));
    EXPECT_EQ(split(4096), (Split{2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(split(2147483647), (Split{1048575, 1, 1, 1, 1, 1, 1, 1, 1, 1, 3}));
    // Every remainder, and counts near where a float quotient would go wrong.
    constexpr Split sizes = {2048, 1024, 512, 256, 128, 64, 32, 16, 8, 4, 1};
    auto total = [&](const Split& s) {
        std::int64_t sum = 0;
        for (std::size_t i = 0; i < s.size(); ++i) sum += s[i] * sizes[i];
        return sum;
    };
    for (std::int32_t len = 0; len < 4100; ++len) ASSERT_EQ(total(split(len)), len) << len;
    for (std::int32_t len : {16777217, 67108863, 67108864, 2147481599, 2147483646})
        EXPECT_EQ(total(split(len)), len) << len;
}

TEST(CheckDatFileSize, NegativeCountsTruncateTowardZeroAndLeaveTheRestZero) {
    EXPECT_EQ(split(-1), (Split{0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(split(-5000), (Split{-2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(split(std::numeric_limits<std::int32_t>::min()),
              (Split{-1048576, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
}

TEST(RoundValue, TruncatesTowardZeroAndRefusesWhatDoesNotFit) {
    auto rv = [](float f) {
        std::int32_t out = 12345;
        Round().RoundValue(f, out);
        return out;
    };
    EXPECT_EQ(rv(2.9f), 2);
    EXPECT_EQ(rv(0.75f), 0);
    EXPECT_EQ(rv(-2.9f), -2);
    EXPECT_EQ(rv(300.0f / 256.0f), 1);
    EXPECT_EQ(rv(-2147483648.0f), std::numeric_limits<std::int32_t>::min());
    EXPECT_THROW(rv(2147483648.0f), CommandFailure);
    EXPECT_THROW(rv(std::nanf("")), CommandFailure);
}

}  // namespace
}  // namespace z5
