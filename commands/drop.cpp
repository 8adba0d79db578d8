#include "commands/drop.hpp"

#include <map>

#include "platform/encoding.hpp"

namespace z5 {
namespace {

std::string fileName(const std::string& path) {
    return pathText(nativePath(path).filename());
}

bool endsWith(std::string_view name, std::string_view end) {
    return name.size() > end.size() &&
           equalsIgnoringCase(name.substr(name.size() - end.size()), end);
}

}  // namespace

DropAction dropActionFor(const std::string& path) {
    const std::string name = fileName(path);
    for (const auto& [def, view] : {std::pair{"vertex.def", "mnu3doView"},
                                    {"flavor.def", "mnu3doView"},
                                    {"Trk.def", "mnuTrkView"}})
        if (equalsIgnoringCase(name, def)) return {DropAction::Kind::Row, findCommandByMenu(view)};
    if (endsWith(name, ".dat")) return {DropAction::Kind::Extract, nullptr};
    for (const CommandEntry& row : commandTable())
        if (!row.compiledBy.empty() && row.menu != "mnuUnpack" &&
            endsWith(name, row.fileExtension()))
            return {DropAction::Kind::Row, &row};
    return {};
}

std::vector<std::string> dropOutputs(const DropAction& action, const std::string& path) {
    switch (action.kind) {
        case DropAction::Kind::None:
            return {};
        case DropAction::Kind::Extract: {
            const std::filesystem::path p = nativePath(path).filename();
            return {pathText(p.has_extension() ? p.stem() : p) + (p.has_extension() ? "" : ".d")};
        }
        case DropAction::Kind::Row:
            break;
    }
    if (action.row->draw) return {action.row->menu == "mnuTrkView" ? "Trk.svg" : "definitions.svg"};
    std::vector<std::string> names;
    for (std::string_view w : action.row->writes)
        if (!w.empty()) names.emplace_back(w);
    return names;
}

std::vector<std::string> dropConflicts(const std::vector<std::string>& paths, bool window) {
    // Each name written, in its folder, and the files that write it.
    std::map<std::string, std::vector<std::string>> writers;
    std::vector<std::string> order;
    for (const std::string& path : paths) {
        const std::string folder =
            window ? std::string() : foldCase(pathText(nativePath(path).parent_path()));
        const DropAction action = dropActionFor(path);
        if (window && action.kind == DropAction::Kind::Row && action.row->draw) continue;
        for (const std::string& name : dropOutputs(action, path)) {
            const std::string key = folder + '\n' + foldCase(name);
            auto& files = writers[key];
            if (files.empty()) order.push_back(key + '\n' + name);
            files.push_back(fileName(path));
        }
    }
    std::vector<std::string> conflicts;
    for (const std::string& entry : order) {
        const std::size_t end = entry.rfind('\n');
        const auto& files = writers[entry.substr(0, end)];
        if (files.size() < 2) continue;
        std::string text;
        for (const std::string& f : files) text += (text.empty() ? "" : ", ") + f;
        conflicts.push_back(text + ": " + (files.size() == 2 ? "both" : "all") + " write " +
                            entry.substr(end + 1));
    }
    return conflicts;
}

}  // namespace z5
