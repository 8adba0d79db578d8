#include "platform/display.hpp"

namespace z5 {

std::string printableLine(std::string_view text) {
    static constexpr char kHex[] = "0123456789abcdef";
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F) {
            out += "\\x";
            out += kHex[byte >> 4];
            out += kHex[byte & 0xF];
        } else {
            out += c;
        }
    }
    return out;
}

std::string displayName(std::string_view name) {
    constexpr std::size_t kLongest = 64, kKept = 60;
    if (name.size() <= kLongest) return printableLine(name);
    return printableLine(name.substr(0, kKept)) + "...";
}

std::string replaced(std::string text, std::string_view from, std::string_view to) {
    if (from.empty()) return text;
    for (std::size_t at = 0; (at = text.find(from, at)) != std::string::npos; at += to.size())
        text.replace(at, from.size(), to);
    return text;
}

}  // namespace z5
