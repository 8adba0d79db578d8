// The setup decompiler on arbitrary bytes: a comment longer than 32768 bytes
// is refused, and unless read leniently so is a file without a setup's record
// tag and comment marker or shorter than its comment. Then the compiler on
// its text: a successful compile replaces the setup with a file whose comment
// length matches its size, and finds no departure from the layout when that
// file is the very setup read.
#include "fuzz/harness.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace z5::fuzz;
    static Harness harness("stg-decompile");
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const std::int32_t length = valueAt(bytes, 140);
    const bool setup = size >= 144 + blocks(length) &&
                       valueAt(bytes, 0) == static_cast<std::int32_t>(0xCDEF0002u) &&
                       valueAt(bytes, 136) == static_cast<std::int32_t>(0x80185F00u);
    harness.start("in.stg", bytes);
    harness.setReading(z5::Strictness::Standard);
    if (harness.run("mnuSetupDecompile") != (setup && length <= 32768)) std::abort();
    harness.setReading(z5::Strictness::Lenient);
    if (harness.run("mnuSetupDecompile") != (length <= 32768)) std::abort();
    if (!harness.run("mnuSetupCompile")) return 0;
    if (harness.files() != std::set<std::string>{"in.stg", "stg.def"}) std::abort();
    harness.requireNoDepartureIfSame("in.stg", bytes);
    const std::string compiled = harness.read("in.stg");
    if (compiled.size() < 144 || compiled.size() != 144 + blocks(valueAt(compiled, 140)))
        std::abort();
    return 0;
}
