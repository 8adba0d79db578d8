// z5def extract and build: the workspace an archive of every kind becomes,
// the refusals, the byte-for-byte way back, an edit reaching only its
// member, and a failing build that names every problem and writes nothing.
#include <gtest/gtest.h>

#include <filesystem>

#include "platform/files.hpp"
#include "tests/cli/run.hpp"
#include "tests/support/support.hpp"

namespace z5 {
namespace {

namespace fs = std::filesystem;
using namespace test;

std::string sample(const char* name) {
    return readFile((fs::path(Z5_SAMPLES_DIR) / name).string());
}

// A path in the workspace as build names it: its parts joined with the
// system's separator.
std::string shown(std::initializer_list<const char*> parts) {
    fs::path path;
    for (const char* part : parts) path /= part;
    return path.string();
}

// The members of an archive by name: size, offset and bytes.
struct Entry {
    std::int32_t size, offset;
    std::string data;
    bool operator==(const Entry&) const = default;
};
std::map<std::string, Entry> entries(const std::string& dat) {
    std::map<std::string, Entry> found;
    for (int i = 0; i < valueAt(dat, 0) % 65536; ++i) {
        const std::size_t at = 2 + 27 * static_cast<std::size_t>(i);
        const std::int32_t size = valueAt(dat, at + 2), offset = valueAt(dat, at + 23);
        found[dat.substr(at + 10, dat.find('\0', at + 10) - at - 10).substr(0, 13)] = {
            size, offset, dat.substr(static_cast<std::size_t>(offset), size)};
    }
    return found;
}

struct Workspace : ::testing::Test {
    TempFolder work;
    std::string box = sample("box.3do");

