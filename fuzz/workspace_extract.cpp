// Extract on arbitrary bytes as an archive: it either makes the workspace
// or names each problem in one line and leaves nothing behind. A workspace
// it made builds back to the very bytes it was extracted from, without a
// departure from any layout and without a change to the workspace.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "fuzz/harness.hpp"
#include "workspace/workspace.hpp"

namespace {

void requireOneLineEach(const z5::workspace::Report& r) {
    if (!std::all_of(r.reasons.begin(), r.reasons.end(), z5::fuzz::oneLine)) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace z5::test;
    static const TempFolder base("z5fuzz-extract");
    const std::string input(reinterpret_cast<const char*>(data), size);
    emptyFolder(base.str());
    writeFile(base.file("game.dat"), input);

    const z5::workspace::Report extracted = z5::workspace::extract({base.str(), "game.dat", "", 2});
    requireOneLineEach(extracted);
    if (!extracted.succeeded()) {
        if (folderNames(base.str()) != std::vector<std::string>{"game.dat"}) std::abort();
        return 0;
    }
    if (folderNames(base.str()) != std::vector<std::string>{"game", "game.dat"}) std::abort();
    const auto workspace = folderFiles(base.file("game"), true);

    const z5::workspace::Report built = z5::workspace::build({base.str(), "game", "out.dat", 2});
    requireOneLineEach(built);
    if (!built.succeeded() || !built.diagnostics.empty()) std::abort();
    if (readFile(base.file("out.dat")) != input) std::abort();
    if (folderFiles(base.file("game"), true) != workspace) std::abort();
    if (folderNames(base.str()) != std::vector<std::string>{"game", "game.dat", "out.dat"})
        std::abort();
    return 0;
}
