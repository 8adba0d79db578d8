#include <optional>
#include <string>

#include "camera/format.hpp"
#include "textfmt/columns.hpp"
#include "textfmt/failure.hpp"
#include "textfmt/numbers.hpp"
#include "textfmt/printform.hpp"

namespace z5::camera {
namespace {

std::optional<int> blockCount(std::int32_t count) {
    if (count <= 0) return 0;
    if (!narrowTo<std::int16_t>(count)) return std::nullopt;
    return count;
}

std::string valueLabel(std::size_t number, std::size_t width) {
    std::string label = "Value " + std::to_string(number) + ":";
    if (label.size() < width) label.append(width - label.size(), ' ');
    return label;
}

}  // namespace

int blocksOf(const BinaryReader& in, std::int32_t count, std::string_view what) {
    const auto blocks = blockCount(count);
    if (!blocks)
        throw CommandFailure(in.name() + ": " + std::string(what) + " " + std::to_string(count) +
                             " is above 32767");
    return *blocks;
}

std::int32_t readCountLine(TextReader& def, int& blocks) {
    const std::int32_t count = readValue(def);
    const auto counted = blockCount(count);
    if (!counted) def.fail("count " + std::to_string(count) + " is above 32767");
    blocks = *counted;
    return count;
}

std::string valueLine(std::string_view label, std::int32_t value) {
    std::string text = numberText(value);
    PadTo13(text);
    std::string line(label);
    line += text;
    return line;
}

void writeValueLines(TextWriter& def, std::span<const std::int32_t> values,
                     std::size_t labelWidth) {
    for (std::size_t i = 0; i < values.size(); ++i)
        def.line(valueLine(valueLabel(i + 1, labelWidth), values[i]));
}

std::int32_t readValue(TextReader& def) {
    const std::string line = def.readLine();
    std::string_view tail(line);
    if (tail.size() > 12) tail.remove_prefix(tail.size() - 12);
    const auto value = roundTo<std::int32_t>(def.number(tail));
    if (!value) def.fail("value \"" + std::string(tail) + "\" is outside the 32-bit range");
    return *value;
}

void readValueLines(TextReader& def, std::span<std::int32_t> values) {
    for (std::int32_t& v : values) v = readValue(def);
}

void skipLines(TextReader& def, int count) {
    for (int i = 0; i < count; ++i) def.readLine();
}

void readValues(BinaryReader& in, std::span<std::int32_t> values) {
    for (std::int32_t& v : values) v = in.i32();
}

void writeValues(BinaryWriter& out, std::span<const std::int32_t> values) {
    for (std::int32_t v : values) out.i32(v);
}

}  // namespace z5::camera
