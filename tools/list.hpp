// z5def list: what an archive holds.
#pragma once

#include <string>
#include <vector>

namespace z5::tools {

// One line per member of the archive at `path` (named `shown`), in archive
// order: its name, size, offset and the kind its bytes look like ("3do",
// "trk", "cam", "scr", "stg", or "-" for none or more than one); then a
// summary, "9 members, 1.2 MiB". A damaged archive fails as unpack fails on
// it, naming the member.
std::vector<std::string> listArchive(const std::string& path, const std::string& shown);

// "1.2 MiB", "640 KiB", "12 bytes": a size for people.
std::string sizeText(std::int64_t bytes);

}  // namespace z5::tools
