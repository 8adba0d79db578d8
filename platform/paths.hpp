// Paths in the working folder.
#pragma once

#include <string>
#include <string_view>

namespace z5 {

#ifdef _WIN32
inline constexpr char kNativeSeparator = '\\';
// True where the file system finds a name in any letter case.
inline constexpr bool kNamesIgnoreCase = true;
// True where the system drops dots and blanks at the end of a name, so that
// "flavor.def." opens flavor.def.
inline constexpr bool kNamesDropTrailingDots = true;
// True where CON, NUL, COM1 and the other device names (see isDeviceName)
// name a device in every folder rather than a file.
inline constexpr bool kDeviceNamesEverywhere = true;
#else
inline constexpr char kNativeSeparator = '/';
inline constexpr bool kNamesIgnoreCase = false;
inline constexpr bool kNamesDropTrailingDots = false;
inline constexpr bool kDeviceNamesEverywhere = false;
#endif

// True for the characters that separate path parts here ('/' everywhere,
// and '\\' on Windows).
bool isNativeSeparator(char c);

// folder + separator + name. A folder that already ends with a separator (a
// drive root such as "C:\\", or "/") gets none added; an empty folder gives
// the name alone.
std::string joinPath(std::string_view folder, std::string_view name);

// The extension of a path's last part, after its last dot, without the dot
// and in ASCII lower case ("OVAL.TRK" gives "trk"); empty when it has none.
// The extensions it is compared with are ASCII, and folding them this way
// is the same on every system.
std::string lowerExtension(std::string_view path);

// The path of a name (as names are kept in files, see nameToPath) in a
// folder, found without regard to letter case ("Cam.def" finds "cam.def").
// Two names that differ only in case are refused as ambiguous, naming both.
// With no match the joined path is returned, so opening it reports the
// missing file.
std::string findInFolder(std::string_view folder, std::string_view name);

// A device name of Windows: CON, PRN, AUX, NUL, COM1-COM9 or LPT1-LPT9 in
// any letter case, with or without an extension.
bool isDeviceName(std::string_view name);

// Checks that a name taken from inside a file (an archive member, a list
// line, a setup name) is a plain file name that every system can create:
// not empty, not "." or "..", no '/', '\\', ':', zero byte or other byte
// below 0x20, none of < > " | ? *, no blank or dot at its end, and not a
// device name of Windows (CON, PRN, AUX, NUL, COM1-COM9, LPT1-LPT9, in any
// letter case, with or without an extension). Throws CommandFailure with
// `what` and the name otherwise, before anything could touch a file outside
// the working folder, so an archive unpacks alike everywhere.
void requirePlainName(std::string_view name, std::string_view what);

// Names kept inside files (archive members, list lines, setup names) are
// Windows-1252 bytes on every system (see platform/encoding.hpp). On Windows, where a path is UTF-8
// text, a name becomes part of a path through that code page, and a part of
// a path becomes a name only when each of its characters has a Windows-1252
// form (refused with `what` otherwise). Elsewhere a name is the very bytes
// of the file name, both ways.
std::string nameToPath(std::string_view name);
std::string pathToName(std::string_view part, std::string_view what);

}  // namespace z5
