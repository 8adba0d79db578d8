// The one table of converter commands that both front ends dispatch through:
// the window by menu entry name, the command line by its words. A row is the
// whole description of a command: how it asks for its file, its busy and
// partial-output options, its words and help, and the body it runs.
#pragma once

#include <array>
#include <span>
#include <string_view>
#include <vector>

#include "core/command.hpp"
#include "picture/drawing.hpp"

namespace z5 {

struct CommandEntry {
    std::string_view menu;          // menu entry name, e.g. "mnuTrkDecompile"
    std::string_view cliGroup;      // e.g. "trk"; empty for a top-level word
    std::string_view cliName;       // e.g. "decompile"
    std::string_view argumentName;  // what the dialog asks for, e.g. "FILE.trk"
    std::string_view summary;       // one line for --help
    CommandOptions options;         // dialog kind and filter, busy pointer, partial output
    void (*body)(Command&);
    // The fixed names of the files the row writes in the working folder
    // ("Trk.def"); files it names from its input or its dialog are not listed.
    std::array<std::string_view, 3> writes;
    // The row that turns what this row writes back into the file it read (a
    // decompile's compile, unpack's pack); empty for the others.
    std::string_view compiledBy;
    // "OUT.svg": the command line's -o names the output instead of the
    // command's own name; empty: no -o.
    std::string_view outputArgument = {};
    // A picture row's drawing, which a window shows instead of writing it.
    picture::Drawing (*draw)(Command&) = nullptr;
    // The names the command line may add after FILE ("MEMBER": unpack of
    // some members), and the body that acts on only those; empty: none.
    std::string_view namesArgument = {};
    std::string_view namesHelp = {};
    void (*namedBody)(Command&, const std::vector<std::string>&) = nullptr;

    // The command line takes a FILE argument exactly where the window asks
    // for a file in a dialog.
    bool takesFile() const { return options.dialog != Dialog::None; }
    // Runs the command through the skeleton for `host`.
    Outcome run(Host& host) const { return runCommand(host, options, body); }
    // Runs a picture row's drawing through the skeleton (its file dialog,
    // caption and failure path) without the "DONE" box; `drawing` is set when
    // it succeeded.
    Outcome runDrawing(Host& host, std::optional<picture::Drawing>& drawing) const;
    // The extension of the files its dialog offers (".trk"); empty when it
    // offers every file or has no dialog.
    std::string_view fileExtension() const;
};

std::span<const CommandEntry> commandTable();

// The entry of a menu entry name, or nullptr.
const CommandEntry* findCommandByMenu(std::string_view menu);

// The definition file a compile row reads from the working folder, the one
// its decompile writes ("Trk.def"); empty for a row that asks for its file.
std::string_view definitionFileOf(const CommandEntry& row);

}  // namespace z5
