// Path rules of Windows only: both slashes separate parts, and names from
// inside files become UTF-8 path text through Windows-1252.
#include "platform/display.hpp"
#include "platform/encoding.hpp"
#include "platform/failure.hpp"
#include "platform/paths.hpp"

namespace z5 {

bool isNativeSeparator(char c) {
    return c == '/' || c == '\\';
}

std::string nameToPath(std::string_view name) {
    return windows1252ToUtf8(name);
}

std::string pathToName(std::string_view part, std::string_view what) {
    std::optional<std::string> name = utf8ToWindows1252(part);
    if (!name)
        throw CommandFailure(std::string(what) + " \"" + displayName(part) +
                             "\" has a character that names in files cannot hold (they are "
                             "Windows-1252)");
    return *name;
}

}  // namespace z5
