// What every window draws from: the menu tree beside the command table, the
// help built from both, and the fields of z5.ini.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "commands/table.hpp"
#include "window/help.hpp"
#include "window/menu.hpp"
#include "window/settings.hpp"

namespace z5 {
namespace {

// The converter entries of the menu are exactly the rows of the command
// table; each parent stands before its entries; program slots carry their
// shortcut.
TEST(MenuTree, ConvertersAreTheCommandTableRows) {
    std::vector<std::string_view> converters, rows;
    std::map<std::string_view, MenuRole> seen;
    for (const MenuEntry& e : menuTree()) {
        if (e.role == MenuRole::Command) converters.push_back(e.name);
        EXPECT_TRUE(e.parent.empty() || seen[e.parent] == MenuRole::Submenu) << e.name;
        EXPECT_TRUE(seen.emplace(e.name, e.role).second) << e.name;
        EXPECT_EQ(e.shortcut, e.role == MenuRole::Program ? "Ctrl+F" + std::to_string(e.program)
                                                          : std::string())
            << e.name;
    }
    for (const CommandEntry& row : commandTable()) rows.push_back(row.menu);
    std::ranges::sort(converters);
    std::ranges::sort(rows);
    EXPECT_EQ(converters, rows);
}

TEST(MenuTree, PathsAndCaptionsWithoutAccessKeys) {
    const std::pair<std::string, std::string> captions[] = {
        {"&Clean  Up", "Clean  Up"},
        {"Se&tup Files", "Setup Files"},
        {"A && B", "A & B"},
        {"End&", "End&"},
        {"", ""},
    };
    for (const auto& [caption, shown] : captions) EXPECT_EQ(stripAccessKeys(caption), shown);
    EXPECT_EQ(menuPath("mnuSetupCompile"), "Other > Setup Files > Compile");
    EXPECT_EQ(menuPath("mnuAbout"), "About");
    EXPECT_EQ(menuPath("mnuNoSuchEntry"), "");
}

// The plain help: the title underlined, then one line per converter, in
// menu order and without blank lines between them, and the z5.ini example
// indented.
TEST(Help, PlainTextListsEveryConverterUnderItsMenuPath) {
    const std::string text = helpText();
    EXPECT_TRUE(text.starts_with("Z5 Def Tool help\n================\n\nZ5 Def Tool turns"));
    std::size_t at = text.find("Menu commands\n-------------\n\n");
    ASSERT_NE(at, std::string::npos);
    at += 28;  // the blank line before the first converter
    for (const MenuEntry& e : menuTree()) {
        if (e.role != MenuRole::Command) continue;
        const std::string start = "\n" + menuPath(e.name) + ": ";
        EXPECT_EQ(text.substr(at, start.size()), start);
        const std::size_t end = text.find('\n', at + 1);
        EXPECT_TRUE(text.substr(at, end - at)
                        .ends_with("; " + std::string(findCommandByMenu(e.name)->summary)))
            << e.name;
        at = end;
    }
    // How a picture window is used, then the other entries.
    EXPECT_EQ(text.substr(at, 18), "\n\nPicture windows\n");
    EXPECT_NE(text.find("\n- Home fits every panel again and turns the object back.\n\nThe other "
                        "entries\n"),
              std::string::npos);
    // The example of z5.ini is the running system's, each line indented.
    std::string example = "example:\n\n    ";
    for (const char c : settingsExample())
        example += c == '\n' ? std::string("\n    ") : std::string(1, c);
    EXPECT_NE(text.find(example + "\n\nWithout a readable z5.ini"), std::string::npos);
    EXPECT_NE(text.find("\n- File > Exit closes the window.\n- A picture window's"),
              std::string::npos);
}

TEST(Settings, FieldsEndAtCommasAndLineEnds) {
    const struct {
        const char* text;
        std::vector<std::string> expected;
    } cases[] = {
        // A quoted field keeps its commas; blanks before a field are skipped,
        // those after it kept; text after a closing quote is dropped.
        {"\"C:\\a,b\",  ed.exe  ,   \"&Ed\" junk\r\n", {"C:\\a,b", "ed.exe  ", "&Ed"}},
        // CR, LF and CR LF each end a line; an empty line is an empty field, a
        // line holding only a comma two; a final line end promises none.
        {"a\rb\nc\r\n\r\n,\r\nd\r\n", {"a", "b", "c", "", "", "", "d"}},
        // An unclosed quote runs to the end.
        {"a,\"b,c\r\nd", {"a", "b,c\r\nd"}},
        // A final comma promises one more empty field; final blanks are none.
        {"a,", {"a", ""}},
        {"a\r\n   ", {"a"}},
    };
    for (const auto& c : cases) EXPECT_EQ(readFields(c.text, 13), c.expected) << c.text;
    EXPECT_EQ(readFields("1,2,3", 2), (std::vector<std::string>{"1", "2"}));  // only those asked
}

}  // namespace
}  // namespace z5
