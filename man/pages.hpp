// The parts of the man pages drawn from the data the programs themselves
// use: the command table, the menu tree and the window's help. Each part is
// scdoc source; a page template names the part it wants on a line of its
// own ("%COMMANDS%"), so the pages list what the programs do and cannot go
// stale.
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

namespace z5 {

// `text` with scdoc's markup characters (\ * _) escaped, so it prints as it is.
std::string scdocEscape(std::string_view text);

// Every command of the command table in its order: its words and argument,
// what it does, and where the window offers it.
std::string commandSection();

// The window's menu tree as a nested list: each entry's caption without
// access keys, its state at start, its shortcut and the z5def command it runs.
std::string menuSection();

// The window's help after its title: each heading a subsection, the list
// entries a list, the z5.ini example a literal block.
std::string helpSection();

class TemplateError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// `page` with every line that is exactly "%COMMANDS%", "%MENU%" or "%HELP%"
// replaced by that part. Any other line that starts and ends with "%"
// throws TemplateError naming it and its line number.
std::string fillTemplate(std::string_view page);

}  // namespace z5
