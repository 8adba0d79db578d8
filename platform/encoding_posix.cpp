// Text conversions on POSIX systems only: paths are the system's own bytes.
#include <algorithm>

#include "platform/encoding.hpp"

namespace z5 {

std::filesystem::path nativePath(std::string_view path) {
    return std::filesystem::path(path);
}

std::string pathText(const std::filesystem::path& path) {
    return path.native();
}

std::string foldCase(std::string_view text) {
    std::string folded(text);
    std::transform(folded.begin(), folded.end(), folded.begin(), asciiLower);
    return folded;
}

}  // namespace z5
