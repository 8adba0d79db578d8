// Starting external programs (the command shell and programs 1 .. 6): the
// whole text is one command line, started in the working folder without
// waiting for it.
#pragma once

#include <QString>
#include <functional>

namespace z5 {

class ProgramStarter {
public:
    virtual ~ProgramStarter() = default;
    // Starts `commandLine` in `folder`. Returns the empty text when the
    // program started, else the system's reason.
    virtual QString start(const QString& commandLine, const QString& folder) = 0;
};

// Starts detached processes; a command line is split into program and
// arguments the way a shell splits it (blanks separate, double quotes group).
class SystemStarter : public ProgramStarter {
public:
    QString start(const QString& commandLine, const QString& folder) override;
};

// The command line of the platform's command shell in a window of its own:
// on Windows %COMSPEC% (cmd.exe when unset); elsewhere $TERMINAL, else
// x-terminal-emulator when it is on the PATH, else xterm.
// `environment` looks up a variable, `onPath` tells whether a program is
// found on the PATH; both are the process's own unless a test replaces them.
QString shellCommandLine(const std::function<QString(const char*)>& environment,
                         const std::function<bool(const QString&)>& onPath);
QString shellCommandLine();

}  // namespace z5
