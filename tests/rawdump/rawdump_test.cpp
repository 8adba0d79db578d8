#include <gtest/gtest.h>

#include "tests/support/rows.hpp"
#include "tests/support/support.hpp"

namespace z5 {
namespace {

using namespace test;

// Runs `command` on `input` (saved as in.bin) in `dir`.
Outcome dump(FakeHost& host, const TempFolder& dir, std::string_view command,
             std::string_view input) {
    writeFile(dir.file("in.bin"), input);
    host.answer = dir.file("in.bin");
    return runRow(command, host);
}

// Each dump of an input, to the byte; an older output is emptied first.
TEST(Dump, EveryViewOfTheBytes) {
    const std::string ints = Bytes().i32(1).i32(-1).str();
    const std::string floats = Bytes().f32(0.5f).f32(1e10f).u8(1).u8(2).str();
    const struct {
        std::string input;
        std::string_view command;
        const char* output;
        std::string expected;
    } cases[] = {
        {ints, "mnuDecompile", "outputlong.def", crlf({" 1 ", "-1 "})},
        {ints, "mnuDecompile", "outputbyt.def",
         crlf({" 1 ", " 0 ", " 0 ", " 0 ", " 255 ", " 255 ", " 255 ", " 255 "})},
        {ints, "mnuDecompile", "outputfloat.def", crlf({" 1.401298E-45 ", " NaN "})},
        // A short final group reads as if filled with zeros.
        {floats, "mnuDecompile", "outputfloat.def", crlf({" .5 ", " 1E+10 ", " 7.188661E-43 "})},
        {floats, "mnuDecompile", "outputlong.def", crlf({" 1056964608 ", " 1343554297 ", " 513 "})},
        {floats, "mnuDecompile", "outputbyt.def",
         crlf({" 0 ", " 0 ", " 0 ", " 63 ", " 249 ", " 2 ", " 21 ", " 80 ", " 1 ", " 2 "})},
        {"", "mnuDecompile", "outputlong.def", ""},
        {"", "mnuDecompile", "outputfloat.def", ""},
        {"", "mnuDecompile", "outputbyt.def", ""},
        {std::string("A\xFF\x00", 3), "mnuTxtDoc", "outputdoc.def",
         crlf({" Byte  Value", "    0    65", "    1   255", "    2     0"})},
    };
    for (const auto& c : cases) {
        TempFolder dir;
        FakeHost host(dir.str());
        writeFile(dir.file(c.output), "stale content");
        ASSERT_EQ(dump(host, dir, c.command, c.input).status, Status::Done);
        EXPECT_EQ(readFile(dir.file(c.output)), c.expected) << c.output;
    }
}

TEST(Dump, DialogCaptionBoxAndFailures) {
    TempFolder dir;
    FakeHost host(dir.str());
    ASSERT_EQ(dump(host, dir, "mnuDecompile", "abcd").status, Status::Done);
    EXPECT_EQ(host.filters, std::vector<std::string>{"Files(*.*)|*.*"});
    EXPECT_EQ(host.captions, std::vector<std::string>{"Z5 DEF TOOL " + dir.file("in.bin")});
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_TRUE(host.busyAtMessage[0]);  // pointer comes back after the box
    EXPECT_EQ(host.busyChanges, (std::vector<bool>{true, false}));

    // The offset table counts in 16 bits: 32767 bytes fit, a longer input
    // fails after writing the rows that fit, without a box.
    EXPECT_EQ(dump(host, dir, "mnuTxtDoc", std::string(32767, 'x')).status, Status::Done);
    EXPECT_EQ(dump(host, dir, "mnuTxtDoc", std::string(32768, 'x')).status, Status::Failed);
    host.messages.clear();
    EXPECT_EQ(dump(host, dir, "mnuTxtDoc", std::string(40000, 'x')).status, Status::Failed);
    const std::string doc = readFile(dir.file("outputdoc.def"));
    EXPECT_EQ(std::count(doc.begin(), doc.end(), '\n'), 32769);
    EXPECT_TRUE(doc.ends_with("32767   120\r\n"));

    host.folder = dir.file("no-such-folder");
    const Outcome o = dump(host, dir, "mnuTxtDoc", "abcd");
    EXPECT_EQ(o.status, Status::Failed);
    EXPECT_NE(o.reason.find("outputdoc.def"), std::string::npos) << o.reason;
}

}  // namespace
}  // namespace z5