    void SetUp() override {
        std::string renumbered = box, unsupported = box;
        renumbered.replace(24, 4, Bytes().i32(5).str());  // keys of vertices 0 and 5 swapped
        renumbered.replace(24 + 5 * 16, 4, Bytes().i32(0).str());
        unsupported[box.find("MIRP") + 16] = 1;  // the first flavor's type
        writeFile(work.file("GAME.dat"), archive({{"OVAL.TRK", sample("oval.trk")},
                                                  {"Box.3do", box},
                                                  {"Ren.3DO", renumbered},
                                                  {"bad.3do", unsupported},
                                                  {"CAM1.Cam", sample("sample.cam")},
                                                  {"a.SCR", sample("sample.scr")},
                                                  {"sample.STG", sample("sample.stg")},
                                                  {"X.BIN", sample("mixed.bin")},
                                                  {"EMPTY.TRK", ""}}));
    }
    CliRun z5(std::vector<std::string> args) {
        args.insert(args.begin(), {"-C", work.str()});
        return cli(std::move(args));
    }
    std::string at(const std::string& name) const { return work.file(name); }
};

TEST_F(Workspace, LayoutReportAndTheWayBack) {
    CliRun r = z5({"extract", "-j", "3", "GAME.dat"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "9 members: 5 as definitions, 4 as they are; wrote GAME\n");
    std::map<std::string, DiskEntry> files = folderFiles(at("GAME"), true);
    std::string names;
    for (const auto& [name, entry] : files) names += name + " ";
    EXPECT_EQ(names,
              "Box.3do.def Box.3do.def/flavor.def Box.3do.def/vertex.def CAM1.Cam.def "
              "CAM1.Cam.def/cam.def EMPTY.TRK OVAL.TRK.def OVAL.TRK.def/Trk.def Ren.3DO X.BIN "
              "a.SCR.def a.SCR.def/scr.def bad.3do dattext.pck sample.STG.def "
              "sample.STG.def/stg.def workspace.txt ");
    EXPECT_EQ(files["dattext.pck"].bytes,
              crlf({"GAME", " 9 ", "OVAL.TRK", "Box.3do", "Ren.3DO", "bad.3do", "CAM1.Cam", "a.SCR",
                    "sample.STG", "X.BIN", "EMPTY.TRK"}));
    EXPECT_EQ(
        files["workspace.txt"].bytes,
        crlf({"OVAL.TRK: definitions", "Box.3do: definitions",
              "Ren.3DO: raw: equivalent after renumbering: 2 vertices and 0 normals moved",
              "bad.3do: raw: not supported: ERROR FLAVOR 1 at offset 4", "CAM1.Cam: definitions",
              "a.SCR: definitions", "sample.STG: definitions", "X.BIN: raw",
              "EMPTY.TRK: raw: failed: EMPTY.TRK: byte 0: header: the file ends after 0 "
              "bytes, inside the 28-byte header"}));
    EXPECT_EQ(folderNames(work.str()), (std::vector<std::string>{"GAME", "GAME.dat"}));

    // Built back byte for byte, the workspace only read.
    const std::string original = readFile(at("GAME.dat"));
    fs::remove(at("GAME.dat"));
    r = z5({"build", "GAME"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "9 members: 5 compiled, 4 taken as they are; wrote GAME.dat, a new archive\n");
    EXPECT_EQ(readFile(at("GAME.dat")), original);
    EXPECT_EQ(folderFiles(at("GAME"), true), files);

    // A longer comment in the setup: its bytes and size change, and the
    // offsets of the members after it; nothing else.
    std::vector<std::string> stg = splitCrlf(files["sample.STG.def/stg.def"].bytes);
    stg[36] += " and more";
    writeFile(at("GAME/sample.STG.def/stg.def"), joinCrlf(stg));
    ASSERT_EQ(z5({"-q", "build", "-j", "1", "GAME", "-o", "new.dat"}).status, 0);
    auto before = entries(original), after = entries(readFile(at("new.dat")));
    EXPECT_EQ(after["sample.STG"].size, before["sample.STG"].size + 9);
    EXPECT_NE(after["sample.STG"].data, before["sample.STG"].data);
    for (const char* later : {"X.BIN", "EMPTY.TRK"}) {
        EXPECT_EQ(after[later].offset, before[later].offset + 9);
        after[later].offset -= 9;
    }
    after.erase("sample.STG");
    before.erase("sample.STG");
    EXPECT_EQ(after, before);

    // Every problem is named, one line each; neither the old archive nor
    // the workspace changes.
    std::vector<std::string> trk = splitCrlf(readFile(at("GAME/OVAL.TRK.def/Trk.def")));
    trk.resize(9);  // the file ends before its values
    writeFile(at("GAME/OVAL.TRK.def/Trk.def"), joinCrlf(trk));
    writeFile(at("GAME/CAM1.Cam"), "both");
    fs::remove(at("GAME/X.BIN"));
    const auto workspace = folderFiles(at("GAME"), true);
    const std::string old = readFile(at("new.dat"));

    r = z5({"build", "GAME", "-o", "new.dat"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "");
    const std::vector<std::string> lines = splitLines(r.err, "\n");
    ASSERT_EQ(lines.size(), 3u) << r.err;
    EXPECT_EQ(lines[0].find("z5def build: " + shown({"GAME", "OVAL.TRK.def", "Trk.def:10: "})), 0u)
        << lines[0];
    EXPECT_EQ(lines[1],
              "z5def build: CAM1.Cam: both the member file and the folder CAM1.Cam.def are in "
              "the workspace; keep one of them");
    EXPECT_EQ(lines[2],
              "z5def build: X.BIN: neither the member file nor a folder X.BIN.def is in the "
              "workspace");
    EXPECT_EQ(readFile(at("new.dat")), old);
    EXPECT_EQ(folderFiles(at("GAME"), true), workspace);

    r = z5({"build", "GAME", "-o", "GAME/inside.dat"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("inside the workspace"), std::string::npos) << r.err;

    // With --all the renumbered object gets its folder too, and comes back
    // renumbered.
    r = z5({"extract", "--all", "GAME.dat", "all"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(readFile(at("all/workspace.txt"))
                  .find("Ren.3DO: definitions: equivalent after renumbering: 2 vertices"),
              std::string::npos);
    EXPECT_TRUE(fs::is_directory(at("all/Ren.3DO.def")));
    ASSERT_EQ(z5({"-q", "build", "all", "-o", "all.dat"}).status, 0);
    EXPECT_NE(entries(readFile(at("all.dat")))["Ren.3DO"], entries(original)["Ren.3DO"]);
}

// A build is strict: a departure from the layout in any member fails it,
// each departure named by its file as the workspace spells it, and neither
// the archive nor an older backup changes. --lenient, before or after the
// word build, builds and warns with the same names.
TEST_F(Workspace, DeparturesFailTheBuildUnlessLenient) {
    ASSERT_EQ(z5({"extract", "GAME.dat"}).status, 0);
    std::vector<std::string> trk = splitCrlf(readFile(at("GAME/OVAL.TRK.def/Trk.def")));
    trk.erase(trk.begin() + 2);  // an empty line
    fs::remove(at("GAME/OVAL.TRK.def/Trk.def"));
    writeFile(at("GAME/OVAL.TRK.def/TRK.DEF"), joinCrlf(trk));
    std::vector<std::string> stg = splitCrlf(readFile(at("GAME/sample.STG.def/stg.def")));
    ASSERT_EQ(stg[6].substr(0, 6), "Shocks");
    stg[6].replace(0, 6, "Shoks ");
    writeFile(at("GAME/sample.STG.def/stg.def"), joinCrlf(stg));
    writeFile(at("GAME.dat.bak"), "older");
    const auto before = folderFiles(work.str(), true);

    const std::string track = shown({"GAME", "OVAL.TRK.def", "TRK.DEF"});
    const std::string setup = shown({"GAME", "sample.STG.def", "stg.def"});
    // Each line up to its kind, whatever the message after it says.
    const auto places = [&](const std::string& err, std::string_view kind) {
        std::vector<std::string> found;
        for (const std::string& line : splitLines(err, "\n")) {
            const std::size_t at = line.find(kind);
            found.push_back(at == std::string::npos ? line : line.substr(0, at + kind.size()));
        }
        return found;
    };
    for (const auto& args : {std::vector<std::string>{"build", "GAME"},
                             std::vector<std::string>{"--strict", "build", "GAME"}}) {
        const CliRun r = z5(args);
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.out, "");
        EXPECT_EQ(places(r.err, " error:"),
                  (std::vector<std::string>{
                      track + ":4:1: error:", setup + ":7:1: error:",
                      "z5def build: the definition files of 2 members depart from their layout; "
                      "nothing was written (build --lenient builds in spite of them)"}))
            << r.err;
        EXPECT_EQ(folderFiles(work.str(), true), before);
    }

    const std::string old = readFile(at("GAME.dat"));
    for (const auto& args : {std::vector<std::string>{"build", "--lenient", "GAME"},
                             std::vector<std::string>{"--lenient", "build", "GAME"}}) {
        const CliRun r = z5(args);
        ASSERT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(places(r.err, " warning:"),
                  (std::vector<std::string>{track + ":4:1: warning:", setup + ":7:1: warning:"}));
        // What departs from the layout here reads as it did: the same bytes.
        EXPECT_EQ(r.out,
                  "9 members: 5 compiled, 4 taken as they are, 0 changed; wrote GAME.dat, kept "
                  "the old one as GAME.dat.bak\n");
        EXPECT_EQ(readFile(at("GAME.dat")), old);
        EXPECT_EQ(readFile(at("GAME.dat.bak")), old);
    }
}

// Each failing member names its own definition file, also when one worker
// compiles one after another (the work of the first does not stay behind).
TEST_F(Workspace, FailuresNameTheFilesInTheWorkspace) {
    writeFile(
        at("TWO.dat"),
        archive({{"A.TRK", sample("oval.trk")}, {"B.TRK", sample("oval.trk")}, {"C.3DO", box}}));
    ASSERT_EQ(z5({"extract", "TWO.dat"}).status, 0);
    for (const auto& [member, lines] : {std::pair{"A", 9}, {"B", 10}}) {
        const std::string file = at("TWO/" + std::string(member) + ".TRK.def/Trk.def");
        std::vector<std::string> trk = splitCrlf(readFile(file));
        trk.resize(static_cast<std::size_t>(lines));
        writeFile(file, joinCrlf(trk));
    }
    fs::remove(at("TWO/C.3DO.def/vertex.def"));
    const CliRun r = z5({"build", "-j", "1", "TWO"});
    EXPECT_EQ(r.status, 1);
    const std::vector<std::string> lines = splitLines(r.err, "\n");
    ASSERT_EQ(lines.size(), 3u) << r.err;
    EXPECT_EQ(lines[0], "z5def build: " + shown({"TWO", "A.TRK.def", "Trk.def"}) +
                            ":10: the file ends early; expected the Length line");
    EXPECT_EQ(lines[1], "z5def build: " + shown({"TWO", "B.TRK.def", "Trk.def"}) +
                            ":11: the file ends early; expected the # Elines line");
    EXPECT_EQ(lines[2].find("z5def build: C.3DO: cannot open " +
                            shown({"TWO", "C.3DO.def", "vertex.def"}) + ": "),
              0u)
        << lines[2];
}

// A build names the members whose bytes differ from the archive it
// replaces (matched by name in any letter case), and those added and
// removed, comparing piece by piece; it keeps that archive as NAME.dat.bak,
// one generation, as a second name of it where the file system links
// files; --no-backup keeps none.
TEST_F(Workspace, BuildSaysWhatChangedAndKeepsTheOldArchive) {
    ASSERT_EQ(z5({"extract", "GAME.dat"}).status, 0);
    // Large raw members: one differs only past the first piece compared.
    std::string big(200000, 'b'), other = big;
    other[150000] = 'c';
    writeFile(at("GAME/BIG.BIN"), big);
    writeFile(at("GAME/SAME.BIN"), big);
    std::vector<std::string> list = splitCrlf(readFile(at("GAME/dattext.pck")));
    list[1] = "11";
    list.insert(list.end(), {"BIG.BIN", "SAME.BIN"});
    writeFile(at("GAME/dattext.pck"), joinCrlf(list));
    std::string box2 = box;
    box2.back() ^= 1;
    const std::string old = archive({{"oval.trk", sample("oval.trk")},
                                     {"Box.3do", box2},
                                     {"GONE.BIN", "x"},
                                     {"CAM1.Cam", "short"},
                                     {"a.SCR", sample("sample.scr")},
                                     {"sample.stg", sample("sample.stg")},
                                     {"X.BIN", sample("mixed.bin")},
                                     {"BIG.BIN", other},
                                     {"SAME.BIN", big},
                                     {"OLD.TRK", ""}});
    writeFile(at("out.dat"), old);
    CliRun r = z5({"build", "GAME", "-o", "out.dat"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out,
              "changed: Box.3do, CAM1.Cam, BIG.BIN\n"
              "added: Ren.3DO, bad.3do, EMPTY.TRK\n"
              "removed: GONE.BIN, OLD.TRK\n"
              "11 members: 5 compiled, 6 taken as they are, 3 changed, 3 added, 2 removed; wrote "
              "out.dat, kept the old one as out.dat.bak\n");
    EXPECT_EQ(readFile(at("out.dat.bak")), old);
    const std::string now = readFile(at("out.dat"));
    EXPECT_EQ(now.substr(now.size() - 2 * big.size()), big + big);

    // Again: nothing changed, and the older backup gives way to the archive
    // just replaced.
    const auto replaced = fileIdentity(at("out.dat"));
    r = z5({"build", "GAME", "-o", "out.dat"});
    EXPECT_EQ(r.out,
              "11 members: 5 compiled, 6 taken as they are, 0 changed; wrote out.dat, kept the "
              "old one as out.dat.bak\n");
    EXPECT_EQ(readFile(at("out.dat.bak")), now);
    EXPECT_EQ(fileIdentity(at("out.dat.bak")), replaced);

    writeFile(at("out.dat.bak"), "mine");
    r = z5({"build", "--no-backup", "GAME", "-o", "out.dat"});
    EXPECT_EQ(r.out, "11 members: 5 compiled, 6 taken as they are, 0 changed; wrote out.dat\n");
    EXPECT_EQ(readFile(at("out.dat.bak")), "mine");

    // A file that is not an archive is kept, not compared.
    writeFile(at("junk.dat"), "junk");
    r = z5({"build", "GAME", "-o", "junk.dat"});
    EXPECT_EQ(r.out,
              "junk.dat did not read as an archive (it ends inside its directory); its members "
              "are not compared\n"
              "11 members: 5 compiled, 6 taken as they are; wrote junk.dat, kept the old one as "
              "junk.dat.bak\n");
    EXPECT_EQ(readFile(at("junk.dat.bak")), "junk");
    EXPECT_EQ(readFile(at("junk.dat")), now);
    EXPECT_EQ(folderNames(work.str()),
              (std::vector<std::string>{"GAME", "GAME.dat", "junk.dat", "junk.dat.bak", "out.dat",
                                        "out.dat.bak"}));
}

// A folder or a read-only file where the backup goes fails the build before
// anything is written; --no-backup builds.
TEST_F(Workspace, BackupNameMustBeReplaceable) {
    ASSERT_EQ(z5({"extract", "GAME.dat"}).status, 0);
    const std::string backup = at("GAME.dat.bak");
    for (const std::string what : {"a folder", "read-only"}) {
        if (what == "a folder") {
            fs::create_directory(backup);
        } else {
            writeFile(backup, "older");
            fs::permissions(backup, fs::perms::owner_read);
        }
        const auto before = folderFiles(work.str(), true);
        const CliRun r = z5({"build", "GAME"});
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.err, "z5def build: cannot replace GAME.dat.bak: it is " + what +
                             " (build keeps the archive it replaces there)\n");
        EXPECT_EQ(folderFiles(work.str(), true), before);
        EXPECT_EQ(z5({"-q", "build", "--no-backup", "GAME"}).status, 0);
        EXPECT_EQ(folderFiles(work.str(), true)["GAME.dat.bak"], before.at("GAME.dat.bak"));
        fs::permissions(backup, fs::perms::owner_all);
        fs::remove(backup);
    }
}

// Whatever extract refuses leaves no folder and no file behind.
TEST_F(Workspace, ExtractRefusals) {
    fs::create_directory(at("full"));
    writeFile(at("full/keep.txt"), "mine");
    std::string tagged = readFile(at("GAME.dat"));
    tagged[2] = 0x15;
    writeFile(at("tagged.dat"), tagged);
    writeFile(at("report.dat"), archive({{"WorkSpace.TXT", "x"}}));
    // A member named as another's folder keeps both as files.
    writeFile(at("clash.dat"), archive({{"A.TRK", sample("oval.trk")}, {"a.trk.DEF", "x"}}));
    const std::pair<std::vector<std::string>, std::string> refused[] = {
        {{"GAME.dat", "full"}, "z5def extract: full: not an empty folder"},
        {{"tagged.dat"},
         "tagged.dat: differs: byte 2 (directory entry 1 (Tag)): 21 in the file, 5 written"},
        {{"report.dat"}, "member WorkSpace.TXT has the name of the workspace's report"},
        {{"missing.dat"}, "missing.dat"},
    };
    const auto before = folderFiles(work.str(), true);
    for (const auto& [args, reason] : refused) {
        std::vector<std::string> line{"extract"};
        line.insert(line.end(), args.begin(), args.end());
        const CliRun r = z5(line);
        EXPECT_EQ(r.status, 1) << args[0];
        EXPECT_NE(r.err.find(reason), std::string::npos) << r.err;
        EXPECT_EQ(folderFiles(work.str(), true), before) << args[0];
    }
    ASSERT_EQ(z5({"extract", "clash.dat"}).status, 0);
    EXPECT_EQ(readFile(at("clash/workspace.txt")),
              crlf({"A.TRK: raw: its folder A.TRK.def would be another member's name",
                    "a.trk.DEF: raw"}));
}

}  // namespace
}  // namespace z5
