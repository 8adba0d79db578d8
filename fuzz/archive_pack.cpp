// Pack on an arbitrary list, beside a few member files: it either fails with
// a reason or writes one archive, and unpacking that archive gives back the
// member files it packed, byte for byte, and no other file.
#include <map>
#include <string>
#include <vector>

#include "fuzz/harness.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static z5::fuzz::Harness harness("archive-pack");
    harness.start("in.pck", {reinterpret_cast<const char*>(data), size});
    // Empty, short, and past one 2048-byte block.
    harness.write("a", "");
    harness.write("B.txt", "bee");
    harness.write("c.3do", std::string(2053, 'c'));
    const auto before = z5::test::folderFiles(harness.path(""));
    if (!harness.run("mnuPack")) {
        if (z5::test::folderFiles(harness.path("")) != before) std::abort();
        return 0;
    }
    const auto packed = z5::test::folderFiles(harness.path(""));
    std::vector<std::string> added;
    for (const auto& [name, bytes] : packed)
        if (!before.contains(name)) added.push_back(name);
    if (added.size() != 1) std::abort();
    const std::string archive = added.front();

    // Unpacked over the files it was packed from, every member keeps its
    // bytes; only the list dattext.pck is new.
    harness.answer(archive);
    if (!harness.run("mnuUnpack")) std::abort();
    auto unpacked = z5::test::folderFiles(harness.path(""));
    unpacked.erase("dattext.pck");
    if (unpacked != packed) std::abort();
    return 0;
}
