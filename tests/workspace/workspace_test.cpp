// z5def extract and build: the workspace an archive of every kind becomes,
// the refusals, the byte-for-byte way back, an edit reaching only its
// member, and a failing build that names every problem and writes nothing.
#include "workspace/workspace.hpp"

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/display.hpp"
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

    // Building ws fails with the errors `named` and the line `closing`,
    // writing nothing; with --lenient it writes `built`, the errors shown
    // as warnings.
    void failsUnlessLenient(const std::string& named, const std::string& closing,
                            const std::string& built) {
        CliRun r = z5({"build", "ws", "-o", "out.dat"});
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.err, named + "z5def build: " + closing + "\n");
        EXPECT_FALSE(fileExists(at("out.dat")));
        r = z5({"build", "--lenient", "ws", "-o", "out.dat"});
        EXPECT_EQ(r.status, 0);
        EXPECT_EQ(r.err, replaced(named, "error:", "warning:"));
        EXPECT_EQ(readFile(at("out.dat")), built);
    }
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
// compiles one after another (the work of the first does not stay behind),
// and a good member after them is not named.
TEST_F(Workspace, FailuresNameTheFilesInTheWorkspace) {
    writeFile(at("TWO.dat"), archive({{"A.TRK", sample("oval.trk")},
                                      {"B.TRK", sample("oval.trk")},
                                      {"C.3DO", box},
                                      {"D.TRK", sample("oval.trk")}}));
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

// A definition file that is a folder is named as one. An offset.def left
// read-only in an object's folder is not in the way of the compile, which
// writes its own.
TEST_F(Workspace, DefinitionFilesThatAreFoldersOrCompileOutputs) {
    writeFile(at("TWO.dat"), archive({{"A.TRK", sample("oval.trk")}, {"C.3DO", box}}));
    ASSERT_EQ(z5({"extract", "TWO.dat", "ws"}).status, 0);
    fs::rename(at("ws/A.TRK.def/Trk.def"), at("Trk.def"));
    fs::create_directory(at("ws/A.TRK.def/Trk.def"));
    EXPECT_EQ(z5({"build", "ws", "-o", "out.dat"}).err,
              "z5def build: " + shown({"ws", "A.TRK.def", "Trk.def"}) +
                  ": is a folder, not a definition file\n");

    fs::remove(at("ws/A.TRK.def/Trk.def"));
    fs::rename(at("Trk.def"), at("ws/A.TRK.def/Trk.def"));
    writeFile(at("ws/C.3DO.def/offset.def"), "old");
    fs::permissions(at("ws/C.3DO.def/offset.def"), fs::perms::owner_read);
    const CliRun r = z5({"build", "ws", "-o", "out.dat"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(readFile(at("out.dat")), readFile(at("TWO.dat")));
    EXPECT_EQ(readFile(at("ws/C.3DO.def/offset.def")), "old");
    fs::permissions(at("ws/C.3DO.def/offset.def"), fs::perms::owner_write, fs::perm_options::add);
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

// The folder extract writes may be given with a separator at its end, or be
// an existing empty folder ("." too), which is filled and keeps its
// permissions; whether it can be used is known before any work.
TEST_F(Workspace, ExtractTakesANewOrEmptyFolderHoweverItIsGiven) {
    writeFile(at("BOX.dat"), archive({{"Box.3do", box}}));
    CliRun r = z5({"extract", "BOX.dat", "ws/"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "1 members: 1 as definitions, 0 as they are; wrote ws/\n");
    const auto made = folderFiles(at("ws"), true);
    EXPECT_EQ(made.size(), 5u);  // Box.3do.def and its two files, the list, the report

    fs::create_directory(at("empty"));
    fs::permissions(at("empty"), fs::perms::owner_all);
    r = cli({"-C", at("empty"), "extract", at("BOX.dat"), "."});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "1 members: 1 as definitions, 0 as they are; wrote .\n");
    EXPECT_EQ(folderFiles(at("empty"), true), made);
#ifndef _WIN32
    EXPECT_EQ(fs::status(at("empty")).permissions() & fs::perms::all, fs::perms::owner_all);
#endif

    // A folder with anything in it is refused at once; so is a device name
    // on Windows. Nothing is left behind.
    const auto before = folderFiles(work.str(), true);
    r = cli({"-C", at("empty"), "extract", at("BOX.dat"), "."});
    EXPECT_EQ(r.err,
              "z5def extract: .: not an empty folder; extract writes only into a new or empty "
              "one\n");
    if (kDeviceNamesEverywhere) {
        for (const std::string device : {"CON", "NUL", "aux", "COM1.d"})
            EXPECT_EQ(z5({"extract", "BOX.dat", device}).err,
                      "z5def extract: folder \"" + device + "\" is a device name on Windows\n");
    }
    EXPECT_EQ(folderFiles(work.str(), true), before);

    r = z5({"build", "ws/", "-o", "out.dat"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(readFile(at("out.dat")), readFile(at("BOX.dat")));
}

// Nothing is written into the workspace, whatever spelling, link or letter
// case leads there; a folder whose name differs only in letter case is
// another one where names do not ignore it.
TEST_F(Workspace, BuildKnowsTheWorkspaceByWhatItIs) {
    writeFile(at("BOX.dat"), archive({{"Box.3do", box}}));
    ASSERT_EQ(z5({"extract", "BOX.dat", "ws"}).status, 0);
    fs::create_directory(at("WS"));
    std::vector<std::string> inside = {"ws/x.dat", "ws/./Box.3do.def/../x.dat"};
#ifndef _WIN32
    fs::create_directory_symlink("ws", at("link"));
    inside.push_back("link/x.dat");
#endif
    if (kNamesIgnoreCase) inside.push_back("WS/x.dat");
    for (const std::string& output : inside)
        EXPECT_EQ(z5({"build", "ws", "-o", output}).err,
                  "z5def build: " + output + ": inside the workspace ws, which build only reads\n");
    EXPECT_EQ(z5({"-q", "build", "ws", "-o", "WS/x.dat"}).status, kNamesIgnoreCase ? 1 : 0);
}

// A count on the list's line 2 that leaves names out fails the build,
// naming that line (--lenient builds the names it counts, with a warning);
// one that counts more names than there are fails it in any case.
TEST_F(Workspace, ListCountsThatDisagreeWithTheNames) {
    writeFile(at("BOX.dat"), archive({{"Box.3do", box}, {"X.BIN", "x"}}));
    ASSERT_EQ(z5({"extract", "BOX.dat", "ws"}).status, 0);
    const std::string list = shown({"ws", "dattext.pck"});
    writeFile(at("ws/dattext.pck"), crlf({"BOX", " 1 ", "Box.3do", "X.BIN"}));
    failsUnlessLenient(list +
                           ":2:1: error: the member count is 1, but 2 names follow it; those "
                           "after the first 1 are left out\n",
                       "the list departs from its layout; nothing was written (build --lenient "
                       "builds in spite of it)",
                       archive({{"Box.3do", box}}));

    writeFile(at("ws/dattext.pck"), crlf({"BOX", "3", "Box.3do", "X.BIN"}));
    const CliRun r = z5({"build", "--lenient", "ws", "-o", "out.dat"});
    EXPECT_EQ(r.err, "z5def build: " + list + ":2: the member count is 3, but 2 names follow it\n");
}

// Messages name files as the console shows them: an archive and a member
// named in a list by their Windows-1252 bytes as their files are named.
TEST_F(Workspace, NamesOutsideAsciiAreShownAsFiles) {
    const std::string summer = "\u00C9T\u00C9";  // as a path holds it
    writeFile(at(summer + ".dat"), archive({{"\xC9.TRK", sample("oval.trk")}}));
    ASSERT_EQ(z5({"extract", summer + ".dat"}).out,
              "1 members: 1 as definitions, 0 as they are; wrote " + summer + "\n");
    const std::string track = at(summer + "/" + nameToPath("\xC9.TRK.def") + "/Trk.def");
    std::vector<std::string> trk = splitCrlf(readFile(track));
    trk[9].back() = '1';  // "Length:           160001"
    writeFile(track, joinCrlf(trk));
    const CliRun r = z5({"build", summer});
    EXPECT_EQ(r.out, "changed: " + nameToPath("\xC9.TRK") +
                         "\n1 members: 1 compiled, 0 taken as they are, 1 changed; wrote " +
                         summer + ".dat, kept the old one as " + summer + ".dat.bak\n")
        << r.err;
}

// Folders deeper than the 260 characters of old Windows paths.
TEST_F(Workspace, LongPaths) {
    std::string folder = work.str();
    while (folder.size() < 300) folder = joinPath(folder, std::string(40, 'd'));
    fs::create_directories(nativePath(folder));
    CliRun r = z5({"extract", "GAME.dat", joinPath(folder, "ws")});
    ASSERT_EQ(r.status, 0) << r.err;
    r = cli({"-C", folder, "build", "ws", "-o", "out.dat"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(readFile(joinPath(folder, "out.dat")), readFile(at("GAME.dat")));
    // Nothing else is left. (Listed by the tool's own means: under wine the
    // C++ library lists another folder there.)
    std::string error;
    EXPECT_EQ(listFolder(folder, error).size(), 2u);
}

#ifndef _WIN32
// A file of the workspace that is a link to a file outside it fails the
// build, each named; --lenient builds and warns. Links within it are files
// like any other.
TEST_F(Workspace, LinksOutOfTheWorkspaceAreNamed) {
    writeFile(at("BOX.dat"), archive({{"Box.3do", box}, {"KEY.BIN", "k"}}));
    ASSERT_EQ(z5({"extract", "BOX.dat", "ws"}).status, 0);
    writeFile(at("secret"), "private");
    fs::remove(at("ws/KEY.BIN"));
    fs::create_symlink(at("secret"), at("ws/KEY.BIN"));
    fs::rename(at("ws/Box.3do.def/vertex.def"), at("vertex.def"));
    fs::create_symlink(at("vertex.def"), at("ws/Box.3do.def/vertex.def"));
    fs::rename(at("ws/Box.3do.def/flavor.def"), at("ws/flavor.def"));
    fs::create_symlink("../flavor.def", at("ws/Box.3do.def/flavor.def"));
    const auto final = [&](const char* name) { return fs::canonical(at(name)).string(); };
    const std::string named = "ws/Box.3do.def/vertex.def: error: a link to " + final("vertex.def") +
                              ", outside the workspace\nws/KEY.BIN: error: a link to " +
                              final("secret") + ", outside the workspace\n";
    failsUnlessLenient(named,
                       "2 files are links to files outside the workspace; nothing was written "
                       "(build --lenient builds in spite of them)",
                       archive({{"Box.3do", box}, {"KEY.BIN", "private"}}));

    // A list out of the workspace is not even read.
    fs::rename(at("ws/dattext.pck"), at("list.pck"));
    fs::create_symlink(at("list.pck"), at("ws/dattext.pck"));
    EXPECT_EQ(z5({"build", "ws", "-o", "out.dat"}).err,
              "ws/dattext.pck: error: a link to " + final("list.pck") +
                  ", outside the workspace\nz5def build: 1 file is a link to files outside the "
                  "workspace; nothing was written (build --lenient builds in spite of it)\n");
}

// ".." after a link leads where the system takes it, to the parent of the
// link's target: extract writes there, build reads and writes there, and
// an output that reaches the workspace that way is refused.
TEST_F(Workspace, DotDotAfterALinkIsTheSystems) {
    fs::create_directories(at("elsewhere/sub"));
    fs::create_directory(at("here"));
    fs::create_directory_symlink("../elsewhere/sub", at("here/lnk"));
    CliRun r = cli({"-C", at("here"), "extract", at("GAME.dat"), "lnk/./../ws/"});
    EXPECT_EQ(r.out, "9 members: 5 as definitions, 4 as they are; wrote lnk/./../ws/\n") << r.err;
    EXPECT_EQ(cli({"-C", at("here"), "build", "lnk/../ws", "-o", "lnk/../ws/x.dat"}).err,
              "z5def build: lnk/../ws/x.dat: inside the workspace lnk/../ws, which build only "
              "reads\n");
    r = cli({"-C", at("here"), "build", "lnk/../ws", "-o", "lnk/../out.dat"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(readFile(at("elsewhere/out.dat")), readFile(at("GAME.dat")));
    EXPECT_EQ(folderNames(at("here")), std::vector<std::string>{"lnk"});
}

// A path longer than the system takes gives one line naming the folder as
// it was given.
TEST(WorkspacePaths, LongerThanTheSystemTakesIsOneLine) {
    std::string folder = "/tmp";  // never made
    while (folder.size() < 4600) folder = joinPath(folder, std::string(200, 'd'));
    EXPECT_EQ(workspace::extract({.workingFolder = folder, .archive = "game.dat", .folder = "ws"})
                  .reasons,
              std::vector<std::string>{"ws: File name too long"});
    EXPECT_EQ(workspace::build({.workingFolder = folder, .folder = "ws", .output = {}}).reasons,
              std::vector<std::string>{"ws: File name too long"});
}
#endif

}  // namespace
}  // namespace z5
