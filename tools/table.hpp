// The commands that are no converters (verify, check, extract, build, list,
// add, ...), one row each: their words, arguments and options, and what
// they run. The command line builds its parser and its help from this
// table, the man page its command list; each run writes its lines to the
// streams it is given, so a window can show them too.
#pragma once

#include <functional>
#include <iosfwd>
#include <map>
#include <set>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "textfmt/diagnostic.hpp"

namespace z5::tools {

struct Argument {
    std::string_view name;  // "PATH", "ARCHIVE.dat"
    std::string_view help;
    bool required = true;
    bool many = false;    // PATH...
    bool folder = false;  // a folder rather than a file (for the checks of its name)
};

struct Option {
    std::string_view names;  // "-j,--jobs", "--deep"
    std::string_view value;  // the value's name ("N", "OUT.dat"); empty for a flag
    std::string_view help;
};

// What one run is given: the arguments and options as the command line took
// them, where it runs, and where its lines go.
struct Run {
    std::vector<std::vector<std::string>> arguments;         // one list per Argument, in order
    std::map<std::string, std::string, std::less<>> values;  // by long option name ("jobs")
    std::set<std::string, std::less<>> flags;                // long names of the flags given
    std::string folder;                                      // the working folder, absolute
    std::string base;  // -C as given, made absolute; empty without -C
    Strictness reading = Strictness::Standard;
    std::ostream* out = nullptr;
    std::ostream* err = nullptr;
    bool carets = false;     // diagnostics on `out` get the line and a caret
    bool errCarets = false;  // and those on `err`
    bool progress = false;   // a progress line on `err` (a person watches it)

    const std::vector<std::string>& argument(std::size_t i) const { return arguments[i]; }
    std::string first(std::size_t i) const {
        return arguments[i].empty() ? std::string() : arguments[i].front();
    }
    bool flag(std::string_view name) const { return flags.contains(name); }
    std::string value(std::string_view name) const {
        const auto it = values.find(name);
        return it == values.end() ? std::string() : it->second;
    }
    // -j, or the number of cores.
    int jobs() const;
};

struct Tool {
    std::string_view word;
    std::string_view summary;  // one line for --help
    std::string_view manual;   // what the man page says of it, in scdoc's markup
    std::span<const Argument> arguments;
    std::span<const Option> options;
    // The exit status: 0 done, 1 failed (or found what it looks for), 2 a
    // usage error it found itself.
    int (*run)(const Run&);
};

std::span<const Tool> toolTable();

// The diagnostic's line and, with `caret`, the line of the file and a caret
// under the column, as a compiler shows them.
void printDiagnostic(std::ostream& to, const Diagnostic& d, bool caret);

}  // namespace z5::tools
