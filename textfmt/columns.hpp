// Right-justifying column helpers for definition files.
#pragma once

#include <cstdint>
#include <string>

namespace z5 {

// Each helper right-justifies a text in place in a column of 13, 6 or 5
// characters. An empty text, or one already as wide as the column or wider,
// is left as it is: long values run into the neighbouring column.
void PadTo13(std::string& text);
void PadTo6(std::string& text);
void PadTo5(std::string& text);

// Same rule for any width; the three helpers above are this with 13, 6 and 5.
void padTo(std::string& text, std::size_t width);

// Appends `text` right-justified in a column of `width` by the same rule, and
// an integer's decimal text likewise: how every value line is built.
void appendColumn(std::string& line, std::string text, std::size_t width);
void appendNumber(std::string& line, std::int64_t value, std::size_t width);

}  // namespace z5
