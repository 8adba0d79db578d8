#include "win32/programstart.hpp"

#include <windows.h>

#include "textfmt/files.hpp"
#include "win32/system.hpp"

namespace z5 {

std::string SystemStarter::start(const std::string& commandLine, const std::string& folder) {
    if (commandLine.find_first_not_of(" \t") == std::string::npos)
        return "the command line is empty";
    std::wstring line = widen(commandLine);  // CreateProcessW may write into it
    const std::wstring directory = widen(folder);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOWNORMAL;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        directory.c_str(), &startup, &process))
        return windowsMessage(GetLastError());
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return {};
}

std::string shellCommandLine(const std::function<std::string(const char*)>& environment) {
    // COMSPEC is a path, not a command line: a blank in it must not split it.
    const std::string comspec = environment("COMSPEC");
    if (comspec.empty()) return "cmd.exe";
    return comspec.find(' ') == std::string::npos ? comspec : '"' + comspec + '"';
}

std::string SystemStarter::shellCommandLine() {
    return z5::shellCommandLine([](const char* name) {
        const std::wstring variable = widen(name);
        const DWORD size = GetEnvironmentVariableW(variable.c_str(), nullptr, 0);
        if (size == 0) return std::string();
        std::wstring value(size, L'\0');
        value.resize(GetEnvironmentVariableW(variable.c_str(), value.data(), size));
        return narrow(value);
    });
}

}  // namespace z5
