// The man pages' parts drawn from the command table, the menu tree and the
// help: every command and entry is there, in order, in valid scdoc.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "commands/help.hpp"
#include "commands/menu.hpp"
#include "commands/table.hpp"
#include "man/pages.hpp"
#include "tests/support/support.hpp"

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
// order of the table.
TEST(ManPages, CommandSectionHasEveryRowInTableOrder) {
    const std::vector<std::string> got = lines(commandSection());
    const auto rows = commandTable();
    ASSERT_EQ(got.size(), 3 * rows.size());
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const CommandEntry& row = rows[i];
        std::string words = std::string(row.cliGroup) + (row.cliGroup.empty() ? "" : " ");
        words += row.cliName;
        const std::string head =
            '*' + words + '*' + (row.takesFile() ? " _" + std::string(row.argumentName) + '_' : "");
        EXPECT_EQ(got[3 * i], head) << row.menu;
        const std::string& body = got[3 * i + 1];
        EXPECT_TRUE(body.starts_with('\t')) << body;
        EXPECT_NE(body.find(row.summary.substr(1)), std::string::npos) << body;
        EXPECT_TRUE(body.ends_with(". In the window: " + menuPath(row.menu) + '.')) << body;
        EXPECT_EQ(got[3 * i + 2], "");
    }
    EXPECT_EQ(got[0], "*unpack* _ARCHIVE.dat_");
    EXPECT_EQ(got[1],
              "\tUnpack ARCHIVE.dat into its member files and the list dattext.pck. In the window: "
              "File > Unpack.");
    EXPECT_EQ(got[3 * 2], "*cleanup*");
}

// One list item per entry that is no separator, indented by its depth, with
// its state at start and what it runs.
TEST(ManPages, MenuSectionIsTheTreeWithStatesAndCommands) {
    std::vector<std::string> got = lines(menuSection());
    ASSERT_FALSE(got.empty());
    EXPECT_EQ(got.back(), "");  // the list ends with a blank line
    got.pop_back();
    std::vector<const MenuEntry*> entries;
    std::map<std::string_view, long> depths;  // parents come first
    for (const MenuEntry& e : menuTree()) {
        depths[e.name] = e.parent.empty() ? 0 : depths.at(e.parent) + 1;
        if (e.role != MenuRole::Separator) entries.push_back(&e);
    }
    ASSERT_EQ(got.size(), entries.size());
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const MenuEntry& e = *entries[i];
        const long depth = depths.at(e.name);
        EXPECT_TRUE(got[i].starts_with(std::string(depth, '\t') + "- ")) << got[i];
        EXPECT_NE(got[i][depth + 2], '\t') << got[i];
        EXPECT_EQ(got[i].find("disabled") != std::string::npos,
                  !e.enabledAtStart || e.role == MenuRole::Program)
            << got[i];
        EXPECT_EQ(got[i].find("--all-commands") != std::string::npos, e.enabledByAllCommands)
            << got[i];
    }
    const auto lineOf = [&](std::string_view name) {
        for (std::size_t i = 0; i < entries.size(); ++i)
            if (entries[i]->name == name) return got[i];
        return std::string();
    };
    EXPECT_EQ(lineOf("mnuFile"), "- *File*");
    EXPECT_EQ(lineOf("mnuCleanUp"), "\t- *Clean  Up*: *z5def cleanup*");
    EXPECT_EQ(lineOf("mnuTrkDecompile"), "\t\t- *Decompile*: *z5def trk decompile*");
    EXPECT_EQ(lineOf("mnu3doCompile"),
              "\t\t- *Compile*: *z5def 3do compile*; disabled unless the window was started "
              "with *--all-commands*");
    EXPECT_EQ(lineOf("mnuValueSearch"), "\t- *Value Search*: no command; disabled");
    EXPECT_EQ(lineOf("mnuLpCompile"), "\t\t- *Compile*: no command");
    EXPECT_EQ(lineOf("mnuProgram3"),
              "\t- _Program 3_: program 3 of z5.ini, Ctrl+F3; disabled when its caption is empty");
}

// The help after its title: headings as subsections, a list ended by a
// blank line, the z5.ini example verbatim in a literal block, and every
// converter under its menu path.
TEST(ManPages, HelpSectionCarriesEveryHelpBlock) {
    const std::string text = helpSection();
    const std::vector<HelpBlock> blocks = helpBlocks();
    EXPECT_EQ(text.find(blocks.front().text), std::string::npos);  // the title
    std::size_t at = 0;
    for (const HelpBlock& b : blocks) {
        std::string expected;
        switch (b.kind) {
            case HelpKind::Title:
                continue;
            case HelpKind::Heading:
                expected = "## " + b.text + "\n\n";
                break;
            case HelpKind::Paragraph:
                expected = scdocEscape(b.text) + "\n\n";
                break;
            case HelpKind::Item:
                expected = "- " + scdocEscape(b.text) + '\n';
                break;
            case HelpKind::Example:
                expected = "```\n" + b.text + "\n```\n\n";
                break;
            case HelpKind::Command:
                expected = '*' + b.text + "*\n\t";
                break;
        }
        const std::size_t found = text.find(expected, at);
        ASSERT_NE(found, std::string::npos) << expected;
        at = found + expected.size();
    }
    // The list of other entries is closed before the next heading.
    EXPECT_NE(text.find("disabled unless the window was started with z5deftool --all-commands. "
                        "The command-line tool z5def offers every command as well.\n\n## "),
              std::string::npos);
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
