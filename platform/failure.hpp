// The one exception type that carries a command's failure reason.
#pragma once

#include <stdexcept>
#include <string>

namespace z5 {

// Thrown anywhere inside a command to leave its normal flow. The text is a
// one-line reason naming the file and, for text input, the line number
// ("Trk.def:12: expected 13 fields").
class CommandFailure : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A failure that also shows a message box once every file is closed and the
// pointer is back (the 3do decompiler names the stage it stopped in).
class StageFailure : public CommandFailure {
public:
    StageFailure(const std::string& reason, std::string boxText, std::string boxTitle)
        : CommandFailure(reason), boxText(std::move(boxText)), boxTitle(std::move(boxTitle)) {}
    std::string boxText;
    std::string boxTitle;
};

// The text of the last system error (errno), for reasons like
// "cannot open x.trk: No such file or directory".
std::string systemReason();

}  // namespace z5
