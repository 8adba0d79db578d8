#include <gtest/gtest.h>

#include <climits>
#include <filesystem>
#include <optional>

#include "setup/model.hpp"
#include "tests/support/rows.hpp"
#include "tests/support/support.hpp"

namespace z5 {
namespace {

using namespace setup::field;
using namespace test;

struct SetupFile {
    setup::SetupRecord record = setup::kFixedRecord;
    std::string baseName = "mysetup";
    std::int32_t marker = setup::kCommentMarker;
    std::optional<std::int32_t> commentLength;  // the comment's size unless given
    std::string comment = std::string("tenletters\0", 11);

    std::string bytes() const {
        Bytes b;
        for (auto v : record) b.i32(v);
        b.fixed(baseName, 8).i32(marker);
        b.i32(commentLength.value_or(static_cast<std::int32_t>(comment.size())));
        return b.text(comment).str();
    }
};

// A distinct value in every shown field; tyre rows are stored RF to LF.
SetupFile sample() {
    SetupFile s;
    // clang-format off
    const std::pair<std::size_t, std::int32_t> fields[] = {
        {Gears1st, 250}, {Gears1st + 1, 50}, {Gears1st + 2, -125}, {Gears1st + 3, 0},
        {TirePressureRF, 31}, {TirePressureRF + 1, 32}, {TirePressureRF + 2, 33},
        {TirePressureRF + 3, 34}, {CamberRF, 150}, {CamberLF, -75}, {ShocksRF, 1},
        {ShocksRF + 1, 2}, {ShocksRF + 2, 3}, {ShocksRF + 3, 4}, {SwayBarsFront, 50},
        {SwayBarsRear, 16}, {RearSpoiler, 1250}, {GrilleTape, 3}, {SteeringLock, 22}, {Fuel, 7},
        {WeightJackLeft, -10}, {WeightJackRear, 20}, {WeightJackWedge, 5}};
    // clang-format on
    for (auto [field, value] : fields) s.record[field] = value;
    return s;
}

struct SetupFixture : ::testing::Test {
    TempFolder dir;
    FakeHost host{dir.str()};
    const std::string folderName = dir.path().filename().string();

