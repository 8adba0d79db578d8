#include "textfmt/paths.hpp"

#include <algorithm>
#include <filesystem>
#include <system_error>
#include <vector>

#include "textfmt/display.hpp"
#include "textfmt/failure.hpp"
#include "textfmt/files.hpp"

namespace z5 {
bool isNativeSeparator(char c) {
#ifdef _WIN32
    return c == '/' || c == '\\';
#else
    return c == '/';
#endif
}

std::string joinPath(std::string_view folder, std::string_view name) {
    std::string path(folder);
    if (!path.empty() && !isNativeSeparator(path.back())) path.push_back(kNativeSeparator);
    path.append(name);
    return path;
}

std::string findInFolder(std::string_view folder, std::string_view name) {
    std::vector<std::string> matches;
    std::error_code ec;
    const std::filesystem::path dir(folder.empty() ? std::string(".") : std::string(folder));
    for (std::filesystem::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
        std::string entry = it->path().filename().string();
        if (equalsIgnoringCase(entry, name)) matches.push_back(std::move(entry));
    }
    if (matches.size() > 1) {
        // Two files that differ only in letter case: editing one while the
        // other is read would silently lose the edits.
        std::sort(matches.begin(), matches.end());
        throw CommandFailure(std::string(name) + " is ambiguous: both " + matches[0] + " and " +
                             matches[1] + " are in " + dir.string() +
                             "; remove or rename one of them");
    }
    return joinPath(folder, matches.empty() ? name : std::string_view(matches.front()));
}

void requirePlainName(std::string_view name, std::string_view what) {
    auto refuse = [&](std::string_view why) {
        throw CommandFailure(std::string(what) + " \"" + displayName(name) + "\" " +
                             std::string(why));
    };
    if (name.empty()) refuse("is empty");
    if (name == "." || name == "..") refuse("is not a file name");
    if (name.find_first_of("/\\") != std::string_view::npos) refuse("holds a path separator");
    if (name.find(':') != std::string_view::npos) refuse("holds a drive colon");
    // The system cuts a path at a zero byte, which would name another file.
    if (name.find('\0') != std::string_view::npos) refuse("holds a zero byte");
}

}  // namespace z5
