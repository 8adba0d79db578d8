// Names and paths across systems: folders named in any script, names from
// inside files kept as Windows-1252 bytes, and on Windows drive paths, both
// separators and the built z5def.exe taking its arguments in UTF-16.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>
#ifdef _WIN32
#include <process.h>
#endif

#include "platform/encoding.hpp"
#include "platform/files.hpp"
#include "platform/paths.hpp"
#include "tests/cli/run.hpp"
#include "tests/support/support.hpp"

namespace z5 {
namespace {

namespace fs = std::filesystem;
using namespace test;

std::string sample(std::string_view name) {
    return joinPath(Z5_SAMPLES_DIR, name);
}

// A folder of `root` named `name` (UTF-8), made.
std::string folder(const TempFolder& root, std::string_view name) {
    const std::string path = root.file(name);
    fs::create_directory(nativePath(path));
    return path;
}

const std::string kAccented = "Pistes \u00E9t\u00E9";
const std::string kJapanese = "\u30C8\u30E9\u30C3\u30AF";

// Every format decompiles and compiles back to the same bytes, and an
// archive unpacks and packs back, in folders named in any script.
TEST(Platform, EveryRoundTripWorksInFoldersNamedInAnyScript) {
    TempFolder root;
    for (const std::string& name : {kAccented, kJapanese}) {
        SCOPED_TRACE(name);
        const std::string work = folder(root, name);
        const struct {
            const char* group;
            const char* sample;
            const char* output;
        } formats[] = {{"trk", "oval.trk", "New.trk"},
                       {"cam", "sample.cam", "New.cam"},
                       {"scr", "sample.scr", "New.scr"},
                       {"3do", "box.3do", "box-new.3do"}};
        for (const auto& f : formats) {
            CliRun r = cli({"-q", "-C", work, f.group, "decompile", sample(f.sample)});
            ASSERT_EQ(r.status, 0) << r.err;
            std::vector<std::string> compile = {"-q", "-C", work, f.group, "compile"};
            if (std::string_view(f.group) == "3do") compile.push_back(f.output);
            r = cli(compile);
            ASSERT_EQ(r.status, 0) << r.err;
            EXPECT_EQ(readFile(joinPath(work, f.output)), readFile(sample(f.sample))) << f.group;
        }
        CliRun r = cli({"-q", "-C", work, "unpack", sample("sample.dat")});
        ASSERT_EQ(r.status, 0) << r.err;
        r = cli({"-q", "-C", work, "pack", "dattext.pck"});
        ASSERT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(readFile(joinPath(work, "sample.dat")), readFile(sample("sample.dat")));
    }
}

// Line 2 of stg.def names the folder and the setup in Windows-1252 (on
// Windows; elsewhere the bytes of the names), and compiling it writes the
// setup it came from.
TEST(Platform, SetupNamesAreWindows1252InTheFile) {
    TempFolder root;
    const std::string work = folder(root, "R\u00E9glages");
    writeFile(joinPath(work, "Caf\u00E9.stg"), readFile(sample("sample.stg")));
    CliRun r = cli({"-q", "-C", work, "stg", "decompile", "Caf\u00E9.stg"});
    ASSERT_EQ(r.status, 0) << r.err;
    const std::string def = readFile(joinPath(work, "stg.def"));
#ifdef _WIN32
    EXPECT_EQ(splitCrlf(def).at(1), "R\xE9glages     Caf\xE9");
#else
    EXPECT_EQ(splitCrlf(def).at(1), "R\u00E9glages     Caf\u00E9");
#endif
    r = cli({"-q", "-C", work, "stg", "compile"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(folderNames(work), (std::vector<std::string>{"Caf\u00E9.stg", "stg.def"}));
    r = cli({"-q", "-C", work, "stg", "decompile", "Caf\u00E9.stg"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(readFile(joinPath(work, "stg.def")), def);

#ifdef _WIN32
    // A folder name without a Windows-1252 form cannot be written into
    // line 2: refused, and nothing is written.
    const std::string japanese = folder(root, kJapanese);
    r = cli({"-q", "-C", japanese, "stg", "decompile", sample("sample.stg")});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "z5def: folder name \"" + kJapanese +
                         "\" has a character that names in files cannot hold (they are "
                         "Windows-1252)\n");
    EXPECT_TRUE(folderNames(japanese).empty());
#endif
}

// Member names are Windows-1252 bytes in the archive and the list; as file
// names they are the same characters, and packing gives the same bytes.
TEST(Platform, MemberNamesKeepTheirBytesThroughUnpackAndPack) {
    TempFolder root;
    const std::vector<Member> members = {
        {"CAF\xC9.TXT", "coffee"}, {"\x80-\x9F.BIN", "euro"}, {"\x81\xFF", "unassigned"}};
    const std::string dat = archive(members);
    writeFile(root.file("game.dat"), dat);

    const std::string work = folder(root, "work");
    CliRun r = cli({"-q", "-C", work, "unpack", root.file("game.dat")});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(readFile(joinPath(work, "dattext.pck")),
              crlf({"game", " 3 ", members[0].name, members[1].name, members[2].name}));
    for (const Member& m : members)
        EXPECT_EQ(readFile(joinPath(work, nameToPath(m.name))), m.data) << m.name;
    r = cli({"-q", "-C", work, "pack", "dattext.pck"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(readFile(joinPath(work, "game.dat")), dat);
    r = cli({"-q", "-C", work, "cleanup"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(folderNames(work), (std::vector<std::string>{"dattext.pck", "game.dat"}));

#ifdef _WIN32
    // The list names its archive on line 1: an archive whose file name has
    // no Windows-1252 form cannot be unpacked into a list.
    const std::string other = folder(root, "other");
    writeFile(root.file(kJapanese + ".dat"), dat);
    r = cli({"-q", "-C", other, "unpack", root.file(kJapanese + ".dat")});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("archive name \"" + kJapanese + "\" has a character"), std::string::npos)
        << r.err;
    EXPECT_TRUE(folderNames(other).empty());
#endif
}

// A picture or OBJ named after the file it shows is named with that
// file's characters: a file name, not a name kept inside a file.
TEST(Platform, OutputsNamedAfterTheirInputKeepItsName) {
    TempFolder root;
    const std::string work = folder(root, "work");
    for (const std::string& stem : {std::string("CAF\u00C9"), kJapanese}) {
        writeFile(joinPath(work, stem + ".3do"), readFile(sample("box.3do")));
        writeFile(joinPath(work, stem + ".trk"), readFile(sample("oval.trk")));
        for (const auto& [group, command, input] : {std::tuple{"3do", "view", ".3do"},
                                                    {"3do", "export", ".3do"},
                                                    {"trk", "view", ".trk"}})
            EXPECT_EQ(cli({"-q", "-C", work, group, command, stem + input}).status, 0);
    }
    EXPECT_EQ(folderNames(work),
              (std::vector<std::string>{"CAF\u00C9.3do", "CAF\u00C9.obj", "CAF\u00C9.svg",
                                        "CAF\u00C9.trk", kJapanese + ".3do", kJapanese + ".obj",
                                        kJapanese + ".svg", kJapanese + ".trk"}));
}

#ifdef _WIN32
std::string withSlashes(std::string path) {
    std::replace(path.begin(), path.end(), '\\', '/');
    return path;
}

// C:\... and C:/..., a trailing separator, relative files with either
// separator, and a FILE rooted on the working folder's drive (/in/oval.trk),
// which is no "/option".
TEST(Platform, DrivePathsTakeBothSeparators) {
    TempFolder root;
    ASSERT_EQ(root.str().substr(1, 2), ":\\") << root.str();
    const std::string in = folder(root, "in");
    writeFile(joinPath(in, "oval.trk"), readFile(sample("oval.trk")));
    CliRun r = cli({"-q", "-C", withSlashes(root.str()), "trk", "decompile", "in\\oval.trk"});
    ASSERT_EQ(r.status, 0) << r.err;
    r = cli({"-q", "-C", root.str() + "\\", "trk", "compile"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(readFile(root.file("New.trk")), readFile(sample("oval.trk")));
    r = cli({"-q", "-C", root.str(), "textdoc", "in/oval.trk"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(fileExists(root.file("outputdoc.def")));
    r = cli({"-q", "-C", root.str(), "trk", "decompile",
             withSlashes(root.str().substr(2)) + "/in/oval.trk"});
    ASSERT_EQ(r.status, 0) << r.err;
    // A name in another letter case is the same file: no second output.
    r = cli({"-q", "-C", root.str(), "trk", "decompile", "IN\\OVAL.TRK"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(folderNames(root.str()),
              (std::vector<std::string>{"New.trk", "Trk.def", "in", "outputdoc.def"}));
}

// A FILE, OUT, -o or -C argument ending in a dot or a blank names another
// file than it says (Windows drops the end): a usage error, nothing written.
// A "." or ".." folder is no such name.
TEST(Platform, NamesEndingInADotOrABlankAreUsageErrors) {
    TempFolder root;
    writeFile(root.file("flavor.def"), "keep");
    const std::vector<std::vector<std::string>> lines = {
        {"3do", "compile", "flavor.def."},  {"3do", "compile", "vertex.def "},
        {"build", "ws", "-o", "game.dat."}, {"extract", "game.dat", "ws "},
        {"textdoc", "in\\flavor.def."},
    };
    for (const auto& words : lines) {
        std::vector<std::string> args = {"-q", "-C", root.str()};
        args.insert(args.end(), words.begin(), words.end());
        const CliRun r = cli(args);
        EXPECT_EQ(r.status, 2) << words.back() << ": " << r.err;
        EXPECT_NE(r.err.find("ends in a dot or a blank"), std::string::npos) << r.err;
    }
    EXPECT_EQ(cli({"-q", "-C", root.str() + "\\.", "frob"}).status, 2);
    EXPECT_EQ(cli({"-q", "-C", root.str() + "\\in.", "textdoc", "flavor.def"}).status, 2);
    EXPECT_EQ(cli({"-q", "-C", root.str() + "\\.", "textdoc", "flavor.def"}).status, 0);
    EXPECT_EQ(folderNames(root.str()), (std::vector<std::string>{"flavor.def", "outputdoc.def"}));
}

// Runs the built z5def.exe; its exit status.
int runTool(const std::vector<std::string>& args) {
    std::vector<std::wstring> quoted = {L"\"" + widen(Z5DEF_PATH) + L"\""};
    for (const std::string& a : args) quoted.push_back(L"\"" + widen(a) + L"\"");
    std::vector<const wchar_t*> argv;
    for (const std::wstring& a : quoted) argv.push_back(a.c_str());
    argv.push_back(nullptr);
    return static_cast<int>(_wspawnv(_P_WAIT, widen(Z5DEF_PATH).c_str(), argv.data()));
}

// The arguments arrive in UTF-16 and reach the file system unchanged; the
// exit status says done (0), failed (1) or misused (2).
TEST(Platform, TheToolTakesArgumentsInUtf16) {
    TempFolder root;
    const std::string work = folder(root, kJapanese);
    writeFile(joinPath(work, "donn\u00E9es.bin"), "AB");
    EXPECT_EQ(runTool({"-q", "-C", work, "textdoc", "donn\u00E9es.bin"}), 0);
    EXPECT_EQ(readFile(joinPath(work, "outputdoc.def")),
              crlf({" Byte  Value", "    0    65", "    1    66"}));
    EXPECT_EQ(runTool({"-q", "-C", work, "textdoc", "missing.bin"}), 1);
    EXPECT_EQ(runTool({"-q", "-C", work, "frob"}), 2);
}
#endif

}  // namespace
}  // namespace z5
