#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <filesystem>

#include "tests/support/rows.hpp"
#include "tests/support/support.hpp"

namespace z5 {
namespace {

using namespace test;

// A decompiler/compiler pair: the chosen file, its text, the compiled file.
struct Converter {
    const char *input, *def, *output;
    std::string_view decompile;
    std::string_view compile;
};
const Converter kCam{"x.cam", "cam.def", "New.cam", "mnuCamDecompile", "mnuCamCompile"};
const Converter kScr{"x.scr", "scr.def", "New.scr", "mnuScrDecompile", "mnuScrCompile"};

struct CameraTest : ::testing::Test {
    // The lines of the text decompiled from `bytes`.
    std::vector<std::string> decompile(const Converter& c, std::string_view bytes) {
        writeFile(dir.file(c.input), bytes);
        host.answer = dir.file(c.input);
        const Outcome o = runRow(c.decompile, host);
        EXPECT_EQ(o.status, Status::Done) << o.reason;
        return splitCrlf(readFile(dir.file(c.def)));
    }
    // Compiles `lines` (the text as it stands when not given): the compiled
    // bytes, or the failure reason.
    std::string compile(const Converter& c, const std::vector<std::string>& lines = {}) {
        if (!lines.empty()) writeFile(dir.file(c.def), joinCrlf(lines));
        const Outcome o = runRow(c.compile, host);
        return o.status == Status::Done ? readFile(dir.file(c.output)) : o.reason;
    }

