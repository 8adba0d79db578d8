#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <vector>
#ifndef _WIN32
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include "tests/cli/run.hpp"
#include "tests/support/support.hpp"

namespace z5 {
namespace {

using test::cli;
using test::CliRun;
using test::folderNames;
using test::readFile;
using test::TempFolder;
using test::writeFile;

TEST(Cli, HelpAndVersion) {
    CliRun r = cli({"--help"});
    EXPECT_EQ(r.status, 0);
    EXPECT_NE(r.out.find("dump"), std::string::npos);
    EXPECT_NE(r.out.find("textdoc"), std::string::npos);
    r = cli({"--version"});
    EXPECT_EQ(r.status, 0);
    EXPECT_NE(r.out.find("z5def"), std::string::npos);
}

TEST(Cli, UsageErrorsSayWhatWasWrongInOneLineAndWriteNothing) {
    TempFolder dir;
    const struct {
        std::vector<std::string> args;
        std::string err;
    } cases[] = {
        {{"dump", ""}, "z5def dump: FILE is empty"},
        {{"3do", "compile", ""}, "z5def 3do compile: OUT.3do is empty"},
        {{"frob"}, "z5def: unknown command \"frob\"; try \"z5def --help\""},
        {{"trk", "frob"}, "z5def trk: unknown command \"frob\"; try \"z5def trk --help\""},
        {{"trk", "frob", "compile"},
         "z5def trk: unknown command \"frob\"; try \"z5def trk --help\""},
        {{"fr\x1b]0;x\x07"}, "z5def: unknown command \"fr\\x1b]0;x\\x07\"; try \"z5def --help\""},
        {{"--frob", "dump", "x"}, "z5def: unknown option \"--frob\"; try \"z5def --help\""},
        {{"dump", "a", "b"}, "z5def dump: unexpected argument \"b\"; try \"z5def dump --help\""},
        {{},
         "z5def: a command is required (unpack, pack, cleanup, dump, textdoc, trk, 3do, cam, "
         "scr, stg)"},
        {{"trk"}, "z5def trk: a command is required (decompile, compile)"},
        {{"dump"}, "z5def dump: FILE is required; try \"z5def dump --help\""},
        {{"-C", "/no/such/folder", "dump", "x"},
         "z5def: --directory: Directory does not exist: /no/such/folder; try \"z5def --help\""},
    };
    for (auto c : cases) {
        c.args.insert(c.args.begin(), {"-C", dir.str()});
        const CliRun r = cli(c.args);
        EXPECT_EQ(r.status, 2) << c.err;
        EXPECT_EQ(r.err, c.err + "\n");
        EXPECT_EQ(r.out, "");
    }
    EXPECT_TRUE(folderNames(dir.str()).empty());
}

TEST(Cli, RelativeFilesAreTakenFromTheWorkingFolder) {
    TempFolder dir;
    writeFile(dir.file("in.bin"), "AB");
    CliRun r = cli({"-C", dir.str(), "textdoc", "in.bin"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "DONE\n");
    EXPECT_EQ(readFile(dir.file("outputdoc.def")),
              test::crlf({" Byte  Value", "    0    65", "    1    66"}));
    r = cli({"-q", "-C", dir.str(), "dump", dir.file("in.bin")});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(readFile(dir.file("outputlong.def")), test::crlf({" 16961 "}));
}

TEST(Cli, FailuresExitOneWithTheReasonOnStderr) {
    TempFolder dir;
    CliRun r = cli({"-C", dir.str(), "dump", "missing.bin"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err.find("missing.bin"), std::string::npos) << r.err;
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1);

    writeFile(dir.file("big.bin"), std::string(40000, '\0'));
    r = cli({"-C", dir.str(), "textdoc", "big.bin"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("32767"), std::string::npos) << r.err;

    // Control bytes in a reason are shown escaped, 8-bit letters as they are.
    r = cli({"-C", dir.str(), "dump", "caf\xe9\x1b[2J\nx.bin"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "z5def: cannot open " + dir.file("caf\xe9\\x1b[2J\\x0ax.bin") + ": " +
                         std::strerror(ENOENT) + "\n");
}

#ifndef _WIN32
// Runs the built z5def with its standard output on `out` (closed in the
// child only) and standard error into `errFile`; the exit status, or -1 when
// it did not exit normally.
int runTool(std::vector<std::string> args, int out, const std::string& errFile) {
    args.insert(args.begin(), Z5DEF_PATH);
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out, STDOUT_FILENO);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, errFile.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0644);
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    int status = 0;
    if (spawned != 0 || waitpid(pid, &status, 0) != pid) return -2;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(Cli, OutputThatCannotBeWrittenFailsTheCommand) {
    TempFolder dir;
    writeFile(dir.file("in.bin"), "AB");
    const std::string err = dir.file("err.txt");
    const std::vector<std::string> textdoc = {"-C", dir.str(), "textdoc", "in.bin"};

    const int full = open("/dev/full", O_WRONLY);
    ASSERT_GE(full, 0);
    EXPECT_EQ(runTool(textdoc, full, err), 1);
    EXPECT_EQ(readFile(err), "z5def: cannot write to standard output: " +
                                 std::string(std::strerror(ENOSPC)) + "\n");
    // With nothing to print there is nothing to fail.
    std::vector<std::string> quiet = textdoc;
    quiet.insert(quiet.begin(), "-q");
    EXPECT_EQ(runTool(quiet, full, err), 0);
    EXPECT_EQ(readFile(err), "");
    close(full);

    // A pipe whose reader is gone: an error to report, not a silent end.
    int pipeEnds[2];
    ASSERT_EQ(pipe(pipeEnds), 0);
    close(pipeEnds[0]);
    EXPECT_EQ(runTool(textdoc, pipeEnds[1], err), 1);
    EXPECT_EQ(readFile(err), "z5def: cannot write to standard output: " +
                                 std::string(std::strerror(EPIPE)) + "\n");
    close(pipeEnds[1]);
}
#endif

}  // namespace
}  // namespace z5
