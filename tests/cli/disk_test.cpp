// What the built z5def does on the disk, watched with strace: a replaced
// file is flushed before it takes the name and its folder after, and a
// signal at any moment leaves no temporary file or folder. Skipped where
// strace is missing or may not trace.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <regex>
#include <string>
#include <vector>
#ifndef _WIN32
#include <sys/wait.h>
#endif

#include "platform/paths.hpp"
#include "tests/support/support.hpp"

namespace z5 {
namespace {

using test::folderFiles;
using test::folderNames;
using test::readFile;
using test::TempFolder;
using test::writeFile;

#ifndef _WIN32
bool straceWorks() {
    static const bool works = std::system("strace -o /dev/null true >/dev/null 2>&1") == 0;
    return works;
}

// Runs the built z5def in `folder` under strace with `options` (and the
// environment settings `env`); its exit status, or -1 when a signal ended it.
int traced(const std::string& folder, const std::string& env, const std::string& options,
           const std::string& args) {
    // The leak checker cannot work under a tracer.
    const std::string line = "cd '" + folder + "' && env ASAN_OPTIONS=detect_leaks=0 " + env +
                             " strace -f -qq -o trace.log " + options + " '" + Z5DEF_PATH +
                             "' -q " + args + " >/dev/null 2>err.txt";
    const int status = std::system(line.c_str());
    if (!WIFEXITED(status)) return -1;
    // The shell reports a command ended by a signal as 128 and its number.
    return WEXITSTATUS(status) > 128 ? -1 : WEXITSTATUS(status);
}

// Replacing a file: the new file is flushed, renamed over the old one, and
// the folder flushed, in that order; a file that replaces nothing is not
// flushed (unpack of many new members stays fast).
TEST(Disk, ReplacedFilesAreOnTheDiskBeforeAndAfterTheRename) {
    if (!straceWorks()) GTEST_SKIP() << "strace is missing or may not trace here";
    for (const char* env : {"", "Z5_NO_TMPFILE=1"}) {
        SCOPED_TRACE(env);
        TempFolder dir;
        const std::string args = std::string("trk decompile '") + Z5_SAMPLES_DIR + "/oval.trk'";
        const std::string options = "-y -e trace=fsync,rename,renameat,renameat2";
        ASSERT_EQ(traced(dir.str(), env, options, args), 0);
        EXPECT_EQ(readFile(dir.file("trace.log")).find("fsync"), std::string::npos);
        ASSERT_EQ(traced(dir.str(), env, options, args), 0);
        const std::string log = readFile(dir.file("trace.log"));
        const std::regex order(
            "fsync\\(\\d+<[^>]*(#\\d+|\\.z5-\\w+\\.tmp)>[^\\n]*= 0\\n"
            "[\\s\\S]*rename\\w*\\([^\\n]*\\.z5-\\w+\\.tmp\", [^\\n]*Trk\\.def\"\\) += 0\\n"
            "[\\s\\S]*fsync\\(\\d+<" +
            dir.str() + ">\\) += 0");  // strace pads short calls before their "="
        EXPECT_TRUE(std::regex_search(log, order)) << log;
    }
}

// When the last of a command's outputs cannot take its name, those before it
// get their old files back; when even that fails, the reason names the
// file that keeps each old one.
TEST(Disk, OutputsThatCannotAllBePutInPlaceAreRolledBack) {
    if (!straceWorks()) GTEST_SKIP() << "strace is missing or may not trace here";
    const std::string args = std::string("dump '") + Z5_SAMPLES_DIR + "/mixed.bin'";
    const char* outputs[] = {"outputlong.def", "outputfloat.def", "outputbyt.def"};
    for (const char* env : {"", "Z5_NO_TMPFILE=1"}) {
        SCOPED_TRACE(env);
        TempFolder dir;
        for (const char* name : outputs) writeFile(dir.file(name), name);
        EXPECT_EQ(traced(dir.str(), env, "-e trace=rename -e inject=rename:error=EIO:when=3", args),
                  1);
        EXPECT_NE(readFile(dir.file("err.txt")).find("cannot replace " + dir.file("outputbyt.def")),
                  std::string::npos);
        for (const char* name : outputs) EXPECT_EQ(readFile(dir.file(name)), name);
        EXPECT_EQ(folderNames(dir.str()).size(), 5u);  // and err.txt, trace.log

        // Every rename from the third on fails: the two replaced outputs
        // cannot be put back, and their old files are named.
        EXPECT_EQ(
            traced(dir.str(), env, "-e trace=rename -e inject=rename:error=EIO:when=3+", args), 1);
        const std::string err = readFile(dir.file("err.txt"));
        for (const char* name : {"outputlong.def", "outputfloat.def"}) {
            const std::string kept = std::string("; ") + name +
                                     " could not be put back: its old file is " + dir.str() + "/";
            const std::size_t at = err.find(kept);
            ASSERT_NE(at, std::string::npos) << err;
            const std::string backup =
                err.substr(at + kept.size() - dir.str().size() - 1, dir.str().size() + 1 + 18);
            EXPECT_EQ(readFile(backup), name);
        }
    }
}

// A build that cannot write in its work folder (every linkat failing, as
// on a full disk: the definition file is copied and cannot be named; or
// only the second, which names the compiled member) names the member and
// the user's file, never a file of the work folder, and leaves nothing.
TEST(Disk, BuildThatCannotWriteItsWorkFilesNamesTheMember) {
    if (!straceWorks()) GTEST_SKIP() << "strace is missing or may not trace here";
    TempFolder dir;
    writeFile(dir.file("one.dat"),
              test::archive({{"OVAL.TRK", readFile(std::string(Z5_SAMPLES_DIR) + "/oval.trk")}}));
    ASSERT_EQ(traced(dir.str(), "", "", "extract one.dat ws"), 0);
    const auto left = [&] {
        auto files = folderFiles(dir.str(), true);
        for (const char* log : {"trace.log", "err.txt"}) files.erase(log);
        return files;
    };
    const auto before = left();
    const std::string full = std::strerror(ENOSPC);
    const std::pair<const char*, std::string> cases[] = {
        {"linkat:error=ENOSPC", "OVAL.TRK: cannot copy ws/OVAL.TRK.def/Trk.def to compile it: "},
        {"linkat:error=ENOSPC:when=2", "OVAL.TRK: cannot write the compiled member: "}};
    for (const auto& [inject, reason] : cases) {
        SCOPED_TRACE(inject);
        EXPECT_EQ(traced(dir.str(), "", "-e trace=linkat -e inject=" + std::string(inject),
                         "build -j 1 ws -o out.dat"),
                  1);
        EXPECT_EQ(readFile(dir.file("err.txt")), "z5def build: " + reason + full + "\n");
        EXPECT_TRUE(left() == before) << "the build left files behind";
    }
}

// A signal while outputs are put in place over existing files, or while a
// private or work folder is in use, ends the run and leaves nothing of it.
TEST(Disk, SignalsLeaveNoTemporaryFileOrFolder) {
    if (!straceWorks()) GTEST_SKIP() << "strace is missing or may not trace here";
    const std::string dat = std::string("'") + Z5_SAMPLES_DIR + "/sample.dat'";
    struct Case {
        const char* env;
        const char* inject;  // the call that brings the signal
        std::string args;
    };
    const Case cases[] = {
        // The second linkat names a finished member beside the old one.
        {"", "linkat:signal=SIGINT:when=2", "unpack " + dat},
        {"Z5_NO_TMPFILE=1", "fsync:signal=SIGINT:when=2", "unpack " + dat},
        // The first mkdir makes the private or work folder itself.
        {"TMPDIR=$PWD/tmp", "mkdir:signal=SIGINT:when=1", "verify --deep " + dat},
        {"TMPDIR=$PWD/tmp", "mkdir:signal=SIGTERM:when=3", "verify --deep " + dat},
        {"", "mkdir:signal=SIGINT:when=1", "extract " + dat + " ws"},
        {"", "mkdir:signal=SIGTERM:when=2", "extract " + dat + " ws"},
        {"", "mkdir:signal=SIGINT:when=1", "build built"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args + " " + c.inject);
        TempFolder dir;
        std::filesystem::create_directory(dir.path() / "tmp");
        ASSERT_EQ(traced(dir.str(), "", "", "unpack " + dat), 0);
        ASSERT_EQ(traced(dir.str(), "", "", "extract " + dat + " built"), 0);
        auto before = folderFiles(dir.str(), true);
        const std::string inject = c.inject;
        const std::string call = inject.substr(0, inject.find(':'));
        EXPECT_EQ(traced(dir.str(), c.env, "-e trace=" + call + " -e inject=" + inject, c.args), -1)
            << "the signal did not end the run";
        auto after = folderFiles(dir.str(), true);
        for (const char* log : {"trace.log", "err.txt"}) {
            before.erase(log);
            after.erase(log);
        }
        EXPECT_EQ(after, before);
    }
}

// A signal while the work folder of extract or build is itself being
// removed, at the very end, still leaves nothing of it. The members of
// sample.dat stay files: the first unlinkat is that removal.
TEST(Disk, SignalsWhileTheWorkFolderIsRemovedLeaveNothing) {
    if (!straceWorks()) GTEST_SKIP() << "strace is missing or may not trace here";
    const std::string dat = std::string("'") + Z5_SAMPLES_DIR + "/sample.dat'";
    for (const std::string& args :
         {"extract " + dat + " ws", std::string("build built -o new.dat")}) {
        SCOPED_TRACE(args);
        TempFolder dir;
        ASSERT_EQ(traced(dir.str(), "", "", "extract " + dat + " built"), 0);
        const auto others = [&] {
            std::vector<std::string> names = folderNames(dir.str());
            std::erase_if(names, [](const std::string& name) {
                return name == "ws" || name == "new.dat" || name == "trace.log" ||
                       name == "err.txt";
            });
            return names;
        };
        const auto before = others();
        EXPECT_EQ(traced(dir.str(), "", "-e trace=unlinkat -e inject=unlinkat:signal=SIGINT:when=1",
                         args),
                  -1)
            << "the signal did not end the run";
        // What the run made may be complete; nothing else is new.
        const auto after = others();
        EXPECT_EQ(after, before);
    }
}
#endif

}  // namespace
}  // namespace z5
