// What every command promises about the user's files, checked across the
// command table on the sample files: a failure leaves outputs as they were,
// links are replaced and never written through, inputs are never written
// over, and inputs are read as the user meant them.
#include <gtest/gtest.h>
#ifdef _WIN32
#include <windows.h>

#include <iostream>
#else
#include <sys/stat.h>
#endif

#include <filesystem>
#include <functional>
#include <map>

#include "commands/table.hpp"
#include "tests/support/support.hpp"

namespace z5 {
namespace {

namespace fs = std::filesystem;
using namespace test;

const fs::path kSamples = Z5_SAMPLES_DIR;

Outcome run(FakeHost& host, std::string_view menu) {
    return findCommandByMenu(menu)->run(host);
}

struct Converter {
    const char* decompile;
    const char* compile;
    const char* sample;
    const char* def;     // what the decompiler writes
    const char* output;  // what the compiler writes
};

// Each pair round trips its sample; "new.3do" is the 3do compile's chosen name.
const Converter kConverters[] = {
    {"mnuTrkDecompile", "mnuTrkCompile", "oval.trk", "Trk.def", "New.trk"},
    {"mnuCamDecompile", "mnuCamCompile", "sample.cam", "cam.def", "New.cam"},
    {"mnuScrDecompile", "mnuScrCompile", "sample.scr", "scr.def", "New.scr"},
    {"mnuSetupDecompile", "mnuSetupCompile", "sample.stg", "stg.def", "sample.stg"},
    {"mnu3doDecompile", "mnu3doCompile", "box.3do", "flavor.def", "new.3do"},
};

struct Safety : ::testing::Test {
    TempFolder root;
    fs::path work = root.path() / "work";
    FakeHost host{work.string()};
    Safety() { fs::create_directory(work); }
    std::string in(std::string_view name) const { return (work / name).string(); }

