#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "archive/archive.hpp"
#include "archive/directory.hpp"
#include "archive/format.hpp"
#include "archive/limits.hpp"
#include "platform/display.hpp"
#include "platform/encoding.hpp"
#include "platform/files.hpp"
#include "platform/inorder.hpp"
#include "platform/pathnames.hpp"
#include "platform/paths.hpp"
#include "textfmt/numbers.hpp"
#include "textfmt/printform.hpp"

namespace z5 {
namespace {

// The entry count: two bytes, low first, read as a signed 16-bit value.
std::int16_t readCount(BinaryReader& dat) {
    std::array<std::uint8_t, 2> bytes;
    if (dat.read(bytes) < bytes.size())
        throw CommandFailure(dat.name() + ": the archive ends inside its 2-byte entry count");
    const int count = bytes[1] * 256 + bytes[0];
    const auto lngCount = narrowTo<std::int16_t>(count);
    if (!lngCount)
        throw CommandFailure(dat.name() + ": entry count " + std::to_string(count) +
                             " is more than 32767");
    return *lngCount;
}

// An entry must name a plain file in the working folder that the list file
// can hold and that pack and clean up will read back unchanged; it must not
// be the archive, the list or another member in any letter case (claimed as
// an output, which refuses that), nor the archive that packing the list
// would write over it; and its size must be one the tool takes (under 64 MiB).
void checkEntry(Command& cmd, const std::string& name, std::int32_t size,
                std::string_view archive) {
    requireMemberName(name);
    auto refuse = [&](std::string_view why) {
        throw CommandFailure("member name \"" + displayName(name) + "\" " + std::string(why));
    };
    if (equalsIgnoringCase(name, archive))
        refuse("is the archive that packing the list writes; pack would overwrite it");
    checkMemberSize(size, name);
    cmd.claimOutput(cmd.outputPath(name), name);
}

}  // namespace

void runUnpack(Command& cmd) {
    BinaryReader dat = cmd.openInput();
    TextWriter& list = cmd.createText(kListName);

    std::string strArchive = cmd.chosenPath();
    GetTrackName().GetName(strArchive);
    strArchive = pathToName(strArchive, "archive name");
    const std::string archiveName = strArchive + ".dat";
    list.line(strArchive);
    const std::int16_t intCount = readCount(dat);
    list.line(printNumber(intCount));

    // The directory: every name is checked and listed before any member
    // file is written.
    std::vector<std::int32_t> lngSizes;
    lngSizes.reserve(static_cast<std::size_t>(intCount));
    for (int i = 1; i <= intCount; ++i) {
        const std::string where =
            dat.name() + ": entry " + std::to_string(i) + " of " + std::to_string(intCount) + ": ";
        const DatEntry entry = readDatEntry(dat);
        if (dat.position() > dat.size())
            throw CommandFailure(where + "the archive ends inside the directory (" +
                                 std::to_string(dat.size()) + " bytes)");
        const std::string name = entryName(entry);
        try {
            checkEntry(cmd, name, entry.Size, archiveName);
        } catch (const CommandFailure& e) {
            throw CommandFailure(where + e.what());
        }
        list.line(name);
        lngSizes.push_back(entry.Size);
    }
    list.close();

    // The members, named as the list file gives them back, each read from
    // where the one before it ends. Several are copied at once, each into a
    // file of its own without a name yet, and they are put in place in
    // archive order: when one fails, every member before it is complete and
    // in place and none after it appears.
    struct Member {
        std::string name;
        std::string path;
        std::int64_t offset = 0;
        std::int32_t size = 0;
        std::optional<OutputFile> file;
        std::int64_t copied = 0;
    };
    std::vector<Member> members;
    members.reserve(lngSizes.size());
    TextReader names(list.path(), std::string(kListName));
    names.readLine();
    names.readLine();
    std::int64_t offset = dat.position();
    for (const std::int32_t size : lngSizes) {
        std::string name = names.readLine();
        std::string path = cmd.outputPath(name);
        members.push_back({std::move(name), std::move(path), offset, size, std::nullopt, 0});
        offset += size;
    }
    // A few dozen finished members may wait for the one before them.
    constexpr std::size_t kAhead = 32;
    runInOrder(
        members.size(), copyThreads(), kAhead,
        [&](std::size_t i, unsigned) {
            Member& m = members[i];
            m.file.emplace(m.path, m.name);
            StreamCopy copy(*m.file, 0);
            m.copied = dat.copyRange(m.offset, copy, m.size);
            copy.flush();
        },
        [&](std::size_t i) {
            Member& m = members[i];
            if (m.copied < m.size)
                throw CommandFailure(dat.name() + ": the archive ends inside member " + m.name +
                                     ", " + std::to_string(m.size - m.copied) + " of its " +
                                     std::to_string(m.size) +
                                     " bytes are missing; no file was written for it");
            m.file->commit();
            m.file.reset();
        });
}

}  // namespace z5
