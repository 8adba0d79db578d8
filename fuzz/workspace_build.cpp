// Build on an arbitrary list and definition file: it either writes the
// archive or names each problem in one line, never writes into the
// workspace, and leaves no work folder behind. The input is the list, a zero
// byte, then scr.def of the member B.SCR; A.BIN is a member file.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "fuzz/harness.hpp"
#include "workspace/workspace.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace z5::test;
    static const TempFolder base("z5fuzz-workspace");
    const std::string input(reinterpret_cast<const char*>(data), size);
    const std::size_t cut = std::min(input.find('\0'), input.size());
    emptyFolder(base.str());
    std::filesystem::create_directories(base.file("ws/B.SCR.def"));
    writeFile(base.file("ws/dattext.pck"), input.substr(0, cut));
    writeFile(base.file("ws/B.SCR.def/scr.def"), input.substr(std::min(cut + 1, size)));
    writeFile(base.file("ws/A.BIN"), "member");
    const auto workspace = folderFiles(base.file("ws"), true);

    const z5::workspace::Report r = z5::workspace::build({base.str(), "ws", "out.dat", 2});
    if (folderFiles(base.file("ws"), true) != workspace) std::abort();
    const auto names = folderNames(base.str());
    if (names != (r.succeeded() ? std::vector<std::string>{"out.dat", "ws"}
                                : std::vector<std::string>{"ws"}))
        std::abort();
    if (!std::all_of(r.reasons.begin(), r.reasons.end(), z5::fuzz::oneLine)) std::abort();
    return 0;
}
