#include "window/settings.hpp"

#include <algorithm>
#include <filesystem>

#include "platform/desktop.hpp"
#include "platform/encoding.hpp"
#include "platform/failure.hpp"
#include "platform/files.hpp"
#include "platform/paths.hpp"

namespace z5 {
namespace {

// Settings are a few short lines; a larger file is read only this far, which
// holds far more than the 13 fields that are ever read.
constexpr std::size_t kReadLimit = 1 << 20;

std::string readHead(const std::string& path, std::string_view display) {
    try {
        std::string text = readFileBytes(path, std::string(display), kReadLimit);
        // Windows editors begin a UTF-8 text with a byte order mark.
        if (text.starts_with("\xEF\xBB\xBF")) text.erase(0, 3);
        return text;
    } catch (const CommandFailure& e) {
        throw SettingsError(e.what());
    }
}

}  // namespace

std::vector<std::string> readFields(std::string_view text, std::size_t count) {
    std::vector<std::string> fields;
    std::size_t i = 0;
    bool afterComma = false;  // a comma promises one more field, even at the end
    auto isLineEnd = [&](std::size_t at) { return text[at] == '\r' || text[at] == '\n'; };
    auto skipLineEnd = [&] {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
        ++i;
    };
    while (fields.size() < count) {
        while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
        if (i >= text.size() && !afterComma) break;
        std::string field;
        if (i < text.size() && text[i] == '"') {
            const std::size_t close = text.find('"', i + 1);
            const std::size_t end = close == std::string_view::npos ? text.size() : close;
            field.assign(text.substr(i + 1, end - i - 1));
            i = close == std::string_view::npos ? text.size() : close + 1;
            while (i < text.size() && text[i] != ',' && !isLineEnd(i)) ++i;
        } else {
            const std::size_t start = i;
            while (i < text.size() && text[i] != ',' && !isLineEnd(i)) ++i;
            field.assign(text.substr(start, i - start));
        }
        afterComma = i < text.size() && text[i] == ',';
        if (afterComma)
            ++i;
        else if (i < text.size())
            skipLineEnd();
        fields.push_back(std::move(field));
    }
    return fields;
}

std::string folderProblem(const std::string& path) {
    if (path.empty()) return "no folder named";
    std::error_code ec;
    if (std::filesystem::is_directory(nativePath(path), ec)) return {};
    return ec ? ec.message() : "not a folder";
}

std::string cleanFolder(const std::string& folder) {
    namespace fs = std::filesystem;
    std::error_code error;
    fs::path path = fs::absolute(nativePath(folder), error);
    if (error) path = nativePath(folder);
    std::string clean = pathText(path.lexically_normal().make_preferred());
    const std::size_t root = pathText(path.root_path().make_preferred()).size();
    while (clean.size() > std::max<std::size_t>(root, 1) && isNativeSeparator(clean.back()))
        clean.pop_back();
    return clean;
}

Settings readSettings(const std::string& path, std::string_view display) {
    constexpr std::size_t kFieldCount = 1 + 2 * kProgramCount;
    const std::vector<std::string> fields = readFields(readHead(path, display), kFieldCount);
    if (fields.size() < kFieldCount)
        throw SettingsError(std::string(display) + ": input past end of file (" +
                            std::to_string(fields.size()) + " of " + std::to_string(kFieldCount) +
                            " fields)");
    Settings settings;
    settings.strStart = fields[0];
    const std::filesystem::path start = nativePath(fields[0]);
    if (!fields[0].empty() && start.is_relative())
        settings.strStart = pathText(nativePath(path).parent_path() / start);
    for (int n = 0; n < kProgramCount; ++n) {
        settings.strProgram[n] = fields[1 + 2 * n];
        settings.strPName[n] = fields[2 + 2 * n];
    }

    const std::string problem = folderProblem(settings.strStart);
    if (!problem.empty())
        throw SettingsError(std::string(display) + ": start folder \"" + fields[0] +
                            "\": path not found (" + problem + ")");
    return settings;
}

std::string findSettings(const std::string& current, const std::string& programFolder) {
    const auto holds = [](const std::string& folder) {
        std::error_code ec;
        return std::filesystem::exists(nativePath(joinPath(folder, strIni)), ec);
    };
    if (holds(current)) return joinPath(current, strIni);
    if (!programFolder.empty() && holds(programFolder)) return joinPath(programFolder, strIni);
    std::string reason = "no " + std::string(strIni) + " in " + current;
    if (!programFolder.empty() && cleanFolder(programFolder) != cleanFolder(current))
        reason += ", nor in " + programFolder + " (the program's folder)";
    throw SettingsError(reason);
}

std::string_view settingsFields() {
    return "It holds 13 fields: the folder to show first, then six pairs of a command line and "
           "the menu caption for it (the Programs menu; a slot without a caption is unused). A "
           "field ends at a comma or at the end of a line; blanks in front of a field are "
           "skipped; a field in double quotes may hold commas. A \"&\" in a caption marks its "
           "access key. For example:";
}

std::string settingsExample() {
    return "\"" + std::string(kExampleStartFolder) + "\"\n\"" + std::string(kExampleTextViewer) +
           "\",\"&View text dump\"\n\"" + std::string(kExampleFolderOpener) +
           "\",\"&Open this folder\"\n,\n,\n,\n,";
}

}  // namespace z5
