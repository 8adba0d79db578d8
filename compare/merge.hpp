// z5def merge: a three-way merge by field of three files of one kind, or
// of three archives member by member (and by field within members of the
// known kinds).
#pragma once

#include <string>
#include <vector>

#include "compare/files.hpp"
#include "core/command.hpp"

namespace z5::compare {

struct MergeInputs {
    std::string base, ours, theirs;  // paths
    std::string shownBase, shownOurs, shownTheirs;
    std::string output, shownOutput;
};

struct MergeReport {
    // Each on a line of its own, as diff names the field, the base's value
    // and each side's: nothing was written.
    std::vector<std::string> conflicts;
    // What the merge took from theirs, as diff shows it against the base.
    std::vector<FileLines> fromTheirs;
    // What check warns of in the merged output (a track whose Start chain
    // the merge broke).
    std::vector<std::string> warnings;
};

// Merges through `cmd`: the inputs claimed, the output written through it
// only when nothing conflicts. Trouble (an input missing or damaged, kinds
// that differ, the output an input) is a CommandFailure.
MergeReport mergeFiles(Command& cmd, const MergeInputs& inputs);

}  // namespace z5::compare
