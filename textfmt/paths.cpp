#include "textfmt/paths.hpp"

#include <algorithm>
#include <array>
#include <filesystem>
#include <system_error>
#include <vector>

#include "textfmt/display.hpp"
#include "textfmt/failure.hpp"
#include "textfmt/files.hpp"

namespace z5 {
namespace {

// Bytes 0x80 to 0x9F of Windows-1252; bytes 0xA0 to 0xFF are U+00A0 to U+00FF.
constexpr std::array<char32_t, 32> kCodesOf80To9F = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

// CON, PRN, AUX, NUL, COM1-COM9 and LPT1-LPT9 (and the superscript 1 to 3
// Windows also takes there), in any letter case: Windows opens the device
// whatever follows the first dot, and blanks before it do not count.
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

}  // namespace

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
    const std::string fileName = nameToPath(name);
    const std::string folded = foldCase(fileName);
    const std::string dir = folder.empty() ? std::string(".") : std::string(folder);
    std::vector<std::string> matches;
    std::error_code ec;
    for (std::filesystem::directory_iterator it(nativePath(dir), ec), end; !ec && it != end;
         it.increment(ec)) {
        std::string entry = pathText(it->path().filename());
        if (foldCase(entry) == folded) matches.push_back(std::move(entry));
    }
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

std::string windows1252ToUtf8(std::string_view bytes) {
    std::string text;
    text.reserve(bytes.size());
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        const char32_t code = byte >= 0x80 && byte < 0xA0 ? kCodesOf80To9F[byte - 0x80] : byte;
        if (code < 0x80) {
            text += static_cast<char>(code);
        } else if (code < 0x800) {
            text += static_cast<char>(0xC0 | (code >> 6));
            text += static_cast<char>(0x80 | (code & 0x3F));
        } else {
            text += static_cast<char>(0xE0 | (code >> 12));
            text += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
            text += static_cast<char>(0x80 | (code & 0x3F));
        }
    }
    return text;
}

std::optional<std::string> utf8ToWindows1252(std::string_view text) {
    std::string bytes;
    bytes.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        // Only forms of one to three bytes can be characters of the code page.
        const std::size_t length = lead < 0x80             ? 1
                                   : (lead & 0xE0) == 0xC0 ? 2
                                   : (lead & 0xF0) == 0xE0 ? 3
                                                           : 0;
        if (length == 0 || i + length > text.size()) return std::nullopt;
        char32_t code = length == 1 ? lead : lead & (length == 2 ? 0x1F : 0x0F);
        for (std::size_t k = 1; k < length; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0) != 0x80) return std::nullopt;
            code = (code << 6) | (next & 0x3F);
        }
        // The shortest form only: an overlong one is not UTF-8.
        if ((length == 2 && code < 0x80) || (length == 3 && code < 0x800)) return std::nullopt;
        i += length;
        if (code < 0x80 || (code >= 0xA0 && code <= 0xFF)) {
            bytes += static_cast<char>(code);
            continue;
        }
        const auto* at = std::find(kCodesOf80To9F.begin(), kCodesOf80To9F.end(), code);
        if (at == kCodesOf80To9F.end()) return std::nullopt;
        bytes += static_cast<char>(0x80 + (at - kCodesOf80To9F.begin()));
    }
    return bytes;
}

#ifdef _WIN32
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
#else
std::string nameToPath(std::string_view name) {
    return std::string(name);
}

std::string pathToName(std::string_view part, std::string_view) {
    return std::string(part);
}
#endif

}  // namespace z5
