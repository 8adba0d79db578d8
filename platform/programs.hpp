// Which program opens a command shell in a window of its own.
#pragma once

#include <functional>
#include <string>

namespace z5 {

// The command line of the system's command shell in a window of its own: on
// Windows %COMSPEC% (cmd.exe when unset; quoted when it holds a blank, as it
// is a path, not a command line); elsewhere $TERMINAL, else
// x-terminal-emulator when it is on the PATH, else xterm. `environment`
// looks up a variable, `onPath` tells whether a program is on the PATH.
std::string commandShellLine(const std::function<std::string(const char*)>& environment,
                             const std::function<bool(const std::string&)>& onPath);

}  // namespace z5
