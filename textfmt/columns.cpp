#include "textfmt/columns.hpp"

#include <charconv>

#include "textfmt/printform.hpp"

namespace z5 {

void padTo(std::string& text, std::size_t width) {
    if (text.empty() || text.size() >= width) return;
    text.insert(0, width - text.size(), ' ');
}

void appendColumn(std::string& line, std::string text, std::size_t width) {
    padTo(text, width);
    line += text;
}

void appendNumber(std::string& line, std::int64_t value, std::size_t width) {
    // Decompilers write millions of these: no string is made for the digits.
    char digits[24];
    const auto length =
        static_cast<std::size_t>(std::to_chars(digits, digits + sizeof digits, value).ptr - digits);
    if (length < width) line.append(width - length, ' ');
    line.append(digits, length);
}

void PadTo13(std::string& text) {
    padTo(text, 13);
}
void PadTo6(std::string& text) {
    padTo(text, 6);
}
void PadTo5(std::string& text) {
    padTo(text, 5);
}

}  // namespace z5
