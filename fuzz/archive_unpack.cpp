// Unpack on arbitrary bytes: it either fails with a reason or succeeds, never
// writes outside its working folder, and what it unpacked packs and unpacks
// again to the same files.
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "commands/table.hpp"
#include "tests/support/support.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace z5::test;
    static const TempFolder base("z5fuzz-archive");
    // Longer than any member name, so no member can be the input archive.
    static const std::string input = "fuzz-input-archive.dat";
    emptyFolder(base.str());
    std::filesystem::create_directory(base.file("work"));
    std::filesystem::create_directory(base.file("again"));
    writeFile(base.file(input), {reinterpret_cast<const char*>(data), size});

    FakeHost host(base.file("work"));
    host.answer = base.file(input);
    const z5::Outcome first = z5::findCommandByMenu("mnuUnpack")->run(host);
    if (folderNames(base.str()) != std::vector<std::string>{"again", input, "work"}) std::abort();
    if (first.status != z5::Status::Done) {
        if (first.reason.empty()) std::abort();
        return 0;
    }

    const int count = size >= 2 ? data[0] + 256 * data[1] : 0;
    host.answer = base.file("work/dattext.pck");
    const z5::Outcome packed = z5::findCommandByMenu("mnuPack")->run(host);
    if (packed.status != z5::Status::Done) {
        if (count <= 1213) std::abort();  // only the pack limit may stop it
        return 0;
    }
    host.answer = base.file("work/" + input);
    host.folder = base.file("again");
    if (z5::findCommandByMenu("mnuUnpack")->run(host).status != z5::Status::Done) std::abort();
    auto unpacked = folderFiles(base.file("work"));
    unpacked.erase(input);
    if (unpacked != folderFiles(base.file("again"))) std::abort();
    return 0;
}
