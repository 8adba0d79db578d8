// Starting external programs (the command shell and programs 1 .. 6): the
// whole text is one command line, started in the working folder in a
// normal window, without waiting for it.
#pragma once

#include <functional>
#include <string>

namespace z5 {

class ProgramStarter {
public:
    virtual ~ProgramStarter() = default;
    // Starts `commandLine` in `folder`. Returns the empty text when the
    // program started, else the system's reason.
    virtual std::string start(const std::string& commandLine, const std::string& folder) = 0;
};

// CreateProcessW: the system splits the command line and finds the program.
class SystemStarter : public ProgramStarter {
public:
    std::string start(const std::string& commandLine, const std::string& folder) override;
};

// The command line of the command shell: %COMSPEC% (in quotes when it holds a
// blank), cmd.exe when it is unset. `environment` looks a variable up; it is
// the process's own unless a test replaces it.
std::string shellCommandLine(const std::function<std::string(const char*)>& environment);
std::string shellCommandLine();

}  // namespace z5
