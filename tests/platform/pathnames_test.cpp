#include "platform/pathnames.hpp"

#include <gtest/gtest.h>

#include "platform/failure.hpp"

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

// GetTrackName drops the folder and the extension; GetTrackName2 keeps the
// last part as it is. The forward slash separates where it is the native
// separator.
TEST(GetTrackName, LastPartOfThePath) {
    const struct {
        std::string (*get)(std::string);
        std::string path, expected;
    } cases[] = {
        {name, "C:\\GAME\\DATA\\TRACKS.DAT", "TRACKS"},
        {name, "TRACKS.DAT", "TRACKS"},
        {name, "C:\\DATA\\.DAT", ""},
        {name, "C:\\DATA\\\\A.DAT", "A"},  // two backslashes in a row
        {name2, "C:\\GAME\\SETUPS", "SETUPS"},
        {name2, "C:\\GAME\\", ""},
        {name2, "SETUPS", "SETUPS"},
        {name2, "", ""},
        {name2, std::string(32767, 'a'), std::string(32767, 'a')},
#ifdef _WIN32
        {name, "C:/game/a.dat", "a"},
#else
        {name, "/home/me/game/tracks.dat", "tracks"},
        {name2, "/home/me/game/setups", "setups"},
#endif
    };
    for (const auto& c : cases) EXPECT_EQ(c.get(c.path), c.expected) << c.path;
    // No extension, no name, or longer than 16-bit lengths allow.
    EXPECT_THROW(name("C:\\DATA\\DAT"), CommandFailure);
    EXPECT_THROW(name(""), CommandFailure);
    EXPECT_THROW(name2(std::string(40000, 'a')), CommandFailure);
}

}  // namespace
}  // namespace z5
