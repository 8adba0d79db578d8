// The .3do decompiler on arbitrary bytes: it must end, succeed or fail with
// a one-line reason, show at most one box ("DONE" or its stage message; a
// file of another kind shows none) and write nothing beside its working
// folder. Read leniently it shows exactly one, and a file it read without
// damage gives the same definitions; compiled, when they give back the very
// bytes read, they show no departure from their layout. Its picture and its
// OBJ export end the same way.
#include <cstdint>
#include <cstdlib>

#include "fuzz/harness.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using z5::Strictness;
    static z5::fuzz::Harness harness("3do-decompile");
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    harness.start("in.3do", bytes);
    harness.setReading(Strictness::Standard);
    harness.messages = 0;
    const bool read = harness.run("mnu3doDecompile");
    if (harness.messages > 1) std::abort();
    const std::string vertices = read ? harness.read("vertex.def") : "";
    const std::string flavors = read ? harness.read("flavor.def") : "";
    if (read) {
        harness.answer("new.3do");
        if (harness.run("mnu3doCompile")) harness.requireNoDepartureIfSame("new.3do", bytes);
        harness.answer("in.3do");
    }
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
