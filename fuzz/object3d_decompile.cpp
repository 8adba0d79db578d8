// The .3do decompiler on arbitrary bytes: it must end, succeed or fail with
// a one-line reason, show exactly one box ("DONE" or its stage message) and
// write nothing beside its working folder. Its picture and its OBJ export
// end the same way.
#include <cstdint>
#include <cstdlib>

#include "fuzz/harness.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static z5::fuzz::Harness harness("3do-decompile");
    harness.start("in.3do", {reinterpret_cast<const char*>(data), size});
    harness.messages = 0;
    harness.run("mnu3doDecompile");
    if (harness.messages != 1) std::abort();
    harness.run("mnu3doView");
    harness.run("mnu3doExport");
    return 0;
}
