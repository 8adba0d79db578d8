// trk view on arbitrary bytes, as a track and as its definition file
// Trk.def. Each run writes its picture and nothing else, or fails with a
// reason and writes nothing; every picture is well-formed XML. A track
// drawn and decompiled without a remark (nothing of it left out) draws from
// its definitions without a departure from their layout and gives the same
// picture apart from the name in its title.
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

#include "fuzz/harness.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using z5::fuzz::picture;
    static z5::fuzz::Harness harness("trk-view");
    const std::string_view input(reinterpret_cast<const char*>(data), size);

    harness.start("Trk.def", input);
    picture(harness, "mnuTrkView", "Trk.svg");

    harness.start("in.trk", input);
    const std::optional<std::string> track = picture(harness, "mnuTrkView", "in.svg");
    if (!track || !harness.run("mnuTrkDecompile") || !harness.diagnostics.empty()) return 0;
    harness.answer("Trk.def");
    const std::optional<std::string> definitions = picture(harness, "mnuTrkView", "Trk.svg");
    if (!definitions || !harness.diagnostics.empty()) std::abort();
    if (!z5::fuzz::sameBut(*track, ">in.trk<", *definitions, ">Trk.def<")) std::abort();
    return 0;
}
