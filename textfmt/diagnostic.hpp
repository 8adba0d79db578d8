// Departures from a layout, and other remarks on an input that do not stop
// the reading: each names its file, line and column (a binary's byte), what
// the layout has there and what was found, as a compiler's diagnostics do.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace z5 {

enum class DiagnosticKind {
    Warning,  // the input departs from its layout; reading goes on
    Error,    // the same under --strict, or a check that fails
    Note,     // "(and 12 more)"
};

struct Diagnostic {
    std::string file;  // as the reader names it
    long line = 0;     // from 1; 0 for a remark on the whole file
    long column = 0;   // from 1; 0 when none
    std::string message;
    std::string text;  // the line the column points into, for a caret under it
    DiagnosticKind kind = DiagnosticKind::Warning;
    std::int64_t byte = -1;  // in a binary, from 0; -1 when none
};

// Where a value stands in a text file, for a diagnostic found after the
// reading (a check across records).
struct TextPlace {
    long line = 0;
    long column = 0;
    std::string text;  // the line
};

// "FILE:LINE:COLUMN: warning: MESSAGE", with as much of the place as is
// known ("FILE: note: ..."); in a binary "FILE: byte N: error: MESSAGE".
std::string diagnosticLine(const Diagnostic& d);

// The line the diagnostic points into (which may be empty) and a caret under
// its column, each ending in a line feed; empty when there is no column.
std::string diagnosticCaret(const Diagnostic& d);

// How an input's departures are taken.
enum class Strictness {
    Standard,  // text read by position as always, departures warned;
               // binaries that are not of their kind or cut short refused
    Strict,    // every departure is an error: the command writes nothing
    Lenient,   // as Standard, and binaries read with zeros past their end
};

}  // namespace z5
