// Starting external programs with Qt: the command shell and programs 1 .. 6.
#pragma once

#include <QString>
#include <functional>

#include "window/controller.hpp"

namespace z5 {

// Starts detached processes; a command line is split into program and
// arguments the way a shell splits it (blanks separate, double quotes group).
class SystemStarter : public ProgramStarter {
public:
    std::string start(const std::string& commandLine, const std::string& folder) override;
    std::string shellCommandLine() override;
};

// The command line of a terminal with the command shell: $TERMINAL, else
// x-terminal-emulator when it is on the PATH, else xterm. `environment`
// looks up a variable, `onPath` tells whether a program is found on the
// PATH; both are the process's own unless a test replaces them.
QString shellCommandLine(const std::function<QString(const char*)>& environment,
                         const std::function<bool(const QString&)>& onPath);

}  // namespace z5
