// The command shell of POSIX desktops only: a terminal emulator.
#include "platform/programs.hpp"

namespace z5 {

std::string commandShellLine(const std::function<std::string(const char*)>& environment,
                             const std::function<bool(const std::string&)>& onPath) {
    const std::string terminal = environment("TERMINAL");
    if (terminal.find_first_not_of(" \t\n\v\f\r") != std::string::npos) return terminal;
    const std::string debianDefault = "x-terminal-emulator";
    return onPath(debianDefault) ? debianDefault : "xterm";
}

}  // namespace z5
