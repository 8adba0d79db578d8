// The archive commands: unpack a .dat archive into loose files and the list
// dattext.pck, pack a list back into an archive, and delete the loose files
// a list names.
#pragma once

#include "textfmt/command.hpp"

namespace z5 {

// Asks for an archive; writes dattext.pck (archive name, count, one member
// name per line) and every member file into the working folder. Member
// names are checked before any member is written: a name that is not a
// plain file name, holds a line break or surrounding blanks, or would
// overwrite the archive or the list, ends the command. An archive that ends
// inside a member ends the command naming it; that member's file is removed.
Outcome mnuUnpack_Click(Host& host);

// Asks for a list file (in any folder); writes the archive named on its
// first line into the working folder from the member files there. The
// archive replaces an existing one only when the whole pack succeeded.
Outcome mnuPack_Click(Host& host);

// Deletes the files named on lines 3 onward of dattext.pck in the working
// folder, each by its exact name. The list itself is kept.
Outcome mnuCleanUp_Click(Host& host);

}  // namespace z5
