#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "textfmt/columns.hpp"
#include "textfmt/numbers.hpp"
#include "textfmt/printform.hpp"

namespace z5 {
namespace {

template <void (*Pad)(std::string&)>
std::string padded(std::string s) {
    Pad(s);
    return s;
}

TEST(Columns, PadsShortTextsAndLeavesEmptyAndLongOnes) {
    EXPECT_EQ(padded<PadTo13>(numberText(INT32_MIN)), "  -2147483648");
    EXPECT_EQ(padded<PadTo13>("1234567890123"), "1234567890123");
    EXPECT_EQ(padded<PadTo13>("12345678901234"), "12345678901234");
    EXPECT_EQ(padded<PadTo13>("7"), "            7");
    EXPECT_EQ(padded<PadTo6>("100000"), "100000");
    EXPECT_EQ(padded<PadTo6>("12345"), " 12345");
    EXPECT_EQ(padded<PadTo6>(""), "");
    EXPECT_EQ(padded<PadTo5>("7"), "    7");
    EXPECT_EQ(padded<PadTo5>("12345"), "12345");
    EXPECT_EQ(padded<PadTo5>(""), "");
}

// Blanks, tabs and line feeds are ignored anywhere; then a sign, digits, a
// point and an exponent are read as far as they go, or &H / &O digits. A
// carriage return is not ignored: it stops reading. An exponent without
// digits is ignored; 9 is no octal digit; huge and tiny exponents neither
// crash nor wrap.
TEST(LeadingNumber, ReadsAsFarAsTheNumberGoes) {
    constexpr double kInf = std::numeric_limits<double>::infinity();
    // clang-format off
    const std::pair<const char*, double> cases[] = {
        {"1 2 3", 123}, {" \t-\n4 5 . 5", -45.5}, {"12abc", 12}, {"abc", 0}, {"", 0}, {"   ", 0},
        {"1\r2", 1}, {"+7", 7}, {"-.5", -0.5}, {".25x", 0.25}, {"1.5.3", 1.5}, {"1E3", 1000},
        {"1d3", 1000}, {"25E-1", 2.5}, {"2 E + 2", 200}, {"12E", 12}, {"12E+x", 12}, {"-", 0},
        {"--5", 0}, {".", 0}, {"0.000000000000000000000000000001", 1e-30},
        {"2147483647", 2147483647.0}, {"-2147483648", -2147483648.0}, {"&H10", 16}, {"&hff", 255},
        {"&O17", 15}, {"&O19", 1}, {"&H", 0}, {"&X1", 0}, {" & H 1 F", 31},
        {"999999999999999", 999999999999999.0}, {"-000000000000000000012", -12},
        {"12345678901234567890", 12345678901234567890.0}, {"1E400", kInf},
        {"-1E99999999999999999999", -kInf}, {"1E-400", 0}, {"0.0001E-99999999999", 0}};
    // clang-format on
    for (const auto& [text, value] : cases) EXPECT_EQ(LeadingNumber(text), value) << text;
    EXPECT_FALSE(roundTo<std::int32_t>(LeadingNumber("1E400")));
    EXPECT_TRUE(std::signbit(LeadingNumber("-0")));
    bool found = false;
    LeadingNumber("-7", &found);
    EXPECT_TRUE(found);
}

TEST(WholeInteger, TheWholeTextMustBeOneNumber) {
    EXPECT_EQ(wholeInteger<std::int32_t>("  -12  "), -12);
    EXPECT_EQ(wholeInteger<std::int32_t>("2.5"), 2);
    EXPECT_EQ(wholeInteger<std::int32_t>("+1.5E1"), 15);
    EXPECT_EQ(wholeInteger<std::int32_t>(".5d1"), 5);
    EXPECT_EQ(wholeInteger<std::int32_t>("&h1F"), 31);
    EXPECT_EQ(wholeInteger<std::int32_t>("&O17"), 15);
    for (const char* no : {"", " ", "1x", "1 2", "-", ".", "1E", "1E+", "&H", "&O8", "&X1", "\t1"})
        EXPECT_FALSE(wholeInteger<std::int32_t>(no)) << no;
    EXPECT_FALSE(wholeInteger<std::int32_t>("2147483648"));
    EXPECT_EQ(wholeInteger<std::int16_t>("-32768"), -32768);
    EXPECT_FALSE(wholeInteger<std::int16_t>("32767.5"));
}

// Halves go to the even neighbour; what does not fit is refused.
TEST(CheckedRounding, HalvesToEvenAndRangeChecked) {
    // clang-format off
    const std::pair<double, std::optional<std::int32_t>> to32[] = {
        {2.5, 2}, {3.5, 4}, {-2.5, -2}, {-0.4, 0}, {2147483647.4, 2147483647},
        {2147483647.5, std::nullopt}, {-2147483648.5, INT32_MIN}, {-2147483649.0, std::nullopt},
        {std::nan(""), std::nullopt}, {INFINITY, std::nullopt}};
    // clang-format on
    for (const auto& [value, rounded] : to32) EXPECT_EQ(roundTo<std::int32_t>(value), rounded);
    EXPECT_EQ(roundTo<std::int16_t>(32767.0), 32767);
    EXPECT_FALSE(roundTo<std::int16_t>(32767.5));
    EXPECT_EQ(roundTo<std::int16_t>(-32768.0), -32768);
    EXPECT_EQ(roundTo<std::uint8_t>(255.49), 255);
    EXPECT_FALSE(roundTo<std::uint8_t>(-1.0));
    EXPECT_EQ(roundTo<std::uint8_t>(-0.5), 0);
    EXPECT_EQ(narrowTo<std::int16_t>(32767), 32767);
    EXPECT_FALSE(narrowTo<std::int16_t>(32768));
    EXPECT_FALSE(narrowTo<std::uint8_t>(-1));
}

}  // namespace
}  // namespace z5
