// Text as the system takes it: paths held as UTF-8 (or, outside Windows,
// the system's own bytes), letter case as file names compare, and the
// Windows-1252 code page that names inside files are written in.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace z5 {

// Paths are held as std::string everywhere. On Windows that text is UTF-8
// and reaches the system as UTF-16, converted here and nowhere else (never
// through the ANSI code page); elsewhere it is the bytes the system uses.
std::filesystem::path nativePath(std::string_view path);
std::string pathText(const std::filesystem::path& path);

#ifdef _WIN32
std::wstring widen(std::string_view utf8);
std::string narrow(std::wstring_view utf16);
// The system's own text for a Windows error code, without the final period.
std::string windowsMessage(unsigned long error);
#endif

// ASCII letter case, as file names are compared: names are 8-bit bytes and
// only A-Z / a-z are folded.
char asciiLower(char c);
bool equalsIgnoringCase(std::string_view a, std::string_view b);

// A path or name in one letter case, for telling whether two spellings name
// one file: on Windows every letter the file system folds (the whole path
// compares without regard to case there), elsewhere only A-Z.
std::string foldCase(std::string_view text);

// The Windows-1252 code page, the same on every system. Every byte has a
// form (the five bytes the code page leaves unassigned stand for the control
// characters U+0081, U+008D, U+008F, U+0090 and U+009D, as on Windows), so
// a name survives the trip there and back byte for byte; text with another
// character, or that is not UTF-8, has no Windows-1252 form.
std::string windows1252ToUtf8(std::string_view bytes);
std::optional<std::string> utf8ToWindows1252(std::string_view text);

}  // namespace z5
