// A model as records of named fields, for the commands that compare and
// merge files field by field. Each family lists its model through its
// layout (the label of every field is the one its printer writes) and sets a
// model back from such records, so nothing of a layout is declared twice.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace z5 {

struct TreeField {
    std::string label;        // "Length", "Height 2"; empty for a record's only value
    std::string text;         // the value as the definition file shows it, unless `plain`
    std::int64_t number = 0;  // the value as the file holds it (0 for texts)
    // The position of the record this value refers to (a reference to a
    // flavor) in the group the root names as `referred`; -1 for none.
    // Such a value is compared by what it refers to, not by its text.
    std::int64_t ref = -1;
    // A count or size the compiler works out from the records (Segments,
    // a section's Surfaces): never a difference of its own, and worked out
    // again when a model is set from merged records.
    bool derived = false;
    // A value that follows from the records before it (a section's Start,
    // which a section inserted before it moves): left out when records are
    // aligned, compared once they are paired.
    bool placed = false;
    // Shown as its number (in decimal), which is then its text.
    bool plain = false;

    std::string shown() const;
};

// How the records of a group are told apart from one file to another.
enum class Matching {
    Sequence,  // records without a key: aligned as a text diff aligns lines
    Key,       // by their key (vertices, normals)
    Position,  // by position (a section's banking rows, one per E-line)
};

struct TreeRecord;

struct TreeGroup {
    Matching matching = Matching::Sequence;
    // Aligned as the group at this index of the same parent is (a track's
    // pointers, one per section); -1: by its own records.
    int alignedWith = -1;
    // Records added or removed give no line (the group it is aligned with
    // says it).
    bool quiet = false;
    std::vector<TreeRecord> records;
};

struct TreeRecord {
    std::string place;       // "Section 12", "Section 12: Banking 3", "flavor 123 (FL03)"
    std::string key;         // for Matching::Key, unique in its group
    std::string summary;     // what an added or removed record's line says: "turn, Length 900"
    std::string shape;       // records are paired as changed only with one of the same shape
    std::string referredAs;  // what a reference to it shows (a flavor's offset)
    std::vector<TreeField> fields;
    std::vector<TreeGroup> groups;  // after the fields, in the order of the file
    // Of the root only: the group of the root whose records the fields'
    // `ref` values name; -1 when none refers.
    int referred = -1;

    TreeField& add(std::string label, std::string text, std::int64_t number = 0) {
        return fields.emplace_back(TreeField{std::move(label), std::move(text), number});
    }
    TreeField& add(std::string label, std::int64_t number);
};

// The labels of a column header ("    Height 1     Height 2  ..."): the
// words that stand apart by two blanks or more; a label written twice is
// numbered ("NULL 1", "NULL 2").
std::vector<std::string> headerLabels(std::string_view header);

}  // namespace z5
