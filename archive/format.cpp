#include "archive/format.hpp"

#include <algorithm>
#include <charconv>
#include <filesystem>
#include <system_error>

#include "archive/limits.hpp"
#include "platform/encoding.hpp"
#include "platform/failure.hpp"
#include "platform/files.hpp"
#include "platform/paths.hpp"
#include "textfmt/numbers.hpp"

namespace z5 {

DatEntry readDatEntry(BinaryReader& in) {
    DatEntry e;
    e.Tag = in.u8();
    e.Reserved = in.u8();
    e.Size = in.i32();
    e.Size2 = in.i32();
    in.read(e.Name);
    e.Offset = in.i32();
    return e;
}

void writeDatEntry(BinaryWriter& out, const DatEntry& e) {
    out.u8(e.Tag);
    out.u8(e.Reserved);
    out.i32(e.Size);
    out.i32(e.Size2);
    out.bytes(e.Name);
    out.i32(e.Offset);
}

std::string entryName(const DatEntry& entry) {
    const auto end = std::find(entry.Name.begin(), entry.Name.end(), std::uint8_t{0});
    return std::string(entry.Name.begin(), end);
}

void setEntryName(DatEntry& entry, std::string_view name) {
    entry.Name.fill(0);
    std::copy_n(name.begin(), std::min(name.size(), kDatNameBytes), entry.Name.begin());
}

std::string readListName(TextReader& list, std::string_view what) {
    std::string name(trimBlanks(list.readLine()));
    try {
        requirePlainName(name, what);
    } catch (const CommandFailure& e) {
        list.fail(e.what());
    }
    return name;
}

namespace {

// The member count on `line`, the one `list` read last.
std::int16_t countOn(const TextReader& list, const std::string& line) {
    std::string_view text = trimBlanks(line);
    if (text.starts_with('+')) text.remove_prefix(1);
    int value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || ec == std::errc::invalid_argument || end != text.data() + text.size())
        list.fail("the member count \"" + line + "\" is not a whole number");
    const auto intCount = narrowTo<std::int16_t>(value);
    if (ec == std::errc::result_out_of_range || !intCount)
        list.fail("the member count \"" + line + "\" is outside the 16-bit range");
    if (*intCount < 0) list.fail("the member count " + std::to_string(*intCount) + " is negative");
    // The first data offset, 27 x count + 2, is computed in 16 bits.
    if (!narrowTo<std::int16_t>(kDatEntryBytes * *intCount + 2))
        list.fail("the member count " + std::to_string(*intCount) + " is more than the " +
                  std::to_string(kMaxPackCount) + " members an archive can hold");
    return *intCount;
}

}  // namespace

std::int16_t readListCount(TextReader& list) {
    return countOn(list, list.readLine());
}

std::vector<std::string> readMemberNames(TextReader& list) {
    const std::string countLine = list.readLine();
    const std::int16_t count = countOn(list, countLine);
    const long at = list.lineNumber();
    const auto follow = [&](std::size_t names) {
        return "the member count is " + std::to_string(count) + ", but " + std::to_string(names) +
               (names == 1 ? " name follows" : " names follow") + " it";
    };
    std::vector<std::string> names;
    while (names.size() < static_cast<std::size_t>(count)) {
        if (list.atEnd())
            throw CommandFailure(list.name() + ":" + std::to_string(at) + ": " +
                                 follow(names.size()));
        names.push_back(readMemberName(list, names));
    }
    // Blank lines at the end name nothing.
    std::size_t more = 0;
    while (!list.atEnd()) more += !trimBlanks(list.readLine()).empty();
    if (more > 0)
        list.report({list.name(), at, 1,
                     follow(names.size() + more) + "; those after the first " +
                         std::to_string(count) + " are left out",
                     countLine, DiagnosticKind::Warning});
    return names;
}

std::string readMemberName(TextReader& list, const std::vector<std::string>& earlier) {
    std::string name = readListName(list, "member name");
    if (name.size() > kDatNameBytes)
        list.fail("member name \"" + name + "\" is longer than 13 characters");
    for (const std::string& other : earlier)
        if (equalsIgnoringCase(other, name))
            list.fail("member " + name + " is listed twice (also as " + other + ")");
    return name;
}

std::int32_t memberFileSize(const std::string& path, std::string_view name) {
    std::error_code ec;
    const std::uintmax_t length = std::filesystem::file_size(nativePath(path), ec);
    if (ec) throw CommandFailure("member " + std::string(name) + ": " + ec.message());
    const auto size = narrowTo<std::int32_t>(length);
    if (!size)
        throw CommandFailure("member " + std::string(name) + " is " + std::to_string(length) +
                             " bytes, more than a 32-bit size can hold");
    checkMemberSize(*size, name);
    return *size;
}

void writeArchive(BinaryWriter& dat, const std::vector<PackMember>& members) {
    const auto intCount = static_cast<std::int16_t>(members.size());
    std::int32_t lngHigh = 0;
    Round().RoundValue(static_cast<float>(intCount) / 256.0f, lngHigh);
    dat.u8(static_cast<std::uint8_t>(intCount - lngHigh * 256));
    dat.u8(static_cast<std::uint8_t>(lngHigh));
    std::int64_t lngOffset = kDatEntryBytes * intCount + 2;
    for (const PackMember& m : members) {
        const auto offset = narrowTo<std::int32_t>(lngOffset);
        if (!offset)
            throw CommandFailure("member " + m.name +
                                 " would start beyond the 32-bit offsets an archive can hold");
        DatEntry entry;
        if (m.entry) {
            entry = *m.entry;
        } else {
            entry.Size = entry.Size2 = m.size;
            setEntryName(entry, m.name);
        }
        entry.Offset = *offset;
        writeDatEntry(dat, entry);
        lngOffset += m.size;
    }
    // The members follow the directory, one after another.
    StreamCopy copy(dat.flushedFile(), dat.position());
    for (const PackMember& m : members) {
        const InputFile in(m.path, m.name);
        if (copy.append(in, m.from, m.size) < m.size)
            throw CommandFailure("member " + m.name + " became shorter than its " +
                                 std::to_string(m.size) + " bytes while it was packed");
    }
    copy.flush();
}

}  // namespace z5
