#include "core/command.hpp"

#include <gtest/gtest.h>

#include "tests/support/support.hpp"

namespace z5 {
namespace {

using test::FakeHost;
using test::readFile;
using test::TempFolder;
using test::writeFile;

struct CommandSkeleton : ::testing::Test {
    TempFolder dir;
    FakeHost host{dir.str()};
};

TEST_F(CommandSkeleton, SuccessSetsCaptionBusyAndShowsDoneOnce) {
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

TEST_F(CommandSkeleton, CancelTouchesNothing) {
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
TEST_F(CommandSkeleton, FailureKeepsOldOutputsRestoresPointerAndShowsNothing) {
    for (const bool partial : {false, true}) {
        host.busyChanges.clear();
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
TEST_F(CommandSkeleton, OutputsMayNotBeInputsOrEachOther) {
    writeFile(dir.file("Flavor.def"), "x");
    const auto fails = [&](const std::function<void(Command&)>& body) {
        const Outcome o = runCommand(host, {}, body);
        return o.status == Status::Failed ? o.reason : std::string("done");
    };
    // The input named as it is spelled in the folder.
    EXPECT_EQ(fails([](Command& cmd) {
                  cmd.openText("flavor.def");
                  cmd.createText("FLAVOR.DEF");
              }),
              "Flavor.def is an input of this command; it is not written over");
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

TEST_F(CommandSkeleton, OtherExceptionsBecomeReasons) {
    const Outcome o = runCommand(host, {}, [](Command&) { throw std::out_of_range("index 9"); });
    EXPECT_EQ(o.status, Status::Failed);
    EXPECT_EQ(o.reason, "index 9");
}

}  // namespace
}  // namespace z5
