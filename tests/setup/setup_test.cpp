#include "setup/setup.hpp"

#include <gtest/gtest.h>

#include <climits>
#include <filesystem>
#include <optional>
#include <sstream>
#include <vector>

#include "cli/cli_host.hpp"
#include "setup/format.hpp"
#include "tests/support/support.hpp"

namespace z5 {
namespace {

using namespace setup::field;
using setup::SetupRecord;
using test::Bytes;
using test::crlf;
using test::FakeHost;
using test::fileExists;
using test::joinCrlf;
using test::readFile;
using test::splitCrlf;
using test::TempFolder;
using test::writeFile;

struct SetupFile {
    SetupRecord record = setup::kFixedRecord;
    std::string baseName;
    std::int32_t marker = setup::kCommentMarker;
    std::optional<std::int32_t> commentLength;  // the comment's size unless given
    std::string comment;

    std::string bytes() const {
        Bytes b;
        for (auto v : record) b.i32(v);
        b.fixed(baseName, 8).i32(marker);
        b.i32(commentLength.value_or(static_cast<std::int32_t>(comment.size())));
        return b.text(comment).str();
    }
};

// A setup with a distinct value in every shown field.
SetupFile sample() {
    SetupFile s;
    auto& r = s.record;
    r[Gears1st] = 250;
    r[Gears1st + 1] = 50;
    r[Gears1st + 2] = -125;
    r[Gears1st + 3] = 0;
    r[TirePressureRF] = 31;  // RR, LR, LF follow
    r[TirePressureRF + 1] = 32;
    r[TirePressureRF + 2] = 33;
    r[TirePressureRF + 3] = 34;
    r[CamberRF] = 150;
    r[CamberLF] = -75;
    for (std::int32_t i = 0; i < 4; ++i) r[ShocksRF + i] = i + 1;
    r[SwayBarsFront] = 50;
    r[SwayBarsRear] = 16;
    r[RearSpoiler] = 1250;
    r[GrilleTape] = 3;
    r[SteeringLock] = 22;
    r[Fuel] = 7;
    r[WeightJackLeft] = -10;
    r[WeightJackRear] = 20;
    r[WeightJackWedge] = 5;
    s.baseName = "mysetup";
    s.comment = std::string("tenletters\0", 11);
    return s;
}

struct SetupFixture : ::testing::Test {
    TempFolder dir;
    FakeHost host{dir.str()};
    const std::string folderName = dir.path().filename().string();

