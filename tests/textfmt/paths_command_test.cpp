#include <gtest/gtest.h>

#include "tests/support/support.hpp"
#include "textfmt/command.hpp"
#include "textfmt/paths.hpp"

namespace z5 {
namespace {

using test::FakeHost;
using test::readFile;
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
    writeFile(dir.file("Cam.def"), "y");
    EXPECT_EQ(findInFolder(dir.str(), "Cam.def"), dir.file("Cam.def"));  // exact match wins
    EXPECT_EQ(findInFolder(dir.str(), "CAM.DEF"), dir.file("Cam.def"));  // first in byte order
    EXPECT_EQ(findInFolder(dir.str(), "Scr.def"), dir.file("Scr.def"));  // missing: plain join
    EXPECT_EQ(findInFolder(dir.file("no-such-folder"), "a"),
              joinPath(dir.file("no-such-folder"), "a"));
}

TEST(Paths, NamesFromInsideFilesMustBePlain) {
    EXPECT_NO_THROW(requirePlainName("ONE.TXT", "member"));
    EXPECT_NO_THROW(requirePlainName("..a", "member"));
    for (const char* bad : {"", ".", "..", "..\\x", "../x", "/tmp/x", "c:x", "a\\b"})
        EXPECT_THROW(requirePlainName(bad, "member"), CommandFailure) << bad;
    EXPECT_THROW(requirePlainName(std::string_view("a.stg\0x", 7), "member"), CommandFailure);
    try {
        requirePlainName("../x", "member name");
    } catch (const CommandFailure& e) {
        EXPECT_STREQ(e.what(), "member name \"../x\" holds a path separator");
    }
}

TEST(CommandSkeleton, SuccessSetsCaptionBusyAndShowsDoneOnce) {
    TempFolder dir;
    FakeHost host(dir.str());
    host.answer = "/some/in.trk";
    const auto outcome = runCommand(
        host, {.dialog = Dialog::Open, .filter = "Trk Files(*.trk)|*.trk"}, [](Command& cmd) {
            EXPECT_EQ(cmd.chosenPath(), "/some/in.trk");
            cmd.createText("Trk.def").line("x");  // closed by the skeleton
        });
    EXPECT_EQ(outcome.status, Status::Done);
    EXPECT_EQ(host.filters, std::vector<std::string>{"Trk Files(*.trk)|*.trk"});
    EXPECT_EQ(host.captions, std::vector<std::string>{"Z5 DEF TOOL /some/in.trk"});
    EXPECT_EQ(host.busyChanges, (std::vector<bool>{true, false}));
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0], std::make_pair(std::string("DONE"), std::string("Bank App")));
    EXPECT_FALSE(host.busyAtMessage[0]);
    EXPECT_EQ(readFile(dir.file("Trk.def")), "x\r\n");
}

TEST(CommandSkeleton, CancelTouchesNothing) {
    TempFolder dir;
    FakeHost host(dir.str());
    bool ran = false;
    const auto outcome =
        runCommand(host, {.dialog = Dialog::Open, .filter = "f|*"}, [&](Command&) { ran = true; });
    EXPECT_EQ(outcome.status, Status::Cancelled);
    EXPECT_FALSE(ran);
    EXPECT_TRUE(host.captions.empty());
    EXPECT_TRUE(host.busyChanges.empty());
    EXPECT_TRUE(host.messages.empty());
}

TEST(CommandSkeleton, FailureKeepsOutputRestoresPointerAndShowsNothing) {
    TempFolder dir;
    FakeHost host(dir.str());
    const auto outcome = runCommand(host, {}, [](Command& cmd) {
        cmd.createText("out.def").line("written before");
        cmd.createBinaryAt(cmd.outputPath("New.stg"), "New.stg", BinaryWriter::Mode::Replace)
            .i32(5);
        throw CommandFailure("Trk.def:3: value 1E+10 does not fit a 32-bit field");
    });
    EXPECT_EQ(outcome.status, Status::Failed);
    EXPECT_EQ(outcome.reason, "Trk.def:3: value 1E+10 does not fit a 32-bit field");
    EXPECT_EQ(host.busyChanges, (std::vector<bool>{true, false}));
    EXPECT_TRUE(host.messages.empty());
    EXPECT_EQ(readFile(dir.file("out.def")), "written before\r\n");
    EXPECT_FALSE(test::fileExists(dir.file("New.stg")));
}

TEST(CommandSkeleton, UnopenableInputAndOtherExceptionsBecomeReasons) {
    TempFolder dir;
    FakeHost host(dir.str());
    host.answer = dir.file("missing.bin");
    auto outcome = runCommand(host, {.dialog = Dialog::Open, .filter = "f|*"},
                              [](Command& cmd) { cmd.openInput(); });
    EXPECT_EQ(outcome.status, Status::Failed);
    EXPECT_NE(outcome.reason.find("missing.bin"), std::string::npos) << outcome.reason;
    outcome = runCommand(host, {}, [](Command&) { throw std::out_of_range("index 9"); });
    EXPECT_EQ(outcome.reason, "index 9");
}

TEST(CommandSkeleton, SaveDialogStartsInTheWorkingFolder) {
    TempFolder dir;
    FakeHost host(dir.str());
    host.answer = dir.file("out.3do");
    runCommand(host, {.dialog = Dialog::Save, .filter = "3do Files(*.3do)|*.3do"}, [](Command&) {});
    EXPECT_EQ(host.saveFolders, std::vector<std::string>{dir.str()});
}

}  // namespace
}  // namespace z5
