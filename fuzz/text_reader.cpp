// The text reader on arbitrary bytes: lines joined back with their ends must
// give the input again, apart from the kind of line end and a UTF-8 byte
// order mark at the start, which is skipped.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/failure.hpp"
#include "tests/support/support.hpp"
#include "textfmt/textio.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const z5::test::TempFolder folder("z5fuzz-text");
    const std::string path = folder.file("in.txt");
    z5::test::writeFile(path, {reinterpret_cast<const char*>(data), size});
    std::string expected;
    const bool mark = size >= 3 && data[0] == 0xEF && data[1] == 0xBB && data[2] == 0xBF;
    for (std::size_t i = mark ? 3 : 0; i < size; ++i) {
        const char c = static_cast<char>(data[i]);
        if (c == '\r' && i + 1 < size && data[i + 1] == '\n') continue;
        expected.push_back(c == '\r' ? '\n' : c);
    }
    if (!expected.empty() && expected.back() != '\n') expected.push_back('\n');

    z5::TextReader reader(path, "fuzz");
    std::string joined;
    while (!reader.atEnd()) joined += reader.readLine() + "\n";
    if (joined != expected) std::abort();
    try {
        reader.readLine();
        std::abort();  // past the end must fail
    } catch (const z5::CommandFailure&) {
    }
    return 0;
}
