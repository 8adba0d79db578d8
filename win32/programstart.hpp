// The Windows way of starting external programs (SystemStarter in
// window/controller.hpp): the whole text is one command line, started in the
// working folder in a normal window, without waiting for it.
#pragma once

#include <functional>
#include <string>

#include "window/controller.hpp"

namespace z5 {

// The command line of the command shell: %COMSPEC% (in quotes when it holds a
// blank), cmd.exe when it is unset. `environment` looks a variable up; it is
// the process's own unless a test replaces it.
std::string shellCommandLine(const std::function<std::string(const char*)>& environment);

}  // namespace z5