    // Decompiles `bytes` saved as `name`; returns stg.def.
    std::string decompile(std::string_view bytes, const std::string& name = "mysetup.stg") {
        writeFile(dir.file(name), bytes);
        host.answer = dir.file(name);
        const Outcome o = mnuSetupDecompile_Click(host);
        EXPECT_EQ(o.status, Status::Done) << o.reason;
        return readFile(dir.file("stg.def"));
    }
    Outcome compile(std::string_view text) {
        writeFile((std::filesystem::path(host.folder) / "stg.def").string(), text);
        return mnuSetupCompile_Click(host);
    }
    std::vector<std::string> files() const {
        std::vector<std::string> names;
        for (const auto& e : std::filesystem::directory_iterator(dir.path()))
            names.push_back(e.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
};

TEST_F(SetupFixture, DecompiledLayout) {
    EXPECT_EQ(decompile(sample().bytes()), crlf({"Torvex 3 Setup File",
                                                 folderName + "     mysetup",
                                                 "",
                                                 "",
                                                 "                   LF    LR    RR    RF",
                                                 "Tire Pressure      34    33    32    31",
                                                 "Shocks              4     3     2     1",
                                                 "Camber           -.75              1.50",
                                                 "",
                                                 "                  1st   2nd   3rd   4th",
                                                 "Gears            2.50   .50 -1.25   .00",
                                                 "",
                                                 "Weight Jack",
                                                 "  Rear             20",
                                                 "  Left            -10",
                                                 "  Wedge             5",
                                                 "",
                                                 "Sway Bars",
                                                 "  Front            50",
                                                 "  Rear             16",
                                                 "Sway Bar Key:",
                                                 "       0 = 7/8",
                                                 "      16 = 15/16",
                                                 "      33 = 1",
                                                 "      50 = 1 1/16",
                                                 "      66 = 1 1/8",
                                                 "      83 = 1 3/16",
                                                 "     100 = 1 1/4",
                                                 "",
                                                 "Steering Lock      22",
                                                 "Rear Spoiler     12.5",
                                                 "Grille Tape         3",
                                                 "",
                                                 "Fuel             0.07",
                                                 "",
                                                 "Comments:      ",
                                                 "tenletters."}));
    EXPECT_EQ(host.filters, std::vector<std::string>{"Stg Files(*.stg)|*.stg"});
    EXPECT_EQ(host.captions, std::vector<std::string>{"Z5 DEF TOOL " + dir.file("mysetup.stg")});
}

TEST_F(SetupFixture, RoundTripReplacesTheSetupWithTheSameBytes) {
    const std::string bytes = sample().bytes();
    decompile(bytes);
    writeFile(dir.file("mysetup.stg"), "an older, different setup");
    const Outcome o = mnuSetupCompile_Click(host);
    ASSERT_EQ(o.status, Status::Done) << o.reason;
    EXPECT_EQ(readFile(dir.file("mysetup.stg")), bytes);
    EXPECT_EQ(files(), (std::vector<std::string>{"mysetup.stg", "stg.def"}));
    EXPECT_EQ(host.messages.size(), 2u);
}

TEST_F(SetupFixture, NumberForms) {
    SetupFile s = sample();
    s.record[Gears1st] = INT_MIN;
    s.record[Gears1st + 1] = -5;
    s.record[Gears1st + 2] = 5;
    s.record[Gears1st + 3] = 100;
    s.record[RearSpoiler] = -7;
    s.record[Fuel] = 1205;
    s.record[SteeringLock] = 123456;
    const std::vector<std::string> lines = splitCrlf(decompile(s.bytes()));
    EXPECT_EQ(lines[10], "Gears          -21474836.48  -.05   .05  1.00");
    EXPECT_EQ(lines[29], "Steering Lock  123456");
    EXPECT_EQ(lines[30], "Rear Spoiler    -0.07");
    EXPECT_EQ(lines[33], "Fuel            12.05");
    ASSERT_EQ(mnuSetupCompile_Click(host).status, Status::Done);
    EXPECT_EQ(readFile(dir.file("mysetup.stg")), s.bytes());

    s.record[RearSpoiler] = 100;
    s.record[Fuel] = 0;
    const std::vector<std::string> whole = splitCrlf(decompile(s.bytes()));
    EXPECT_EQ(whole[30], "Rear Spoiler        1");
    EXPECT_EQ(whole[33], "Fuel                0");
}

TEST_F(SetupFixture, TypedValuesAreConverted) {
    std::vector<std::string> lines = splitCrlf(decompile(sample().bytes()));
    lines[5] = "Tire Pressure   2.5  3.5   -2.5  1e3";
    lines[7] = "Camber          1.255     1.245";  // single precision: 125.5 and 124.5
    lines[10] = "Gears  3,45 &H10   .015     -.005";
    lines[30] = "Rear Spoiler  12.345";
    lines[33] = "Fuel   0.125";  // 12.5 in double precision
    lines[13] = "  Rear";        // no value: the label word is read
    lines[21] = "key lines and labels are not read";
    ASSERT_EQ(compile(joinCrlf(lines)).status, Status::Done);

    SetupFile expected = sample();
    auto& r = expected.record;
    r[TirePressureRF + 3] = 2;  // LF
    r[TirePressureRF + 2] = 4;
    r[TirePressureRF + 1] = -2;
    r[TirePressureRF] = 1000;
    r[CamberLF] = 126;
    r[CamberRF] = 124;
    r[Gears1st] = 300;
    r[Gears1st + 1] = 1600;
    r[Gears1st + 2] = 2;  // 1.5 to even
    r[Gears1st + 3] = 0;  // -0.5 to even
    r[RearSpoiler] = 1234;
    r[Fuel] = 12;
    r[WeightJackRear] = 0;
    EXPECT_EQ(readFile(dir.file("mysetup.stg")), expected.bytes());
}

TEST_F(SetupFixture, GearOfSixCharactersRunsIntoItsNeighbour) {
    SetupFile s = sample();
    s.record[Gears1st] = 100;
    s.record[Gears1st + 1] = 12345;
    s.record[Gears1st + 2] = 200;
    s.record[Gears1st + 3] = 300;
    const std::vector<std::string> lines = splitCrlf(decompile(s.bytes()));
    EXPECT_EQ(lines[10], "Gears            1.00123.45  2.00  3.00");
    // "1.00123.45" is one token; the 3rd gear finds no blank after "3.00".
    ASSERT_EQ(mnuSetupCompile_Click(host).status, Status::Done);
    s.record[Gears1st + 1] = 200;
    s.record[Gears1st + 2] = 0;
    EXPECT_EQ(readFile(dir.file("mysetup.stg")), s.bytes());
}

TEST_F(SetupFixture, CommentBytes) {
    SetupFile s = sample();
    s.comment = std::string("ab\0c\r\nd\0", 8);
    std::string text = decompile(s.bytes());
    const std::string tail = crlf({"Comments:      ", "ab.c", "d."});
    EXPECT_EQ(text.substr(text.size() - tail.size()), tail);

    // No comment: zero or a negative length shows an empty comment line.
    for (std::int32_t length : {0, -5}) {
        s.comment.clear();
        s.commentLength = length;
        text = decompile(s.bytes());
        EXPECT_EQ(text.substr(text.size() - 19), crlf({"Comments:      ", ""})) << length;
    }
    // ... which compiles to a comment length of 0 and no comment bytes.
    ASSERT_EQ(mnuSetupCompile_Click(host).status, Status::Done);
    s.commentLength.reset();
    EXPECT_EQ(readFile(dir.file("mysetup.stg")), s.bytes());
    EXPECT_EQ(s.bytes().size(), 144u);

    // A comment line of one character is one terminating byte.
    std::vector<std::string> lines = splitCrlf(text);
    lines[36] = "x";
    ASSERT_EQ(compile(joinCrlf(lines)).status, Status::Done);
    s.comment = std::string(1, '\0');
    EXPECT_EQ(readFile(dir.file("mysetup.stg")), s.bytes());
}

TEST_F(SetupFixture, WorkingFolderAtARootGivesAnEmptyFolderName) {
    host.folder = dir.str() + "/";  // a root keeps its separator
    const std::vector<std::string> lines = splitCrlf(decompile(sample().bytes()));
    EXPECT_EQ(lines[1], "     mysetup");
    ASSERT_EQ(mnuSetupCompile_Click(host).status, Status::Done);
    EXPECT_EQ(readFile(dir.file("mysetup.stg")), sample().bytes());
}

TEST_F(SetupFixture, FailedCompileLeavesTheSetupUntouched) {
    const std::string bytes = sample().bytes();
    const std::vector<std::string> lines = splitCrlf(decompile(bytes));

    auto failsWith = [&](const std::vector<std::string>& edited, const std::string& reason) {
        const Outcome o = compile(joinCrlf(edited));
        EXPECT_EQ(o.status, Status::Failed);
        EXPECT_EQ(o.reason, reason);
        EXPECT_EQ(readFile(dir.file("mysetup.stg")), bytes);
        EXPECT_EQ(files(), (std::vector<std::string>{"mysetup.stg", "stg.def"}));
    };
    std::vector<std::string> edited = lines;
    edited[33] = "Fuel  1e300";
    failsWith(edited, "Stg.def:34: value \"1e300\" is outside the 32-bit range");
    edited = lines;
    edited[10] = "Gears  1 2 3 21474837";
    failsWith(edited, "Stg.def:11: value \"21474837\" is outside the 32-bit range");
    edited = lines;
    edited.resize(36);  // the comment line is missing
    failsWith(edited, "Stg.def:37: unexpected end of file");
    edited = lines;
    edited[35] = std::string(32768, '=');
    failsWith(edited, "Stg.def:36: line of 32768 characters is longer than 32767");
    edited = lines;
    edited[1] = "folder     my setup";
    failsWith(edited,
              "Stg.def:2: setup name \"my setup\" has a blank among its first 8 characters");
    EXPECT_EQ(host.messages.size(), 1u);
}

TEST_F(SetupFixture, SetupNameMustBeAPlainFileName) {
    std::vector<std::string> lines = splitCrlf(decompile(sample().bytes()));
    std::filesystem::create_directory(dir.file("sub"));
    host.folder = dir.file("sub");
    for (const char* line2 : {"f ../evil", "f a/b", "f c:evil", "f ..", "f .", "   "}) {
        lines[1] = line2;
        const Outcome o = compile(joinCrlf(lines));
        EXPECT_EQ(o.status, Status::Failed) << line2;
        EXPECT_EQ(o.reason.rfind("Stg.def:2: setup name \"", 0), 0u) << o.reason;
    }
    EXPECT_EQ(files(), (std::vector<std::string>{"mysetup.stg", "stg.def", "sub"}));
    EXPECT_TRUE(std::filesystem::exists(dir.file("sub/stg.def")));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.file("sub")), {}), 1);
}

TEST_F(SetupFixture, SetupIsReplacedInWhateverCaseItHas) {
    const std::string bytes = sample().bytes();
    decompile(bytes, "MYSETUP.STG");
    std::filesystem::remove(dir.file("MYSETUP.STG"));
    writeFile(dir.file("MySetup.Stg"), "old");
    std::vector<std::string> lines = splitCrlf(readFile(dir.file("stg.def")));
    EXPECT_EQ(lines[1], folderName + "     MYSETUP");
    lines[1] = "x mysetup";
    ASSERT_EQ(compile(joinCrlf(lines)).status, Status::Done);
    EXPECT_EQ(files(), (std::vector<std::string>{"MySetup.Stg", "stg.def"}));
    SetupFile s = sample();
    EXPECT_EQ(readFile(dir.file("MySetup.Stg")), s.bytes());
}

TEST_F(SetupFixture, HiddenFieldsAreNotShownAndWrittenFixed) {
    SetupFile odd = sample();
    odd.record[0] = 1;
    odd.record[5] = -1;
    odd.record[14] = 77;
    odd.record[25] = 0;
    odd.baseName = "whatever";
    odd.marker = 0;
    const std::string shown = decompile(sample().bytes());
    EXPECT_EQ(decompile(odd.bytes()), shown);
    ASSERT_EQ(mnuSetupCompile_Click(host).status, Status::Done);
    EXPECT_EQ(readFile(dir.file("mysetup.stg")), sample().bytes());
}

TEST_F(SetupFixture, DecompileFailuresKeepTheOlderText) {
    writeFile(dir.file("stg.def"), "older text");
    SetupFile s = sample();
    s.commentLength = 32769;
    writeFile(dir.file("big.stg"), s.bytes());
    host.answer = dir.file("big.stg");
    Outcome o = mnuSetupDecompile_Click(host);
    EXPECT_EQ(o.status, Status::Failed);
    EXPECT_EQ(o.reason, dir.file("big.stg") + ": comment length 32769 is above 32768");

    writeFile(dir.file("stg"), s.bytes());
    host.answer = dir.file("stg");  // too short to drop an extension
    o = mnuSetupDecompile_Click(host);
    EXPECT_EQ(o.status, Status::Failed);
    EXPECT_NE(o.reason.find("\"stg\""), std::string::npos) << o.reason;
    EXPECT_EQ(readFile(dir.file("stg.def")), "older text");

    // The longest comment; a short file reads as zero bytes past its end.
    s.commentLength = 32768;
    const std::vector<std::string> lines = splitCrlf(decompile(s.bytes()));
    EXPECT_EQ(lines[36], "tenletters." + std::string(32768 - 11, '.'));
}

TEST(SetupCli, DecompileAndCompileByWord) {
    TempFolder dir;
    writeFile(dir.file("car.stg"), sample().bytes());
    for (std::vector<std::string> args :
         {std::vector<std::string>{"decompile", "car.stg"}, std::vector<std::string>{"compile"}}) {
        args.insert(args.begin(), {"z5def", "-q", "-C", dir.str(), "stg"});
        std::vector<const char*> argv;
        for (auto& a : args) argv.push_back(a.c_str());
        std::ostringstream out, err;
        EXPECT_EQ(runCli(static_cast<int>(argv.size()), argv.data(), out, err), 0) << err.str();
    }
    // BaseName now holds the file's own base name.
    SetupFile expected = sample();
    expected.baseName = "car";
    EXPECT_EQ(readFile(dir.file("car.stg")), expected.bytes());
}

}  // namespace
}  // namespace z5
