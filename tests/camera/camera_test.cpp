#include <gtest/gtest.h>

#include <climits>

#include "commands/handlers.hpp"
#include "tests/support/support.hpp"

namespace z5 {
namespace {

using namespace test;

// One decompiler/compiler pair run in a scratch working folder.
struct ConverterPair {
    std::string input, def, output;  // chosen file, definition file, compiler output
    Outcome (*decompile)(Host&);
    Outcome (*compile)(Host&);
};

struct PairFixture : ::testing::Test {
    explicit PairFixture(ConverterPair pair) : pair_(std::move(pair)) {}

    // Decompiles `bytes`; returns the definition file.
    std::string decompile(std::string_view bytes) {
        writeFile(dir.file(pair_.input), bytes);
        host.answer = dir.file(pair_.input);
        const Outcome o = pair_.decompile(host);
        EXPECT_EQ(o.status, Status::Done) << o.reason;
        return readFile(dir.file(pair_.def));
    }
    // Compiles `lines` (the definition file as it stands when not given).
    Outcome compile(const std::vector<std::string>& lines) {
        writeFile(dir.file(pair_.def), joinCrlf(lines));
        return compile();
    }
    Outcome compile() { return pair_.compile(host); }
    std::string compiled() const { return readFile(dir.file(pair_.output)); }

