#include "platform/paths.hpp"

#include <gtest/gtest.h>

#include <functional>

#include "platform/encoding.hpp"
#include "platform/failure.hpp"
#include "tests/support/support.hpp"

namespace z5 {
namespace {

using test::TempFolder;
using test::writeFile;

TEST(Paths, JoinNeverDoublesOrDropsTheSeparator) {
    const std::string sep(1, kNativeSeparator);
    EXPECT_EQ(joinPath("/work", "Trk.def"), "/work" + sep + "Trk.def");
    EXPECT_EQ(joinPath("/", "Trk.def"), "/Trk.def");
    EXPECT_EQ(joinPath("", "Trk.def"), "Trk.def");
#ifdef _WIN32
    EXPECT_EQ(joinPath("C:\\", "Trk.def"), "C:\\Trk.def");
#endif
}

TEST(Paths, FixedInputNamesIgnoreLetterCase) {
    TempFolder dir;
    writeFile(dir.file("cam.def"), "x");
    EXPECT_EQ(findInFolder(dir.str(), "Cam.def"), dir.file("cam.def"));
    EXPECT_EQ(findInFolder(dir.str(), "Scr.def"), dir.file("Scr.def"));  // missing: plain join
    EXPECT_EQ(findInFolder(dir.file("no-such-folder"), "a"),
              joinPath(dir.file("no-such-folder"), "a"));
#ifdef _WIN32
    // One file in any letter case: writing Cam.def writes cam.def.
    writeFile(dir.file("Cam.def"), "y");
    EXPECT_EQ(findInFolder(dir.str(), "CAM.DEF"), dir.file("cam.def"));
    EXPECT_EQ(test::folderNames(dir.str()), std::vector<std::string>{"cam.def"});
#else
    // An older Cam.def beside the decompiler's cam.def: which one holds the
    // edits cannot be known, so neither is read.
    writeFile(dir.file("Cam.def"), "y");
    try {
        findInFolder(dir.str(), "CAM.DEF");
        FAIL() << "two variants must be refused";
    } catch (const CommandFailure& e) {
        EXPECT_EQ(std::string(e.what()), "CAM.DEF is ambiguous: both Cam.def and cam.def are in " +
                                             dir.str() + "; remove or rename one of them");
    }
#endif
}

TEST(Paths, NamesFromInsideFilesMustBePlain) {
    for (const char* good : {"ONE.TXT", "..a", ".a", "a b", "CONSOLE.TXT", "COM0", "COM10.TXT",
                             "LPT", "NULL", "AUX1", "caf\xE9 ~#$%&'()+,;=@[]^`{}.txt", "\x7F\xFF"})
        EXPECT_NO_THROW(requirePlainName(good, "member")) << good;
    // What would leave the folder, and what Windows cannot create, on every system.
    const char* device = "is a device name on Windows";
    // clang-format off
    const std::pair<std::string, std::string> bad[] = {
        {"", "is empty"}, {".", "is not a file name"}, {"..", "is not a file name"},
        {"..\\x", "holds a path separator"}, {"../x", "holds a path separator"},
        {"/tmp/x", "holds a path separator"}, {"a\\b", "holds a path separator"},
        {"c:x", "holds a drive colon"}, {std::string("a.stg\0x", 7), "holds a zero byte"},
        {"a\tb", "holds a control character"}, {"a\r\nb", "holds a control character"},
        {"\x1f", "holds a control character"},
        {"a<b", "holds \"<\", which Windows does not allow in file names"}, {"a>b", "holds \">\""},
        {"say\"hi\"", "holds \"\"\""}, {"a|b", "holds \"|\""}, {"a?.txt", "holds \"?\""},
        {"*.dat", "holds \"*\""},
        {"trail.", "ends with a dot or blank, which Windows drops from file names"},
        {"trail ", "ends with a dot or blank"}, {"CON", device}, {"con.txt", device},
        {"Nul.tar.gz", device}, {"aux", device}, {"PRN.DAT", device}, {"COM1", device},
        {"com9.stg", device}, {"LPT5.TXT", device}, {"lpt\xB9", device} /* superscript one */,
        {"CON .TXT", device}};
    // clang-format on
    for (const auto& [name, reason] : bad) {
        try {
            requirePlainName(name, "member");
            ADD_FAILURE() << "accepted: " << name;
        } catch (const CommandFailure& e) {
            EXPECT_NE(std::string(e.what()).find("\" " + reason), std::string::npos) << e.what();
        }
    }
    try {
        requirePlainName("../x", "member name");
    } catch (const CommandFailure& e) {
        EXPECT_STREQ(e.what(), "member name \"../x\" holds a path separator");
    }
    // A name from inside a file is quoted escaped and cut to one short line.
    try {
        requirePlainName("\x1b[2J/" + std::string(100, 'a'), "setup name");
    } catch (const CommandFailure& e) {
        EXPECT_EQ(std::string(e.what()),
                  "setup name \"\\x1b[2J/" + std::string(55, 'a') + "...\" holds a path separator");
    }
}

// Every byte of a name maps to one character and back; nothing else maps.
TEST(Paths, Windows1252IsARoundTripForEveryByte) {
    std::string all;
    for (int b = 1; b < 256; ++b) all += static_cast<char>(b);
    EXPECT_EQ(utf8ToWindows1252(windows1252ToUtf8(all)), all);
    const std::pair<std::string, std::string> known[] = {
        {"Pistes \xE9t\xE9", "Pistes \u00E9t\u00E9"},
        {"\x80\x8A\x9F", "\u20AC\u0160\u0178"},
        {"\x81\x8D\x8F\x90\x9D", "\u0081\u008D\u008F\u0090\u009D"},  // unassigned
        {"\xA0\xFF", "\u00A0\u00FF"},
    };
    for (const auto& [bytes, text] : known) {
        EXPECT_EQ(windows1252ToUtf8(bytes), text);
        EXPECT_EQ(utf8ToWindows1252(text), bytes);
    }
    for (const std::string text : {"\u30C8\u30E9\u30C3\u30AF", "\u0100", "\u0080", "\U0001F600",
                                   "\xE9", "\xC3", "\xC0\xA9", "\xE0\x80\xA9", "\xC3\x28"})
        EXPECT_FALSE(utf8ToWindows1252(text)) << text;
}

// Names from inside files become parts of paths and back: through code page
// 1252 on Windows, as the same bytes elsewhere.
TEST(Paths, NamesAndPathsMeetThroughTheCodePage) {
#ifdef _WIN32
    EXPECT_EQ(nameToPath("caf\xE9.txt"), "caf\u00E9.txt");
    EXPECT_EQ(pathToName("caf\u00E9", "setup name"), "caf\xE9");
    try {
        pathToName("\u30C8\u30E9\u30C3\u30AF", "folder name");
        ADD_FAILURE() << "a name without a Windows-1252 form must be refused";
    } catch (const CommandFailure& e) {
        EXPECT_STREQ(e.what(),
                     "folder name \"\u30C8\u30E9\u30C3\u30AF\" has a character that names in files "
                     "cannot hold (they are Windows-1252)");
    }
#else
    for (const std::string bytes : {"caf\xE9.txt", "\u30C8\u30E9\u30C3\u30AF", "\xFF\xFE"}) {
        EXPECT_EQ(nameToPath(bytes), bytes);
        EXPECT_EQ(pathToName(bytes, "setup name"), bytes);
    }
#endif
    // A name is found in a folder through its file name there, in any case
    // of its ASCII letters (on Windows of every letter, as its file system
    // finds names).
    TempFolder dir;
    const std::string file = dir.file(nameToPath("Caf\xE9.stg"));
    writeFile(file, "x");
    EXPECT_EQ(findInFolder(dir.str(), "CAF\xE9.STG"), file);
#ifdef _WIN32
    EXPECT_EQ(findInFolder(dir.str(), "CAF\xC9.STG"), file);
#endif
}

}  // namespace
}  // namespace z5
