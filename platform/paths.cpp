#include "platform/paths.hpp"

#include <algorithm>
#include <vector>

#include "platform/display.hpp"
#include "platform/encoding.hpp"
#include "platform/failure.hpp"
#include "platform/files.hpp"

namespace z5 {
// The superscript 1 to 3 count as digits there too: Windows opens the
// device whatever follows the first dot, and blanks before it do not count.
bool isDeviceName(std::string_view name) {
    std::string base(name.substr(0, name.find('.')));
    while (!base.empty() && base.back() == ' ') base.pop_back();
    for (char& c : base) c = asciiLower(c);
    if (base == "con" || base == "prn" || base == "aux" || base == "nul") return true;
    if (base.size() != 4 || (base.substr(0, 3) != "com" && base.substr(0, 3) != "lpt"))
        return false;
    const char digit = base[3];
    return (digit >= '1' && digit <= '9') || digit == '\xB9' || digit == '\xB2' || digit == '\xB3';
}

std::string lowerExtension(std::string_view path) {
    const std::size_t dot = path.rfind('.');
    if (dot == std::string_view::npos || path.find_first_of("/\\", dot) != std::string_view::npos)
        return {};
    std::string extension(path.substr(dot + 1));
    for (char& c : extension) c = asciiLower(c);
    return extension;
}

std::string joinPath(std::string_view folder, std::string_view name) {
    std::string path(folder);
    if (!path.empty() && !isNativeSeparator(path.back())) path.push_back(kNativeSeparator);
    path.append(name);
    return path;
}

std::string findInFolder(std::string_view folder, std::string_view name) {
    const std::string fileName = nameToPath(name);
    const std::string folded = foldCase(fileName);
    const std::string dir = folder.empty() ? std::string(".") : std::string(folder);
    std::vector<std::string> matches;
    std::string error;
    for (FolderEntry& entry : listFolder(dir, error))
        if (foldCase(entry.name) == folded) matches.push_back(std::move(entry.name));
    // Windows folders hold one file of a name in any letter case, unless a
    // folder there is made case-sensitive.
    if (matches.size() > 1) {
        // Two files that differ only in letter case: editing one while the
        // other is read would silently lose the edits.
        std::sort(matches.begin(), matches.end());
        throw CommandFailure(std::string(name) + " is ambiguous: both " + matches[0] + " and " +
                             matches[1] + " are in " + dir + "; remove or rename one of them");
    }
    return joinPath(folder, matches.empty() ? fileName : matches.front());
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
    // What Windows cannot create is refused everywhere: an archive unpacks
    // alike on every system, and a setup name stays portable.
    for (const char c : name) {
        if (static_cast<unsigned char>(c) < 0x20) refuse("holds a control character");
        if (std::string_view("<>\"|?*").find(c) != std::string_view::npos)
            refuse(std::string("holds \"") + c + "\", which Windows does not allow in file names");
    }
    if (name.back() == '.' || name.back() == ' ')
        refuse("ends with a dot or blank, which Windows drops from file names");
    if (isDeviceName(name)) refuse("is a device name on Windows");
}

}  // namespace z5
