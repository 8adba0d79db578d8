// The man pages' parts drawn from the command table, the menu tree and the
// help: every command and entry is there, in order, in valid scdoc.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "commands/table.hpp"
#include "man/pages.hpp"
#include "tests/support/support.hpp"
#include "tools/table.hpp"
#include "window/help.hpp"
#include "window/menu.hpp"
#include "window/settings.hpp"

namespace z5 {
namespace {

std::vector<std::string> lines(const std::string& text) {
    return test::splitLines(text, "\n");
}

TEST(ManPages, MarkupCharactersAreEscaped) {
    EXPECT_EQ(scdocEscape("Files(*.*)|*.*"), "Files(\\*.\\*)|\\*.\\*");
    EXPECT_EQ(scdocEscape("a_b\\c"), "a\\_b\\\\c");
    EXPECT_EQ(scdocEscape("plain text, 50% & more"), "plain text, 50% & more");
    EXPECT_EQ(scdocEscape(""), "");
}

// Each row: its words in bold, its argument underlined, then an indented
// sentence with the summary and the menu path, a blank line after; in the
// order of the table; then each command of the tools' table with its
// synopsis made from its options and arguments.
TEST(ManPages, CommandSectionHasEveryRowInTableOrder) {
    const std::vector<std::string> got = lines(commandSection());
    ASSERT_EQ(got.size(), 3 * (commandTable().size() + tools::toolTable().size()));
    const std::size_t tool = 3 * commandTable().size();
    EXPECT_EQ(got[tool], "*z5def verify* [*-j* _N_] [*--deep*] [*--quiet*] _PATH_...");
    EXPECT_EQ(got[tool + 1].substr(0, 30), "\tDecompile each file and compi");
    EXPECT_EQ(got[tool + 3 * 3],
              "*z5def build* [*-j* _N_] [*--lenient*] [*--no-backup*] _DIR_ [*-o* _ARCHIVE.dat_]");
    EXPECT_EQ(got[0], "*unpack* _ARCHIVE.dat_ [_MEMBER_...]");
    EXPECT_EQ(got[1],
              "\tUnpack ARCHIVE.dat into its member files and the list dattext.pck. With MEMBER: "
              "only these members, in any letter case, each under the archive's spelling, and no "
              "dattext.pck. In the window: File > Unpack.");
    EXPECT_EQ(got[2], "");
    EXPECT_EQ(got[3 * 2], "*cleanup*");
    EXPECT_EQ(got[3 * 5], "*trk decompile* _FILE.trk_");
    EXPECT_EQ(
        got[3 * 5 + 1],
        "\tWrite Trk.def from the track FILE.trk. In the window: Trk > Def Tools > Decompile.");
}

// One list item per entry that is no separator, indented by its depth, with
// its state at start and what it runs.
TEST(ManPages, MenuSectionIsTheTreeWithStatesAndCommands) {
    const std::vector<std::string> got = lines(menuSection());
    ASSERT_EQ(got.size(), 1 + std::ranges::count_if(menuTree(), [](const MenuEntry& e) {
                              return e.role != MenuRole::Separator;
                          }));
    EXPECT_EQ(got.back(), "");  // the list ends with a blank line
    auto at = got.begin();
    for (const char* line :
         {"- *File*", "\t- *Clean  Up*: *z5def cleanup*",
          "\t- *Value Search*: no command; disabled",
          "\t\t- *Compile*: *z5def 3do compile*; disabled unless the window was started with "
          "*--all-commands*",
          "\t\t- *Decompile*: *z5def trk decompile*", "\t\t- *Compile*: no command",
          "\t- _Program 3_: program 3 of z5.ini, Ctrl+F3; disabled when its caption is empty"}) {
        at = std::find(at, got.end(), line);
        ASSERT_NE(at, got.end()) << line;  // in menu order
    }
}

// The help after its title: headings as subsections, converters under
// their menu paths, a list ended by a blank line, the z5.ini example verbatim
// in a literal block.
TEST(ManPages, HelpSectionCarriesEveryHelpBlock) {
    const std::string text = helpSection();
    EXPECT_TRUE(text.starts_with("Z5 Def Tool turns the game's binary files")) << text;
    // The z5.ini example is the running system's.
    const std::string example =
        "For example:\n\n```\n" + settingsExample() + "\n```\n\nWithout a readable";
    for (const std::string& part : std::initializer_list<std::string>{
             "\n\n## The working folder\n\nThe folder chosen",
             "\n\n## Menu commands\n\n*File > Unpack*\n\tAsks for FILE with the open dialog; "
             "unpack "
             "ARCHIVE.dat into its member files and the list dattext.pck.\n\n*File > Pack*\n\t",
             ".\n\n## The other entries\n\n- File > Dos Window opens",
             "\n- File > Exit closes the window.\n- A picture window's Save as SVG",
             "disabled unless the window was started with z5deftool --all-commands. The "
             "command-line "
             "tool z5def offers every command as well.\n\n## ",
             example})
        EXPECT_NE(text.find(part), std::string::npos) << part;
}

TEST(ManPages, TemplateLinesAreKeptAndPlaceholdersFilled) {
    EXPECT_EQ(fillTemplate("t(1)\n\n# COMMANDS\n\n%COMMANDS%\n# END\n"),
              "t(1)\n\n# COMMANDS\n\n" + commandSection() + "# END\n");
    EXPECT_EQ(fillTemplate("%MENU%\n%HELP%\n"), menuSection() + helpSection());
    // Text around a placeholder, or a percent sign inside a line, is text.
    EXPECT_EQ(fillTemplate("a %COMMANDS%\n50%\n%\nlast"), "a %COMMANDS%\n50%\n%\nlast\n");
    EXPECT_EQ(fillTemplate(""), "");
}

TEST(ManPages, UnknownPlaceholderNamesItsLine) {
    try {
        fillTemplate("t(1)\n\n%COMMAND%\n");
        FAIL() << "no error";
    } catch (const TemplateError& e) {
        EXPECT_STREQ(e.what(), "line 3: unknown part \"%COMMAND%\"");
    }
    EXPECT_THROW(fillTemplate("%%\n"), TemplateError);
}

}  // namespace
}  // namespace z5
