// An archive's directory as the archive commands read it, and archives
// written member by member: what list, unpack of named members and add
// share.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "archive/format.hpp"
#include "platform/files.hpp"

namespace z5 {

// A member as the directory gives it: its entry, its name, and where its
// bytes begin: right after the member before it, the first right after the
// directory (the entries' Offset fields are not consulted).
struct DatMember {
    DatEntry entry;
    std::string name;
    std::int64_t data = 0;
};

// Reads the count and the directory of the archive `dat` (its name in
// reasons) as unpack reads them: a count of 32768 or more, a directory the
// file does not hold whole, a member name that is not a plain file name
// unpack could write, that begins or ends with a blank or that another
// member has in any letter case, or a size the tool does not take fails
// naming the entry. The members' bytes are not read.
std::vector<DatMember> readDirectory(const InputFile& dat);

// Fails unless `name` is a member name unpack could write as a file and
// pack could list: a plain file name (see requirePlainName) that neither
// begins nor ends with a blank.
void requireMemberName(const std::string& name);

// Fails naming the first member whose bytes the archive does not hold whole.
void requireMemberData(const InputFile& dat, const std::vector<DatMember>& members);

// The member of `members` named `name` in any letter case, or nullptr.
const DatMember* findMember(const std::vector<DatMember>& members, std::string_view name);

}  // namespace z5
