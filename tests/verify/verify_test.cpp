// z5def verify: the verdict for each kind of file, the field a difference
// is named by, the walk over folders, the order of the lines with several
// threads, and that the user's folders are only read.
#include "verify/verify.hpp"

#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#endif

#include <cstdlib>
#include <filesystem>
#include <map>
#include <optional>

#include "platform/encoding.hpp"
#include "platform/files.hpp"
#include "platform/paths.hpp"
#include "tests/cli/run.hpp"
#include "tests/support/support.hpp"

namespace z5 {
namespace {

namespace fs = std::filesystem;
using namespace test;

std::string sample(const char* name) {
    return readFile(joinPath(Z5_SAMPLES_DIR, name));
}

// `bytes` with the 32-bit value at `offset` replaced.
std::string with(std::string bytes, std::size_t offset, std::int32_t value) {
    bytes.replace(offset, 4, Bytes().i32(value).str());
    return bytes;
}

struct Verify : ::testing::Test {
    TempFolder files;
    TempFolder work;

    std::string verdictOf(const std::string& name, const std::string& bytes) {
        writeFile(files.file(name), bytes);
        const verify::Result r = verify::verifyFile(files.file(name), work.str(), false);
        fs::remove_all(work.path());
        fs::create_directory(work.path());
        return std::string(verify::verdictText(r.verdict)) +
               (r.detail.empty() ? "" : ": " + r.detail);
    }
};

TEST_F(Verify, VerdictsOfEveryKind) {
    const std::string box = sample("box.3do");
    const std::size_t prim = box.find("MIRP");
    std::string renumbered =
        with(with(box, 24, 5), 24 + 5 * 16, 0);  // keys of vertices 0 and 5 swapped
    std::string unsupported = box;
    unsupported[prim + 16] = 1;  // the first flavor's type
    const std::pair<std::pair<const char*, std::string>, std::string> cases[] = {
        {{"oval.trk", sample("oval.trk")}, "identical"},
        {{"SAMPLE.CAM", sample("sample.cam")}, "identical"},
        {{"sample.scr", sample("sample.scr")}, "identical"},
        {{"sample.stg", sample("sample.stg")}, "identical"},
        // A setup keeps its name inside: renamed, it no longer comes back.
        {{"renamed.stg", sample("sample.stg")},
         "differs: byte 128 (base name, byte 0): 115 in the file, 114 written"},
        {{"sample.dat", sample("sample.dat")}, "identical"},
        {{"box.3do", box}, "identical"},
        // The compiler writes 1 as Version and 0 in every reserved field.
        {{"v3.trk", with(sample("oval.trk"), 4, 3)},
         "differs: byte 4 (Version): 3 in the file, 1 written"},
        {{"box.3do", with(box, 4, 7)}, "identical but for reserved fields"},
        {{"box.3do", renumbered}, "equivalent after renumbering: 2 vertices and 0 normals moved"},
        {{"box.3do", with(box, prim + 12, 4)},
         "differs: byte " + std::to_string(prim + 12) + " (Root): 4 in the file, 509 written"},
        {{"box.3do", unsupported}, "not supported: ERROR FLAVOR 1 at offset 4"},
        // Pack writes 5 as each entry's tag.
        {{"sample.dat",
          [] {
              std::string dat = sample("sample.dat");
              dat[2] = 0x15;
              return dat;
          }()},
         "differs: byte 2 (directory entry 1 (Tag)): 21 in the file, 5 written"},
        {{"cut.trk", sample("oval.trk").substr(0, 100)}, "failed: "},
        // Larger than a camera script can be: refused unread.
        {{"big.scr", std::string(1048557, '\0')},
         "failed: the file has 1048557 bytes; a .scr file holds at most 1048556"},
    };
    for (const auto& [file, verdict] : cases) {
        const std::string got = verdictOf(file.first, file.second);
        EXPECT_EQ(got.substr(0, verdict.size()), verdict) << file.first;
    }

    // A file of another kind, or cut short, fails with the decompile's
    // reason; bytes after the records are not compiled back.
    EXPECT_EQ(verdictOf("box.trk", box),
              "failed: " + files.file("box.trk") +
                  " is not a track: it begins with \"3OD3\", not \"KART\"");
    EXPECT_EQ(verdictOf("cut.3do", box.substr(0, 61)),
              "failed: " + files.file("cut.3do") +
                  " ends at byte 61, inside vertex 3 of 8 (PERP at byte 12)");
    const std::string stg = sample("sample.stg");
    EXPECT_EQ(verdictOf("sample.stg", stg + "xyz"),
              "differs: byte " + std::to_string(stg.size()) + ": the file has " +
                  std::to_string(stg.size() + 3) + " bytes, " + std::to_string(stg.size()) +
                  " written");
}

// Folders are walked for known kinds in any letter case; the lines come out
// in path order with several threads; nothing is written beside the files;
// --deep adds an archive's members; the exit status says whether all is well.
TEST_F(Verify, CommandLineOverFolders) {
    fs::create_directories(files.path() / "sub");
    for (const char* name : {"oval.trk", "box.3do", "mixed.bin"})
        writeFile(files.file(std::string("sub/") + name), sample(name));
    // An archive holding a track and a file of no known kind, named like a
    // folder verify once kept beside the members.
    TempFolder members;
    writeFile(members.file("OVAL.TRK"), sample("oval.trk"));
    writeFile(members.file(".members"), sample("mixed.bin"));
    writeFile(members.file("dattext.pck"), crlf({"pair", "2", "OVAL.TRK", ".members"}));
    ASSERT_EQ(cli({"-q", "-C", members.str(), "pack", "dattext.pck"}).status, 0);
    writeFile(files.file("sub/pair.dat"), readFile(members.file("pair.dat")));
    writeFile(files.file("sample.STG"), sample("sample.stg"));
    writeFile(files.file("a.trk"), with(sample("oval.trk"), 4, 3));
    const auto before = folderFiles(files.str());

    CliRun r = cli({"verify", "-j", "3", "--deep", files.str()});
    EXPECT_EQ(r.status, 1);
    // Printed with the system's separator.
    const auto inSub = [&](const char* name) { return pathText(files.path() / "sub" / name); };
    EXPECT_EQ(r.out, files.file("a.trk") +
                         ": differs: byte 4 (Version): 3 in the file, 1 written\n" +
                         files.file("sample.STG") + ": identical\n" + inSub("box.3do") +
                         ": identical\n" + inSub("oval.trk") + ": identical\n" + inSub("pair.dat") +
                         ": identical\n  OVAL.TRK: identical\n"
                         "7 files: 5 identical, 0 equivalent, 1 differ, 0 not supported, 0 failed, "
                         "1 skipped\n");
    EXPECT_EQ(folderFiles(files.str()), before);

    r = cli({"verify", "--quiet", files.file("sub"), files.file("missing.trk")});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.out.find(files.file("missing.trk") + ": failed: cannot open"), std::string::npos);
    EXPECT_EQ(r.out.find("identical\n"), std::string::npos);
    EXPECT_EQ(cli({"verify", files.file("sub")}).status, 0);
    EXPECT_EQ(cli({"verify"}).status, 2);
    r = cli({"verify", "-j", "0", files.str()});
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("-j takes a number of at least 1"), std::string::npos) << r.err;
}

