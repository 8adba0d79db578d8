#include "platform/pathnames.hpp"

#include <cstdint>

#include "platform/failure.hpp"
#include "platform/paths.hpp"

namespace z5 {
namespace {

// Lengths and positions are 16-bit in this routine's design: longer texts
// are refused rather than cut.
void keepLastPart(std::string& path) {
    if (path.size() > INT16_MAX)
        throw CommandFailure("path of " + std::to_string(path.size()) +
                             " characters is longer than 32767");
    std::size_t last = std::string::npos;
    for (std::size_t i = 0; i < path.size(); ++i)
        if (path[i] == '\\' || isNativeSeparator(path[i])) last = i;
    if (last != std::string::npos) path.erase(0, last + 1);
}

}  // namespace

void GetTrackName::GetName(std::string& StrLine) const {
    keepLastPart(StrLine);
    if (StrLine.size() < 4)
        throw CommandFailure("file name \"" + StrLine + "\" is too short to drop an extension");
    StrLine.resize(StrLine.size() - 4);
}

void GetTrackName2::GetName(std::string& StrLine) const {
    keepLastPart(StrLine);
}

}  // namespace z5
