// The camera decompiler on arbitrary bytes. Whatever it shows compiles back
// to the bytes it read (a short file reads as zeros past its end).
#include "camera/camera.hpp"
#include "fuzz/command_harness.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace z5::fuzz;
    static Harness harness("cam-decompile");
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    harness.start("in.cam", bytes);
    if (!harness.run(z5::mnuCamDecompile_Click)) {
        // Only a count beyond the 16-bit block counter is refused.
        const std::int32_t cameras = valueAt(bytes, 0);
        if (cameras <= 32767 &&
            valueAt(bytes, 44 + 36 * std::size_t(std::max(cameras, 0))) <= 32767)
            std::abort();
        return 0;
    }
    if (!harness.run(z5::mnuCamCompile_Click)) std::abort();
    const std::size_t cameras = std::size_t(std::max(valueAt(bytes, 0), 0));
    const std::size_t positions = std::size_t(std::max(valueAt(bytes, 44 + 36 * cameras), 0));
    if (harness.read("New.cam") != resized(bytes, 48 + 36 * cameras + 48 * positions)) std::abort();
    return 0;
}
