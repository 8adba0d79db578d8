// Path rules of POSIX systems only: '/' separates parts, and a name from
// inside a file is the very bytes of the file name.
#include "platform/paths.hpp"

namespace z5 {

bool isNativeSeparator(char c) {
    return c == '/';
}

std::string nameToPath(std::string_view name) {
    return std::string(name);
}

std::string pathToName(std::string_view part, std::string_view) {
    return std::string(part);
}

}  // namespace z5
