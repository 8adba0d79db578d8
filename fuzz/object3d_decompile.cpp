// The .3do decompiler on arbitrary bytes: it must end, succeed or fail with
// a one-line reason, show at most one box ("DONE" or its stage message; a
// file of another kind shows none) and write nothing beside its working
// folder. Read leniently it shows exactly one, and a file it read without
// damage gives the same definitions. Its picture and its OBJ export end the
// same way.
#include <cstdint>
#include <cstdlib>

#include "fuzz/harness.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using z5::Strictness;
    static z5::fuzz::Harness harness("3do-decompile");
    harness.start("in.3do", {reinterpret_cast<const char*>(data), size});
    harness.setReading(Strictness::Standard);
    harness.messages = 0;
    const bool read = harness.run("mnu3doDecompile");
    if (harness.messages > 1) std::abort();
    const std::string vertices = read ? harness.read("vertex.def") : "";
    const std::string flavors = read ? harness.read("flavor.def") : "";
    harness.run("mnu3doView");
    harness.run("mnu3doExport");

    harness.setReading(Strictness::Lenient);
    harness.messages = 0;
    if (!harness.run("mnu3doDecompile") && read) std::abort();
    if (harness.messages != 1) std::abort();
    if (read && (harness.read("vertex.def") != vertices || harness.read("flavor.def") != flavors))
        std::abort();
    harness.run("mnu3doView");
    harness.run("mnu3doExport");
    return 0;
}
