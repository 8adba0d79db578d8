#include "archive/format.hpp"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "textfmt/failure.hpp"
#include "textfmt/paths.hpp"

namespace z5 {
namespace {

std::int32_t getI32(std::span<const std::uint8_t, kDatEntryBytes> b, std::size_t at) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(b[at]) |
                                     (static_cast<std::uint32_t>(b[at + 1]) << 8) |
                                     (static_cast<std::uint32_t>(b[at + 2]) << 16) |
                                     (static_cast<std::uint32_t>(b[at + 3]) << 24));
}

void putI32(DatEntryBytes& b, std::size_t at, std::int32_t v) {
    const auto u = static_cast<std::uint32_t>(v);
    for (std::size_t i = 0; i < 4; ++i) b[at + i] = static_cast<std::uint8_t>(u >> (8 * i));
}

// Field positions inside the 27-byte entry.
constexpr std::size_t kTagAt = 0, kReservedAt = 1, kSizeAt = 2, kSize2At = 6, kNameAt = 10,
                      kOffsetAt = 23;

}  // namespace

DatEntry decodeDatEntry(std::span<const std::uint8_t, kDatEntryBytes> bytes) {
    DatEntry e;
    e.Tag = bytes[kTagAt];
    e.Reserved = bytes[kReservedAt];
    e.Size = getI32(bytes, kSizeAt);
    e.Size2 = getI32(bytes, kSize2At);
    std::copy_n(bytes.begin() + kNameAt, kDatNameBytes, e.Name.begin());
    e.Offset = getI32(bytes, kOffsetAt);
    return e;
}

DatEntryBytes encodeDatEntry(const DatEntry& entry) {
    DatEntryBytes b{};
    b[kTagAt] = entry.Tag;
    b[kReservedAt] = entry.Reserved;
    putI32(b, kSizeAt, entry.Size);
    putI32(b, kSize2At, entry.Size2);
    std::copy(entry.Name.begin(), entry.Name.end(), b.begin() + kNameAt);
    putI32(b, kOffsetAt, entry.Offset);
    return b;
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
