// The camera compiler on arbitrary text.
#include "fuzz/harness.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static z5::fuzz::Harness harness("cam-compile");
    harness.start("Cam.def", {reinterpret_cast<const char*>(data), size});
    harness.run("mnuCamCompile");
    return 0;
}
