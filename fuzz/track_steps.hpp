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

// `convert` reads the scratch file `in` (holding `input`) and writes the
// scratch file `out`; nullopt when it fails with a reason.
template <class Input, class Output, class Convert>
std::optional<std::string> step(std::string_view input, const char* in, const char* out,
                                Convert convert) {
    writeFile(scratch(in), input);
    try {
        Input reader(scratch(in), in);
        Output writer(scratch(out), out);
        convert(reader, writer);
        writer.close();
    } catch (const CommandFailure&) {
        return std::nullopt;
    }
    return readFile(scratch(out));
}

inline std::optional<std::string> decompiled(std::string_view trk) {
    return step<BinaryReader, TextWriter>(trk, "in.trk", "Trk.def", [](auto& in, auto& out) {
        track::printTrack(out, track::readTrack(in));
    });
}

inline std::optional<std::string> compiled(std::string_view def) {
    return step<TextReader, BinaryWriter>(def, "Trk.def", "New.trk", [](auto& in, auto& out) {
        track::writeTrack(out, track::compileTrack(in));
    });
}

}  // namespace z5::fuzz
