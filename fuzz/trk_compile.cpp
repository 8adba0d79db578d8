// The track compiler on arbitrary text. A track it writes, once decompiled,
// must compile again to the very same bytes.
#include "commands/handlers.hpp"
#include "fuzz/harness.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static z5::fuzz::Harness harness("trk-compile");
    harness.start("Trk.def", {reinterpret_cast<const char*>(data), size});
    if (!harness.run(z5::mnuTrkCompile_Click)) return 0;
    const std::string trk = harness.read("New.trk");
    harness.answer("New.trk");
    if (!harness.run(z5::mnuTrkDecompile_Click)) return 0;
    if (!harness.run(z5::mnuTrkCompile_Click) || harness.read("New.trk") != trk) std::abort();
    return 0;
}
