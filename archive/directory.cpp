#include "archive/directory.hpp"

#include <algorithm>
#include <array>

#include "archive/limits.hpp"
#include "platform/display.hpp"
#include "platform/encoding.hpp"
#include "platform/failure.hpp"
#include "platform/paths.hpp"
#include "textfmt/binio.hpp"
#include "textfmt/deftext.hpp"

namespace z5 {
namespace {

// Fills `out` from byte `offset` of `file`; the bytes it got.
std::size_t readFully(const InputFile& file, std::string& out, std::int64_t offset) {
    std::size_t got = 0;
    while (got < out.size()) {
        const std::size_t n = file.readAt(out.data() + got, out.size() - got,
                                          offset + static_cast<std::int64_t>(got));
        if (n == 0) break;
        got += n;
    }
    return got;
}

}  // namespace

void requireMemberName(const std::string& name) {
    requirePlainName(name, "member name");
    if (trimBlanks(name).size() != name.size())
        throw CommandFailure("member name \"" + displayName(name) +
                             "\" begins or ends with a blank, which pack and clean up would drop");
}

std::vector<DatMember> readDirectory(const InputFile& dat) {
    std::string count(2, '\0');
    if (readFully(dat, count, 0) < 2)
        throw CommandFailure(dat.name() + ": the archive ends inside its 2-byte entry count");
    const int entries =
        static_cast<std::uint8_t>(count[1]) * 256 + static_cast<std::uint8_t>(count[0]);
    if (entries > 32767)
        throw CommandFailure(dat.name() + ": entry count " + std::to_string(entries) +
                             " is more than 32767");
    std::string directory(
        static_cast<std::size_t>(kDatEntryBytes) * static_cast<std::size_t>(entries), '\0');
    const std::size_t got = readFully(dat, directory, 2);
    BinaryReader in = BinaryReader::ofBytes(directory, dat.name());
    std::vector<DatMember> members;
    std::vector<std::string> folded;
    std::int64_t data = 2 + static_cast<std::int64_t>(directory.size());
    for (int i = 1; i <= entries; ++i) {
        const std::string where =
            dat.name() + ": entry " + std::to_string(i) + " of " + std::to_string(entries) + ": ";
        if (static_cast<std::size_t>(i) * kDatEntryBytes > got)
            throw CommandFailure(where + "the archive ends inside the directory (" +
                                 std::to_string(dat.size()) + " bytes)");
        DatMember m;
        m.entry = readDatEntry(in);
        m.name = entryName(m.entry);
        try {
            requireMemberName(m.name);
            checkMemberSize(m.entry.Size, m.name);
        } catch (const CommandFailure& e) {
            throw CommandFailure(where + e.what());
        }
        std::string key = foldCase(m.name);
        const auto at = std::lower_bound(folded.begin(), folded.end(), key);
        if (at != folded.end() && *at == key)
            throw CommandFailure(where + "member " + displayName(m.name) +
                                 " has the name of a member before it in another letter case");
        folded.insert(at, std::move(key));
        m.data = data;
        data += m.entry.Size;
        members.push_back(std::move(m));
    }
    return members;
}

void requireMemberData(const InputFile& dat, const std::vector<DatMember>& members) {
    for (const DatMember& m : members)
        if (m.data + m.entry.Size > dat.size())
            throw CommandFailure(dat.name() + ": the archive ends inside member " +
                                 displayName(m.name) + ", " +
                                 std::to_string(std::min<std::int64_t>(
                                     m.entry.Size, m.data + m.entry.Size - dat.size())) +
                                 " of its " + std::to_string(m.entry.Size) + " bytes are missing");
}

const DatMember* findMember(const std::vector<DatMember>& members, std::string_view name) {
    for (const DatMember& m : members)
        if (equalsIgnoringCase(m.name, name)) return &m;
    return nullptr;
}

}  // namespace z5
