// The 3do compile on arbitrary definition text (vertex.def, a zero byte,
// flavor.def). It must end, succeed or fail with a reason and leave no
// object. An object it writes that decompiles cleanly must compile back from
// that text to the same bytes: every number is then its own position and
// offset. The picture and the OBJ of the text end done or failed with a
// reason too.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "fuzz/harness.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static z5::fuzz::Harness harness("3do-compile");
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const std::size_t split = input.find('\0');
    harness.start("vertex.def", input.substr(0, split));
    harness.write("flavor.def", split == input.npos ? "" : input.substr(split + 1));
    harness.run("mnu3doView");
    harness.run("mnu3doExport");
    harness.answer("a.3do");

    if (!harness.run("mnu3doCompile")) {
        if (harness.files().count("a.3do")) std::abort();
        return 0;
    }
    if (!harness.run("mnu3doDecompile")) return 0;
    harness.answer("b.3do");
    if (!harness.run("mnu3doCompile")) std::abort();
    if (harness.read("a.3do") != harness.read("b.3do")) std::abort();
    return 0;
}
