// The setup compiler on arbitrary text. The setup it would replace exists
// beforehand: a failed compile leaves it as it was, a successful one leaves
// exactly one setup beside the text, and nothing else is left behind.
#include "fuzz/command_harness.hpp"
#include "setup/setup.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static z5::fuzz::Harness harness("stg-compile");
    harness.start("Stg.def", {reinterpret_cast<const char*>(data), size});
    harness.write("old.stg", "older setup");
    if (harness.run(z5::mnuSetupCompile_Click)) {
        const auto files = harness.files();
        if (files.size() > 3 || !files.contains("Stg.def")) std::abort();
        for (const auto& name : files)
            if (name != "Stg.def" && !name.ends_with(".stg")) std::abort();
    } else {
        if (harness.files() != std::set<std::string>{"Stg.def", "old.stg"}) std::abort();
        if (harness.read("old.stg") != "older setup") std::abort();
    }
    return 0;
}
