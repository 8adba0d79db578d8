// 3do positions on an arbitrary OBJ file: it ends done or failed with a
// one-line reason; when it fails vertex.def is as it was, and when it is
// done vertex.def still compiles, and every line but the vertex lines is
// kept. The view and the export of the compiled object end the same way.
#include <cstdint>
#include <cstdlib>

#include "fuzz/harness.hpp"

namespace {

const std::string kVertexDef =
    "REM  vertices\r\nVERTICES:\r\n     0            1            2            3\r\n"
    "     5         -100          100   2147483647\r\n\r\nNORMALS:\r\n     0 0 0 1\r\n";
const std::string kFlavorDef = "FL02 4 0 0 3 0 5 0\r\n";

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static z5::fuzz::Harness harness("obj-positions");
    harness.start("in.obj", {reinterpret_cast<const char*>(data), size});
    harness.write("vertex.def", kVertexDef);
    harness.write("flavor.def", kFlavorDef);
    if (!harness.run("mnu3doPositions")) {
        if (harness.read("vertex.def") != kVertexDef) std::abort();
        return 0;
    }
    const std::string def = harness.read("vertex.def");
    if (!def.starts_with("REM  vertices\r\nVERTICES:\r\n") ||
        !def.ends_with("\r\n\r\nNORMALS:\r\n     0 0 0 1\r\n"))
        std::abort();
    harness.answer("out.3do");
    if (!harness.run("mnu3doCompile")) std::abort();
    harness.run("mnu3doView");
    harness.run("mnu3doExport");
    return 0;
}
