// z5def textconv: a file as text for git's textconv, so that `git diff`
// shows the lines of its definition files.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <string>
#include <string_view>

namespace z5::compare {

// Writes to `out`, with line feeds and writing no file beside it: for a
// binary of a known kind the decompiler's definition files one after
// another, each under "==> NAME <==" (a setup's line 2 from the name it
// stores, never from the file's path, which git makes up); for an archive
// one line per member (name, size, kind, CRC-32 of its bytes). A file it
// cannot read gives one line, "z5def textconv: REASON (SIZE bytes, crc32
// HEX)", the file called "the file" in it.
void textconv(const std::string& path, std::ostream& out);

// The CRC-32 (as zip and PNG compute it) of `bytes`, continuing `crc`.
std::uint32_t crc32(std::string_view bytes, std::uint32_t crc = 0);

}  // namespace z5::compare
