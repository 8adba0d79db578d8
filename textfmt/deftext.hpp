// The .def toolkit: what every definition file is read and written with.
//
// A family declares the lines of its definition file once, as a template
// `layout(io, model)` walked by a DefPrinter (which writes each line) and by
// a DefParser (which reads each value where the printer put it). Fixed lines
// and labels are never compared when reading: users edit them freely, so the
// parser only counts them. A family adds its own value operations to both
// walkers, side by side, and builds everything else from `line` and `blank`.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "textfmt/textio.hpp"

namespace z5 {

// The text without leading and trailing blanks (tabs are kept).
std::string_view trimBlanks(std::string_view text);

// The last `count` characters of a line (the whole line when shorter): where
// labelled values are read back from.
std::string_view lastColumns(std::string_view line, std::size_t count);

// Cuts a line into blank-separated values from the left.
class Tokens {
public:
    explicit Tokens(std::string_view line) : rest_(trimBlanks(line)) {}

    // The text up to the next blank, the rest trimmed after it. With no blank
    // left the token is empty and the rest stays: the last value of a line is
    // always taken as the whole rest.
    std::string_view next();
    // The text up to the next blank or the end; nullopt when nothing is left.
    std::optional<std::string_view> word();
    // The next word when it is a plain integer (an optional sign and digits,
    // nothing else: it reads the same by every number rule) that fits 32
    // bits, taken and read in one pass; nullopt, with nothing taken, for any
    // other word.
    std::optional<std::int32_t> int32();
    std::string_view rest() const { return rest_; }

private:
    std::string_view rest_;
};

// Writes a layout: each fixed line as it stands.
class DefPrinter {
public:
    static constexpr bool printing = true;
    explicit DefPrinter(TextWriter& out) : out_(out) {}

    void line(std::string_view text) { out_.line(text); }
    void blank(int count = 1) {
        for (int i = 0; i < count; ++i) out_.line("");
    }
    TextWriter& writer() { return out_; }

private:
    TextWriter& out_;
};

// Reads a layout by line position. Fixed lines are counted, not read, until
// a value needs the line after them, so a file may end after its last value.
class DefParser {
public:
    static constexpr bool printing = false;
    // A line read longer than `maxLength`, fixed or not, fails with
    // "line of N characters is longer than maxLength".
    explicit DefParser(TextReader& in, std::size_t maxLength = std::string::npos)
        : in_(in), maxLength_(maxLength) {}

    void line(std::string_view) { ++pending_; }
    void blank(int count = 1) { pending_ += count; }
    // The next line that holds a value, after the fixed lines before it.
    // When the file ends first: "the file ends early; expected <expected>",
    // or the reader's own "unexpected end of file" without a description.
    std::string next(std::string_view expected = {});
    // Forgets the fixed lines not yet passed, for a parser that searches
    // for its next line instead of counting.
    void resync() { pending_ = 0; }

    // A value of the line last read, rounded to a 32-bit integer, halves to
    // even: `value` read from `text`, or the number in `text` itself. One
    // outside that range fails with "what: "text" is outside the 32-bit range".
    std::int32_t rounded(double value, std::string_view text, std::string_view what) const;
    std::int32_t whole(std::string_view text, std::string_view what) const {
        return rounded(in_.number(text), text, what);
    }

    TextReader& reader() { return in_; }
    const TextReader& reader() const { return in_; }
    [[noreturn]] void fail(std::string_view what) const { in_.fail(what); }

private:
    std::string readOne(std::string_view expected);
    TextReader& in_;
    std::size_t maxLength_;
    long pending_ = 0;
};

// Writes a model through its family's layout with Printer, or reads one
// back with Parser; `layout(io, model)` is found beside the walker.
template <class Printer, class Model>
void printLayout(TextWriter& out, const Model& model) {
    Printer printer(out);
    layout(printer, const_cast<Model&>(model));  // the printer only reads
}

template <class Parser, class Model>
Model parseLayout(TextReader& in) {
    Parser parser(in);
    Model model;
    layout(parser, model);
    return model;
}

}  // namespace z5
