// The camera compiler on arbitrary text.
#include "commands/handlers.hpp"
#include "fuzz/harness.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static z5::fuzz::Harness harness("cam-compile");
    harness.start("Cam.def", {reinterpret_cast<const char*>(data), size});
    harness.run(z5::mnuCamCompile_Click);
    return 0;
}