// A member's reason names it by its archive, as the user named the archive,
// never by the private folder it was unpacked in.
TEST_F(Verify, MemberReasonsNameTheArchive) {
    writeFile(files.file("B.TRK"), "KART");
    writeFile(files.file("dattext.pck"), crlf({"m", "1", "B.TRK"}));
    ASSERT_EQ(cli({"-q", "-C", files.str(), "pack", "dattext.pck"}).status, 0);
    const CliRun r = cli({"-C", files.str(), "verify", "--deep", "m.dat"});
    EXPECT_EQ(r.out,
              "m.dat: identical\n"
              "  B.TRK: failed: m.dat: B.TRK: byte 0: header: the file ends after 4 bytes, inside "
              "the 28-byte header\n"
              "2 files: 1 identical, 0 equivalent, 0 differ, 0 not supported, 1 failed, 0 "
              "skipped\n");
}

// Points the system's temporary folder at `path`; empty: back to the default.
#ifdef _WIN32
void setTemporaryFolder(const std::string& path) {
    _wputenv_s(L"TMP", nativePath(path).c_str());
}
#else
void setTemporaryFolder(const std::string& path) {
    path.empty() ? unsetenv("TMPDIR") : setenv("TMPDIR", path.c_str(), 1);
}
#endif

// Names outside ASCII, in the folders walked and in the temporary folder.
TEST_F(Verify, NamesOutsideAscii) {
    const std::string named = files.file("Pistes \xC3\xA9t\xC3\xA9 \xE3\x83\x88");
    const std::string temporary = files.file("Jos\xC3\xA9");
    for (const std::string& folder : {named, temporary}) fs::create_directory(nativePath(folder));
    writeFile(joinPath(named, "oval.trk"), sample("oval.trk"));
    setTemporaryFolder(temporary);
    const CliRun r = cli({"verify", named});
    setTemporaryFolder("");
    EXPECT_EQ(r.out, joinPath(named, "oval.trk") +
                         ": identical\n1 file: 1 identical, 0 equivalent, 0 differ, "
                         "0 not supported, 0 failed, 0 skipped\n")
        << r.err;
    EXPECT_TRUE(folderNames(temporary).empty());
}

