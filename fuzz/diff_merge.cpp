// diff and merge of two small files of one kind through the command line:
// the input is a kind byte, the first file's length (two bytes, low byte
// first), the first file and the second. diff ends in 0, 1 or 2 with whole lines, a file against
// itself is the same, and a merge in which one side kept the base gives the other side byte for
// byte, or trouble; nothing is written beside the output.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "tests/cli/run.hpp"
#include "tests/support/support.hpp"

namespace {

bool wholeLines(const std::string& text) {
    return text.empty() || text.back() == '\n';
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace z5::test;
    static const TempFolder base("z5fuzz-diff");
    static const char* const kKinds[] = {"trk", "3do", "cam", "scr", "stg", "dat"};
    if (size < 3) return 0;
    const std::string ext = kKinds[data[0] % 6];
    const std::string input(reinterpret_cast<const char*>(data + 3), size - 3);
    const std::size_t cut = std::min<std::size_t>(data[1] + 256u * data[2], input.size());
    const std::string a = input.substr(0, cut), b = input.substr(cut);
    emptyFolder(base.str());
    writeFile(base.file("a." + ext), a);
    writeFile(base.file("b." + ext), b);

    const CliRun d = cli({"-C", base.str(), "diff", "a." + ext, "b." + ext});
    if (d.status < 0 || d.status > 2 || !wholeLines(d.out) || !wholeLines(d.err)) std::abort();
    if (a == b && d.status == 1) std::abort();
    const CliRun same = cli({"-C", base.str(), "diff", "--json", "a." + ext, "a." + ext});
    if (same.status == 1 || !same.out.empty()) std::abort();

    for (const auto& [ours, theirs] : {std::pair{"b.", "a."}, {"a.", "b."}}) {
        const CliRun m = cli(
            {"-C", base.str(), "merge", "a." + ext, ours + ext, theirs + ext, "-o", "out." + ext});
        if (m.status == 1 || !wholeLines(m.err)) std::abort();
        if (m.status == 0 && readFile(base.file("out." + ext)) != b) std::abort();
        if (folderNames(base.str()).size() != (m.status == 0 ? 3u : 2u)) std::abort();
        emptyFolder(base.str());
        writeFile(base.file("a." + ext), a);
        writeFile(base.file("b." + ext), b);
    }
    return 0;
}
