// The .def toolkit: what every definition file is read and written with.
//
// A family declares the lines of its definition file once, as a template
// `layout(io, model)` walked by a DefPrinter (which writes each line) and by
// a DefParser (which reads each value where the printer put it). The parser
// keeps the reading by line position the compilers always had and compares
// what it passes with the layout: each fixed line, label and value that
// departs from it is reported as a Diagnostic through the reader's hook. A
// family adds its own value operations to both walkers, side by side, and
// builds everything else from `line` and `blank`.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

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

// Reads a layout by line position. Fixed lines are passed, and compared,
// only when a value needs the line after them, so a file may end after its
// last value.
class DefParser {
public:
    static constexpr bool printing = false;
    // A line read longer than `maxLength`, fixed or not, fails with
    // "line of N characters is longer than maxLength".
    explicit DefParser(TextReader& in, std::size_t maxLength = std::string::npos)
        : in_(in), maxLength_(maxLength) {}

    // A line of the layout that holds no value read: its text, or either of
    // two texts, or a label whose value (the last `columns` characters) the
    // reading does not take.
    struct Expected {
        std::string text;
        std::string other;
        std::size_t columns = 0;
    };
    // A fixed line of the layout, and `count` empty ones.
    void line(std::string_view text) { pending_.push_back({std::string(text), {}, 0}); }
    void blank(int count = 1) { pending_.insert(pending_.end(), count, Expected{}); }
    void either(std::string_view text, std::string_view other) {
        pending_.push_back({std::string(text), std::string(other), 0});
    }
    void label(std::string_view label, std::size_t columns) {
        pending_.push_back({std::string(label), {}, columns});
    }
    // The next line that holds a value, after the fixed lines before it,
    // each compared with the file's line it stands for. When the file ends
    // first: "the file ends early; expected <expected>", or the reader's own
    // "unexpected end of file" without a description. The line stays valid
    // until the next one is read.
    const std::string& next(std::string_view expected = {});
    // Takes the fixed lines not yet passed, for a parser that searches for
    // its next line instead of counting.
    std::vector<Expected> resync() { return std::exchange(pending_, {}); }
    // Compares `found`, the line last read, with `expected[index]`: a
    // departure when they differ, which says how the lines after it are
    // read (`shifts`: one line early or late when `found` is the expected
    // line after or before).
    void compare(const std::vector<Expected>& expected, std::size_t index, bool shifts) const {
        compareLine(current_, line_, expected, index, shifts);
    }
    // The same for the line `line`, whose text is `found`.
    void compareLine(const std::string& found, long line, const std::vector<Expected>& expected,
                     std::size_t index, bool shifts) const;
    // The lines a search passed before the line it looked for (`stop`, at
    // line `stopLine`), aligned with the layout's lines there (`expected`)
    // the way a text diff aligns them: a line in place of the layout's is a
    // departure, a line the layout does not have is named as not read (the
    // first of a run, with how many follow; `extraNote` may add to what it
    // says), and lines of the layout missing are named before the line that
    // follows them. None of them is read, so nothing moves. At most
    // kAlignedLines passed lines are kept; `dropped` counts the ones after.
    struct PassedLine {
        long line;
        std::string text;
    };
    static constexpr std::size_t kAlignedLines = 256;
    void alignPassed(const std::vector<Expected>& expected, const std::vector<PassedLine>& passed,
                     std::size_t dropped, long stopLine, const std::string& stop,
                     const std::function<std::string(std::string_view)>& extraNote = {}) const;
    // Compares what is left of the file with the fixed lines that end the
    // layout; the file may end before them. Then each line that is not
    // empty is handed to `extra` (its number and text), which reports it.
    template <class Extra>
    void finish(Extra extra) {
        const std::vector<Expected> expected = resync();
        for (std::size_t i = 0; i < expected.size() && take(); ++i) compare(expected, i, false);
        while (take())
            if (!trimBlanks(current_).empty()) extra();
    }
    // finish, naming the first line that holds text as not read ("the
    // layout ends `ending`; found ..."), unless `quiet` (its cause was named).
    void finishNamingExtra(std::string_view ending, bool quiet = false);
    // The line `ahead` lines after the last one read (0: the next), without
    // reading it; nullptr past the end of the file.
    const std::string* peek(std::size_t ahead = 0);
    // The next line, without comparing it with anything; false at the end.
    bool take();

    // The number of the line last read, from 1, and its text.
    long lineNumber() const { return line_; }
    const std::string& current() const { return current_; }
    const std::string& name() const { return in_.name(); }

    // Reports a departure from the layout on the line last read, at the
    // column where `at` (a part of that line) begins, or at its first.
    void depart(std::string_view at, std::string message) const;
    // The same at any line: `text` is the line, `column` counted from 1.
    void departAt(long line, long column, std::string text, std::string message) const;

    // `text`, a part of the line last read that the layout writes as a plain
    // decimal integer, read by the compilers' rule (LeadingNumber,
    // rounded half to even) into 32 bits. Another text is a departure
    // naming what it was read as; a number outside the range fails with
    // "what: "text" is outside the 32-bit range".
    std::int32_t integer(std::string_view text, std::string_view what) const;
    // The same without comparing: for a text whose departure was already
    // named.
    std::int32_t integerAsRead(std::string_view text, std::string_view what) const;
    // The value of a labelled line: the label at its start (compared), the
    // number in its last `columns` characters (read as `integer` reads it).
    std::int32_t labelled(std::string_view label, std::size_t columns, std::string_view what) const;
    // Compares the start of the line last read with the label `label`.
    void checkLabel(std::string_view label, std::size_t columns) const;
    // Whether the line `line` begins with the label and the value's columns
    // follow it (see checkLabel).
    static bool hasLabel(std::string_view line, std::string_view label, std::size_t columns);

    // A value of the line last read, rounded to a 32-bit integer, halves to
    // even: `value` read from `text`. One outside that range fails with
    // "what: "text" is outside the 32-bit range".
    std::int32_t rounded(double value, std::string_view text, std::string_view what) const;

    TextReader& reader() { return in_; }
    const TextReader& reader() const { return in_; }
    // Leaves the command with "name:line: what", the line being the one last read.
    [[noreturn]] void fail(std::string_view what) const;
    [[noreturn]] void failAt(long line, std::string_view what) const;
    // Added to the reason when the file ends early: the count that made the
    // reading run past its end ("; Segments on line 8 says 5").
    void noteForEarlyEnd(std::string note) { earlyEnd_ = std::move(note); }

private:
    bool readOne(std::string& into, std::string_view expected);
    TextReader& in_;
    std::size_t maxLength_;
    std::vector<Expected> pending_;  // lines before the next value
    std::deque<std::string> ahead_;  // lines peeked at, not yet taken
    std::string current_;
    std::string earlyEnd_;
    long line_ = 0;
};

// A text as a departure quotes what it found: in double quotes, bytes that
// do not print escaped, a long text cut after 40 characters with "...".
std::string quotedText(std::string_view text);

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
