// The camera decompiler on arbitrary bytes: a count beyond the 16-bit block
// counter is refused, and so is a file shorter than its counts unless it is
// read leniently; what it shows then compiles back to the bytes it read
// (zeros past the end of a short file), without a departure from the layout
// when those are the file's very bytes.
#include "fuzz/harness.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace z5::fuzz;
    static Harness harness("cam-decompile");
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const std::int32_t cameras = valueAt(bytes, 0);
    const std::int32_t positions = valueAt(bytes, 44 + 36 * blocks(cameras));
    if (!worthRunning(cameras) || (cameras <= 32767 && !worthRunning(positions))) return 0;
    const bool counted = cameras <= 32767 && positions <= 32767;
    const std::size_t length = 48 + 36 * blocks(cameras) + 48 * blocks(positions);
    harness.start("in.cam", bytes);
    harness.setReading(z5::Strictness::Standard);
    if (harness.run("mnuCamDecompile") != (counted && size >= length)) std::abort();
    harness.setReading(z5::Strictness::Lenient);
    if (harness.run("mnuCamDecompile") != counted) std::abort();
    if (!counted) return 0;
    if (!harness.run("mnuCamCompile")) std::abort();
    harness.requireNoDepartureIfSame("New.cam", bytes);
    if (harness.read("New.cam") != resized(bytes, length)) std::abort();
    return 0;
}
