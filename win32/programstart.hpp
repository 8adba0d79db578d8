// Starting external programs (the command shell and programs 1 .. 6): the
// whole text is one command line, started in the working folder in a
// normal window, without waiting for it.
#pragma once

#include <functional>
#include <string>

#include "window/controller.hpp"

namespace z5 {

// CreateProcessW: the system splits the command line and finds the program.
class SystemStarter : public ProgramStarter {
public:
    std::string start(const std::string& commandLine, const std::string& folder) override;
    std::string shellCommandLine() override;
};

// The command line of the command shell: %COMSPEC% (in quotes when it holds a
// blank), cmd.exe when it is unset. `environment` looks a variable up; it is
// the process's own unless a test replaces it.
std::string shellCommandLine(const std::function<std::string(const char*)>& environment);

}  // namespace z5