// A folder deeper than the 260 characters of old Windows paths is walked
// like any other.
TEST_F(Verify, LongFolderPathsAreWalked) {
    std::string folder = files.str();
    while (folder.size() < 300) folder = joinPath(folder, std::string(40, 'd'));
    fs::create_directories(nativePath(folder));
    writeFile(joinPath(folder, "oval.trk"), sample("oval.trk"));
    const CliRun r = cli({"verify", "--quiet", files.str()});
    EXPECT_EQ(r.out,
              "1 file: 1 identical, 0 equivalent, 0 differ, 0 not supported, 0 failed, "
              "0 skipped\n")
        << r.err;
    EXPECT_EQ(r.status, 0);
}

#ifndef _WIN32
// What a walk meets besides files: a relative path taken from -C, links to
// folders (each folder walked once, a loop ended), a FIFO (skipped), a
// name with a line break (escaped), a folder it cannot read (failed, and
// the walk goes on).
TEST_F(Verify, WhatTheWalkMeets) {
    TempFolder outside;
    fs::create_directories(files.path() / "sub");
    writeFile(files.file("sub/oval.trk"), sample("oval.trk"));
    writeFile(files.file("a\nb.cam"), sample("sample.cam"));
    writeFile(outside.file("box.3do"), sample("box.3do"));
    fs::create_directory_symlink(files.path() / "sub", files.path() / "link");
    fs::create_directory_symlink(files.path(), files.path() / "sub" / "up");
    fs::create_directory_symlink(outside.path(), files.path() / "out");
    ASSERT_EQ(mkfifo(files.file("pipe.trk").c_str(), 0600), 0);
    const std::string summary = ", 0 equivalent, 0 differ, 0 not supported, ";

    CliRun r = cli({"-C", files.str(), "verify", "sub/oval.trk", "."});
    EXPECT_EQ(r.out,
              "sub/oval.trk: identical\n./a\\x0ab.cam: identical\n./out/box.3do: "
              "identical\n./sub/oval.trk: identical\n5 files: 4 identical" +
                  summary + "0 failed, 1 skipped\n");
    EXPECT_EQ(r.status, 0);

    if (geteuid() == 0) GTEST_SKIP() << "root reads every folder";
    fs::permissions(files.path() / "sub", fs::perms::none);
    r = cli({"verify", files.str()});
    fs::permissions(files.path() / "sub", fs::perms::owner_all);
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.out.find(files.file("sub") + ": failed: cannot read the folder: "),
              std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find(files.file("out/box.3do") + ": identical"), std::string::npos) << r.out;
}

// SIGINT in the middle of a run removes the private folder.
TEST_F(Verify, InterruptedRunLeavesNoFolder) {
    writeFile(files.file("a.trk"), sample("oval.trk"));
    writeFile(files.file("b.trk"), sample("oval.trk"));
    EXPECT_EQ(signalThatEnds([&] {
                  setTemporaryFolder(work.str());
                  verify::verifyAll(
                      verify::plan({files.str()}), 1, false, [](const verify::Result&) {},
                      [](std::size_t i, const std::string&) {
                          if (i == 1) std::raise(SIGINT);
                      });
              }),
              SIGINT);
    EXPECT_TRUE(folderNames(work.str()).empty());
}
#endif

}  // namespace
}  // namespace z5
