// Paths in the working folder.
#pragma once

#include <string>
#include <string_view>

namespace z5 {

#ifdef _WIN32
inline constexpr char kNativeSeparator = '\\';
#else
inline constexpr char kNativeSeparator = '/';
#endif

// True for the characters that separate path parts here ('/' everywhere,
// and '\\' on Windows).
bool isNativeSeparator(char c);

// folder + separator + name. A folder that already ends with a separator (a
// drive root such as "C:\\", or "/") gets none added; an empty folder gives
// the name alone.
std::string joinPath(std::string_view folder, std::string_view name);

// The path of a fixed input name in a folder, found without regard to letter
// case ("Cam.def" finds "cam.def"). Two names that differ only in case are
// refused as ambiguous, naming both. With no match the joined path is
// returned, so opening it reports the missing file.
std::string findInFolder(std::string_view folder, std::string_view name);

// Checks that a name taken from inside a file (an archive member, a list
// line, a setup name) is a plain file name: not empty, no '/', '\\', ':'
// or zero byte, and not "." or "..". Throws CommandFailure with `what` and the name
// otherwise, before anything could touch a file outside the working folder.
void requirePlainName(std::string_view name, std::string_view what);

}  // namespace z5
