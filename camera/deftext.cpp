// cam.def and scr.def: the layout of each text, declared once and walked by
// a printer (decompile) and a parser (compile).
#include "textfmt/deftext.hpp"

#include <algorithm>
#include <span>
#include <type_traits>

#include "camera/camera.hpp"
#include "textfmt/columns.hpp"

namespace z5::camera {
namespace {

constexpr std::size_t kValueColumn = 13;    // values are right-justified in 13 characters
constexpr std::size_t kReadColumns = 12;    // and read back from the last 12 of their line
constexpr std::size_t kCamLabelWidth = 9;   // "Value 1: " .. "Value 12:"
constexpr std::size_t kScrLabelWidth = 10;  // "Value 1:  " .. "Value 4:  "

constexpr std::string_view kAllows = "Allows you to alter, add and delete positions";
constexpr std::string_view kAdding =
    "When adding or deleting, be sure to increase the TV1 or TV2 positions";

// The blocks a count stands for: each begins with a line starting with
// `heading`; they end at the line `until` (the end of the file when empty).
struct Blocks {
    std::string_view heading;
    std::string_view until;
};

// Writes each value as its label and the number in a column of 13.
class CamPrinter : public DefPrinter {
public:
    using DefPrinter::DefPrinter;

    void value(std::string_view label, std::int32_t& v, std::string_view) {
        std::string text(label);
        appendNumber(text, v, kValueColumn);
        line(text);
    }
    template <class List>
    void count(std::string_view label, std::int32_t& count, List&, std::string_view what, Blocks) {
        value(label, count, what);
    }
    void end() {}
};

// Reads each value from the last 12 characters of its line, its label
// compared. A count sizes the blocks that follow it; when the blocks in the
// file are not as many, that is named at the count's line.
class CamParser : public DefParser {
public:
    using DefParser::DefParser;

    void value(std::string_view label, std::int32_t& v, std::string_view what) {
        next(what);
        v = labelled(label, kReadColumns, what);
    }
    template <class List>
    void count(std::string_view label, std::int32_t& count, List& list, std::string_view what,
               Blocks blocks) {
        value(label, count, what);
        list.resize(blocksOf(*this, count, what));
        // The blocks in the rest of the file, found by their headings.
        std::size_t found = 0;
        for (std::size_t i = 0;; ++i) {
            const std::string* l = peek(i);
            if (!l || (!blocks.until.empty() && trimBlanks(*l) == blocks.until)) break;
            found += trimBlanks(*l).starts_with(blocks.heading);
        }
        // The first count that disagrees is what makes the reading run past
        // the end, if it does: the counts after it are read out of place.
        if (found != list.size()) {
            if (!std::exchange(counted_, true))
                noteForEarlyEnd("; the " + std::string(what) + " on line " +
                                std::to_string(lineNumber()) + " says " + std::to_string(count));
            depart(trimBlanks(lastColumns(current(), kReadColumns)),
                   "the " + std::string(what) + " is " + std::to_string(count) + "; " +
                       std::to_string(found) + " " + quotedText(blocks.heading) + " blocks follow");
        }
    }
    // Lines after the last block are not read.
    void end() { finishNamingExtra("before this line", counted_); }

private:
    bool counted_ = false;  // a count that disagrees was named
};

// Lists a camera file or script as records of named fields, or (`Set`)
// sets one from such records. A line underlined with "=" heads what
// follows: a block of a count (its records named by the heading and their
// number) or, standing alone, a record of its own ("Section 2 Camera
// Position"). The counts are derived from the blocks; values before any
// heading are the root's.
template <bool Set>
class CamFieldWalker {
public:
    static constexpr bool printing = true;
    using Root = std::conditional_t<Set, const TreeRecord, TreeRecord>;

    explicit CamFieldWalker(Root& root) : root_(root) {}

    void line(std::string_view text) {
        if (!text.empty() && text.find_first_not_of('=') == std::string_view::npos)
            heading(previous_);
        previous_ = text;
    }
    void blank(int = 1) { previous_.clear(); }
    void value(std::string_view label, std::int32_t& v, std::string_view) {
        Root& r = record_ ? *record_ : root_;
        std::size_t& next = record_ ? field_ : rootField_;
        if constexpr (Set)
            v = static_cast<std::int32_t>(r.fields.at(next++).number);
        else
            r.add(std::string(trimBlanks(label.substr(0, label.find(':')))), v);
    }
    template <class List>
    void count(std::string_view label, std::int32_t& count, List& list, std::string_view,
               Blocks blocks) {
        record_ = nullptr;
        value(label, count, {});
        const std::size_t group = groups_++;
        if constexpr (Set) {
            const std::size_t records = root_.groups.at(group).records.size();
            if (static_cast<std::size_t>(std::max(count, 0)) != records)
                count = static_cast<std::int32_t>(records);
            list.resize(records);
        } else {
            root_.fields.back().derived = true;
            root_.groups.emplace_back();
        }
        counts_.push_back({blocks.heading, group, title_.empty() ? "" : title_ + ": ", 0});
        title_.clear();
    }
    void end() {}

private:
    // The line above a rule heads a block of the open count or, when it is
    // not one, a record of its own.
    void heading(const std::string& text) {
        if (text.empty()) return;
        field_ = 0;
        for (auto count = counts_.rbegin(); count != counts_.rend(); ++count) {
            if (!text.starts_with(count->heading)) continue;
            const std::size_t number = ++count->blocks;
            if constexpr (Set) {
                record_ = &root_.groups.at(count->group).records.at(number - 1);
            } else {
                std::string name(trimBlanks(text));
                if (name.ends_with(':')) name.pop_back();
                const std::size_t colon = name.find(':');
                name = colon == std::string::npos ? name + " " + std::to_string(number)
                                                  : name.erase(colon, 1);
                record_ = &root_.groups[count->group].records.emplace_back();
                record_->place = count->prefix + name;
            }
            return;
        }
        counts_.clear();
        title_ = text;
        const std::size_t group = groups_++;
        if constexpr (Set) {
            record_ = &root_.groups.at(group).records.at(0);
        } else {
            TreeGroup& g = root_.groups.emplace_back();
            g.matching = Matching::Position;
            record_ = &g.records.emplace_back();
            record_->place = text;
        }
    }

