#include <charconv>
#include <cstdint>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "archive/archive.hpp"
#include "archive/limits.hpp"
#include "archive/format.hpp"
#include "textfmt/files.hpp"
#include "textfmt/numbers.hpp"

namespace z5 {
namespace {

struct Member {
    std::string name;
    std::string path;
    std::int32_t size = 0;
};

// Line 2: a whole number with optional blanks around it and an optional
// sign, within 0 to 1213.
std::int16_t readCount(TextReader& list) {
    const std::string line = list.readLine();
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

void runPack(Command& cmd) {
    std::vector<Member> members;
    BinaryWriter* dat = nullptr;
    {
        TextReader list = cmd.openTextAt(cmd.chosenPath(), cmd.chosenPath());
        const std::string strArchive = readListName(list, "archive name") + ".dat";
        // It replaces an older archive only when complete; it may not be
        // one of the members (claimed as inputs below).
        dat = &cmd.createBinaryAt(cmd.outputPath(strArchive), strArchive);

        const std::int16_t intCount = readCount(list);
        std::int32_t lngHigh = 0;
        Round().RoundValue(static_cast<float>(intCount) / 256.0f, lngHigh);
        dat->u8(static_cast<std::uint8_t>(intCount - lngHigh * 256));
        dat->u8(static_cast<std::uint8_t>(lngHigh));

        members.reserve(static_cast<std::size_t>(intCount));
        std::int64_t lngOffset = kDatEntryBytes * intCount + 2;
        for (int i = 1; i <= intCount; ++i) {
            Member m;
            m.name = readListName(list, "member name");
            if (m.name.size() > kDatNameBytes)
                list.fail("member name \"" + m.name + "\" is longer than 13 characters");
            // Unpack refuses such an archive: both would be one file on Windows.
            for (const Member& other : members)
                if (equalsIgnoringCase(other.name, m.name))
                    list.fail("member " + m.name + " is listed twice (also as " + other.name + ")");
            m.path = cmd.outputPath(m.name);
            try {
                cmd.claimInput(m.path, m.name);
            } catch (const CommandFailure& e) {
                list.fail(e.what());
            }
            std::error_code ec;
            const std::uintmax_t length = std::filesystem::file_size(nativePath(m.path), ec);
            if (ec) list.fail("member " + m.name + ": " + ec.message());
            const auto size = narrowTo<std::int32_t>(length);
            if (!size)
                list.fail("member " + m.name + " is " + std::to_string(length) +
                          " bytes, more than a 32-bit size can hold");
            m.size = *size;
            try {
                checkMemberSize(m.size, m.name);
            } catch (const CommandFailure& e) {
                list.fail(e.what());
            }
            const auto offset = narrowTo<std::int32_t>(lngOffset);
            if (!offset)
                list.fail("member " + m.name +
                          " would start beyond the 32-bit offsets an archive can hold");

            DatEntry entry;
            entry.Size = entry.Size2 = m.size;
            setEntryName(entry, m.name);
            entry.Offset = *offset;
            writeDatEntry(*dat, entry);
            lngOffset += m.size;
            members.push_back(std::move(m));
        }
    }

    // The members follow the directory, one after another.
    StreamCopy copy(dat->flushedFile(), dat->position());
    for (const Member& m : members) {
        const InputFile in(m.path, m.name);
        if (copy.append(in, 0, m.size) < m.size)
            throw CommandFailure("member " + m.name + " became shorter than its " +
                                 std::to_string(m.size) + " bytes while it was packed");
    }
    copy.flush();
}

}  // namespace z5
