#include "archive/format.hpp"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "platform/failure.hpp"
#include "platform/paths.hpp"

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

}  // namespace z5
