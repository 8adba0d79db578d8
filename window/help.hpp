// The help a window shows on F1: what each menu entry does and which files
// it reads and writes. It comes as blocks that a window draws in its own
// way, and as plain text.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace z5 {

// The name the program's help carries.
inline constexpr std::string_view kHelpFile = "help.hlp";

enum class HelpKind {
    Title,
    Heading,
    Paragraph,
    Item,     // one entry of a list
    Example,  // lines shown as they are
    Command,  // a converter entry: `text` is its menu path, `detail` what it does
};

struct HelpBlock {
    HelpKind kind;
    std::string text;
    std::string detail = {};
};

// The fixed text with one Command block for every converter entry of the
// menu, in menu order, taken from the menu tree and the command table.
std::vector<HelpBlock> helpBlocks();

// The blocks as plain text, lines ended by "\n": headings underlined, list
// entries after "- ", examples indented, a converter as "PATH: DETAIL".
std::string helpText();

}  // namespace z5