    TempFolder dir;
    FakeHost host{dir.str()};
    ConverterPair pair_;
};

// A .cam file: camera count and 9 values each, the 10-value section 2
// record, position count and 12 values each.
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

struct CamFixture : PairFixture {
    CamFixture()
        : PairFixture({"x.cam", "cam.def", "New.cam", mnuCamDecompile_Click, mnuCamCompile_Click}) {
    }
};

TEST_F(CamFixture, TextOfAFileWithoutBlocksAndRoundTrips) {
    const std::string bytes = camFile({});
    ASSERT_EQ(bytes.size(), 48u);
    // clang-format off
    EXPECT_EQ(decompile(bytes), crlf({
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
    EXPECT_EQ(host.filters, std::vector<std::string>{"Cam Files(*.cam)|*.cam"});
    ASSERT_EQ(compile().status, Status::Done);
    EXPECT_EQ(compiled(), bytes);

    // Blocks of both sections.
    const std::string both =
        camFile({{1, 2, 3, 4, 5, 6, 7, 8, 9}, {9, 8, 7, 6, 5, 4, 3, 2, INT_MIN}},
                {{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12},
                 {INT_MAX, 0, 0, 0, 0, 0, 0, 0, 0, -10, -11, -12}});
    const std::vector<std::string> lines = splitCrlf(decompile(both + "trailing"));
    ASSERT_EQ(lines.size(), 9u + 2 * 14 + 14 + 4 + 2 + 2 * 17);
    EXPECT_EQ(lines[23], "Camera Position: 2");
    EXPECT_EQ(lines[34], "Value 9:   -2147483648");
    EXPECT_EQ(lines[lines.size() - 5], "Value 10:          -10");
    ASSERT_EQ(compile().status, Status::Done);
    EXPECT_EQ(compiled(), both);  // trailing bytes belong to no record
    // The last block needs no empty lines after its values.
    ASSERT_EQ(compile({lines.begin(), lines.end() - 2}).status, Status::Done);
    EXPECT_EQ(compiled(), both);

    // Counts below zero mean no blocks and are carried through as they are.
    const std::string negative = Bytes().i32(-3).fill(40, 7).i32(INT_MIN).str();
    EXPECT_EQ(splitCrlf(decompile(negative)).size(), 29u);
    ASSERT_EQ(compile().status, Status::Done);
    EXPECT_EQ(compiled(), negative);
}

TEST_F(CamFixture, CompilerReadsTheLastTwelveCharacters) {
    std::vector<std::string> lines = splitCrlf(decompile(camFile({{1, 2, 3, 4, 5, 6, 7, 8, 9}})));
    lines[9] = "labels are not read";
    lines[12] = "Value 1:           2.5";
    lines[13] = "Value 2:           3.5";
    lines[14] = "Value 3: 42";  // shorter than 12: the label is read too
    lines[15] = "Value 4:" + std::string(30, ' ') + "42";
    lines[16] = "Value 5: -7000000000042";  // only the part inside the last 12
    lines[17] = "Value 6:         -2.5";
    ASSERT_EQ(compile(lines).status, Status::Done);
    EXPECT_EQ(compiled(), camFile({{2, 4, 0, 42, 42, -2, 7, 8, 9}}));
}

TEST_F(CamFixture, CountLimitsAndCompileFailures) {
    // The largest count; the file is short and reads as zeros past its end.
    const std::vector<std::string> most = splitCrlf(decompile(Bytes().i32(32767).str()));
    ASSERT_EQ(most.size(), 9u + 32767u * 14 + 14 + 4 + 2);
    EXPECT_EQ(most[9 + 32766 * 14], "Camera Position: 32767");

    writeFile(dir.file("x.cam"), Bytes().i32(0).fill(40).i32(32768).str());
    EXPECT_EQ(mnuCamDecompile_Click(host).reason,
              dir.file("x.cam") + ": byte 48: camera position count 32768 is above 32767");

    // Compile failures name the line.
    const std::vector<std::string> lines =
        splitCrlf(decompile(camFile({{1, 2, 3, 4, 5, 6, 7, 8, 9}})));
    std::vector<std::string> edited = lines;
    edited[6].replace(edited[6].size() - 5, 5, "32768");
    EXPECT_EQ(compile(edited).reason, "Cam.def:7: camera count 32768 is above 32767");
    edited = lines;
    edited[14] = "Value 3:    2147483648";
    EXPECT_EQ(compile(edited).reason,
              "Cam.def:15: Value 3 of camera 1: \"2147483648\" is outside the 32-bit range");

    // A count above the blocks present: the section 2 values are read as the
    // second camera, then the file ends; the last good output stays.
    writeFile(dir.file("New.cam"), std::string(1000, 'x'));
    edited = lines;
    edited[6].back() = '2';
    EXPECT_EQ(compile(edited).reason, "Cam.def:" + std::to_string(lines.size() + 1) +
                                          ": the file ends early; expected Value 4 of section 2");
    EXPECT_EQ(compiled(), std::string(1000, 'x'));
}

// A .scr file: camera types, the two counts, then four values per camera.
std::string scrFile(std::int32_t types, std::int32_t tv1, std::int32_t tv2, int cameras) {
    Bytes b;
    b.i32(types).i32(tv1).i32(tv2);
    for (std::int32_t v = 1; v <= 4 * cameras; ++v) b.i32(v % 2 ? v : -v);
    return b.str();
}

struct ScrFixture : PairFixture {
    ScrFixture()
        : PairFixture({"x.scr", "scr.def", "New.scr", mnuScrDecompile_Click, mnuScrCompile_Click}) {
    }
};

TEST_F(ScrFixture, HeaderOnlyTextAndTwoFeedsRoundTrip) {
    const std::string bytes = scrFile(-5, 0, 0, 0);
    EXPECT_EQ(decompile(bytes),
              crlf({"SCR File", "Allows you to alter, add and delete positions",
                    "When adding or deleting, be sure to increase the TV1 or TV2 positions", "", "",
                    "Camera Types:             -5", "TV 1 Cameras:              0",
                    "TV 2 Cameras:              0", "", ""}));
    EXPECT_EQ(host.filters, std::vector<std::string>{"SCR Files(*.scr)|*.scr"});
    ASSERT_EQ(compile().status, Status::Done);
    EXPECT_EQ(compiled(), bytes);

    // Both feeds: trailing bytes belong to no record.
    const std::string two = scrFile(3, 2, 1, 3);
    ASSERT_EQ(two.size(), 60u);
    const std::vector<std::string> lines = splitCrlf(decompile(two + "more"));
    ASSERT_EQ(lines.size(), 31u);
    const std::vector<std::string> tv2(lines.begin() + 24, lines.end());
    EXPECT_EQ(tv2,
              (std::vector<std::string>{"TV 2 Camera:", "============", "Value 1:              9",
                                        "Value 2:            -10", "Value 3:             11",
                                        "Value 4:            -12", ""}));
    ASSERT_EQ(compile().status, Status::Done);
    EXPECT_EQ(compiled(), two);
    // The last block needs no empty line after its values.
    ASSERT_EQ(compile({lines.begin(), lines.end() - 1}).status, Status::Done);
    EXPECT_EQ(compiled(), two);

    // Counts below zero mean no blocks and are carried through as they are.
    const std::string negative = scrFile(0, -1, INT_MIN, 0);
    EXPECT_EQ(splitCrlf(decompile(negative)).size(), 10u);
    ASSERT_EQ(compile().status, Status::Done);
    EXPECT_EQ(compiled(), negative);
}

TEST_F(ScrFixture, CountRaisedWithoutABlockRunsOutOfLines) {
    std::vector<std::string> lines = splitCrlf(decompile(scrFile(3, 2, 1, 3)));
    lines[6].back() = '3';
    const Outcome o = compile(lines);
    // The TV 2 block was read as the third TV 1 camera; nothing is written.
    EXPECT_EQ(o.reason, "Scr.def:32: the file ends early; expected Value 1 of TV 2 camera 1");
    EXPECT_FALSE(test::fileExists(dir.file("New.scr")));

    lines[7].replace(lines[7].size() - 5, 5, "32768");
    EXPECT_EQ(compile(lines).reason, "Scr.def:8: TV 2 camera count 32768 is above 32767");
}

}  // namespace
}  // namespace z5
