// 3do view on arbitrary bytes, as an object and as its definition files
// (vertex.def, a zero byte, flavor.def). Each run writes its picture and
// nothing else, or fails with a reason and writes nothing; every picture is
// well-formed XML. An object drawn and decompiled without a remark into
// definitions that compile (a flavor the decompiler cannot write becomes an
// ERROR line, which nothing reads) draws from its definitions without a
// departure from their layout and gives the same picture apart from the
// name in its title.
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

#include "fuzz/harness.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using z5::fuzz::picture;
    static z5::fuzz::Harness harness("3do-view");
    const std::string_view input(reinterpret_cast<const char*>(data), size);

    const std::size_t split = input.find('\0');
    harness.start("vertex.def", input.substr(0, split));
    harness.write("flavor.def", split == input.npos ? "" : input.substr(split + 1));
    picture(harness, "mnu3doView", "definitions.svg");

    harness.start("in.3do", input);
    const std::optional<std::string> object = picture(harness, "mnu3doView", "in.svg");
    if (!object || !harness.run("mnu3doDecompile") || !harness.diagnostics.empty()) return 0;
    harness.answer("new.3do");
    if (!harness.run("mnu3doCompile")) return 0;
    harness.answer("vertex.def");
    const std::optional<std::string> definitions =
        picture(harness, "mnu3doView", "definitions.svg");
    if (!definitions || !harness.diagnostics.empty()) std::abort();
    if (!z5::fuzz::sameBut(*object, ">in.3do<", *definitions, ">vertex.def and flavor.def<"))
        std::abort();
    return 0;
}
