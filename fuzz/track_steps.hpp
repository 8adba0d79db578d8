// Both track conversions on in-memory inputs, through scratch files named
// after the process: nullopt when the conversion fails with a reason.
#pragma once

#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <string_view>

#include "fuzz/harness.hpp"
#include "textfmt/failure.hpp"
#include "track/track.hpp"

namespace z5::fuzz {

inline std::string scratch(std::string_view name) {
    return "/tmp/z5fuzz-" + std::to_string(getpid()) + "-" + std::string(name);
}

inline std::optional<std::string> decompiled(std::string_view trk) {
    const std::string in = scratch("in.trk"), out = scratch("Trk.def");
    writeBytes(in, trk);
    try {
        BinaryReader reader(in, "in.trk");
        TextWriter writer(out, "Trk.def");
        track::printTrack(writer, track::readTrack(reader));
        writer.close();
    } catch (const CommandFailure&) {
        return std::nullopt;
    }
    return readBytes(out);
}

inline std::optional<std::string> compiled(std::string_view def) {
    const std::string in = scratch("in.def"), out = scratch("New.trk");
    writeBytes(in, def);
    try {
        TextReader reader(in, "Trk.def");
        BinaryWriter writer(out, "New.trk");
        track::writeTrack(writer, track::compileTrack(reader));
        writer.close();
    } catch (const CommandFailure&) {
        return std::nullopt;
    }
    return readBytes(out);
}

}  // namespace z5::fuzz
