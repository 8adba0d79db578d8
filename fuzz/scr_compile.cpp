// The camera script compiler on arbitrary text.
#include "fuzz/harness.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static z5::fuzz::Harness harness("scr-compile");
    harness.start("Scr.def", {reinterpret_cast<const char*>(data), size});
    harness.run("mnuScrCompile");
    return 0;
}