    Root& root_;
    Root* record_ = nullptr;
    std::size_t field_ = 0, rootField_ = 0;
    std::size_t groups_ = 0;
    // The counts whose blocks may follow: their heading, group, the
    // heading above the count, and the blocks met.
    struct Count {
        std::string_view heading;
        std::size_t group;
        std::string prefix;
        std::size_t blocks;
    };
    std::vector<Count> counts_;
    std::string previous_, title_;
};

// One line per value, labelled "Value 1:" on and filled with blanks to
// `labelWidth`; `block` names their block in failure reasons.
template <class IO>
void valueLines(IO& io, std::span<std::int32_t> values, std::size_t labelWidth,
                const std::string& block) {
    for (std::size_t i = 0; i < values.size(); ++i) {
        std::string label = "Value " + std::to_string(i + 1);
        std::string what;
        if constexpr (!IO::printing) what = label + " of " + block;
        label += ':';
        label.resize(std::max(label.size(), labelWidth), ' ');
        io.value(label, values[i], what);
    }
}

// Each block: "Camera Position: i", its underline, an empty line, the values
// and two empty lines.
template <class IO, class Blocks>
void cameraPositions(IO& io, Blocks& blocks, std::string_view name) {
    for (std::size_t i = 0; i < blocks.size(); ++i) {
        io.line("Camera Position: " + std::to_string(i + 1));
        io.line("====================");
        io.blank();
        valueLines(io, blocks[i], kCamLabelWidth, std::string(name) + " " + std::to_string(i + 1));
        io.blank(2);
    }
}

// Every line of cam.def, in order.
template <class IO>
void layout(IO& io, Cam& cam) {
    io.line("Camera File");
    io.line(kAllows);
    io.line(kAdding);
    io.line("Be certain SCR file matches Cam file");
    io.blank(2);
    io.count("Number of Cameras:  ", cam.cameraCount, cam.cameras, "camera count",
             Blocks{"Camera Position:", "Section 2 Camera Position"});
    io.blank(2);
    cameraPositions(io, cam.cameras, "camera");

    io.line("Section 2 Camera Position");
    io.line("=========================");
    io.value("Number:  ", cam.sectionTwo[0], "Number of section 2");
    valueLines(io, std::span(cam.sectionTwo).subspan(1), kCamLabelWidth, "section 2");
    io.blank(2);

    io.line("Section 3 Camera Positions");
    io.line("==========================");
    io.blank(2);
    io.count("Number of Camera Positions:", cam.positionCount, cam.positions,
             "camera position count", Blocks{"Camera Position:", {}});
    io.blank();
    cameraPositions(io, cam.positions, "camera position");
    io.end();
}

// Each camera of a feed: "TV 1 Camera:", its underline, the four values and
// an empty line. The blocks carry no number.
template <class IO>
void feed(IO& io, std::vector<ScrCamera>& cameras, const std::string& name) {
    for (std::size_t i = 0; i < cameras.size(); ++i) {
        io.line(name + " Camera:");
        io.line("============");
        valueLines(io, cameras[i], kScrLabelWidth, name + " camera " + std::to_string(i + 1));
        io.blank();
    }
}

// Every line of scr.def, in order.
template <class IO>
void layout(IO& io, Scr& scr) {
    io.line("SCR File");
    io.line(kAllows);
    io.line(kAdding);
    io.blank(2);
    io.value("Camera Types:  ", scr.cameraTypes, "camera types");
    io.count("TV 1 Cameras:  ", scr.tv1Count, scr.tv1, "TV 1 camera count",
             Blocks{"TV 1 Camera:", {}});
    io.count("TV 2 Cameras:  ", scr.tv2Count, scr.tv2, "TV 2 camera count",
             Blocks{"TV 2 Camera:", {}});
    io.blank(2);
    feed(io, scr.tv1, "TV 1");
    feed(io, scr.tv2, "TV 2");
    io.end();
}

}  // namespace

void printCam(TextWriter& def, const Cam& cam) {
    printLayout<CamPrinter>(def, cam);
}
Cam parseCam(TextReader& def) {
    return parseLayout<CamParser, Cam>(def);
}
void printScr(TextWriter& def, const Scr& scr) {
    printLayout<CamPrinter>(def, scr);
}
Scr parseScr(TextReader& def) {
    return parseLayout<CamParser, Scr>(def);
}

template <class Model>
TreeRecord listFields(const Model& model) {
    TreeRecord root;
    CamFieldWalker<false> lister(root);
    layout(lister, const_cast<Model&>(model));  // the lister only reads
    return root;
}

template <class Model>
Model setFields(const TreeRecord& root) {
    CamFieldWalker<true> setter(root);
    Model model;
    layout(setter, model);
    return model;
}

TreeRecord camFields(const Cam& cam) {
    return listFields(cam);
}
Cam camOfFields(const TreeRecord& fields) {
    return setFields<Cam>(fields);
}
TreeRecord scrFields(const Scr& scr) {
    return listFields(scr);
}
Scr scrOfFields(const TreeRecord& fields) {
    return setFields<Scr>(fields);
}

}  // namespace z5::camera
