// The setup decompiler on arbitrary bytes, then the compiler on what it
// wrote: both end cleanly, and a compile that succeeds replaces the setup
// with a file of the layout's size.
#include "fuzz/command_harness.hpp"
#include "setup/setup.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace z5::fuzz;
    static Harness harness("stg-decompile");
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    harness.start("in.stg", bytes);
    const std::int32_t commentLength = valueAt(bytes, 140);
    if (!harness.run(z5::mnuSetupDecompile_Click)) {
        if (commentLength <= 32768) std::abort();  // the only refusal
        return 0;
    }
    if (!harness.run(z5::mnuSetupCompile_Click)) return 0;
    if (harness.files() != std::set<std::string>{"in.stg", "stg.def"}) std::abort();
    const std::string compiled = harness.read("in.stg");
    if (compiled.size() < 144 || compiled.size() != 144 + std::size_t(valueAt(compiled, 140)))
        std::abort();
    return 0;
}
