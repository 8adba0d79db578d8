// The .dat archive and its list file dattext.pck: the directory record, the
// limits, and the small helpers the three archive commands share.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "textfmt/binio.hpp"
#include "textfmt/deftext.hpp"
#include "textfmt/textio.hpp"

namespace z5 {

// An archive is: a 2-byte entry count (low byte first), the directory of
// `count` entries, then the member data back to back in directory order.
inline constexpr std::int32_t kDatEntryBytes = 27;
inline constexpr std::size_t kDatNameBytes = 13;
inline constexpr std::uint8_t kPackTag = 5;

// Directory offsets are 16-bit when pack computes the first one, so a packed
// archive holds at most 1213 members (27 x 1213 + 2 = 32753).
inline constexpr std::int32_t kMaxPackCount = 1213;

inline constexpr std::string_view kListName = "dattext.pck";

// One directory entry, 27 bytes on disk with no padding.
struct DatEntry {
    std::uint8_t Tag = kPackTag;                     // pack writes 5; unpack ignores it
    std::uint8_t Reserved = 0;                       // pack writes 0; unpack ignores it
    std::int32_t Size = 0;                           // member length in bytes
    std::int32_t Size2 = 0;                          // pack writes Size again; unpack ignores it
    std::array<std::uint8_t, kDatNameBytes> Name{};  // zero-padded, no zero at 13 characters
    std::int32_t Offset = 0;  // first data byte; unpack reads data sequentially instead
};

// An entry read field by field; past the end of the file its bytes read as
// zero, so the caller compares the reader's position with the file size.
DatEntry readDatEntry(BinaryReader& in);
void writeDatEntry(BinaryWriter& out, const DatEntry& entry);

// The member name of an entry: the Name bytes up to the first zero byte, or
// all 13 when none is zero.
std::string entryName(const DatEntry& entry);
// Sets Name to the characters of `name` followed by zero bytes; the caller
// has checked that it holds at most 13 characters.
void setEntryName(DatEntry& entry, std::string_view name);

// Reads the next list line without its surrounding blanks and checks that it
// is a plain file name (`what` says which); a failure names the list file and
// the line.
std::string readListName(TextReader& list, std::string_view what);

// Line 2 of a list: a whole number with optional blanks around it and an
// optional sign, within 0 to 1213; a failure names the list and the line.
std::int16_t readListCount(TextReader& list);
// The next member name of a list: a plain file name of at most 13
// characters, none of the `earlier` ones in any letter case (unpack would
// refuse the archive: both would be one file on Windows).
std::string readMemberName(TextReader& list, const std::vector<std::string>& earlier);

// Line 2 of a list and the member names below it, as many as its count
// says (name i on line 3 + i). A list that ends before them fails naming
// the count's line; names after them are left out, as the count says, and
// reported to the list's diagnostic hook as one departure on that line.
std::vector<std::string> readMemberNames(TextReader& list);

// A member as pack writes it: its name and the file that holds its bytes
// (from byte `from` on: a member of another archive), and the entry to keep
// of it, but for its offset (a fresh one as pack writes it when none).
struct PackMember {
    std::string name;
    std::string path;
    std::int32_t size = 0;
    std::int64_t from = 0;
    std::optional<DatEntry> entry = std::nullopt;
};
// The size of a member file, within the limits of an archive; a failure
// names the member.
std::int32_t memberFileSize(const std::string& path, std::string_view name);
// Writes the archive of `members`: the count, the directory, then each
// member's bytes one after another in list order.
void writeArchive(BinaryWriter& dat, const std::vector<PackMember>& members);

}  // namespace z5
