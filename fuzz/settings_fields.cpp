// The settings field splitter on arbitrary bytes: at most the asked number
// of fields, and the fields written back (quoted where they can be) split
// into the same fields again.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "window/settings.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const std::vector<std::string> fields = z5::readFields(text, 13);
    if (fields.size() > 13) std::abort();

    // A field holding a double quote came unquoted, so it has no comma or
    // line end and starts with neither a blank nor a quote: it can stand as
    // it is. Every other field is written in quotes.
    std::string again;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (i > 0) again += ',';
        if (fields[i].find('"') != std::string::npos)
            again += fields[i];
        else
            again += '"' + fields[i] + '"';
    }
    if (z5::readFields(again, 13) != fields) std::abort();
    return 0;
}
