// The window controller without any toolkit, through a view that records
// what it was told: start-up, the folder and drive lists, converters, the
// programs of z5.ini and the window's own entries.
#include "window/controller.hpp"

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/encoding.hpp"
#include "platform/files.hpp"
#include "platform/paths.hpp"
#include "tests/support/expected_menu.hpp"
#include "window/picture.hpp"

namespace z5 {
namespace {

using namespace test;
namespace fs = std::filesystem;

// Records what it is told, a line each: "folder F", "drive R", "status T",
// "warning T", "critical T", "yes or no? T", "about", "help", "close"; and
// once a converter is over, "asked FILTER" for its file choice and "box
// TITLE: TEXT" for each box. Entries are kept apart, as "CAPTION on|off" by
// name, and so is the working folder shown.
class FakeView : public WindowView {
public:
    std::vector<std::string> said;
    std::map<std::string, std::string, std::less<>> entries;
    std::vector<std::string> roots;
    std::optional<std::string> answer;  // to a converter's file choice; none cancels
    bool yes = true;                    // to a question
    std::string shownFolder;
    std::vector<std::string> answers;  // else these, one per file choice

    void showEntry(const MenuEntry& entry, const MenuState& state) override {
        entries[std::string(entry.name)] =
            std::string(state.caption) + (state.enabled ? " on" : " off");
    }
    bool showFolder(const std::string& folder) override {
        said.push_back("folder " + folder);
        return true;
    }
    void showWorkingFolder(const std::string& folder) override { shownFolder = folder; }
    std::vector<std::string> drives() override { return roots; }
    void showDrive(const std::string& root) override { said.push_back("drive " + root); }
    void showStatus(const std::string& text) override { said.push_back("status " + text); }
    void showError(const std::string& text, Severity severity) override {
        said.push_back((severity == Severity::Critical ? "critical " : "warning ") + text);
    }
    bool askYesNo(const std::string& text) override {
        said.push_back("yes or no? " + text);
        return yes;
    }
    std::unique_ptr<Host> commandHost(const std::string& folder,
                                      std::function<void(const std::string&)> notice) override {
        return std::make_unique<ViewHost>(*this, folder, std::move(notice));
    }
    // "picture TITLE: N panels of ROW CHOSEN in FOLDER, reading FILE..."
    void showPicture(picture::Drawing drawing, const std::string& title,
                     PictureSource source) override {
        std::string line = "picture " + title + ": " + std::to_string(drawing.panels.size()) +
                           " panels of " + std::string(source.row->menu) + " " + source.chosen +
                           " in " + source.folder + ", reading";
        for (const std::string& file : source.read) line += " " + file;
        said.push_back(line);
    }
    std::optional<std::string> chooseFileOrFolder(const std::string& title,
                                                  const std::string& folder) override {
        said.push_back("asked file or folder: " + title + " in " + folder);
        return answer;
    }
    void showProgress(const std::string& text) override { progress.push_back(text); }
    void showList(const std::string& title, const std::vector<std::string>& lines) override {
        said.push_back("list " + title);
        for (const std::string& line : lines) said.push_back("  " + line);
    }
    std::vector<std::string> progress;
    void showAbout() override { said.push_back("about"); }
    void showHelp() override { said.push_back("help"); }
    void closeWindow() override { said.push_back("close"); }

private:
    struct ViewHost : FakeHost {
        ViewHost(FakeView& view, std::string folder, std::function<void(const std::string&)> notice)
            : FakeHost(std::move(folder)), view(view), forward(std::move(notice)) {
            answer = view.answer;
        }
        ~ViewHost() override {
            for (const std::string& filter : filters) view.said.push_back("asked " + filter);
            for (const auto& [text, title] : messages)
                view.said.push_back("box " + title + ": " + text);
        }
        void notice(const std::string& line) override { forward(line); }
        std::optional<std::string> openFileName(std::string_view filter) override {
            if (view.answers.empty()) return FakeHost::openFileName(filter);
            filters.emplace_back(filter);
            answer = view.answers.front();
            view.answers.erase(view.answers.begin());
            return answer;
        }
        FakeView& view;
        std::function<void(const std::string&)> forward;
    };
};

// A fake view and a controller on it whose program starts are `starts`.
struct Window {
    explicit Window(WindowOptions options = {})
        : controller(view, std::make_unique<RecordingStarter>(starts, "view"), options) {}
    // Started in `dir` with the z5.ini `ini`; the drives are `roots`, else `dir`.
    Window(const TempFolder& dir, const std::string& ini, WindowOptions options = {},
           std::vector<std::string> roots = {})
        : Window(options) {
        writeFile(dir.file("z5.ini"), ini);
        InFolder in(dir.str());
        view.roots = roots.empty() ? std::vector<std::string>{dir.str()} : roots;
        if (!controller.start()) throw std::runtime_error("start-up failed");
        view.said.clear();
    }
    FakeView view;
    std::vector<std::string> starts;
    WindowController controller;
};

const MenuEntry& entry(std::string_view name) {
    for (const MenuEntry& e : menuTree())
        if (e.name == name) return e;
    throw std::runtime_error("no menu entry " + std::string(name));
}

TEST(WindowController, StartUpEndsWithTheReasonOrShowsTheStartFolder) {
    TempFolder dir;
    InFolder in(dir.str());
    const std::string file = dir.file("z5.ini");
    for (const auto& [ini, reason] : startUpFailures(dir.str(), dir.file("gone"), file)) {
        if (!ini.empty()) writeFile(file, ini);
        Window window;
        EXPECT_FALSE(window.controller.start());
        EXPECT_EQ(window.view.said,
                  std::vector<std::string>{"critical " + reason + settingsHelp()});
    }

    // A relative start folder is taken from the current directory and held
    // without "." or ".."; the program slots show the captions of z5.ini,
    // disabled where it has none.
    fs::create_directory(dir.path() / "data");
    writeFile(file, iniText("./data/../data/.", testPrograms()));
    Window window;
    window.view.roots = {pathText(dir.path().root_path())};
    ASSERT_TRUE(window.controller.start());
    EXPECT_EQ(window.view.said, (std::vector<std::string>{"folder " + dir.file("data"),
                                                          "drive " + window.view.roots[0]}));
    std::vector<std::string> shown;
    for (int n = 1; n <= kProgramCount; ++n)
        shown.push_back(window.view.entries["mnuProgram" + std::to_string(n)]);
    EXPECT_EQ(shown, (std::vector<std::string>{"&Editor on", "&Viewer on", " off", " off",
                                               "&Five on", " off"}));

    EXPECT_EQ(window.view.shownFolder, dir.file("data"));

    // run.sh starts the window in samples/ with its z5.ini.
    InFolder samples(Z5_SAMPLES_DIR);
    EXPECT_TRUE(Window().controller.start());
}

// Started where there is no z5.ini (a shortcut without a folder to start
// in), the window reads the one in its program's folder, and takes a
// relative start folder from there; with neither, it names both folders.
TEST(WindowController, StartUpFallsBackToTheProgramsFolder) {
    TempFolder here, program;
    fs::create_directory(program.path() / "data");
    InFolder in(here.str());
    Window without({.programFolder = program.str()});
    EXPECT_FALSE(without.controller.start());
    EXPECT_EQ(without.view.said,
              std::vector<std::string>{"critical no z5.ini in " + here.str() + ", nor in " +
                                       program.str() + " (the program's folder)" + settingsHelp()});

    writeFile(program.file("z5.ini"), iniText("data", {}));
    Window window({.programFolder = program.str()});
    ASSERT_TRUE(window.controller.start());
    EXPECT_EQ(window.controller.workingFolder(), program.file("data"));
    // One in the current folder comes first.
    writeFile(here.file("z5.ini"), iniText(".", {}));
    Window local({.programFolder = program.str()});
    ASSERT_TRUE(local.controller.start());
    EXPECT_EQ(local.controller.workingFolder(), here.str());
}

TEST(WindowController, DrivesReturnToTheFolderLastUsedThere) {
    TempFolder dir;
    for (const char* sub : {"a/deep", "b/x"}) fs::create_directories(dir.path() / sub);
    const std::string a = dir.file("a"), b = dir.file("b"), gone = dir.file("c");
    const std::string deep = joinPath(a, "deep"), x = joinPath(b, "x");
    Window window(dir, iniText(deep, {}), {}, {a, b, gone});
    WindowController& c = window.controller;
    auto pick = [&](const std::string& root) {  // the working folder it leads to
        c.driveChosen(root);
        return c.workingFolder();
    };
    EXPECT_EQ(pick(b), b);  // never visited: its root
    EXPECT_TRUE(c.folderChosen(x));
    EXPECT_EQ(window.view.said.back(), "drive " + b);  // the drive list follows the folder
    EXPECT_EQ(pick(a), deep);
    EXPECT_EQ(pick(b), x);
    fs::remove(x);
    EXPECT_EQ(pick(a), deep);
    EXPECT_EQ(pick(b), b);  // its last folder is gone: the root
    window.view.said.clear();
    EXPECT_EQ(pick(b), b);  // the drive it is on: nothing happens
    EXPECT_EQ(pick(gone), b);
    // A folder gone since the list showed it: the list shows the working
    // folder again.
    EXPECT_FALSE(c.folderChosen(gone));
    EXPECT_EQ(c.workingFolder(), b);
    const std::string missing = std::strerror(ENOENT);
    EXPECT_EQ(window.view.said,
              (std::vector<std::string>{"drive " + b, "warning " + gone + ": " + missing,
                                        "folder " + b, "warning " + gone + ": " + missing}));

    // A folder's drive is the longest root holding it, letter case aside,
    // ending at a separator; none when no root holds it.
    c.folderChosen(deep);
    std::string upper = a;
    for (char& ch : upper) ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
    const std::pair<std::vector<std::string>, std::string> drives[] = {
        {{dir.str(), a, b}, a},
        {{upper}, upper},
        {{joinPath(a, "de")}, ""},
    };
    for (const auto& [roots, drive] : drives) {
        window.view.roots = roots;
        EXPECT_EQ(c.currentDrive(), drive) << drive;
    }
}

TEST(WindowController, ConvertersShowHowTheyEnded) {
    TempFolder dir, reference;
    const std::string input = dir.file("Input File.bin"), longInput = dir.file("long.bin");
    const std::string broken = dir.file("broken.3do");
    writeFile(input, Bytes().i32(-2).f32(0.5f).u8(7).str());
    // The byte table counts offsets in 16 bits: a longer file fails.
    writeFile(longInput, std::string(40000, 'x'));
    // An object whose vertex section is too long for 16-bit counts: the 3do
    // decompiler names the stage it stopped in, in a box of its own.
    writeFile(broken, Bytes().text("3DO3").i32(0).i32(0).text("PERP").i32(0).i32(16 * 32769).str());
    FakeHost stage(reference.str());
    stage.answer = broken;
    const Outcome object = findCommandByMenu("mnu3doDecompile")->run(stage);
    ASSERT_EQ(object.status, Status::Failed);
    ASSERT_EQ(stage.messages.size(), 1u);
    const Outcome textdoc = runScripted("mnuTxtDoc", longInput, reference.str());
    ASSERT_EQ(textdoc.status, Status::Failed);
    stage.answer = dir.file("missing.trk");
    const Outcome unread = findCommandByMenu("mnuTrkView")->run(stage);
    ASSERT_EQ(unread.status, Status::Failed);
    const std::string cube = (std::filesystem::path(Z5_SAMPLES_DIR) / "cube.3do").string();

    Window window(dir, iniText(dir.str(), {}));
    const std::string open = "asked Files(*.*)|*.*";
    const struct {
        const char* menu;
        std::optional<std::string> answer;
        std::vector<std::string> said;
    } cases[] = {
        // The status bar is cleared as every command starts; done: a box.
        // Done: a box, and the status bar names what was written.
        {"mnuDecompile",
         input,
         {"status ",
          "status File > Decompile: DONE, wrote outputlong.def, outputfloat.def, outputbyt.def",
          open, "box Bank App: DONE"}},
        // Failed: no box, the reason in the status bar after the menu path.
        {"mnuTxtDoc", longInput, {"status ", "status File > Text Doc: " + textdoc.reason, open}},
        // A box the command shows itself stays.
        {"mnu3doDecompile",
         broken,
         {"status ", "status 3do > Def Tools > Decompile: " + object.reason,
          "asked 3do Files(*.3do)|*.3do",
          "box " + stage.messages[0].second + ": " + stage.messages[0].first}},
        // A picture opens its window, without a box; a file that cannot be
        // read opens none.
        {"mnu3doView",
         cube,
         {"status ", "asked " + std::string(findCommandByMenu("mnu3doView")->options.filter),
          "picture Z5 DEF TOOL cube.3do: 5 panels of mnu3doView " + cube + " in " + dir.str() +
              ", reading " + cube}},
        {"mnuTrkView",
         dir.file("missing.trk"),
         {"status ", "status Trk > View...: " + unread.reason,
          "asked " + std::string(findCommandByMenu("mnuTrkView")->options.filter)}},
        // Cancelled: nothing else.
        {"mnuTxtDoc", std::nullopt, {"status ", open}},
    };
    for (const auto& c : cases) {
        window.view.said.clear();
        window.view.answer = c.answer;
        window.controller.choose(entry(c.menu));
        EXPECT_EQ(window.view.said, c.said) << c.menu;
    }
    // The window wrote exactly what the same command writes for any host.
    emptyFolder(reference.str());
    ASSERT_EQ(runScripted("mnuDecompile", input, reference.str()).status, Status::Done);
    for (const auto& [name, entry] : folderFiles(reference.str()))
        EXPECT_EQ(DiskEntry::file(readFile(dir.file(name))), entry) << name;
}

// Departures from a layout: the command ends as it would without them, the
// status bar counts them and the list window shows each.
TEST(WindowController, DeparturesAreCountedAndListed) {
    TempFolder dir;
    Window window(dir, iniText(dir.str(), {}));
    FakeHost host(dir.str());
    host.answer = (std::filesystem::path(Z5_SAMPLES_DIR) / "oval.trk").string();
    ASSERT_EQ(findCommandByMenu("mnuTrkDecompile")->run(host).status, Status::Done);
    std::vector<std::string> lines = splitCrlf(readFile(dir.file("Trk.def")));
    lines[9] = "Length:          16OOOO";
    writeFile(dir.file("Trk.def"), joinCrlf(lines));
    const std::string warning =
        "Trk.def:10:18: warning: the layout has a whole number here (the Length line); found "
        "\"16OOOO\", read as 16";
    window.view.said.clear();
    window.controller.choose(entry("mnuTrkCompile"));
    EXPECT_EQ(window.view.said,
              (std::vector<std::string>{
                  "status ", "status " + warning,
                  "status Trk > Def Tools > Compile: DONE, 1 warning, wrote New.trk",
                  "list Trk > Def Tools > Compile", "  " + warning, "box Bank App: DONE"}));
}

// Extract, build and verify: DONE after a run that succeeded, else the first
// reason and the count of the others in the status bar and every reason in
// the list window; verify's verdicts and summary go to the list window, and
// so do the members a build changed.
TEST(WindowController, WorkspaceAndVerifyEntries) {
    TempFolder dir;
    Window window(dir, iniText(dir.str(), {}));
    writeFile(dir.file("GAME.dat"), archive({{"A.BIN", "x"}, {"B.BIN", "y"}}));
    const auto run = [&](const char* name, const std::string& answer) {
        window.view.said.clear();
        window.view.answer = answer;
        window.controller.choose(entry(name));
        return window.view.said;
    };
    EXPECT_EQ(run("mnuExtractWorkspace", dir.file("GAME.dat")),
              (std::vector<std::string>{
                  "status ",
                  "status File > Extract Workspace...: 2 members: 0 as definitions, 2 as they "
                  "are; wrote GAME",
                  "asked dat files(*.dat)|*.dat", "box Bank App: DONE"}));
    EXPECT_EQ(window.view.progress.back(), "File > Extract Workspace...: [2/2] B.BIN");
    fs::remove(dir.file("GAME/A.BIN"));
    fs::remove(dir.file("GAME/B.BIN"));
    const std::string neither = ": neither the member file nor a folder ";
    EXPECT_EQ(run("mnuBuildWorkspace", dir.file("GAME/dattext.pck")),
              (std::vector<std::string>{"status ",
                                        "status File > Build Workspace...: A.BIN" + neither +
                                            "A.BIN.def is in the workspace (and 1 more)",
                                        "list File > Build Workspace...",
                                        "  A.BIN" + neither + "A.BIN.def is in the workspace",
                                        "  B.BIN" + neither + "B.BIN.def is in the workspace",
                                        "asked Dat Txt Files(*.pck)|*.pck"}));
    // Built again: what changed in the list window, else DONE.
    writeFile(dir.file("GAME/A.BIN"), "x");
    writeFile(dir.file("GAME/B.BIN"), "z");
    const std::string status = "status File > Build Workspace...: ";
    const std::string counts = "2 members: 0 compiled, 2 taken as they are, ";
    const std::string wrote = "; wrote GAME.dat, kept the old one as GAME.dat.bak";
    EXPECT_EQ(run("mnuBuildWorkspace", dir.file("GAME/dattext.pck")),
              (std::vector<std::string>{"status ", status + counts + "1 changed" + wrote,
                                        "list File > Build Workspace...", "  changed: B.BIN",
                                        "  " + counts + "1 changed" + wrote,
                                        "asked Dat Txt Files(*.pck)|*.pck"}));
    EXPECT_EQ(run("mnuBuildWorkspace", dir.file("GAME/dattext.pck")),
              (std::vector<std::string>{"status ", status + counts + "0 changed" + wrote,
                                        "asked Dat Txt Files(*.pck)|*.pck", "box Bank App: DONE"}));
    const std::string summary =
        "1 file: 1 identical, 0 equivalent, 0 differ, 0 not supported, 0 failed, 0 skipped";
    EXPECT_EQ(run("mnuVerify", dir.file("GAME.dat")),
              (std::vector<std::string>{
                  "status ", "asked file or folder: Verify a file or a folder in " + dir.str(),
                  "status File > Verify...: " + summary, "list File > Verify...",
                  "  " + dir.file("GAME.dat") + ": identical", "  " + summary}));
    EXPECT_EQ(run("mnuVerify", ""),
              (std::vector<std::string>{
                  "status ", "asked file or folder: Verify a file or a folder in " + dir.str()}));
    // An archive's list: its members and their kinds in the list window.
    EXPECT_EQ(run("mnuListArchive", dir.file("GAME.dat")),
              (std::vector<std::string>{
                  "status ", "status File > List Archive...: 2 members, 58 bytes",
                  "list File > List Archive...", "  A.BIN                  1         56  -",
                  "  B.BIN                  1         57  -", "  2 members, 58 bytes",
                  "asked dat files(*.dat)|*.dat"}));
}

// Dropped files run the command of their kind in the working folder, with
// no dialog, each ending as from the menu; a file of no known kind, or two
// that would write one file, run nothing. Files the program starts with
// make their folder the working folder first.
TEST(WindowController, DroppedFilesRunTheCommandOfTheirKind) {
    TempFolder dir, other;
    fs::create_directory(dir.path() / "work");
    const std::string work = dir.file("work");
    Window window(dir, iniText(work, {}));
    const fs::path samples = Z5_SAMPLES_DIR;
    for (const char* name : {"oval.trk", "speedway.trk", "cube.3do"})
        fs::copy_file(samples / name, other.path() / name);
    writeFile(other.file("GAME.dat"), archive({{"A.BIN", "x"}}));
    writeFile(other.file("notes.txt"), "x");
    const auto drop = [&](const std::vector<std::string>& names) {
        std::vector<std::string> paths;
        for (const std::string& name : names) paths.push_back(other.file(name));
        window.view.said.clear();
        window.controller.filesDropped(paths);
        return window.view.said;
    };

    EXPECT_EQ(drop({"oval.trk", "notes.txt", "z5.ini"}),
              std::vector<std::string>{"status no command for notes.txt, z5.ini"});
    EXPECT_EQ(drop({"oval.trk", "cube.3do", "speedway.trk"}),
              std::vector<std::string>{
                  "status oval.trk, speedway.trk: both write Trk.def; drop them one at a time"});
    EXPECT_TRUE(folderFiles(work).empty());

    EXPECT_EQ(drop({"oval.trk", "GAME.dat", "cube.3do"}),
              (std::vector<std::string>{
                  "status ", "status Trk > Def Tools > Decompile: DONE, wrote Trk.def",
                  "box Bank App: DONE", "status ",
                  "status File > Extract Workspace...: 1 members: 0 as definitions, 1 as they "
                  "are; wrote GAME",
                  "box Bank App: DONE", "status ",
                  "status 3do > Def Tools > Decompile: DONE, wrote vertex.def, flavor.def",
                  "box Bank App: DONE"}));
    EXPECT_EQ(readFile(joinPath(work, "GAME/A.BIN")), "x");
    for (const char* name : {"Trk.def", "vertex.def", "flavor.def"})
        EXPECT_TRUE(fileExists(joinPath(work, name))) << name;

    // A definition file is drawn with those beside it: Trk.def of `other`,
    // not the working folder's (which is gone).
    writeFile(other.file("Trk.def"), readFile(joinPath(work, "Trk.def")));
    fs::remove(joinPath(work, "Trk.def"));
    // The picture follows that file.
    EXPECT_EQ(drop({"Trk.def"}),
              (std::vector<std::string>{
                  "status ", "picture Z5 DEF TOOL Trk.def: 8 panels of mnuTrkView " +
                                 other.file("Trk.def") + " in " + other.str() + ", reading " +
                                 other.file("Trk.def")}));
    // Views write no file in the window: two of them are no conflict.
    fs::create_directory(other.path() / "sub");
    fs::copy_file(other.path() / "Trk.def", other.path() / "sub" / "Trk.def");
    window.view.said.clear();
    window.controller.filesDropped({other.file("Trk.def"), other.file("sub/Trk.def")});
    EXPECT_EQ(window.view.said.size(), 4u) << window.view.said.at(0);

    // z5deftool FILE: the working folder is the file's, and the list shows it.
    window.view.said.clear();
    window.controller.openFiles({other.file("cube.3do")});
    EXPECT_EQ(window.controller.workingFolder(), other.str());
    EXPECT_EQ(window.view.shownFolder, other.str());
    EXPECT_EQ(window.view.said[0], "folder " + other.str());
    EXPECT_TRUE(fileExists(other.file("vertex.def")));
    // A file whose folder is gone: the reason, nothing runs.
    window.view.said.clear();
    window.controller.openFiles({joinPath(dir.file("gone"), "a.trk")});
    EXPECT_EQ(window.view.said, (std::vector<std::string>{
                                    "folder " + other.str(),
                                    "warning " + dir.file("gone") + ": " + std::strerror(ENOENT)}));
}

// Clean Up asks before it deletes, counting the files the list names; a
// list it cannot read asks nothing and the command says why.
TEST(WindowController, CleanUpAsksFirst) {
    TempFolder dir;
    Window window(dir, iniText(dir.str(), {}));
    const std::string list = "GAME\r\n2\r\nA.BIN\r\nB.BIN\r\n";
    writeFile(dir.file("dattext.pck"), list);
    writeFile(dir.file("A.BIN"), "a");
    writeFile(dir.file("B.BIN"), "b");
    const std::string question = "yes or no? Delete the 2 files that dattext.pck lists?";
    window.view.yes = false;
    window.controller.choose(entry("mnuCleanUp"));
    EXPECT_EQ(window.view.said, std::vector<std::string>{question});
    EXPECT_TRUE(fileExists(dir.file("A.BIN")));
    window.view.said.clear();
    window.view.yes = true;
    window.controller.choose(entry("mnuCleanUp"));
    EXPECT_EQ(window.view.said,
              (std::vector<std::string>{question, "status ", "status File > Clean  Up: DONE",
                                        "box Bank App: DONE"}));
    EXPECT_FALSE(fileExists(dir.file("A.BIN")) || fileExists(dir.file("B.BIN")));
    fs::remove(dir.file("dattext.pck"));
    window.view.said.clear();
    window.controller.choose(entry("mnuCleanUp"));
    ASSERT_EQ(window.view.said.size(), 2u);
    EXPECT_TRUE(window.view.said[1].starts_with("status File > Clean  Up: cannot open "));
}

// Save as SVG offers the picture's own name in the working folder; a name
// without an extension gets .svg.
TEST(PictureController, SaveOffersThePicturesNameAndAddsSvg) {
    TempFolder dir;
    FakeHost view(dir.str());
    view.answer = (fs::path(Z5_SAMPLES_DIR) / "cube.3do").string();
    std::optional<picture::Drawing> drawing;
    ASSERT_EQ(findCommandByMenu("mnu3doView")->runDrawing(view, drawing).status, Status::Done);
    PictureController picture(std::move(*drawing), [&] { return dir.str(); });
    FakeHost host(dir.str());
    host.answer = dir.file("my cube");
    EXPECT_EQ(picture.save(host), std::nullopt);
    EXPECT_EQ(host.proposedNames, std::vector<std::string>{"cube.svg"});
    EXPECT_EQ(host.saveFolders, std::vector<std::string>{dir.str()});
    EXPECT_TRUE(readFile(dir.file("my cube.svg")).starts_with("<?xml"));
    host.answer = dir.file("cube.image");
    EXPECT_EQ(picture.save(host), std::nullopt);
    EXPECT_TRUE(fileExists(dir.file("cube.image")));
}

// Compare asks for two files and shows diff's lines in the list window.
TEST(WindowController, CompareShowsTheDifferencesOfTwoFiles) {
    TempFolder dir;
    Window window(dir, iniText(dir.str(), {}));
    writeFile(dir.file("A.dat"), archive({{"A.BIN", "x"}, {"B.BIN", "y"}}));
    writeFile(dir.file("B.dat"), archive({{"A.BIN", "z"}}));
    window.view.answers = {dir.file("A.dat"), dir.file("B.dat")};
    window.controller.choose(entry("mnuCompare"));
    EXPECT_EQ(window.view.said,
              (std::vector<std::string>{
                  "status ", "status File > Compare...: 3 lines of differences",
                  "list File > Compare...", "  A.BIN: changed", "    bytes 0x0-0x0",
                  "  B.BIN: removed", "asked Files(*.*)|*.*", "asked Files(*.*)|*.*"}));
    // Cancelled at the second file: nothing more.
    window.view.said.clear();
    window.view.answers = {dir.file("A.dat"), ""};
    window.controller.choose(entry("mnuCompare"));
    EXPECT_EQ(window.view.said, (std::vector<std::string>{"status ", "asked Files(*.*)|*.*",
                                                          "asked Files(*.*)|*.*"}));
}

TEST(WindowController, ProgramsAndTheWindowsOwnEntries) {
    TempFolder dir;
    Window window(dir, iniText(dir.str(), testPrograms()));
    for (const char* name : {"mnuProgram1", "mnuProgram3",  // unused: disabled, nothing
                             "mnuProgram2",                 // fails: the reason, the window goes on
                             "mnuDos",
                             // LP's Decompile and Compile are enabled and do nothing; entries
                             // that are disabled, or under a disabled menu, do nothing either.
                             "mnuLpDecompile", "mnuLpCompile", "mnu3doCompile", "mnuCamDecompile",
                             "mnuValueSearch", "mnuAbout", "mnuExit"})
        window.controller.choose(entry(name));
    window.controller.help();
    const std::string in = " in " + dir.str();
    EXPECT_EQ(window.starts, (std::vector<std::string>{"ed one" + in, "view" + in, "shell" + in}));
    EXPECT_EQ(window.view.said,
              (std::vector<std::string>{"warning Cannot start \"view\": no such program", "about",
                                        "close", "help"}));

    // --all-commands enables 3do compile and the Other menu.
    Window all(dir, iniText(dir.str(), {}), {.allCommands = true});
    all.controller.choose(entry("mnu3doCompile"));
    all.controller.choose(entry("mnuCamDecompile"));
    EXPECT_EQ(all.view.said, (std::vector<std::string>{"status ", "asked 3do Files(*.3do)|*.3do",
                                                       "status ", "asked Cam Files(*.cam)|*.cam"}));
}

}  // namespace
}  // namespace z5