    // Decompiles `bytes` saved as `name`; returns the lines of stg.def.
    std::vector<std::string> decompile(std::string_view bytes,
                                       const std::string& name = "mysetup.stg") {
        writeFile(dir.file(name), bytes);
        host.answer = dir.file(name);
        const Outcome o = runRow("mnuSetupDecompile", host);
        EXPECT_EQ(o.status, Status::Done) << o.reason;
        return splitCrlf(readFile(dir.file("stg.def")));
    }
    Outcome compile(const std::vector<std::string>& lines) {
        writeFile((std::filesystem::path(host.folder) / "stg.def").string(), joinCrlf(lines));
        return runRow("mnuSetupCompile", host);
    }
    std::string setupFile() const { return readFile(dir.file("mysetup.stg")); }
    std::vector<std::string> files() const { return folderNames(dir.str()); }
};

TEST_F(SetupFixture, DecompiledLayoutAndRoundTrip) {
    const std::string bytes = sample().bytes();
    // clang-format off
    EXPECT_EQ(decompile(bytes), (std::vector<std::string>{
        "Torvex 3 Setup File", folderName + "     mysetup", "", "",
        "                   LF    LR    RR    RF",
        "Tire Pressure      34    33    32    31",
        "Shocks              4     3     2     1",
        "Camber           -.75              1.50", "",
        "                  1st   2nd   3rd   4th",
        "Gears            2.50   .50 -1.25   .00", "",
        "Weight Jack", "  Rear             20", "  Left            -10", "  Wedge             5", "",
        "Sway Bars", "  Front            50", "  Rear             16", "Sway Bar Key:",
        "       0 = 7/8", "      16 = 15/16", "      33 = 1", "      50 = 1 1/16",
        "      66 = 1 1/8", "      83 = 1 3/16", "     100 = 1 1/4", "",
        "Steering Lock      22", "Rear Spoiler     12.5", "Grille Tape         3", "",
        "Fuel             0.07", "", "Comments:      ", "tenletters."}));
    // clang-format on
    EXPECT_EQ(host.filters, std::vector<std::string>{"Stg Files(*.stg)|*.stg"});

    writeFile(dir.file("mysetup.stg"), "an older setup");
    ASSERT_EQ(runRow("mnuSetupCompile", host).status, Status::Done);
    EXPECT_EQ(setupFile(), bytes);
    EXPECT_EQ(files(), (std::vector<std::string>{"mysetup.stg", "stg.def"}));
}

TEST_F(SetupFixture, TypedValuesAreConverted) {
    std::vector<std::string> lines = decompile(sample().bytes());
    lines[5] = "Tire Pressure   2.5  3.5   -2.5  1e3";
    lines[7] = "Camber          1.255     1.245";  // single precision: 125.5 and 124.5
    lines[10] = "Gears  3,45 &H10   .015     -.005";
    lines[13] = "  Rear";  // no value: the label word is read
    lines[21] = "key lines and labels are not read";
    lines[30] = "Rear Spoiler  12.345";
    lines[33] = "Fuel   0.125";  // 12.5 in double precision
    ASSERT_EQ(compile(lines).status, Status::Done);
    SetupFile expected = sample();
    // clang-format off
    const std::pair<std::size_t, std::int32_t> fields[] = {
        {TirePressureRF + 3, 2}, {TirePressureRF + 2, 4}, {TirePressureRF + 1, -2},
        {TirePressureRF, 1000}, {CamberLF, 126}, {CamberRF, 124}, {Gears1st, 300},
        {Gears1st + 1, 1600}, {Gears1st + 2, 2}, {Gears1st + 3, 0}, {WeightJackRear, 0},
        {RearSpoiler, 1234}, {Fuel, 12}};
    // clang-format on
    for (auto [field, value] : fields) expected.record[field] = value;
    EXPECT_EQ(setupFile(), expected.bytes());
}

TEST_F(SetupFixture, NumberFormsAndAGearOfSixCharacters) {
    SetupFile s = sample();
    const std::pair<std::size_t, std::int32_t> fields[] = {
        {Gears1st, 100}, {Gears1st + 1, 12345}, {Gears1st + 2, 200}, {Gears1st + 3, 300},
        {CamberLF, -5},  {CamberRF, INT_MIN},   {RearSpoiler, -7},   {Fuel, 100}};
    for (auto [field, value] : fields) s.record[field] = value;
    const std::vector<std::string> lines = decompile(s.bytes());
    EXPECT_EQ(lines[7], "Camber           -.05            -21474836.48");
    EXPECT_EQ(lines[10], "Gears            1.00123.45  2.00  3.00");
    EXPECT_EQ(lines[30], "Rear Spoiler    -0.07");
    EXPECT_EQ(lines[33], "Fuel                1");
    // "1.00123.45" is one token, and no blank is left after "3.00": the
    // values read are not those printed, a departure.
    ASSERT_EQ(runRow("mnuSetupCompile", host).status, Status::Done);
    s.record[Gears1st + 1] = 200;
    s.record[Gears1st + 2] = 0;
    EXPECT_EQ(setupFile(), s.bytes());
    ASSERT_EQ(host.diagnostics.size(), 1u);
    EXPECT_EQ(diagnosticLine(host.diagnostics[0]),
              "stg.def:11:18: warning: the layout has 4 values after \"Gears\"; found 3");

    // A value that runs into a 0 before it reads back as printed (the 0's
    // token is then empty, the value the rest): the printer's own line for
    // the values read is no departure.
    host.diagnostics.clear();
    s.record[TirePressureRF + 1] = 0;
    s.record[TirePressureRF] = 637534243;
    EXPECT_EQ(decompile(s.bytes())[5], "Tire Pressure      34    33     0637534243");
    ASSERT_EQ(runRow("mnuSetupCompile", host).status, Status::Done);
    EXPECT_EQ(setupFile(), s.bytes());
    EXPECT_TRUE(host.diagnostics.empty());
}

TEST_F(SetupFixture, CommentBytes) {
    SetupFile s = sample();
    s.comment = std::string("ab\0c\r\nd\0", 8);
    std::vector<std::string> lines = decompile(s.bytes());
    EXPECT_EQ(std::vector<std::string>(lines.begin() + 36, lines.end()),
              (std::vector<std::string>{"ab.c", "d."}));

    // Zero or a negative length is an empty comment line, which compiles to
    // a length of 0 and no comment bytes.
    s.comment.clear();
    for (std::int32_t length : {0, -5}) {
        s.commentLength = length;
        EXPECT_EQ(decompile(s.bytes()).back(), "") << length;
    }
    ASSERT_EQ(runRow("mnuSetupCompile", host).status, Status::Done);
    s.commentLength.reset();
    EXPECT_EQ(setupFile(), s.bytes());

    lines = decompile(s.bytes());
    lines[36] = "x";  // one character: one terminating byte
    ASSERT_EQ(compile(lines).status, Status::Done);
    s.comment = std::string(1, '\0');
    EXPECT_EQ(setupFile(), s.bytes());

    // A longer comment is refused and the older text stays.
    s.commentLength = 32769;
    writeFile(dir.file("big.stg"), s.bytes());
    host.answer = dir.file("big.stg");
    EXPECT_EQ(runRow("mnuSetupDecompile", host).reason,
              dir.file("big.stg") + ": byte 144: comment length 32769 is above 32768");
    EXPECT_EQ(readFile(dir.file("stg.def")), joinCrlf(lines));
}

TEST_F(SetupFixture, FailedCompileLeavesTheSetupUntouched) {
    const std::string bytes = sample().bytes();
    const std::vector<std::string> lines = decompile(bytes);
    auto failsWith = [&](std::size_t index, std::string line, const std::string& reason) {
        std::vector<std::string> edited = lines;
        edited[index] = std::move(line);
        if (index == 36) edited.pop_back();
        EXPECT_EQ(compile(edited).reason, reason);
        EXPECT_EQ(setupFile(), bytes);
        EXPECT_EQ(files(), (std::vector<std::string>{"mysetup.stg", "stg.def"}));
    };
    failsWith(33, "Fuel  1e300", "stg.def:34: Fuel: \"1e300\" is outside the 32-bit range");
    failsWith(10, "Gears 1 2 3 21474837",
              "stg.def:11: Gears 4th: \"21474837\" is outside the 32-bit range");
    failsWith(36, "", "stg.def:37: the file ends early; expected the comment line");
    failsWith(35, std::string(32768, '='),
              "stg.def:36: line of 32768 characters is longer than 32767");
    failsWith(1, "x my setup",
              "stg.def:2: setup name \"my setup\" has a blank among its first 8 characters");
    using namespace std::string_literals;
    for (const std::string& line2 :
         {"f ../evil"s, "f a/b"s, "f c:evil"s, "f .."s, "   "s, "f Stg.def\0"s}) {
        EXPECT_EQ(compile({lines[0], line2}).reason.rfind("stg.def:2: setup name \"", 0), 0u)
            << line2;
        EXPECT_EQ(files(), (std::vector<std::string>{"mysetup.stg", "stg.def"}));
    }
}

// A file whose record tag or comment marker is not a setup's, or that is
// shorter than its head or its comment, is refused and writes nothing; read
// leniently it gives what the file filled up with zeros gives.
TEST_F(SetupFixture, OtherFilesAndCutShortSetupsAreRefused) {
    const std::string bytes = sample().bytes();  // a comment of 11 bytes at 144
    SetupFile odd = sample();
    odd.marker = 0x12345678;
    const std::pair<std::string, std::string> cases[] = {
        {Bytes().text("3OD3").i32(0).i32(0).str(),
         "is not a setup: its record tag is 0x33444F33, not 0xCDEF0002"},
        {odd.bytes(),
         "is not a setup: its comment marker (byte 136) is 0x12345678, not 0x80185F00"},
        {"", "ends at byte 0, inside the setup record (a setup has at least 144 bytes)"},
        {bytes.substr(0, 130),
         "ends at byte 130, inside the base name (a setup has at least 144 bytes)"},
        {bytes.substr(0, 150), "ends at byte 150, inside the comment of 11 bytes at byte 144"},
    };
    for (const auto& [input, reason] : cases) {
        writeFile(dir.file("mysetup.stg"), input);
        host.answer = dir.file("mysetup.stg");
        EXPECT_EQ(runRow("mnuSetupDecompile", host).reason, dir.file("mysetup.stg") + " " + reason);
        EXPECT_FALSE(fileExists(dir.file("stg.def")));
    }

    std::string zeros = bytes.substr(0, 150);
    zeros.resize(bytes.size(), '\0');
    const std::vector<std::string> filled = decompile(zeros);
    host.reading = Strictness::Lenient;
    EXPECT_EQ(decompile(bytes.substr(0, 150)), filled);
    EXPECT_EQ(host.notices, std::vector<std::string>{
                                dir.file("mysetup.stg") +
                                ": warning: ends at byte 150, inside the comment of 11 "
                                "bytes at byte 144; read with zeros past its end (--lenient)"});

    // Bytes after the comment: a warning, and the same text.
    host.reading = Strictness::Standard;
    host.notices.clear();
    EXPECT_EQ(decompile(bytes + "xyz"), decompile(bytes));
    EXPECT_EQ(host.notices, std::vector<std::string>{
                                dir.file("mysetup.stg") +
                                ": warning: 3 bytes after the comment are not kept; compiling "
                                "gives a shorter file"});
}

// Hidden fields are not shown and written fixed; the setup is replaced in
// whatever case its name has, under the name it was decompiled from.
TEST_F(SetupFixture, HiddenFieldsAreWrittenFixedAndTheSetupKeepsItsName) {
    SetupFile odd = sample();
    odd.record[0] = 1;
    odd.record[14] = 77;
    odd.baseName = "whatever";
    odd.marker = 0;
    host.folder += "/";  // a root keeps its separator: no folder name
    // Another record tag and marker are read only leniently.
    host.reading = Strictness::Lenient;
    std::vector<std::string> lines = decompile(odd.bytes(), "MYSETUP.STG");
    EXPECT_EQ(host.diagnostics.size(), 2u);
    EXPECT_EQ(lines[1], "     MYSETUP");
    lines[1] = "x mysetup";
    ASSERT_EQ(compile(lines).status, Status::Done);
    EXPECT_EQ(files(), (std::vector<std::string>{"MYSETUP.STG", "stg.def"}));
    EXPECT_EQ(readFile(dir.file("MYSETUP.STG")), sample().bytes());

    // A longer name is cut to 8 characters inside; the file keeps it whole.
    lines[1] = "x setupname9";
    ASSERT_EQ(compile(lines).status, Status::Done);
    SetupFile cut = sample();
    cut.baseName = "setupnam";
    EXPECT_EQ(readFile(dir.file("setupname9.stg")), cut.bytes());
}

// Slips in stg.def are named where they stand; values land as the reading
// by position takes them.
TEST_F(SetupFixture, SlipsAreNamedWhereTheyStand) {
    std::vector<std::string> lines = decompile(sample().bytes());
    lines[10] = "Gears          2,50   .50 -1.25   .00";  // a comma for the point
    lines[5] += "    35";                                 // a fifth tyre pressure
    lines[13] = "  Raer            20";                   // a misspelt label
    lines.push_back("after the comment");
    ASSERT_EQ(compile(lines).status, Status::Done);
    std::vector<std::string> found;
    for (const Diagnostic& d : host.diagnostics) found.push_back(diagnosticLine(d));
    EXPECT_EQ(found,
              (std::vector<std::string>{
                  "stg.def:6:44: warning: the layout has 4 values after \"Tire Pressure\"; "
                  "found 5: the last value takes the rest",
                  "stg.def:11:16: warning: the layout has a number with a full stop here (Gears "
                  "1st); found \"2,50\", read as 2.00",
                  "stg.def:14:3: warning: the layout has the label \"Rear\" here; found "
                  "\"Raer\"",
                  "stg.def:38:1: warning: the layout ends with the comment line; found \"after "
                  "the comment\", which is not read"}));
    const std::string compiled = setupFile();
    EXPECT_EQ(valueAt(compiled, 4 * Gears1st), 200);
    EXPECT_EQ(valueAt(compiled, 4 * TirePressureRF), 3135);  // "31    35" read as one number
    EXPECT_EQ(valueAt(compiled, 4 * WeightJackRear), 20);
}

}  // namespace
}  // namespace z5
