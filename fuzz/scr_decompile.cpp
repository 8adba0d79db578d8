// The camera script decompiler on arbitrary bytes. Whatever it shows
// compiles back to the bytes it read (zeros past the end of a short file).
#include "camera/camera.hpp"
#include "fuzz/command_harness.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace z5::fuzz;
    static Harness harness("scr-decompile");
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    harness.start("in.scr", bytes);
    const std::int32_t tv1 = valueAt(bytes, 4);
    const std::int32_t tv2 = valueAt(bytes, 8);
    if (!harness.run(z5::mnuScrDecompile_Click)) {
        if (tv1 <= 32767 && tv2 <= 32767) std::abort();
        return 0;
    }
    if (!harness.run(z5::mnuScrCompile_Click)) std::abort();
    const std::size_t cameras = std::size_t(std::max(tv1, 0)) + std::size_t(std::max(tv2, 0));
    if (harness.read("New.scr") != resized(bytes, 12 + 16 * cameras)) std::abort();
    return 0;
}
