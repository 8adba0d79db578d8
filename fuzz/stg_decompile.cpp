// The setup decompiler on arbitrary bytes (only a comment longer than 32768
// bytes is refused), then the compiler on its text: a successful compile
// replaces the setup with a file whose comment length matches its size.
#include "fuzz/harness.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace z5::fuzz;
    static Harness harness("stg-decompile");
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    harness.start("in.stg", bytes);
    if (harness.run("mnuSetupDecompile") != (valueAt(bytes, 140) <= 32768)) std::abort();
    if (!harness.run("mnuSetupCompile")) return 0;
    if (harness.files() != std::set<std::string>{"in.stg", "stg.def"}) std::abort();
    const std::string compiled = harness.read("in.stg");
    if (compiled.size() < 144 || compiled.size() != 144 + blocks(valueAt(compiled, 140)))
        std::abort();
    return 0;
}
