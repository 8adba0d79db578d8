// Both track conversions on in-memory inputs, through scratch files in a
// folder of their own: nullopt when the conversion fails with a reason.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "fuzz/harness.hpp"
#include "textfmt/failure.hpp"
#include "track/track.hpp"

namespace z5::fuzz {

inline std::string scratch(std::string_view name) {
    static const test::TempFolder folder("z5fuzz-track");
    return folder.file(name);
}

inline std::optional<std::string> decompiled(std::string_view trk) {
    const std::string in = scratch("in.trk"), out = scratch("Trk.def");
    writeFile(in, trk);
    try {
        BinaryReader reader(in, "in.trk");
        TextWriter writer(out, "Trk.def");
        track::printTrack(writer, track::readTrack(reader));
        writer.close();
    } catch (const CommandFailure&) {
        return std::nullopt;
    }
    return readFile(out);
}

inline std::optional<std::string> compiled(std::string_view def) {
    const std::string in = scratch("in.def"), out = scratch("New.trk");
    writeFile(in, def);
    try {
        TextReader reader(in, "Trk.def");
        BinaryWriter writer(out, "New.trk");
        track::writeTrack(writer, track::compileTrack(reader));
        writer.close();
    } catch (const CommandFailure&) {
        return std::nullopt;
    }
    return readFile(out);
}

}  // namespace z5::fuzz
