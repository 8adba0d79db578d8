#include "textfmt/pathnames.hpp"

#include <gtest/gtest.h>

#include "textfmt/failure.hpp"

namespace z5 {
namespace {

std::string name(std::string s) {
    GetTrackName().GetName(s);
    return s;
}
std::string name2(std::string s) {
    GetTrackName2().GetName(s);
    return s;
}

TEST(GetTrackName, DropsFolderAndExtension) {
    EXPECT_EQ(name("C:\\GAME\\DATA\\TRACKS.DAT"), "TRACKS");
    EXPECT_EQ(name("TRACKS.DAT"), "TRACKS");
    EXPECT_EQ(name("C:\\DATA\\.DAT"), "");
    EXPECT_EQ(name("C:\\DATA\\\\A.DAT"), "A");  // two backslashes in a row
    EXPECT_THROW(name("C:\\DATA\\DAT"), CommandFailure);
    EXPECT_THROW(name(""), CommandFailure);
}

TEST(GetTrackName, ForwardSlashSeparatesWhereItIsTheNativeSeparator) {
#ifdef _WIN32
    EXPECT_EQ(name("C:/game/a.dat"), "a");
#else
    EXPECT_EQ(name("/home/me/game/tracks.dat"), "tracks");
    EXPECT_EQ(name2("/home/me/game/setups"), "setups");
#endif
}

TEST(GetTrackName2, KeepsTheLastPartAsItIs) {
    EXPECT_EQ(name2("C:\\GAME\\SETUPS"), "SETUPS");
    EXPECT_EQ(name2("C:\\GAME\\"), "");
    EXPECT_EQ(name2("SETUPS"), "SETUPS");
    EXPECT_EQ(name2(""), "");
}

TEST(GetTrackName, RefusesPathsLongerThanSixteenBitLengths) {
    EXPECT_THROW(name2(std::string(40000, 'a')), CommandFailure);
    EXPECT_EQ(name2(std::string(32767, 'a')).size(), 32767u);
}

}  // namespace
}  // namespace z5
