// Comparing and merging models as records of named fields (see
// textfmt/fieldtree.hpp): what diff and merge do with every kind of file.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "textfmt/fieldtree.hpp"

namespace z5::compare {

enum class Change { Changed, Added, Removed, Moved };

// One difference: a field changed (`old` -> `now`), a record or field
// added or removed (with what its line says of it), a member moved.
struct Difference {
    Change change = Change::Changed;
    std::string place;  // "Section 12"; empty for the file's own values
    std::string field;  // "Length"; empty for a record's only value or a whole record
    std::optional<std::string> old, now;
    // What the line says in place of the values ("renumbered: ...").
    std::string note = {};
};

// "Section 12: Length: 2000 -> 2100", "Section 41: added (turn, Length
// 900)", "bytes 0x10-0x1f"; control characters escaped.
std::string differenceLine(const Difference& d);
// The same as one JSON object: change, file, place, field, old and new,
// null where there is none, and the line's note where it has one.
std::string differenceJson(const Difference& d, std::string_view file);
// `text` as a JSON string, quotes included; bytes that are no ASCII are
// taken as Latin-1.
std::string jsonString(std::string_view text);

// The differences from `a` to `b`, in the order of the file: records
// without a key aligned as a text diff aligns lines (an inserted record is
// one line, records between two that match are paired in place as
// changed), records with a key by their key, fields by position. Records
// are named as `a` names them, added ones as `b` does.
std::vector<Difference> diffTrees(const TreeRecord& a, const TreeRecord& b);

// A three-way merge: a field changed on one side only takes that side's
// value, changed alike on both that value; changed otherwise on both, a
// conflict. A record added or removed on one side is added or removed when
// the other side left that place as it was.
struct Merged {
    TreeRecord record;
    // "Section 12: Length: base 2000, ours 2100, theirs 1900"
    std::vector<std::string> conflicts;
    // What came from theirs, as diff names it against the base.
    std::vector<Difference> fromTheirs;
};
Merged mergeTrees(const TreeRecord& base, const TreeRecord& ours, const TreeRecord& theirs);

}  // namespace z5::compare
