// The track compiler on arbitrary text. A track it writes, once decompiled,
// must compile again to the very same bytes. The picture of the text ends
// done or failed with a reason too.
#include "fuzz/harness.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static z5::fuzz::Harness harness("trk-compile");
    harness.start("Trk.def", {reinterpret_cast<const char*>(data), size});
    harness.run("mnuTrkView");
    if (!harness.run("mnuTrkCompile")) return 0;
    const std::string trk = harness.read("New.trk");
    harness.answer("New.trk");
    if (!harness.run("mnuTrkDecompile")) return 0;
    if (!harness.run("mnuTrkCompile") || harness.read("New.trk") != trk) std::abort();
    return 0;
}
