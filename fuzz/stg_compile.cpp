// The setup compiler on arbitrary text. A failed compile leaves the folder
// as it was, the older setup included; a successful one adds or replaces
// one setup and leaves nothing else behind.
#include "fuzz/harness.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static z5::fuzz::Harness harness("stg-compile");
    harness.start("Stg.def", {reinterpret_cast<const char*>(data), size});
    harness.write("old.stg", "older setup");
    const bool done = harness.run("mnuSetupCompile");
    const auto files = harness.files();
    if (!done && (files != std::set<std::string>{"Stg.def", "old.stg"} ||
                  harness.read("old.stg") != "older setup"))
        std::abort();
    for (const auto& name : files)
        if (name != "Stg.def" && !name.ends_with(".stg")) std::abort();
    if (files.size() > 3) std::abort();
    return 0;
}