    Outcome decompile(const Converter& c) {
        host.answer = (kSamples / c.sample).string();
        return run(host, c.decompile);
    }
    Outcome compile(const Converter& c) {
        host.answer = in("new.3do");
        return run(host, c.compile);
    }
};

// A failed compile leaves the last good output byte for byte, or creates
// none, and leaves no temporary file behind.
TEST_F(Safety, FailedCompilesKeepTheLastGoodOutput) {
    for (const Converter& c : kConverters) {
        SCOPED_TRACE(c.compile);
        ASSERT_EQ(decompile(c).status, Status::Done);
        ASSERT_EQ(compile(c).status, Status::Done);
        // Cut the definition short in the middle of its values.
        std::string def = readFile(in(c.def));
        writeFile(in(c.def), def.substr(0, def.size() / 2));
        const auto before = folderFiles(work.string());
        EXPECT_EQ(compile(c).status, Status::Failed);
        EXPECT_EQ(folderFiles(work.string()), before);
        fs::remove(in(c.output));
        EXPECT_EQ(compile(c).status, Status::Failed);
        EXPECT_FALSE(fileExists(in(c.output)));
        emptyFolder(work.string());
    }
}

// A read-only file at any output name fails the command before anything is
// written, whoever runs it: unpack checks every member's target first.
TEST_F(Safety, ReadOnlyTargetsAreRefusedBeforeAnythingIsWritten) {
    host.answer = (kSamples / "sample.dat").string();
    writeFile(in("TABLE.BIN"), "mine");
    fs::permissions(in("TABLE.BIN"), fs::perms::owner_read);
    const Outcome outcome = run(host, "mnuUnpack");
    EXPECT_EQ(outcome.status, Status::Failed);
    EXPECT_NE(outcome.reason.find("TABLE.BIN: it is read-only"), std::string::npos)
        << outcome.reason;
    EXPECT_EQ(folderFiles(work.string()),
              (std::map<std::string, DiskEntry>{{"TABLE.BIN", DiskEntry::file("mine")}}));
    fs::permissions(in("TABLE.BIN"), fs::perms::owner_all);
}

// A command whose last output cannot replace its target (a folder there)
// leaves the outputs before it as they were.
TEST_F(Safety, OutputsChangeTogetherOrNotAtAll) {
    const std::pair<const char*, std::vector<const char*>> commands[] = {
        {"mnuDecompile", {"outputlong.def", "outputfloat.def", "outputbyt.def"}},
        {"mnu3doCompile", {"offset.def", "new.3do"}},
    };
    ASSERT_EQ(decompile(kConverters[4]).status, Status::Done);
    for (const auto& [menu, outputs] : commands) {
        SCOPED_TRACE(menu);
        for (const char* name : outputs) writeFile(in(name), "old");
        fs::remove(in(outputs.back()));
        fs::create_directory(in(outputs.back()));
        const auto before = folderFiles(work.string());
        host.answer = menu == std::string_view("mnuDecompile") ? (kSamples / "mixed.bin").string()
                                                               : in("new.3do");
        const Outcome outcome = run(host, menu);
        EXPECT_EQ(outcome.status, Status::Failed);
        EXPECT_NE(outcome.reason.find(": it is a folder"), std::string::npos) << outcome.reason;
        EXPECT_EQ(folderFiles(work.string()), before);
    }
}

// An output name that is one of the inputs under another name (a hard
// link; on Windows a trailing dot, or an 8.3 alias of any other file) is
// refused before anything is written.
TEST_F(Safety, OutputsUnderAnotherNameOfAnExistingFileAreRefused) {
    ASSERT_EQ(decompile(kConverters[4]).status, Status::Done);
    fs::create_hard_link(in("flavor.def"), in("linked.def"));
    writeFile(in("important_track.trk"), "keep");
    std::vector<std::pair<std::string, const char*>> names = {
        {"linked.def", "is an input of this command"}};
#ifdef _WIN32
    names.push_back({"flavor.def.", "is another name of the file flavor.def"});
    names.push_back({"vertex.def ", "is another name of the file vertex.def"});
    std::wstring alias(MAX_PATH, L'\0');
    alias.resize(GetShortPathNameW((work / "important_track.trk").wstring().c_str(), alias.data(),
                                   MAX_PATH));
    alias = fs::path(alias).filename().wstring();
    if (alias != L"important_track.trk")
        names.push_back(
            {fs::path(alias).string(), "is another name of the file important_track.trk"});
    else
        std::cout << "no 8.3 names on this file system: alias check not run\n";
#endif
    const auto before = folderFiles(work.string());
    for (const auto& [name, reason] : names) {
        SCOPED_TRACE(name);
        host.answer = in(name);
        const Outcome outcome = run(host, "mnu3doCompile");
        EXPECT_EQ(outcome.status, Status::Failed);
        EXPECT_NE(outcome.reason.find(reason), std::string::npos) << outcome.reason;
        EXPECT_EQ(folderFiles(work.string()), before);
    }
}

#ifndef _WIN32
// A link at any output name is replaced by the new file; the file it
// pointed to outside the working folder is never written.
TEST_F(Safety, OutputsReplaceLinksInsteadOfWritingThroughThem) {
    writeFile(root.file("outside.txt"), "keep");
    const std::pair<const char*, std::vector<const char*>> commands[] = {
        {"mnuDecompile", {"outputlong.def", "outputfloat.def", "outputbyt.def"}},
        {"mnuTxtDoc", {"outputdoc.def"}},
        {"mnuUnpack", {"dattext.pck", "README.TXT"}},
        {"mnuTrkDecompile", {"Trk.def"}},
        {"mnuTrkCompile", {"New.trk"}},
        {"mnu3doDecompile", {"vertex.def", "flavor.def"}},
        {"mnu3doCompile", {"offset.def", "new.3do"}},
    };
    const std::map<std::string_view, std::string> inputs = {
        {"mnuDecompile", "mixed.bin"},  {"mnuTxtDoc", "mixed.bin"},
        {"mnuUnpack", "sample.dat"},    {"mnuTrkDecompile", "oval.trk"},
        {"mnu3doDecompile", "box.3do"},
    };
    for (const auto& [menu, outputs] : commands) {
        SCOPED_TRACE(menu);
        for (const char* name : outputs) fs::create_symlink("../outside.txt", in(name));
        const auto it = inputs.find(menu);
        host.answer = it != inputs.end() ? (kSamples / it->second).string() : in("new.3do");
        ASSERT_EQ(run(host, menu).status, Status::Done);
        for (const char* name : outputs) EXPECT_FALSE(fs::is_symlink(in(name))) << name;
        EXPECT_EQ(readFile(root.file("outside.txt")), "keep");
        // The compilers take the next step's inputs from this one's outputs.
        if (std::string_view(menu) != "mnuTrkDecompile" &&
            std::string_view(menu) != "mnu3doDecompile")
            for (const char* name : outputs) fs::remove(in(name));
    }
}
#endif

// Inputs as the user meant them: devices and folders are no inputs, a value
// without a number is named where it stands.
TEST_F(Safety, InputsAreReadAsMeant) {
    host.answer = (kSamples / "oval.trk").string();
    ASSERT_EQ(run(host, "mnuTrkDecompile").status, Status::Done);
    std::vector<std::string> lines = splitCrlf(readFile(in("Trk.def")));
    lines[9] = lines[9].substr(0, lines[9].size() - 12) + "       blank";
    writeFile(in("Trk.def"), joinCrlf(lines));
    ASSERT_EQ(run(host, "mnuTrkCompile").status, Status::Done);
    EXPECT_EQ(host.notices, std::vector<std::string>{
                                "Trk.def:10:20: warning: the layout has a whole number here (the "
                                "Length line); found \"blank\", read as 0"});

    fs::create_directory(in("folder"));
#ifdef _WIN32
    const std::string odds[] = {"NUL", "CON", in("folder")};
#else
    ASSERT_EQ(::mkfifo(in("fifo").c_str(), 0600), 0);
    const std::string odds[] = {"/dev/zero", in("fifo"), in("folder")};
#endif
    for (const std::string& odd : odds) {
        host.answer = odd;
        EXPECT_EQ(run(host, "mnuDecompile").status, Status::Failed) << odd;
        EXPECT_FALSE(fileExists(in("outputlong.def")));
    }
}

}  // namespace
}  // namespace z5