    TempFolder dir;
    FakeHost host{dir.str()};
};

// A .cam file: the camera count and 9 values each, the 10-value section 2
// record, the position count and 12 values each.
std::string camFile(const std::vector<std::vector<std::int32_t>>& cameras,
                    const std::vector<std::vector<std::int32_t>>& positions = {}) {
    Bytes b;
    b.i32(static_cast<std::int32_t>(cameras.size()));
    for (const auto& c : cameras)
        for (auto v : c) b.i32(v);
    for (std::int32_t v : {INT_MIN, 1, -2, 3, -4, 5, -6, 7, -8, INT_MAX}) b.i32(v);
    b.i32(static_cast<std::int32_t>(positions.size()));
    for (const auto& p : positions)
        for (auto v : p) b.i32(v);
    return b.str();
}

// A .scr file: camera types, the two counts, then four values per camera.
std::string scrFile(std::int32_t types, std::int32_t tv1, std::int32_t tv2, int cameras) {
    Bytes b;
    b.i32(types).i32(tv1).i32(tv2);
    for (std::int32_t v = 1; v <= 4 * cameras; ++v) b.i32(v % 2 ? v : -v);
    return b.str();
}

const std::string kBothCam = camFile(
    {{1, 2, 3, 4, 5, 6, 7, 8, 9}, {9, 8, 7, 6, 5, 4, 3, 2, INT_MIN}},
    {{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}, {INT_MAX, 0, 0, 0, 0, 0, 0, 0, 0, -10, -11, -12}});

TEST_F(CameraTest, DecompiledTexts) {
    // clang-format off
    EXPECT_EQ(decompile(kCam, camFile({})), (std::vector<std::string>{
        "Camera File", "Allows you to alter, add and delete positions",
        "When adding or deleting, be sure to increase the TV1 or TV2 positions",
        "Be certain SCR file matches Cam file", "", "", "Number of Cameras:              0", "", "",
        "Section 2 Camera Position", "=========================", "Number:    -2147483648",
        "Value 1:             1", "Value 2:            -2", "Value 3:             3",
        "Value 4:            -4", "Value 5:             5", "Value 6:            -6",
        "Value 7:             7", "Value 8:            -8", "Value 9:    2147483647", "", "",
        "Section 3 Camera Positions", "==========================", "", "",
        "Number of Camera Positions:            0", ""}));
    // clang-format on
    const std::vector<std::string> cam = decompile(kCam, kBothCam);
    ASSERT_EQ(cam.size(), 9u + 2 * 14 + 14 + 4 + 2 + 2 * 17);
    EXPECT_EQ(cam[23], "Camera Position: 2");
    EXPECT_EQ(cam[34], "Value 9:   -2147483648");
    EXPECT_EQ(cam[cam.size() - 5], "Value 10:          -10");

    EXPECT_EQ(decompile(kScr, scrFile(-5, 0, 0, 0)),
              (std::vector<std::string>{
                  "SCR File", "Allows you to alter, add and delete positions",
                  "When adding or deleting, be sure to increase the TV1 or TV2 positions", "", "",
                  "Camera Types:             -5", "TV 1 Cameras:              0",
                  "TV 2 Cameras:              0", "", ""}));
    const std::vector<std::string> scr = decompile(kScr, scrFile(3, 2, 1, 3));
    ASSERT_EQ(scr.size(), 31u);
    EXPECT_EQ(std::vector(scr.begin() + 24, scr.end()),
              (std::vector<std::string>{"TV 2 Camera:", "============", "Value 1:              9",
                                        "Value 2:            -10", "Value 3:             11",
                                        "Value 4:            -12", ""}));
    EXPECT_EQ(host.filters,
              (std::vector<std::string>{"Cam Files(*.cam)|*.cam", "Cam Files(*.cam)|*.cam",
                                        "SCR Files(*.scr)|*.scr", "SCR Files(*.scr)|*.scr"}));
}

// Decompiled and compiled back, a file gives its bytes again, without the
// bytes after its last record; the text needs no lines after its last value.
// Counts below zero mean no blocks and are carried through as they are.
TEST_F(CameraTest, RoundTrips) {
    // The converter, the records, bytes after them, empty lines at the end.
    const std::tuple<const Converter*, std::string, std::string, long> cases[] = {
        {&kCam, camFile({}), "", 0},
        {&kCam, kBothCam, "trailing", 2},
        {&kCam, Bytes().i32(-3).fill(40, 7).i32(INT_MIN).str(), "", 0},
        {&kScr, scrFile(-5, 0, 0, 0), "", 0},
        {&kScr, scrFile(3, 2, 1, 3), "more", 1},
        {&kScr, scrFile(0, -1, INT_MIN, 0), "", 0},
    };
    for (const auto& [c, records, after, emptyLines] : cases) {
        host.notices.clear();
        const std::vector<std::string> lines = decompile(*c, records + after);
        EXPECT_EQ(compile(*c), records) << c->def << ", " << lines.size() << " lines";
        EXPECT_EQ(compile(*c, {lines.begin(), lines.end() - emptyLines}), records);
        // The bytes after the records are warned of.
        const std::string last = c == &kCam ? "the section 3 positions" : "the TV 2 cameras";
        EXPECT_EQ(host.notices,
                  after.empty()
                      ? std::vector<std::string>{}
                      : std::vector<std::string>{dir.file(c->input) +
                                                 ": warning: " + std::to_string(after.size()) +
                                                 " bytes after " + last +
                                                 " are not kept; compiling gives a shorter file"});
    }
}

TEST_F(CameraTest, CompilerReadsTheLastTwelveCharacters) {
    std::vector<std::string> lines = decompile(kCam, camFile({{1, 2, 3, 4, 5, 6, 7, 8, 9}}));
    lines[9] = "labels are not read";
    lines[12] = "Value 1:           2.5";
    lines[13] = "Value 2:           3.5";
    lines[14] = "Value 3: 42";  // shorter than 12: the label is read too
    lines[15] = "Value 4:" + std::string(30, ' ') + "42";
    lines[16] = "Value 5: -7000000000042";  // only the part inside the last 12
    lines[17] = "Value 6:         -2.5";
    EXPECT_EQ(compile(kCam, lines), camFile({{2, 4, 0, 42, 42, -2, 7, 8, 9}}));
}

TEST_F(CameraTest, CountLimits) {
    // The largest count in a short file, read leniently with zeros past its end.
    host.reading = Strictness::Lenient;
    const std::vector<std::string> most = decompile(kCam, Bytes().i32(32767).str());
    EXPECT_EQ(std::count(most.begin(), most.end(), "===================="), 32767);
    EXPECT_EQ(host.notices, std::vector<std::string>{
                                dir.file("x.cam") +
                                ": warning: ends at byte 4, before camera position 1 of 32767; "
                                "read with zeros past its end (--lenient)"});
    host.reading = Strictness::Standard;

    writeFile(dir.file("x.cam"), Bytes().i32(0).fill(40).i32(32768).str());
    EXPECT_EQ(runRow("mnuCamDecompile", host).reason,
              dir.file("x.cam") + ": byte 48: camera position count 32768 is above 32767");
}

// A file shorter than its counts say is refused, naming the record it ends
// in, and writes nothing.
TEST_F(CameraTest, CutShortFilesAreRefused) {
    const std::string scr = scrFile(3, 2, 1, 3);
    const std::tuple<const Converter*, std::string, std::string> cases[] = {
        {&kCam, "", "ends at byte 0, inside the camera count"},
        {&kCam, kBothCam.substr(0, 50), "ends at byte 50, inside camera position 2 of 2"},
        {&kCam, kBothCam.substr(0, 100), "ends at byte 100, inside the section 2 record"},
        {&kCam, kBothCam.substr(0, kBothCam.size() - 1),
         "ends at byte 215, inside section 3 position 2 of 2"},
        {&kScr, scr.substr(0, 8), "ends at byte 8, inside the 12-byte header"},
        {&kScr, scr.substr(0, 30), "ends at byte 30, inside TV 1 camera 2 of 2"},
        {&kScr, scr.substr(0, 44), "ends at byte 44, before TV 2 camera 1 of 1"},
    };
    for (const auto& [c, bytes, where] : cases) {
        writeFile(dir.file(c->input), bytes);
        host.answer = dir.file(c->input);
        EXPECT_EQ(runRow(c->decompile, host).reason, dir.file(c->input) + " " + where);
        EXPECT_FALSE(fileExists(dir.file(c->def))) << where;
    }
    // Under --strict, bytes after the records are an error: nothing is written.
    host.reading = Strictness::Strict;
    writeFile(dir.file("x.scr"), scr + "more");
    host.answer = dir.file("x.scr");
    EXPECT_EQ(runRow("mnuScrDecompile", host).reason,
              "1 departure from the layout under --strict; nothing was written");
    EXPECT_FALSE(fileExists(dir.file("scr.def")));
}

// Failed compiles name the line.
TEST_F(CameraTest, CompileFailures) {
    const std::vector<std::string> cam = decompile(kCam, camFile({{1, 2, 3, 4, 5, 6, 7, 8, 9}}));
    const std::vector<std::string> scr = decompile(kScr, scrFile(3, 2, 1, 3));
    auto edited = [](std::vector<std::string> lines, std::size_t index, std::string_view tail) {
        lines[index].replace(lines[index].size() - tail.size(), tail.size(), tail);
        return lines;
    };
    const std::tuple<const Converter*, std::vector<std::string>, std::string> cases[] = {
        {&kCam, edited(cam, 6, "32768"), "cam.def:7: camera count 32768 is above 32767"},
        {&kCam, edited(cam, 14, "2147483648"),
         "cam.def:15: Value 3 of camera 1: \"2147483648\" is outside the 32-bit range"},
        // A count above the blocks present: the section 2 values are read as
        // the second camera, then the file ends; the reason names the count.
        {&kCam, edited(cam, 6, "2"),
         "cam.def:44: the file ends early; expected Value 4 of section 2; the camera count on "
         "line 7 says 2"},
        {&kScr, edited(scr, 7, "32768"), "scr.def:8: TV 2 camera count 32768 is above 32767"},
        // The TV 2 block is read as the third TV 1 camera.
        {&kScr, edited(scr, 6, "3"),
         "scr.def:32: the file ends early; expected Value 1 of TV 2 camera 1; the TV 1 camera "
         "count on line 7 says 3"},
    };
    for (const auto& [c, lines, reason] : cases) EXPECT_EQ(compile(*c, lines), reason);

    // The definitions in another letter case are named as the folder spells
    // them.
    std::filesystem::remove(dir.file("cam.def"));
    writeFile(dir.file("CAM.Def"), joinCrlf(edited(cam, 6, "32768")));
    EXPECT_EQ(compile(kCam), "CAM.Def:7: camera count 32768 is above 32767");
}

// Slips in cam.def and scr.def are named at their line and column, and the
// file is read by position as always.
TEST_F(CameraTest, SlipsAreNamedWhereTheyStand) {
    std::vector<std::string> cam = decompile(kCam, kBothCam);
    cam[13] = "Value 2:          &H10";   // camera 1, value 2
    cam[16] = "Value5:               5";  // camera 1, value 5
    const std::string read = compile(kCam, cam);
    EXPECT_EQ(valueAt(read, 8), 16);
    EXPECT_EQ(read, [] {
        std::string bytes = kBothCam;
        bytes.replace(8, 4, Bytes().i32(16).str());
        return bytes;
    }());
    std::vector<std::string> lines;
    for (const Diagnostic& d : host.diagnostics) lines.push_back(diagnosticLine(d));
    EXPECT_EQ(lines, (std::vector<std::string>{
                         "cam.def:14:19: warning: the layout has a whole number here (Value 2 of "
                         "camera 1); found \"&H10\", read as 16",
                         "cam.def:17:1: warning: the layout has the label \"Value 5:\" here; found "
                         "\"Value5:\""}));

    // A count above the blocks: named at its line, and the reason of the
    // reading that then runs past the end names it too.
    cam = decompile(kCam, kBothCam);
    cam[6] = "Number of Cameras:              3";
    host.diagnostics.clear();
    EXPECT_EQ(compile(kCam, cam),
              "cam.def:" + std::to_string(cam.size() + 1) +
                  ": the file ends early; expected Value 1 of camera position 2; the camera "
                  "count on line 7 says 3");
    ASSERT_FALSE(host.diagnostics.empty());
    EXPECT_EQ(diagnosticLine(host.diagnostics[0]),
              "cam.def:7:33: warning: the camera count is 3; 2 \"Camera Position:\" blocks "
              "follow");

    // Scripts: both counts are read in place, so both are named; a block
    // more than TV 2's count stands where the file should end.
    std::vector<std::string> scr = decompile(kScr, scrFile(3, 2, 1, 3));
    scr[6] = "TV 1 Cameras:              1";
    scr[7] = "TV 2 Cameras:              2";
    host.diagnostics.clear();
    EXPECT_EQ(compile(kScr, scr).size(), 12u + 3 * 16);
    ASSERT_GE(host.diagnostics.size(), 2u);
    EXPECT_EQ(host.diagnostics[0].message,
              "the TV 1 camera count is 1; 2 \"TV 1 Camera:\" blocks follow");
    EXPECT_EQ(host.diagnostics[1].message,
              "the TV 2 camera count is 2; 1 \"TV 2 Camera:\" blocks follow");
    EXPECT_EQ(host.diagnostics[1].line, 8);

    // Under --strict nothing is written.
    host.reading = Strictness::Strict;
    writeFile(dir.file("New.scr"), "old");
    EXPECT_NE(compile(kScr, scr).find("departures from the layout under --strict"),
              std::string::npos);
    EXPECT_EQ(readFile(dir.file("New.scr")), "old");
}

}  // namespace
}  // namespace z5
