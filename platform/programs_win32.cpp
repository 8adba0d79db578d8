// The command shell of Windows only: %COMSPEC%.
#include "platform/programs.hpp"

namespace z5 {

std::string commandShellLine(const std::function<std::string(const char*)>& environment,
                             const std::function<bool(const std::string&)>&) {
    const std::string comspec = environment("COMSPEC");
    if (comspec.empty()) return "cmd.exe";
    return comspec.find(' ') == std::string::npos ? comspec : '"' + comspec + '"';
}

}  // namespace z5
