#include <gtest/gtest.h>

#include <array>
#include <climits>
#include <sstream>
#include <vector>

#include "camera/camera.hpp"
#include "cli/cli_host.hpp"
#include "tests/camera/fixture.hpp"

namespace z5 {
namespace {

using test::Bytes;
using test::crlf;
using test::FakeHost;
using test::joinCrlf;
using test::readFile;
using test::splitCrlf;
using test::TempFolder;
using test::writeFile;

using Position = std::array<std::int32_t, 9>;
using SectionTwo = std::array<std::int32_t, 10>;
using SectionThree = std::array<std::int32_t, 12>;

// A .cam file from its records; the counts are those of the lists.
std::string camFile(const std::vector<Position>& cameras, const SectionTwo& two,
                    const std::vector<SectionThree>& positions) {
    Bytes b;
    b.i32(static_cast<std::int32_t>(cameras.size()));
    for (const auto& c : cameras)
        for (auto v : c) b.i32(v);
    for (auto v : two) b.i32(v);
    b.i32(static_cast<std::int32_t>(positions.size()));
    for (const auto& p : positions)
        for (auto v : p) b.i32(v);
    return b.str();
}

struct CamFixture : test::PairFixture {
    CamFixture()
        : PairFixture({"x.cam", "cam.def", "New.cam", mnuCamDecompile_Click, mnuCamCompile_Click}) {
    }
};

const SectionTwo kTwo = {INT_MIN, 1, -2, 3, -4, 5, -6, 7, -8, INT_MAX};

TEST_F(CamFixture, EmptyFileHasOnlyTheSectionTwoRecord) {
    const std::string bytes = camFile({}, kTwo, {});
    ASSERT_EQ(bytes.size(), 48u);
    EXPECT_EQ(decompile(bytes),
              crlf({"Camera File",
                    "Allows you to alter, add and delete positions",
                    "When adding or deleting, be sure to increase the TV1 or TV2 positions",
                    "Be certain SCR file matches Cam file",
                    "",
                    "",
                    "Number of Cameras:              0",
                    "",
                    "",
                    "Section 2 Camera Position",
                    "=========================",
                    "Number:    -2147483648",
                    "Value 1:             1",
                    "Value 2:            -2",
                    "Value 3:             3",
                    "Value 4:            -4",
                    "Value 5:             5",
                    "Value 6:            -6",
                    "Value 7:             7",
                    "Value 8:            -8",
                    "Value 9:    2147483647",
                    "",
                    "",
                    "Section 3 Camera Positions",
                    "==========================",
                    "",
                    "",
                    "Number of Camera Positions:            0",
                    ""}));
    EXPECT_EQ(host.filters, std::vector<std::string>{"Cam Files(*.cam)|*.cam"});
    EXPECT_EQ(host.captions, std::vector<std::string>{"Z5 DEF TOOL " + dir.file("x.cam")});

    const Outcome o = compile();
    ASSERT_EQ(o.status, Status::Done) << o.reason;
    EXPECT_EQ(compiled(), bytes);
    EXPECT_EQ(host.captions.size(), 1u);  // compiling leaves the caption alone
    EXPECT_EQ(host.messages.size(), 2u);
}

TEST_F(CamFixture, BlocksOfBothSectionsRoundTrip) {
    const std::vector<Position> cameras = {{1, 2, 3, 4, 5, 6, 7, 8, 9},
                                           {-9, -8, -7, -6, -5, -4, -3, -2, INT_MIN}};
    const std::vector<SectionThree> positions = {
        {10, 20, 30, 40, 50, 60, 70, 80, 90, 100, 110, 120},
        {INT_MAX, 0, 0, 0, 0, 0, 0, 0, 0, -10, -11, -12}};
    const std::string bytes = camFile(cameras, kTwo, positions);
    const std::vector<std::string> lines = splitCrlf(decompile(bytes + "trailing"));

    ASSERT_EQ(lines.size(), 9u + 2 * 14 + 14 + 4 + 2 + 2 * 17);
    const std::vector<std::string> secondCamera(lines.begin() + 23, lines.begin() + 37);
    EXPECT_EQ(secondCamera,
              (std::vector<std::string>{
                  "Camera Position: 2", "====================", "", "Value 1:            -9",
                  "Value 2:            -8", "Value 3:            -7", "Value 4:            -6",
                  "Value 5:            -5", "Value 6:            -4", "Value 7:            -3",
                  "Value 8:            -2", "Value 9:   -2147483648", "", ""}));
    const std::vector<std::string> lastPosition(lines.end() - 17, lines.end());
    EXPECT_EQ(lastPosition,
              (std::vector<std::string>{
                  "Camera Position: 2", "====================", "", "Value 1:    2147483647",
                  "Value 2:             0", "Value 3:             0", "Value 4:             0",
                  "Value 5:             0", "Value 6:             0", "Value 7:             0",
                  "Value 8:             0", "Value 9:             0", "Value 10:          -10",
                  "Value 11:          -11", "Value 12:          -12", "", ""}));

    ASSERT_EQ(compile().status, Status::Done);
    EXPECT_EQ(compiled(), bytes);  // trailing bytes are not part of the file's records
}

TEST_F(CamFixture, CompilerReadsValuesFromTheLastTwelveCharacters) {
    std::vector<std::string> lines =
        splitCrlf(decompile(camFile({{1, 2, 3, 4, 5, 6, 7, 8, 9}}, kTwo, {})));
    lines[9] = "anything, labels are not read";
    lines[12] = "Value 1:           2.5";
    lines[13] = "Value 2:           3.5";
    lines[14] = "Value 3: 42";  // shorter than 12: the label is read too
    lines[15] = "Value 4:" + std::string(30, ' ') + "42";
    lines[16] = "Value 5: -7000000000042";  // only the part inside the last 12
    lines[17] = "Value 6:         -2.5";
    lines[18] = "Value 7:        &H10";
    ASSERT_EQ(compile(joinCrlf(lines)).status, Status::Done);
    EXPECT_EQ(compiled(), camFile({{2, 4, 0, 42, 42, -2, 16, 8, 9}}, kTwo, {}));
}

TEST_F(CamFixture, AddedBlockIsReadWhenTheCountIsRaised) {
    const SectionThree first = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
    std::vector<std::string> lines = splitCrlf(decompile(camFile({}, kTwo, {first})));
    const std::size_t countLine = lines.size() - 19;  // the count, an empty line, the block
    const std::vector<std::string> block(lines.end() - 17, lines.end());
    lines[lines.size() - 3] = "Value 12:          -99";  // in the first block
    lines[countLine] = "Number of Camera Positions:            2";
    // The copy goes last, without the empty lines after it: none are needed.
    lines.insert(lines.end(), block.begin(), block.end() - 2);
    ASSERT_EQ(compile(joinCrlf(lines)).status, Status::Done);
    SectionThree changed = first;
    changed[11] = -99;
    EXPECT_EQ(compiled(), camFile({}, kTwo, {changed, first}));
}

TEST_F(CamFixture, CountsAtTheLimitsOfTheBlockCounter) {
    // A negative count shows no blocks and is written back as it was.
    const std::string negative =
        Bytes().i32(-3).str() + std::string(40, '\0') + Bytes().i32(INT_MIN).str();
    decompile(negative);
    ASSERT_EQ(compile().status, Status::Done);
    EXPECT_EQ(compiled(), negative);

    // The largest count: a short file reads as zeros past its end, and the
    // block loop stops after block 32767.
    const std::vector<std::string> lines = splitCrlf(decompile(Bytes().i32(32767).str()));
    ASSERT_EQ(lines.size(), 9u + 32767u * 14 + 14 + 4 + 2);
    EXPECT_EQ(lines[9 + 32766 * 14], "Camera Position: 32767");

    writeFile(dir.file("x.cam"), Bytes().i32(32768).str());
    const Outcome o = mnuCamDecompile_Click(host);
    EXPECT_EQ(o.status, Status::Failed);
    EXPECT_EQ(o.reason, dir.file("x.cam") + ": camera count 32768 is above 32767");
}

TEST_F(CamFixture, CompileFailuresNameTheLine) {
    const std::string text = decompile(camFile({{1, 2, 3, 4, 5, 6, 7, 8, 9}}, kTwo, {}));
    std::vector<std::string> lines = splitCrlf(text);

    auto failsWith = [&](std::vector<std::string> edited, const std::string& reason) {
        const Outcome o = compile(joinCrlf(edited));
        EXPECT_EQ(o.status, Status::Failed);
        EXPECT_EQ(o.reason, reason);
        EXPECT_EQ(host.messages.size(), 1u);  // only the decompile's DONE
    };
    std::vector<std::string> edited = lines;
    edited[14] = "Value 3:    2147483648";
    failsWith(edited, "Cam.def:15: value \"  2147483648\" is outside the 32-bit range");
    edited = lines;
    edited[6].replace(edited[6].size() - 5, 5, "32768");
    failsWith(edited, "Cam.def:7: count 32768 is above 32767");

    // A count above the blocks present: the run ends at the end of the file
    // with the records written so far, after emptying the older output.
    writeFile(dir.file("New.cam"), std::string(1000, 'x'));
    edited = lines;
    edited[6].back() = '2';
    failsWith(edited, "Cam.def:" + std::to_string(lines.size() + 1) + ": unexpected end of file");
    // The second block was read from the section 2 values.
    Bytes expected;
    expected.i32(2);
    for (std::int32_t v : {1, 2, 3, 4, 5, 6, 7, 8, 9}) expected.i32(v);
    for (std::size_t v = 1; v < kTwo.size(); ++v) expected.i32(kTwo[v]);
    EXPECT_EQ(compiled(), expected.str());

    std::filesystem::remove(dir.file("cam.def"));
    std::filesystem::remove(dir.file("New.cam"));
    const Outcome missing = compile();
    EXPECT_EQ(missing.status, Status::Failed);
    EXPECT_NE(missing.reason.find("Cam.def"), std::string::npos) << missing.reason;
    EXPECT_FALSE(test::fileExists(dir.file("New.cam")));
}

// The command line reaches all four camera commands through the table.
TEST(CameraCli, DecompileAndCompileByWord) {
    TempFolder dir;
    const std::string cam = camFile({{1, 2, 3, 4, 5, 6, 7, 8, 9}}, kTwo, {});
    const std::string scr = Bytes().i32(1).i32(1).i32(0).i32(5).i32(6).i32(7).i32(8).str();
    writeFile(dir.file("a.cam"), cam);
    writeFile(dir.file("a.scr"), scr);
    for (const char* group : {"cam", "scr"}) {
        for (std::vector<std::string> args :
             {std::vector<std::string>{"decompile", std::string("a.") + group},
              std::vector<std::string>{"compile"}}) {
            args.insert(args.begin(), {"z5def", "-q", "-C", dir.str(), group});
            std::vector<const char*> argv;
            for (auto& a : args) argv.push_back(a.c_str());
            std::ostringstream out, err;
            EXPECT_EQ(runCli(static_cast<int>(argv.size()), argv.data(), out, err), 0) << err.str();
        }
    }
    EXPECT_EQ(readFile(dir.file("New.cam")), cam);
    EXPECT_EQ(readFile(dir.file("New.scr")), scr);
}

}  // namespace
}  // namespace z5
