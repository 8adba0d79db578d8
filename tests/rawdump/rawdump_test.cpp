#include <gtest/gtest.h>

#include "commands/handlers.hpp"
#include "tests/support/support.hpp"

namespace z5 {
namespace {

using test::Bytes;
using test::crlf;
using test::FakeHost;
using test::readFile;
using test::TempFolder;
using test::writeFile;

struct DumpFixture : ::testing::Test {
    TempFolder dir;
    FakeHost host{dir.str()};
    void input(std::string_view bytes) {
        writeFile(dir.file("in.bin"), bytes);
        host.answer = dir.file("in.bin");
    }
    std::string out(const char* name) { return readFile(dir.file(name)); }
};

TEST_F(DumpFixture, ThreeViewsOfTheSameBytes) {
    input(Bytes().i32(1).i32(-1).str());
    const Outcome o = mnuDecompile_Click(host);
    ASSERT_EQ(o.status, Status::Done) << o.reason;
    EXPECT_EQ(out("outputlong.def"), crlf({" 1 ", "-1 "}));
    EXPECT_EQ(out("outputbyt.def"),
              crlf({" 1 ", " 0 ", " 0 ", " 0 ", " 255 ", " 255 ", " 255 ", " 255 "}));
    EXPECT_EQ(out("outputfloat.def"), crlf({" 1.401298E-45 ", " NaN "}));
    EXPECT_EQ(host.filters, std::vector<std::string>{"Files(*.*)|*.*"});
    EXPECT_EQ(host.captions, std::vector<std::string>{"Z5 DEF TOOL " + dir.file("in.bin")});
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_TRUE(host.busyAtMessage[0]);  // pointer comes back after the box
    EXPECT_EQ(host.busyChanges, (std::vector<bool>{true, false}));
}

TEST_F(DumpFixture, FloatsAndAShortFinalGroup) {
    input(Bytes().f32(0.5f).f32(1e10f).u8(1).u8(2).str());
    ASSERT_EQ(mnuDecompile_Click(host).status, Status::Done);
    EXPECT_EQ(out("outputfloat.def"), crlf({" .5 ", " 1E+10 ", " 7.188661E-43 "}));
    EXPECT_EQ(out("outputlong.def"), crlf({" 1056964608 ", " 1343554297 ", " 513 "}));
    EXPECT_EQ(out("outputbyt.def").substr(out("outputbyt.def").size() - 10), crlf({" 1 ", " 2 "}));
}

TEST_F(DumpFixture, EmptyFileGivesEmptyDumps) {
    input("");
    writeFile(dir.file("outputlong.def"), "stale content");
    ASSERT_EQ(mnuDecompile_Click(host).status, Status::Done);
    EXPECT_EQ(out("outputlong.def"), "");
    EXPECT_EQ(out("outputfloat.def"), "");
    EXPECT_EQ(out("outputbyt.def"), "");
}

TEST_F(DumpFixture, MissingInputFailsWithReasonAndNoMessage) {
    host.answer = dir.file("nope.bin");
    const Outcome o = mnuDecompile_Click(host);
    EXPECT_EQ(o.status, Status::Failed);
    EXPECT_NE(o.reason.find("nope.bin"), std::string::npos);
    EXPECT_TRUE(host.messages.empty());
    EXPECT_FALSE(host.busyChanges.back());
}

TEST_F(DumpFixture, UnwritableFolderFailsAfterNothing) {
    input("abcd");
    host.folder = dir.file("no-such-folder");
    const Outcome o = mnuTxtDoc_Click(host);
    EXPECT_EQ(o.status, Status::Failed);
    EXPECT_NE(o.reason.find("outputdoc.def"), std::string::npos) << o.reason;
}

TEST_F(DumpFixture, OffsetTableColumns) {
    input(std::string("A\xFF\x00", 3));
    ASSERT_EQ(mnuTxtDoc_Click(host).status, Status::Done);
    EXPECT_EQ(out("outputdoc.def"),
              crlf({" Byte  Value", "    0    65", "    1   255", "    2     0"}));
}

TEST_F(DumpFixture, OffsetTableStopsAfter32768BytesWithAFailure) {
    input(std::string(40000, 'x'));
    const Outcome o = mnuTxtDoc_Click(host);
    EXPECT_EQ(o.status, Status::Failed);
    EXPECT_TRUE(host.messages.empty());
    const std::string doc = out("outputdoc.def");
    EXPECT_EQ(std::count(doc.begin(), doc.end(), '\n'), 32769);
    EXPECT_TRUE(doc.ends_with("32767   120\r\n"));
}

TEST_F(DumpFixture, OffsetTableOfExactly32767BytesSucceeds) {
    input(std::string(32767, 'x'));
    EXPECT_EQ(mnuTxtDoc_Click(host).status, Status::Done);
    input(std::string(32768, 'x'));
    EXPECT_EQ(mnuTxtDoc_Click(host).status, Status::Failed);
}

}  // namespace
}  // namespace z5
