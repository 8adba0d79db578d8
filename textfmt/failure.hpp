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

// The text of the last system error (errno), for reasons like
// "cannot open x.trk: No such file or directory".
std::string systemReason();

}  // namespace z5
