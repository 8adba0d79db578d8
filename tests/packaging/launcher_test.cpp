// The launcher the desktop entry runs: it starts the window in
// $XDG_CONFIG_HOME/z5def (default ~/.config/z5def) with the arguments it was
// given, and on the first start writes there a z5.ini with the home folder
// as the start folder. A fake z5deftool beside a copy of the launcher prints
// its folder and arguments.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/support.hpp"

namespace z5 {
namespace {

namespace fs = std::filesystem;
using test::fileExists;
using test::readFile;
using test::TempFolder;
using test::writeFile;

struct Launch {
    int status;
    std::string out;  // the fake window's folder, then one argument per line
    std::string err;
};

class Launcher : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directories(root.path() / "bin");
        fs::copy_file(Z5_LAUNCHER_PATH, root.file("bin/z5deftool-launcher"));
        writeFile(root.file("bin/z5deftool"),
                  "#!/bin/sh\npwd -P\nfor a; do printf '%s\\n' \"$a\"; done\n");
        fs::permissions(root.file("bin/z5deftool"), fs::perms::owner_all);
        fs::create_directories(home());
    }

    // Runs the launcher from the temporary root by a relative path, with
    // only HOME, PATH and `env` ("XDG_CONFIG_HOME=..."), and `args`.
    Launch launch(const std::string& env = "", const std::string& args = "") {
        const std::string command = "cd '" + root.str() + "' && env -i PATH=/usr/bin:/bin HOME='" +
                                    home() + "' " + env + " /bin/sh bin/z5deftool-launcher " +
                                    args + " >out.txt 2>err.txt";
        const int status = std::system(command.c_str());
        return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, readFile(root.file("out.txt")),
                readFile(root.file("err.txt"))};
    }

    const std::string& home() const { return homePath; }
    std::string canonical(const std::string& path) const { return fs::canonical(path).string(); }

    TempFolder root{"z5launcher"};
    std::string homePath = root.file("home, user");
};

TEST_F(Launcher, FirstStartWritesZ5IniWithTheHomeFolderAndRunsTheWindowThere) {
    const Launch run = launch("", "--all-commands 'two words'");
    ASSERT_EQ(run.status, 0) << run.err;
    const std::string folder = home() + "/.config/z5def";
    EXPECT_EQ(run.out, canonical(folder) + "\n--all-commands\ntwo words\n");
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(readFile(folder + "/z5.ini"), "\"" + home() +
                                                "\"\r\n\"xdg-open .\",\"&Open this folder\"\r\n"
                                                ",\r\n,\r\n,\r\n,\r\n,\r\n");
    EXPECT_EQ(test::folderNames(folder), std::vector<std::string>{"z5.ini"});
}

TEST_F(Launcher, AnExistingZ5IniIsUsedAsItIs) {
    const std::string folder = home() + "/.config/z5def";
    fs::create_directories(folder);
    writeFile(folder + "/z5.ini", "\"/srv/game\"\n,\n");
    Launch run = launch();
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(readFile(folder + "/z5.ini"), "\"/srv/game\"\n,\n");
    // Even a link to nowhere is the user's: it stays a link.
    fs::remove(folder + "/z5.ini");
    fs::create_symlink(root.file("elsewhere.ini"), folder + "/z5.ini");
    run = launch();
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(fs::is_symlink(folder + "/z5.ini"));
    EXPECT_FALSE(fileExists(root.file("elsewhere.ini")));
    EXPECT_EQ(test::folderNames(folder), std::vector<std::string>{"z5.ini"});
}

// An absolute XDG_CONFIG_HOME is taken; an empty or relative one is not,
// as the base directory rules say.
TEST_F(Launcher, ConfigFolderFollowsAnAbsoluteXdgConfigHome) {
    const std::string config = root.file("config");
    Launch run = launch("XDG_CONFIG_HOME='" + config + "'");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, canonical(config + "/z5def") + "\n");
    EXPECT_TRUE(fileExists(config + "/z5def/z5.ini"));
    EXPECT_FALSE(fileExists(home() + "/.config"));

    for (const std::string value : {"relative", ""}) {
        run = launch("XDG_CONFIG_HOME='" + value + "'");
        ASSERT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(run.out, canonical(home() + "/.config/z5def") + "\n");
        EXPECT_FALSE(fileExists(root.file("relative")));
    }
}

// Ends with a reason and starts nothing when it cannot give the window a
// z5.ini: a home folder z5.ini cannot name, a config folder that cannot be
// made, no HOME at all.
TEST_F(Launcher, RefusesWhatItCannotSetUp) {
    homePath = root.file("a \"quoted\" home");
    fs::create_directories(home());
    Launch run = launch();
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "");
    EXPECT_NE(run.err.find("z5deftool-launcher: the home folder"), std::string::npos) << run.err;
    EXPECT_EQ(test::folderNames(home() + "/.config/z5def"), std::vector<std::string>{});

    writeFile(root.file("file"), "not a folder");
    run = launch("XDG_CONFIG_HOME='" + root.file("file") + "'");
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "");
    EXPECT_NE(run.err.find("z5deftool-launcher: cannot create the folder"), std::string::npos)
        << run.err;
    EXPECT_EQ(readFile(root.file("file")), "not a folder");

    const int status = std::system(("cd '" + root.str() +
                                    "' && env -i PATH=/usr/bin:/bin /bin/sh bin/z5deftool-launcher "
                                    ">out.txt 2>err.txt")
                                       .c_str());
    EXPECT_EQ(WEXITSTATUS(status), 1);
    EXPECT_EQ(readFile(root.file("out.txt")), "");
    EXPECT_EQ(readFile(root.file("err.txt")), "z5deftool-launcher: HOME is not set\n");
}

}  // namespace
}  // namespace z5
