// Text taken from files or the command line, made fit for a one-line
// message: control bytes are shown escaped, so a reason stays one line and
// cannot steer a terminal.
#pragma once

#include <string>
#include <string_view>

namespace z5 {

// `text` with every byte below 0x20 and 0x7F shown as "\x" and two
// lower-case hex digits ("a\nb" gives "a\x0ab"). Bytes 0x80..0xFF stay as
// they are: names are 8-bit text.
std::string printableLine(std::string_view text);

// A name taken from inside a file, for quoting in a reason: escaped as by
// printableLine, and a name of more than 64 characters cut to its first 60
// followed by "...".
std::string displayName(std::string_view name);

// `text` with every `from` in it given as `to`, so that a reason naming a
// file by a path of the program's own names it as the user knows it.
std::string replaced(std::string text, std::string_view from, std::string_view to);

}  // namespace z5
