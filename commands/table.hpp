// The one table of converter commands that both front ends dispatch through:
// the window by menu entry name, the command line by its words.
#pragma once

#include <span>
#include <string_view>

#include "textfmt/command.hpp"

namespace z5 {

enum class CliArgument {
    None,        // the command reads a fixed-name file from the working folder
    InputFile,   // the file the open dialog would ask for
    OutputFile,  // the file the save dialog would ask for
};

struct CommandEntry {
    std::string_view menu;      // menu entry name, e.g. "mnuTrkDecompile"
    std::string_view handler;   // e.g. "mnuTrkDecompile_Click"
    std::string_view cliGroup;  // e.g. "trk"; empty for a top-level word
    std::string_view cliName;   // e.g. "decompile"
    CliArgument argument;
    std::string_view argumentName;  // e.g. "FILE.trk"
    std::string_view summary;       // one line for --help
    Outcome (*run)(Host&);
};

std::span<const CommandEntry> commandTable();

// The entry of a menu entry name, or nullptr.
const CommandEntry* findCommandByMenu(std::string_view menu);

}  // namespace z5
