// Runs converter commands on fuzzed input in a private working folder and
// checks what every run keeps to: it ends done or failed with a one-line
// reason, remarks in one line each, and writes nothing beside its working
// folder.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "commands/table.hpp"
#include "tests/support/support.hpp"
#include "tests/support/xml.hpp"

namespace z5::fuzz {

using test::readFile;
using test::valueAt;
using test::writeFile;

inline bool oneLine(const std::string& text) {
    return !text.empty() && text.find('\n') == std::string::npos;
}

class Harness {
public:
    explicit Harness(const std::string& name) : root_("z5fuzz-" + name) {
        std::filesystem::create_directory(host_.folder);
    }

    // Empties the working folder and writes `bytes` into it as the chosen file.
    void start(const std::string& name, std::string_view bytes) {
        test::emptyFolder(host_.folder);
        write(name, bytes);
        answer(name);
    }
    void write(const std::string& name, std::string_view bytes) const {
        writeFile(path(name), bytes);
    }
    std::string read(const std::string& name) const { return readFile(path(name)); }
    std::string path(const std::string& name) const { return host_.folder + "/" + name; }
    // The file the open and save dialogs answer with from now on.
    void answer(const std::string& name) { host_.answer = path(name); }
    std::set<std::string> files() const {
        const auto names = test::folderNames(host_.folder);
        return {names.begin(), names.end()};
    }

    // How the runs from now on read their inputs (--strict, --lenient).
    void setReading(Strictness reading) { host_.reading = reading; }

    // Runs the row named `row` (its menu entry name), checks its outcome;
    // true when it succeeded.
    bool run(std::string_view row) {
        const Outcome o = findCommandByMenu(row)->run(host_);
        const bool done = o.status == Status::Done;
        if (!done && (o.status != Status::Failed || !oneLine(o.reason))) std::abort();
        if (test::folderNames(root_.str()) != std::vector<std::string>{"work"}) std::abort();
        if (!std::all_of(host_.notices.begin(), host_.notices.end(), oneLine)) std::abort();
        messages += static_cast<int>(host_.messages.size());
        diagnostics = std::move(host_.diagnostics);
        // Only the answer and the reading carry over to the next run.
        test::FakeHost next(host_.folder);
        next.answer = host_.answer;
        next.reading = host_.reading;
        host_ = std::move(next);
        return done;
    }

    // After a compile of what a decompile wrote: when `output` holds the
    // decompiled input's exact bytes, the compile read the definition files
    // as the decompiler wrote them, so it may not have reported a departure
    // from their layout.
    void requireNoDepartureIfSame(const std::string& output, std::string_view input) const {
        if (read(output) == input && !diagnostics.empty()) std::abort();
    }

    int messages = 0;  // boxes shown: "DONE" or a stage message
    // The departures from a layout the last run reported.
    std::vector<Diagnostic> diagnostics;

private:
    test::TempFolder root_;
    test::FakeHost host_{root_.file("work")};
};

// Runs the picture row `row` on the chosen file: the picture it wrote at
// `name`, well-formed XML, or nothing when it failed. It writes that file
// and no other.
inline std::optional<std::string> picture(Harness& harness, std::string_view row,
                                          const std::string& name) {
    const std::set<std::string> before = harness.files();
    const bool drawn = harness.run(row);
    std::set<std::string> expected = before;
    if (drawn) expected.insert(name);
    if (harness.files() != expected) std::abort();
    if (!drawn) return std::nullopt;
    std::string svg = harness.read(name);
    if (!test::wellFormedXml(svg)) std::abort();
    return svg;
}

// Whether `a`, with its first `inA` replaced by `inB`, is `b`: two pictures
// of one thing under two names.
inline bool sameBut(std::string a, std::string_view inA, std::string_view b, std::string_view inB) {
    const std::size_t at = a.find(inA);
    if (at == a.npos) return false;
    return a.replace(at, inA.size(), inB) == b;
}

// `bytes` cut or filled with zeros to `size`.
inline std::string resized(std::string_view bytes, std::size_t size) {
    std::string out(bytes.substr(0, size));
    out.resize(size, '\0');
    return out;
}

inline std::size_t blocks(std::int32_t count) {
    return std::size_t(std::max(count, 0));
}

// Counts of many blocks write megabytes of text and slow the fuzzer to a
// crawl; the tests cover the largest count. Refused counts stay in.
inline bool worthRunning(std::int32_t count) {
    return count <= 64 || count > 32767;
}

}  // namespace z5::fuzz
