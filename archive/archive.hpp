// The archive commands: unpack a .dat archive into loose files and the list
// dattext.pck, pack a list back into an archive, and delete the loose files
// a list names.
#pragma once

#include <string>
#include <vector>

#include "core/command.hpp"

namespace z5 {

// Unpacks the chosen archive: dattext.pck (archive name, count, one member
// name per line) and every member file into the working folder. Member
// names are checked before any member is written: a name that is not a
// plain file name, holds a line break or surrounding blanks, names the
// archive, the list or another member in any letter case, ends the command.
// An archive that ends inside a member ends the command naming it; the
// members before it stay.
void runUnpack(Command& cmd);

// Packs the chosen list (in any folder): the archive named on its first
// line, written into the working folder from the member files there. The
// archive replaces an existing one only when the whole pack succeeded.
void runPack(Command& cmd);

// Unpacks only the members `names` (in any letter case) of the chosen
// archive, each under the archive's spelling of its name, and no list. An
// unknown name fails the command, naming it, before anything is written.
void runUnpackMembers(Command& cmd, const std::vector<std::string>& names);

// Adds `files` to the archive at `archive`: each, by its file name,
// replaces the member of that name in any letter case (which keeps its
// place and spelling), or is appended; a missing archive is created. The
// entries of the other members keep every byte but their offsets. The
// archive is replaced, as a whole, only when complete, the old one kept as
// ARCHIVE.bak when `backup` (one generation), together with it.
struct AddReport {
    std::vector<std::string> replaced, added;
    std::string backup;  // empty when none was kept
};
AddReport runAdd(Command& cmd, const std::string& archive, const std::vector<std::string>& files,
                 bool backup);

// Deletes the files named on lines 3 onward of dattext.pck in the working
// folder, each by its exact name, once every line was checked. The list and
// its archive are kept.
void runCleanUp(Command& cmd);
// How many files the dattext.pck of `folder` names for clean up to delete,
// read as runCleanUp reads it; a list it would refuse throws its reason.
std::size_t cleanUpCount(const std::string& folder);

}  // namespace z5
