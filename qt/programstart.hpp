// The Qt way of starting external programs (SystemStarter in
// window/controller.hpp) and the terminal that holds the command shell.
#pragma once

#include <QString>
#include <functional>

#include "window/controller.hpp"

namespace z5 {

// The command line of a terminal with the command shell: $TERMINAL, else
// x-terminal-emulator when it is on the PATH, else xterm. `environment`
// looks up a variable, `onPath` tells whether a program is found on the
// PATH; both are the process's own unless a test replaces them.
QString shellCommandLine(const std::function<QString(const char*)>& environment,
                         const std::function<bool(const QString&)>& onPath);

}  // namespace z5
