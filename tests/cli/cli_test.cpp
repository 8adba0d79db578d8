// The command line: every row of the command table run by its words on the
// sample files, usage errors, failures, and output that cannot be written.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <set>
#include <sstream>
#include <vector>
#ifndef _WIN32
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include "commands/table.hpp"
#include "tests/cli/run.hpp"
#include "tests/support/support.hpp"
#include "tools/table.hpp"

namespace z5 {
namespace {

namespace fs = std::filesystem;
using test::cli;
using test::CliRun;
using test::folderFiles;
using test::folderNames;
using test::readFile;
using test::TempFolder;
using test::writeFile;

std::string sample(const char* name) {
    return (fs::path(Z5_SAMPLES_DIR) / name).string();
}

// One command line: the words of a row, its FILE argument (a sample, or a
// name in the working folder), and a file it writes that must equal a
// sample byte for byte.
struct Step {
    std::string words;
    std::string file = {};
    std::string output = {};
    std::string sameAs = {};
    std::string err = {};
};

std::vector<std::string> split(const std::string& words) {
    std::vector<std::string> out;
    std::istringstream in(words);
    for (std::string word; in >> word;) out.push_back(word);
    return out;
}

// "trk compile", "unpack".
std::string wordsOf(const CommandEntry& row) {
    return row.cliGroup.empty() ? std::string(row.cliName)
                                : std::string(row.cliGroup) + " " + std::string(row.cliName);
}

const CommandEntry& rowOf(const std::string& words) {
    for (const CommandEntry& row : commandTable())
        if (wordsOf(row) == words) return row;
    throw std::runtime_error("no command \"" + words + "\"");
}

// Each family runs in a fresh working folder, every step building on the
// one before: a compile takes what its decompile wrote and must give the
// sample back; pack takes the list unpack wrote. Each step's folder must
// then hold exactly what the same row writes for a scripted host.
TEST(Cli, EveryCommandRunsByItsWordsOnTheSamples) {
    const std::vector<Step> families[] = {
        {{"unpack", sample("sample.dat")},
         {"pack", "dattext.pck", "sample.dat", sample("sample.dat")},
         {"cleanup"}},
        {{"dump", sample("mixed.bin")}, {"textdoc", sample("mixed.bin")}},
        {{"trk decompile", sample("oval.trk")},
         {"trk compile", "", "New.trk", sample("oval.trk")},
         {"trk view"},
         {"trk view", sample("speedway.trk")}},
        // The export's OBJ, its positions unchanged, compiles to the same object.
        {{"3do decompile", sample("box.3do")},
         {"3do compile", "out.3do", "out.3do", sample("box.3do")},
         {"3do view"},
         {"3do view", sample("wheel.3do")},
         {"3do export", "", "", "",
          "vertex.def and flavor.def: 0 unresolved references, 2 undrawn outlines\n"},
         {"3do export", "out.3do", "", "",
          "out.3do: 0 unresolved references, 2 undrawn outlines\n"},
         {"3do positions", "out.obj"},
         {"3do compile", "again.3do", "again.3do", sample("box.3do")}},
        {{"cam decompile", sample("sample.cam")},
         {"cam compile", "", "New.cam", sample("sample.cam")}},
        {{"scr decompile", sample("sample.scr")},
         {"scr compile", "", "New.scr", sample("sample.scr")}},
        {{"stg decompile", sample("sample.stg")},
         {"stg compile", "", "sample.stg", sample("sample.stg")}},
    };
    std::set<std::string> run;
    for (const auto& steps : families) {
        // Both working folders are named alike: the setup decompiler writes
        // the folder's name.
        TempFolder root;
        const std::string work = root.file("work"), reference = root.file("reference/work");
        fs::create_directories(work);
        fs::create_directories(reference);
        for (const Step& step : steps) {
            SCOPED_TRACE(step.words);
            std::vector<std::string> args = split(step.words);
            if (!step.file.empty()) args.push_back(step.file);
            args.insert(args.begin(), {"-C", work});
            const CliRun r = cli(args);
            EXPECT_EQ(r.status, 0);
            EXPECT_EQ(r.out, "DONE\n");
            EXPECT_EQ(r.err, step.err);

            test::FakeHost host(reference);
            if (!step.file.empty()) host.answer = (fs::path(reference) / step.file).string();
            if (step.file.empty() && rowOf(step.words).options.fileOptional) host.answer = "";
            ASSERT_EQ(rowOf(step.words).run(host).status, Status::Done);
            EXPECT_EQ(folderFiles(work), folderFiles(reference));
            if (!step.output.empty()) {
                EXPECT_EQ(readFile(work + "/" + step.output), readFile(step.sameAs));
            }
            // The row tells what it writes and which row compiles it back
            // (the next step), as verify and the workspace commands use it.
            const CommandEntry& row = rowOf(step.words);
            for (std::string_view name : row.writes) {
                EXPECT_TRUE(name.empty() || test::fileExists(work + "/" + std::string(name)))
                    << name;
            }
            if (!row.compiledBy.empty()) {
                EXPECT_EQ(wordsOf(*findCommandByMenu(row.compiledBy)), (&step + 1)->words);
            }
            run.insert(step.words);
        }
    }
    for (const CommandEntry& row : commandTable()) EXPECT_TRUE(run.count(wordsOf(row))) << row.menu;
}

TEST(Cli, OutputOptionNamesThePicture) {
    TempFolder dir;
    const CliRun r = cli({"-C", dir.str(), "trk", "view", sample("oval.trk"), "-o", "lap.svg"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(folderNames(dir.str()), std::vector<std::string>{"lap.svg"});
}

TEST(Cli, HelpAndVersion) {
    CliRun r = cli({"--help"});
    EXPECT_EQ(r.status, 0);
    EXPECT_NE(r.out.find("dump"), std::string::npos);
    EXPECT_NE(r.out.find("textdoc"), std::string::npos);
    // A group's help names each of its commands, though none is on the line.
    r = cli({"trk", "--help"});
    EXPECT_EQ(r.status, 0);
    EXPECT_NE(r.out.find("write Trk.def"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("write New.trk"), std::string::npos) << r.out;
    r = cli({"--version"});
    EXPECT_EQ(r.status, 0);
    EXPECT_NE(r.out.find("z5def"), std::string::npos);
    // "/?" is "--help", as Windows programs take it.
    EXPECT_EQ(cli({"/?"}).out, cli({"--help"}).out);
    EXPECT_EQ(cli({"trk", "/?"}).out, cli({"trk", "--help"}).out);
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
         "scr, stg, verify, check, extract, build, list, add, diff, textconv, merge)"},
        {{"trk"}, "z5def trk: a command is required (decompile, compile, view)"},
        {{"3do", "view", ""}, "z5def 3do view: FILE.3do is empty"},
        {{"trk", "view", "-o", ""}, "z5def trk view: OUT.svg is empty"},
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

    // A file may bear the word of a command.
    writeFile(dir.file("verify"), "AB");
    r = cli({"-q", "-C", dir.str(), "textdoc", "verify"});
    EXPECT_EQ(r.status, 0) << r.err;
}

TEST(Cli, FailuresExitOneWithTheReasonOnStderr) {
    TempFolder dir;
    CliRun r = cli({"-C", dir.str(), "dump", "missing.bin"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err.find("missing.bin"), std::string::npos) << r.err;
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1);

    // Control bytes in a reason are shown escaped, 8-bit letters as they are.
    r = cli({"-C", dir.str(), "dump", "caf\xe9\x1b[2J\nx.bin"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "z5def: cannot open " + dir.file("caf\xe9\\x1b[2J\\x0ax.bin") + ": " +
                         std::strerror(ENOENT) + "\n");
}

// A diagnostic on a terminal: its line and a caret under the column as the
// line is shown, also for an empty line; a binary's by the byte, without.
TEST(Cli, DiagnosticsWithTheirLineAndCaret) {
    const auto shown = [](const Diagnostic& d) {
        std::ostringstream out;
        tools::printDiagnostic(out, d, true);
        return out.str();
    };
    EXPECT_EQ(shown({"Trk.def", 9, 1, "the layout has ...", "", DiagnosticKind::Warning}),
              "Trk.def:9:1: warning: the layout has ...\n\n^\n");
    EXPECT_EQ(shown({"cam.def", 2, 3, "m", "x\x1by", DiagnosticKind::Error}),
              "cam.def:2:3: error: m\nx\\x1by\n     ^\n");
    EXPECT_EQ(shown({"x.trk", 0, 0, "m", {}, DiagnosticKind::Error, 28}),
              "x.trk: byte 28: error: m\n");
}

// A binary cut short fails the command (exit 1) unless --lenient reads it
// on with a warning; --strict makes the warning on bytes after a file's
// records an error and writes nothing.
TEST(Cli, DamagedBinariesExitOneUnlessReadLeniently) {
    TempFolder dir;
    writeFile(dir.file("cut.3do"), readFile(sample("box.3do")).substr(0, 61));
    writeFile(dir.file("long.trk"), readFile(sample("oval.trk")) + "xy");
    const std::string cut = " ends at byte 61, inside vertex 3 of 8 (PERP at byte 12)";

    CliRun r = cli({"-C", dir.str(), "3do", "decompile", "cut.3do"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("cut.3do" + cut + "\n"), std::string::npos) << r.err;

    r = cli({"--lenient", "-C", dir.str(), "3do", "decompile", "cut.3do"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "DONE\n");
    EXPECT_NE(
        r.err.find("cut.3do: warning:" + cut + "; read with zeros past its end (--lenient)\n"),
        std::string::npos)
        << r.err;

    r = cli({"--strict", "-C", dir.str(), "trk", "decompile", "long.trk"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("long.trk: error: 2 bytes after the last section"), std::string::npos)
        << r.err;
    EXPECT_FALSE(test::fileExists(dir.file("Trk.def")));
}

// --strict and --lenient together are a usage error, also when --lenient
// is build's own; nothing is read.
TEST(Cli, StrictAndLenientExcludeEachOther) {
    TempFolder dir;
    CliRun r = cli({"--strict", "--lenient", "-C", dir.str(), "trk", "decompile", "x.trk"});
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.err, "z5def: --strict and --lenient exclude each other\n");
    r = cli({"--strict", "-C", dir.str(), "build", "--lenient", "ws"});
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.err, "z5def build: --strict and --lenient exclude each other\n");
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

// An archive by its members: list what it holds, unpack one, put one back.
TEST(Cli, ArchiveMembersByName) {
    TempFolder dir;
    const std::string game = dir.file("game.dat");
    fs::copy_file(sample("game.dat"), game);
    const CliRun listed = cli({"-C", dir.str(), "list", "game.dat"});
    EXPECT_EQ(listed.status, 0) << listed.err;
    const std::vector<std::string> lines = test::splitLines(listed.out, "\n");
    ASSERT_EQ(lines.size(), 10u);
    EXPECT_EQ(lines[0], "OVAL.TRK            1000        245  trk");
    EXPECT_EQ(lines[6], "sample.scr            60       5761  scr");
    EXPECT_EQ(lines[8], "MIXED.BIN             31       5977  -");
    EXPECT_EQ(lines[9], "9 members, 5.9 KiB");

    // Unpack one member in another letter case; edit it; add it back.
    const CliRun one = cli({"-C", dir.str(), "-q", "unpack", "game.dat", "oval.trk"});
    EXPECT_EQ(one.status, 0) << one.err;
    EXPECT_EQ(folderNames(dir.str()), (std::vector<std::string>{"OVAL.TRK", "game.dat"}));
    EXPECT_EQ(readFile(dir.file("OVAL.TRK")), readFile(sample("oval.trk")));
    const CliRun unknown = cli({"-C", dir.str(), "unpack", "game.dat", "OVAL.TRK", "NONE.BIN"});
    EXPECT_EQ(unknown.status, 1);
    EXPECT_NE(unknown.err.find("no member NONE.BIN"), std::string::npos) << unknown.err;

    // The edited member under another letter case (one file where names
    // ignore it).
    fs::remove(dir.file("OVAL.TRK"));
    writeFile(dir.file("oval.trk"), "edited");
    writeFile(dir.file("NEW.BIN"), "new");
    const std::string before = readFile(game);
    const CliRun added = cli({"-C", dir.str(), "add", "game.dat", "oval.trk", "NEW.BIN"});
    EXPECT_EQ(added.status, 0) << added.err;
    EXPECT_EQ(added.out, "replaced: OVAL.TRK\nadded: NEW.BIN\n");
    EXPECT_EQ(readFile(dir.file("game.dat.bak")), before);
    const std::vector<std::string> after =
        test::splitLines(cli({"-C", dir.str(), "list", "game.dat"}).out, "\n");
    ASSERT_EQ(after.size(), 11u);
    EXPECT_EQ(after[0], "OVAL.TRK               6        272  -");
    EXPECT_EQ(after[9], "NEW.BIN                3       5041  -");

    // A damaged archive is refused naming the member.
    writeFile(dir.file("cut.dat"), before.substr(0, 3000));
    const CliRun cut = cli({"-C", dir.str(), "list", "cut.dat"});
    EXPECT_EQ(cut.status, 1);
    EXPECT_NE(cut.err.find("the archive ends inside member wheel.3do"), std::string::npos)
        << cut.err;
}

// A compile takes the path of its definition file, or of the folder that
// holds it, in place of -C.
TEST(Cli, CompileTakesThePathOfItsDefinitionFile) {
    TempFolder dir;
    const std::string folder = dir.file("mods");
    fs::create_directory(folder);
    ASSERT_EQ(cli({"-C", folder, "-q", "trk", "decompile", sample("oval.trk")}).status, 0);
    for (const std::string& path :
         {folder + "/Trk.def", folder + "/TRK.DEF", folder, folder + "/"}) {
        fs::remove(dir.file("mods/New.trk"));
        const CliRun r = cli({"-q", "trk", "compile", path});
        EXPECT_EQ(r.status, 0) << path << ": " << r.err;
        EXPECT_EQ(readFile(dir.file("mods/New.trk")), readFile(sample("oval.trk"))) << path;
    }
    writeFile(dir.file("mods/other.def"), "x");
    const CliRun other = cli({"trk", "compile", dir.file("mods/other.def")});
    EXPECT_EQ(other.status, 2);
    EXPECT_NE(other.err.find("is not Trk.def or a folder holding it"), std::string::npos);
    EXPECT_EQ(cli({"-C", folder, "trk", "compile", dir.file("mods/Trk.def")}).status, 2);
}

// Files dropped on the program: each file's command in its own folder;
// a file of no known kind, or two that would write one name, run nothing.
TEST(Cli, DroppedFilesRunTheCommandTheirKindCallsFor) {
    TempFolder dir;
    for (const char* name : {"speedway.trk", "cube.3do", "game.dat", "mixed.bin", "oval.trk"})
        fs::copy_file(sample(name), dir.file(name));
    const auto files = [&](std::vector<std::string> names) {
        for (std::string& name : names) name = dir.file(name);
        return names;
    };
    const auto before = folderNames(dir.str());
    for (const auto& [names, reason] :
         {std::pair{std::vector<std::string>{"speedway.trk", "mixed.bin"},
                    "no command for mixed.bin"},
          {{"speedway.trk", "oval.trk"}, "speedway.trk, oval.trk: both write Trk.def"}}) {
        const CliRun refused = cli(files(names));
        EXPECT_EQ(refused.status, 2);
        EXPECT_NE(refused.err.find(reason), std::string::npos) << refused.err;
        EXPECT_EQ(folderNames(dir.str()), before);
    }
    const CliRun dropped = cli(files({"speedway.trk", "cube.3do", "game.dat"}));
    EXPECT_EQ(dropped.status, 0) << dropped.err;
    EXPECT_EQ(dropped.out,
              "speedway.trk: trk decompile\nDONE\ncube.3do: 3do decompile\nDONE\n"
              "game.dat: extract\n9 members: 8 as definitions, 1 as they are; wrote game\n");
    EXPECT_TRUE(fs::is_directory(dir.file("game/OVAL.TRK.def")));
    // The view of a definition file writes its picture.
    const CliRun viewed = cli(files({"Trk.def"}));
    EXPECT_EQ(viewed.status, 0) << viewed.err;
    EXPECT_TRUE(fs::exists(dir.file("Trk.svg")));
}

}  // namespace
}  // namespace z5
