#include "textfmt/paths.hpp"

#include <algorithm>
#include <filesystem>
#include <optional>
#include <system_error>

#include "textfmt/failure.hpp"

namespace z5 {
namespace {

char asciiLower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return asciiLower(x) == asciiLower(y);
           });
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
    const std::string exact = joinPath(folder, name);
    std::error_code ec;
    if (std::filesystem::exists(exact, ec)) return exact;

    std::optional<std::string> best;
    const std::filesystem::path dir(folder.empty() ? std::string(".") : std::string(folder));
    for (std::filesystem::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
        std::string entry = it->path().filename().string();
        if (equalsIgnoringCase(entry, name) && (!best || entry < *best)) best = std::move(entry);
    }
    return best ? joinPath(folder, *best) : exact;
}

void requirePlainName(std::string_view name, std::string_view what) {
    auto refuse = [&](std::string_view why) {
        throw CommandFailure(std::string(what) + " \"" + std::string(name) + "\" " +
                             std::string(why));
    };
    if (name.empty()) refuse("is empty");
    if (name == "." || name == "..") refuse("is not a file name");
    if (name.find_first_of("/\\") != std::string_view::npos) refuse("holds a path separator");
    if (name.find(':') != std::string_view::npos) refuse("holds a drive colon");
    // The system cuts a path at a zero byte, which would name another file.
    if (name.find('\0') != std::string_view::npos) refuse("holds a zero byte");
}

}  // namespace z5
