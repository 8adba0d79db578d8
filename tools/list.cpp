#include "tools/list.hpp"

#include <cstdio>

#include "archive/directory.hpp"
#include "commands/kinds.hpp"
#include "platform/display.hpp"

namespace z5::tools {
namespace {

std::string padded(std::string text, std::size_t width, bool right) {
    if (text.size() < width) text.insert(right ? 0 : text.size(), width - text.size(), ' ');
    return text;
}

}  // namespace

std::string sizeText(std::int64_t bytes) {
    if (bytes < 1024) return std::to_string(bytes) + (bytes == 1 ? " byte" : " bytes");
    const char* unit = bytes < 1024 * 1024 ? "KiB" : "MiB";
    const double value = static_cast<double>(bytes) / (bytes < 1024 * 1024 ? 1024.0 : 1048576.0);
    char text[32];
    std::snprintf(text, sizeof text, value < 10 ? "%.1f %s" : "%.0f %s", value, unit);
    return text;
}

std::vector<std::string> listArchive(const std::string& path, const std::string& shown) {
    const InputFile dat(path, shown);
    const std::vector<DatMember> members = readDirectory(dat);
    requireMemberData(dat, members);
    std::vector<std::string> lines;
    for (const DatMember& m : members) {
        const std::string_view kind = kindOfContent(dat, m.data, m.entry.Size);
        lines.push_back(padded(printableLine(m.name), 13, false) + ' ' +
                        padded(std::to_string(m.entry.Size), 10, true) + ' ' +
                        padded(std::to_string(m.data), 10, true) + "  " +
                        (kind.empty() ? "-" : std::string(kind)));
    }
    lines.push_back(std::to_string(members.size()) +
                    (members.size() == 1 ? " member, " : " members, ") + sizeText(dat.size()));
    return lines;
}

}  // namespace z5::tools
