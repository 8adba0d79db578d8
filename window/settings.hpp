// The settings file z5.ini: the start folder and up to six external programs
// (command line and menu caption each), read once when the window opens.
#pragma once

#include <array>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace z5 {

inline constexpr std::string_view strIni = "z5.ini";
inline constexpr int kProgramCount = 6;

struct Settings {
    std::string strStart;                               // folder shown at start
    std::array<std::string, kProgramCount> strProgram;  // command lines 1 .. 6
    std::array<std::string, kProgramCount> strPName;    // captions; empty = slot unused
};

// Why the settings could not be taken: the system's reason for a file that
// cannot be read, "input past end of file" for a short file, "path not
// found" for a start folder that is not a folder.
class SettingsError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Splits settings text into fields: a field ends at a comma or a line end
// (CR LF, CR or LF); blanks before it are skipped; a field that begins with
// a double quote runs to the next double quote, may hold commas and line
// ends, and is taken without its quotes (anything between the closing quote
// and the next comma or line end is dropped). Reads at most `count` fields;
// fewer come back when the text ends first. A comma at the very end still
// promises one more, empty field.
std::vector<std::string> readFields(std::string_view text, std::size_t count);

// Empty when `path` names an existing folder, else the system's reason
// ("No such file or directory", "not a folder").
std::string folderProblem(const std::string& path);

// `folder` as the window holds it: absolute (a relative one is taken from
// the current directory), with the native separators, without "." or "..",
// and without a trailing separator except for a root ("/", "C:\").
std::string cleanFolder(const std::string& folder);

// Reads the 13 fields of the settings file at `path` (named `display` in
// reasons) and checks that the start folder is an existing folder. A
// relative start folder is taken from the folder of `path` and kept as
// that path.
Settings readSettings(const std::string& path, std::string_view display = strIni);

// The settings file the window reads: z5.ini in `current`, else in
// `programFolder` (empty: nowhere else) when only that folder holds one.
// With neither, a SettingsError naming the folders looked in.
std::string findSettings(const std::string& current, const std::string& programFolder);

// What the settings file holds, for the help and for a start-up without
// one: "It holds 13 fields: ...", ending with "For example:".
std::string_view settingsFields();
// A settings file for the running system: a start folder, a program that
// shows a text dump, one that opens the working folder, four unused slots.
std::string settingsExample();

}  // namespace z5
