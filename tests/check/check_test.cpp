// z5def check: errors for what a command refuses or reads otherwise than it
// stands, warnings for what an edit commonly breaks, named as a compiler
// names them, and nothing written.
#include "check/check.hpp"

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/paths.hpp"
#include "tests/cli/run.hpp"
#include "tests/support/rows.hpp"
#include "tests/support/support.hpp"

namespace z5 {
namespace {

namespace fs = std::filesystem;
using namespace test;

struct Check : ::testing::Test {
    TempFolder dir;

    // Decompiles the sample `name` into the folder `sub` of the test's.
    void decompile(const char* row, const char* name, const std::string& sub = "") {
        const std::string folder = sub.empty() ? dir.str() : dir.file(sub);
        fs::create_directories(folder);
        FakeHost host(folder);
        host.answer = joinPath(Z5_SAMPLES_DIR, name);
        ASSERT_EQ(runRow(row, host).status, Status::Done);
    }
    std::vector<std::string> lines(const std::string& name) {
        return splitCrlf(readFile(dir.file(name)));
    }
    void write(const std::string& name, const std::vector<std::string>& text) {
        writeFile(dir.file(name), joinCrlf(text));
    }
    // z5def check in the test's folder: its exit status and its lines.
    std::pair<int, std::vector<std::string>> check(std::vector<std::string> args) {
        args.insert(args.begin(), {"-C", dir.str(), "check"});
        const CliRun r = cli(args);
        EXPECT_EQ(r.err, "");
        return {r.status, splitLines(r.out, "\n")};
    }
};

TEST_F(Check, WhatTheDecompilersWriteHasNoError) {
    decompile("mnuTrkDecompile", "speedway.trk", "t");
    decompile("mnu3doDecompile", "wheel.3do", "o");
    decompile("mnuCamDecompile", "sample.cam", "c");
    decompile("mnuScrDecompile", "sample.scr", "c");
    decompile("mnuSetupDecompile", "sample.stg", "s");
    fs::copy_file(joinPath(Z5_SAMPLES_DIR, "oval.trk"), dir.file("oval.trk"));
    const auto before = folderFiles(dir.str(), true);
    // Six definition files and a binary; the folder stays as it was.
    EXPECT_EQ(check({}),
              (std::pair<int, std::vector<std::string>>{0, {"7 files: 0 errors, 0 warnings"}}));
    EXPECT_EQ(folderFiles(dir.str(), true), before);
}

TEST_F(Check, TrackSlipsAreErrorsAndABrokenChainWarnings) {
    decompile("mnuTrkDecompile", "speedway.trk");
    std::vector<std::string> text = lines("Trk.def");
    // The second section's Start moved on by 5: its Start breaks the chain
    // after the first, and the third's Start no longer follows it.
    std::size_t row = 0;
    int seen = 0;
    for (std::size_t i = 0; i < text.size(); ++i)
        if (text[i].starts_with("         Straight") || text[i].starts_with("         Turn"))
            if (++seen == 2) row = i;
    ASSERT_GT(row, 0u);
    const std::string start = text[row].substr(17, 13);
    const std::int64_t moved = std::stoll(start) + 5;
    const std::string movedText = std::to_string(moved);
    text[row].replace(17, 13, std::string(13 - movedText.size(), ' ') + movedText);
    text[9] = "Length:           4O000";
    write("Trk.def", text);
    const auto [status, out] = check({"Trk.def"});
    EXPECT_EQ(status, 1);
    ASSERT_EQ(out.size(), 5u);
    // In the order of the lines, whenever each was found.
    EXPECT_EQ(out[0],
              "Trk.def:10:19: error: the layout has a whole number here (the Length line); found "
              "\"4O000\", read as 4");
    EXPECT_NE(out[1].find("Trk.def:10:19: warning: Length is 4; it is usually the last section's "
                          "Start + Length"),
              std::string::npos)
        << out[1];
    const std::string column = std::to_string(31 - movedText.size());
    EXPECT_EQ(out[2].substr(0, out[2].find(" is ")), "Trk.def:" + std::to_string(row + 1) + ":" +
                                                         column + ": warning: Start of section 2");
    EXPECT_NE(out[2].find("it is usually section 1's Start + Length"), std::string::npos);
    EXPECT_NE(out[3].find("warning: Start of section 3 is"), std::string::npos);
    EXPECT_EQ(out[4], "1 file: 1 error, 3 warnings");
    // Warnings alone pass, unless --werror.
    text[9] = lines("Trk.def")[9].substr(0, 11) + "            4";
    write("Trk.def", text);
    EXPECT_EQ(check({}).first, 0);
    EXPECT_EQ(check({"--werror"}).first, 1);
}

TEST_F(Check, ObjectsReferencesKeysOutlinesAndTheRoot) {
    writeFile(dir.file("vertex.def"),
              crlf({"REM  Z5 DEF V1.0", "REM  Z5 Vertex File",
                    "REM  Includes PERP and MRON Sections", "", "", "VERTICES:", "     0  0 0 0",
                    "     1  1 0 0", "     1  0 1 0", "     3  0 0 1", "     1  5 5 5"}));
    writeFile(dir.file("flavor.def"),
              crlf({"REM  Z5 DEF V1.0", "REM  Z5 Vertex File",
                    "REM  Includes NRTS and PRIM Sections", "", "",
                    "FL02  4  0 0 2  0 9",   // an outline of 2 vertices, one unknown
                    "FL03  21  1 2 3",       // reached by nothing
                    "FL04  38  2  4 99"}));  // the root: the outline and no flavor 99
    const auto [status, out] = check({});
    EXPECT_EQ(status, 0);
    EXPECT_EQ(out, (std::vector<std::string>{
                       "vertex.def:9:1: warning: vertex 1 is also on line 8; references to it go "
                       "to that line",
                       "vertex.def:11:1: warning: vertex 1 is also on line 8; references to it go "
                       "to that line",
                       "flavor.def:6:1: warning: FL02 at offset 4 refers to vertex 9, which no "
                       "line of vertex.def carries",
                       "flavor.def:6:1: warning: FL02 at offset 4 is an outline of 2 vertices; an "
                       "outline needs three to be a face",
                       "flavor.def:7:1: warning: FL03 at offset 21 is not reached from the root "
                       "(the last flavor, FL04 at offset 38)",
                       "flavor.def:8:1: warning: FL04 at offset 38 refers to a flavor at offset "
                       "99, which no line of flavor.def carries",
                       "2 files: 0 errors, 6 warnings"}));
}

TEST_F(Check, WorkspacesBinariesAndPathsThatCannotBeRead) {
    fs::create_directories(dir.file("ws"));
    fs::create_directories(dir.file("cut"));
    // D.BIN is a name more than the count says.
    writeFile(dir.file("ws/dattext.pck"),
              crlf({"game", " 3 ", "A.TRK", "B.BIN", "C.CAM", "D.BIN"}));
    decompile("mnuTrkDecompile", "speedway.trk", "ws/A.TRK.def");
    fs::copy_file(joinPath(Z5_SAMPLES_DIR, "speedway.trk"), dir.file("ws/A.TRK"));
    writeFile(dir.file("ws/B.BIN"), "x");
    // Binaries cut short or of another kind, in a folder of their own: named
    // once, at the byte the reason names.
    const std::string oval = readFile(joinPath(Z5_SAMPLES_DIR, "oval.trk"));
    writeFile(dir.file("cut/short.trk"), oval.substr(0, 40));
    writeFile(dir.file("cut/other.trk"), "XART" + oval.substr(4));
    writeFile(dir.file("cut/wheel.3do"),
              readFile(joinPath(Z5_SAMPLES_DIR, "wheel.3do")).substr(0, 61));
    auto [status, out] = check({"ws", "cut", "missing", "ws/B.BIN"});
    EXPECT_EQ(status, 1);
    ASSERT_EQ(out.size(), 9u);
    EXPECT_EQ(out[0], joinPath("ws", "dattext.pck") +
                          ":2:1: error: the member count is 3, but 4 names follow it; those "
                          "after the first 3 are left out");
    out.erase(out.begin());
    EXPECT_EQ(out[0], joinPath("ws", "dattext.pck") +
                          ": error: A.TRK: both the member file and the folder A.TRK.def are in "
                          "the workspace; build takes neither");
    EXPECT_EQ(out[1], joinPath("ws", "dattext.pck") +
                          ": error: C.CAM: neither the member file nor a folder C.CAM.def is in "
                          "the workspace");
    EXPECT_EQ(out[2], joinPath("cut", "other.trk") +
                          ": error: not a track: it begins with \"XART\", not \"KART\"");
    EXPECT_EQ(out[3], joinPath("cut", "short.trk") +
                          ": byte 28: error: E-line table: the file ends after 40 bytes, inside "
                          "the ten E-line values");
    EXPECT_EQ(out[4], joinPath("cut", "wheel.3do") +
                          ": byte 61: error: ends at byte 61, inside vertex 3 of 48 (PERP at "
                          "byte 12)");
    EXPECT_EQ(out[5], "missing: error: no such file or folder");
    EXPECT_EQ(out[6], std::string("ws/B.BIN") +  // as given
                          ": error: not a binary of a known kind, a definition file or a folder");
    // The member file, its Trk.def and the three binaries were read.
    EXPECT_EQ(out[7], "5 files: 8 errors, 0 warnings");
    // A usage error is exit 2.
    EXPECT_EQ(cli({"check", "-j", "0"}).status, 2);
}

}  // namespace
}  // namespace z5
