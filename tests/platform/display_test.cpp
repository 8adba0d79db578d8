#include "platform/display.hpp"

#include <gtest/gtest.h>

namespace z5 {
namespace {

TEST(Display, ControlBytesAreEscapedAndEightBitBytesKept) {
    using namespace std::string_literals;
    const struct {
        std::string in, out;
    } cases[] = {
        {"", ""},
        {"Trk.def:12: bad value", "Trk.def:12: bad value"},
        {"a\r\nb\tc", "a\\x0d\\x0ab\\x09c"},
        {"\x1b[2Jx\x7f", "\\x1b[2Jx\\x7f"},
        {"\0\x1f "s, "\\x00\\x1f "},
        {"caf\xe9 \x80\xff", "caf\xe9 \x80\xff"},  // Windows-1252 letters stay
    };
    for (const auto& c : cases) {
        EXPECT_EQ(printableLine(c.in), c.out) << c.in;
        EXPECT_EQ(displayName(c.in), c.out) << c.in;
    }
}

TEST(Display, AbsurdlyLongNamesAreCut) {
    const std::string name64(64, 'n');
    EXPECT_EQ(displayName(name64), name64);
    EXPECT_EQ(displayName(name64 + "x"), std::string(60, 'n') + "...");
    // Cut by the characters of the name, then escaped.
    EXPECT_EQ(displayName(std::string(59, 'n') + "\n\n" + name64),
              std::string(59, 'n') + "\\x0a...");
    EXPECT_EQ(printableLine(name64 + name64), name64 + name64);
}

}  // namespace
}  // namespace z5
