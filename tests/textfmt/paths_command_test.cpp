#include <gtest/gtest.h>

#include <functional>

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
    EXPECT_EQ(findInFolder(dir.str(), "Scr.def"), dir.file("Scr.def"));  // missing: plain join
    EXPECT_EQ(findInFolder(dir.file("no-such-folder"), "a"),
              joinPath(dir.file("no-such-folder"), "a"));
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
    // A name from inside a file is quoted escaped and cut to one short line.
    try {
        requirePlainName("\x1b[2J/" + std::string(100, 'a'), "setup name");
    } catch (const CommandFailure& e) {
        EXPECT_EQ(std::string(e.what()),
                  "setup name \"\\x1b[2J/" + std::string(55, 'a') + "...\" holds a path separator");
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

// A failure leaves every output as it was, unless the command keeps what its
// text outputs show so far; the pointer is restored and nothing is shown.
TEST(CommandSkeleton, FailureKeepsOldOutputsRestoresPointerAndShowsNothing) {
    for (const bool partial : {false, true}) {
        TempFolder dir;
        FakeHost host(dir.str());
        writeFile(dir.file("out.def"), "old");
        CommandOptions options;
        options.keepsPartialOutput = partial;
        const auto outcome = runCommand(host, options, [](Command& cmd) {
            cmd.createText("out.def").line("written before");
            cmd.createBinaryAt(cmd.outputPath("New.stg"), "New.stg").i32(5);
            throw CommandFailure("Trk.def:3: value 1E+10 does not fit a 32-bit field");
        });
        EXPECT_EQ(outcome.status, Status::Failed);
        EXPECT_EQ(outcome.reason, "Trk.def:3: value 1E+10 does not fit a 32-bit field");
        EXPECT_EQ(host.busyChanges, (std::vector<bool>{true, false}));
        EXPECT_TRUE(host.messages.empty());
        EXPECT_EQ(readFile(dir.file("out.def")), partial ? "written before\r\n" : "old");
        EXPECT_EQ(test::folderNames(dir.str()), std::vector<std::string>{"out.def"});
    }
}

// No command writes over one of its inputs or writes one file twice, in any
// letter case; both are refused before anything is written.
TEST(CommandSkeleton, OutputsMayNotBeInputsOrEachOther) {
    TempFolder dir;
    FakeHost host(dir.str());
    writeFile(dir.file("Flavor.def"), "x");
    const auto fails = [&](const std::function<void(Command&)>& body) {
        const Outcome o = runCommand(host, {}, body);
        return o.status == Status::Failed ? o.reason : std::string("done");
    };
    EXPECT_EQ(fails([](Command& cmd) {
                  cmd.openText("flavor.def");
                  cmd.createText("FLAVOR.DEF");
              }),
              "flavor.def is an input of this command; it is not written over");
    EXPECT_EQ(fails([](Command& cmd) {
                  cmd.createBinaryAt(cmd.outputPath("offset.DEF"), "offset.DEF");
                  cmd.createText("offset.def");
              }),
              "offset.def and offset.DEF would be written as one file");
    EXPECT_EQ(fails([&](Command& cmd) {
                  cmd.createText("a.def");
                  cmd.openTextAt(dir.str() + "/sub/../A.def", "A.def");
              }),
              "A.def is an input of this command; it is not written over");
    EXPECT_EQ(readFile(dir.file("Flavor.def")), "x");
    EXPECT_EQ(fails([](Command& cmd) {  // reading one input twice is fine
                  cmd.openText("flavor.def");
                  cmd.openText("flavor.def");
              }),
              "done");
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
