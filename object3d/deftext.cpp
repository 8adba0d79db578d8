// vertex.def and flavor.def: the layout of each, declared once and walked by
// a printer (decompile) and a parser (compile).
#include "textfmt/deftext.hpp"

#include <algorithm>
#include <array>
#include <limits>
#include <map>

#include "object3d/object3d.hpp"
#include "object3d/renumbering.hpp"
#include "textfmt/columns.hpp"
#include "textfmt/numbers.hpp"
#include "textfmt/printform.hpp"

namespace z5::object3d {
namespace {

constexpr std::string_view kVerticesHeader = "VERTICES:";
constexpr std::string_view kNormalsHeader = "NORMALS:";
constexpr std::string_view kNamePrefix = "FILE  ";
constexpr std::size_t kKeyColumn = 6;     // a point's Key, and a flavor's offset
constexpr std::size_t kValueColumn = 13;  // every other value
constexpr std::int64_t kMaxInt32 = std::numeric_limits<std::int32_t>::max();
// A section holds at most 32768 lines, a flavor list 32768 flavors.
constexpr std::size_t kMaxEntries = kMaxCount + 1;

// Why names of `length` bytes (with their zero bytes and the end mark) do
// not fit one name list.
std::string namesTooLong(std::int64_t length) {
    return "file names of " + numberText(length) + " bytes with their zero bytes and end mark, " +
           "more than the " + numberText(kMaxNamesLength) + " a name list holds";
}
// Why `count` records of a kind do not fit one object.
std::string tooMany(std::size_t count, std::string_view what, std::string_view holder) {
    return numberText(count) + " " + std::string(what) + ", more than the " +
           numberText(kMaxEntries) + " " + std::string(holder) + " holds";
}

std::string quoted(std::string_view text) {
    std::string out(text.size() + 2, '"');
    text.copy(out.data() + 1, text.size());
    return out;
}

// Writes the values of an object.
class ObjPrinter : public DefPrinter {
public:
    using DefPrinter::DefPrinter;

    template <class T, class Body>
    void repeat(std::vector<T>& items, Body body) {
        for (T& item : items) body(item);
    }
    // Two empty lines stand before a normals section.
    void pointHeader(const PointSection& s) {
        if (s.normals) blank(2);
        line(s.normals ? kNormalsHeader : kVerticesHeader);
    }
    void points(const PointSection& s) {
        for (const Point& p : s.points) {
            text_.clear();
            appendPointLine(text_, p);
            line(text_);
        }
    }
    void names(const std::vector<std::string>& names) {
        for (const std::string& name : names) line(std::string(kNamePrefix) + name);
    }
    void flavors(const std::vector<Flavor>& flavors) {
        for (const Flavor& f : flavors) {
            text_ = flavorTag(f.type);
            text_ += ' ';
            appendNumber(text_, f.offset, kKeyColumn);
            for (const Value& v : f.values) appendNumber(text_, v.number, kValueColumn);
            line(text_);
        }
    }
    void unsupported(const std::optional<Unsupported>& u) {
        if (!u) return;
        line(unsupportedMessage(*u));
        line(printNumber(u->offset));
    }
    void end() {}

private:
    std::string text_;
};

// How the compiler sees a line of flavor.def, trimmed.
struct FlavorDefLine {
    enum class Kind {
        Other,       // remarks, empty lines, message lines
        Name,        // "FILE" and the name
        Flavor,      // a tag with a layout, "FL02" .. "FL21"
        OtherFlavor  // any other text starting with "FL" (FL18, FL20 ...): skipped
    };
    Kind kind;
    int type;               // for Flavor
    std::string_view rest;  // after "FILE" or the tag, trimmed
};

FlavorDefLine classify(std::string_view line) {
    const std::string_view text = trimBlanks(line);
    if (text.starts_with("FILE")) return {FlavorDefLine::Kind::Name, 0, trimBlanks(text.substr(4))};
    if (!text.starts_with("FL")) return {FlavorDefLine::Kind::Other, 0, {}};
    const int type = flavorTypeOfTag(text.substr(0, 4));
    if (type == 0) return {FlavorDefLine::Kind::OtherFlavor, 0, {}};
    return {FlavorDefLine::Kind::Flavor, type, trimBlanks(text.substr(4))};
}

// A value of a flavor line as the layout takes it.
struct Taken {
    Field field;
    std::string_view text;
    std::optional<std::int32_t> number;  // for values that shape the body (kinds, counts)
};

// The values of a flavor line that offset.def shows after the offset,
// indexed by type: 1-based positions among the values (the references and counts it
// carries); FL04 shows the whole rest of its line.
constexpr std::array<std::array<std::uint8_t, 4>, 22> kShownValues = {{
    {},     {},     {1, 3}, {}, {}, {1}, {6}, {6, 7}, {6, 7, 8, 9}, {6, 7, 8}, {6, 7, 8},
    {6, 7}, {1, 2}, {8},    {}, {}, {1}, {4}, {},     {8},          {},        {},
}};

// Reads an object back where the compiler finds its values. Sections are
// found by their header lines, names and flavors by their first word; the
// lines the search passes are compared with the layout, and a line it
// skips that the layout does not have is a departure. Each record's old and
// new number is noted as it is read. For a flavor line it is the walker of
// walkFlavorBody over the words of the line.
class ObjParser : public DefParser {
public:
    static constexpr CountUse countUse = CountUse::Compiled;

    using DefParser::DefParser;

    template <class T, class Body>
    void repeat(std::vector<T>& items, Body body) {
        while (begins(items)) body(items.emplace_back());
    }

    // vertex.def: a section runs from its header to an empty line or the
    // next header. One section of each kind, with at least one line.
    void pointHeader(PointSection& s) {
        take();
        const std::string header = current();
        s.normals = header == kNormalsHeader;
        bool& seen = s.normals ? seenNormals_ : seenVertices_;
        if (seen) fail("a second " + header + " section");
        seen = true;
        renumberedPoints.push_back({s.normals, {}});
        if (places) places->points.emplace_back();
        if (!pointFollows())
            failAt(peek() ? lineNumber() + 1 : lineNumber(), "the section above has no lines");
    }
    // Key, x, y and z; the last takes the rest of the line.
    void points(PointSection& s) {
        while (pointFollows()) {
            take();
            const std::string& line = current();
            Tokens tokens(line);
            const std::string_view keyText = tokens.rest().substr(0, tokens.rest().find(' '));
            std::optional<std::int32_t> number = tokens.int32();
            if (!number) {
                const std::string_view key = tokens.word().value_or("");
                number = wholeInteger<std::int32_t>(key);
                if (!number) fail(quoted(key) + " is not a number that fits 32 bits");
                depart(key, "the layout has a whole number here (the key); found " +
                                quotedText(key) + ", read as " + numberText(*number));
            }
            if (s.points.size() == kMaxEntries) fail("more than 32768 lines in one section");
            renumberedPoints.back().oldKeys.push_back(*number);
            if (places) places->points.back().push_back({lineNumber(), 1, line});
            const std::int32_t x = coordinate(tokens, "x"), y = coordinate(tokens, "y");
            if (tokens.rest().empty()) fail("a line needs a number and x, y, z");
            const std::string_view rest = tokens.rest();
            const auto z = tokens.int32();
            std::int32_t zValue = 0;
            if (z && tokens.rest().empty()) {
                zValue = *z;
            } else {
                zValue = coordinate(rest);
                if (rest.find(' ') != std::string_view::npos)
                    depart(rest,
                           "the layout has 4 values on a point line; found more: the last, "
                           "z, is read from " +
                               quotedText(rest) + " as " + numberText(zValue));
                else
                    plain(rest, "z", zValue);
            }
            (void)keyText;
            s.points.push_back({*number, x, y, zValue});
        }
    }

    // flavor.def: names stand before the first flavor line, all in one
    // section; flavor types without a layout are skipped.
    void names(std::vector<std::string>& names) {
        for (const std::string* l; (l = peek());) {
            const FlavorDefLine line = classify(*l);
            if (line.kind != FlavorDefLine::Kind::Name) return;
            take();
            const FlavorDefLine l2 = classify(current());
            if (l2.rest.empty()) fail("empty file name");
            if (l2.rest.find_first_of(std::string_view("\0\xFF", 2)) != std::string_view::npos)
                fail("a file name cannot hold the bytes 0 or 255");
            namesLength_ += static_cast<std::int64_t>(l2.rest.size()) + 1;
            if (namesLength_ > kMaxNamesLength) fail(namesTooLong(namesLength_));
            names.emplace_back(l2.rest);
        }
    }
    void flavors(std::vector<Flavor>& flavors) {
        // Up to the first flavor line the lines are the layout's (the head,
        // the empty line after the names).
        passTo(
            resync(),
            [](std::string_view line) { return classify(line).kind != FlavorDefLine::Kind::Other; },
            "a flavor line");
        bool ended = false;  // by the message line of a flavor without a layout
        for (const std::string* l; (l = peek());) {
            take();
            const FlavorDefLine line = classify(current());
            if (line.kind == FlavorDefLine::Kind::Name)
                fail("file name after the first flavor line");
            if (ended) {
                notRead("nothing after the message line and its offset");
            } else if (line.kind == FlavorDefLine::Kind::Flavor) {
                flavors.push_back(flavor(line, flavors.size()));
                if (places) places->flavors.push_back({lineNumber(), 1, current()});
            } else if (line.kind == FlavorDefLine::Kind::OtherFlavor) {
                depart(trimBlanks(current()),
                       "the layout has a flavor line of a type with a "
                       "layout here (FL02 to FL21, not FL18 or FL20); found " +
                           quotedText(trimBlanks(current()).substr(0, 4)) +
                           ", and the line is skipped");
            } else if (trimBlanks(current()).starts_with("ERROR")) {
                // The decompiler ends a flavor list it cannot read on with a
                // message line and the offset reached.
                if (peek() && isPlainInteger(trimBlanks(*peek()))) take();
                ended = true;
            } else {
                notRead("a flavor line");
            }
        }
        // A file without any flavor to compile could not be told from a
        // damaged one, and its object would not decompile to a file that
        // compiles.
        if (flavors.empty()) fail("the file ends without a flavor line (FL02 to FL21)");
    }
    // The message lines that end a decompiled flavor list are read with
    // the flavors.
    void unsupported(std::optional<Unsupported>&) {}
    // Lines after the last point section are not read.
    void end() {
        for (const std::string* l; (l = peek());) {
            take();
            (void)l;
            notRead("nothing after the last point line");
        }
    }

    std::int32_t decide(Field field) {
        const std::string_view text = word();
        return *taken_.emplace_back(Taken{field, text, number(field, text)}).number;
    }
    void run(Field field, std::int32_t n) {
        for (std::int32_t i = 0; i < n; ++i) taken_.push_back({field, word(), std::nullopt});
    }
    void pairs(Field first, Field second, std::int32_t n) {
        for (std::int32_t i = 0; i < n; ++i) {
            run(first, 1);
            run(second, 1);
        }
    }

private:
    // A line the reading passes over although it holds text: the layout has
    // `want` there. Empty lines change nothing and are let be.
    void notRead(std::string_view want) {
        const std::string_view got = trimBlanks(current());
        if (got.empty()) return;
        depart(got, "the layout has " + std::string(want) + " here; found " + quotedText(got) +
                        ", which is not read");
    }
    // A name, a flavor or the message line that ends a flavor list: the
    // lines before it are the head (and the empty line after the names).
    static bool endsNames(std::string_view line) {
        return classify(line).kind != FlavorDefLine::Kind::Other ||
               trimBlanks(line).starts_with("ERROR");
    }
    static bool isPointHeader(std::string_view line) {
        return line == kVerticesHeader || line == kNormalsHeader;
    }
    // Passes lines up to the next one for which `stop` holds, which is not
    // taken, comparing those passed with `expected` in order; a line past
    // them that holds text is not read (the layout has `want` there). At
    // the stop line, an expected line not met is named. False at the end
    // of the file.
    template <class Stop>
    bool passTo(const std::vector<Expected>& expected, Stop stop, std::string_view want) {
        std::vector<PassedLine> passed;
        std::size_t dropped = 0;
        for (const std::string* l; (l = peek());) {
            if (stop(*l)) {
                alignPassed(expected, passed, dropped, lineNumber() + 1, *l);
                return true;
            }
            take();
            if (passed.size() < kAlignedLines)
                passed.push_back({lineNumber(), current()});
            else
                dropped += !trimBlanks(current()).empty();
        }
        // At the end of the file: the lines the layout has there, then
        // lines it does not have, named by the first and how many follow.
        for (std::size_t i = 0; i < passed.size(); ++i) {
            if (i < expected.size()) {
                compareLine(passed[i].text, passed[i].line, expected, i, false);
            } else if (!trimBlanks(passed[i].text).empty()) {
                const std::size_t more =
                    dropped + static_cast<std::size_t>(std::count_if(
                                  passed.begin() + static_cast<std::ptrdiff_t>(i) + 1, passed.end(),
                                  [](const PassedLine& p) { return !trimBlanks(p.text).empty(); }));
                departAt(
                    passed[i].line, 1, passed[i].text,
                    "the layout has " + std::string(want) + " here; found " +
                        quotedText(trimBlanks(passed[i].text)) +
                        (more == 0 ? ", which is not read"
                                   : "; it and " + numberText(more) + " more lines are not read"));
                break;
            }
        }
        return false;
    }
    // Passes the lines before the next point header, comparing them with
    // the layout's (two empty lines stand before "NORMALS:"); false at the
    // end of the file.
    bool begins(const std::vector<PointSection>&) {
        std::vector<Expected> expected = resync();
        for (std::size_t k = 0; const std::string* l = peek(k); ++k)
            if (isPointHeader(*l)) {
                if (*l == kNormalsHeader) expected.insert(expected.end(), 2, Expected{});
                break;
            }
        return passTo(expected, isPointHeader,
                      "a point line or a section header (\"VERTICES:\", \"NORMALS:\")");
    }
    bool pointFollows() {
        const std::string* l = peek();
        return l && !l->empty() && !isPointHeader(*l);
    }
    // The names section, when the next line that is not passed over is a
    // name line; the lines passed are compared with the layout's head.
    bool begins(const std::vector<std::vector<std::string>>& sections) {
        if (!sections.empty()) return false;
        const std::vector<Expected> expected = resync();
        if (!passTo(
                expected,
                [](std::string_view line) {
                    return classify(line).kind != FlavorDefLine::Kind::Other;
                },
                "a \"FILE\" line or a flavor line"))
            return false;
        return classify(*peek()).kind == FlavorDefLine::Kind::Name;
    }

    template <class T>
    std::optional<T> leadingInteger(std::string_view text) const {
        return roundTo<T>(LeadingNumber(text));
    }
    std::int32_t coordinate(std::string_view text) const {
        const auto n = leadingInteger<std::int32_t>(text);
        if (!n) fail("coordinate " + quoted(text) + " out of the 32-bit range");
        return *n;
    }
    // A value that the layout writes as a plain integer.
    void plain(std::string_view text, std::string_view what, std::int32_t value) const {
        if (!isPlainInteger(text))
            depart(text, "the layout has a whole number here (" + std::string(what) + "); found " +
                             quotedText(text) + ", read as " + numberText(value));
    }
    // The next word as a coordinate; a line that ends before it fails.
    std::int32_t coordinate(Tokens& tokens, std::string_view what) const {
        if (const auto n = tokens.int32()) return *n;
        const auto word = tokens.word();
        if (!word) fail("a line needs a number and x, y, z");
        const std::int32_t value = coordinate(*word);
        plain(*word, what, value);
        return value;
    }

    // A flavor line: the old offset, then the values of the type's layout.
    // The values that shape the layout are read as they are taken, the
    // others once the last has taken the rest of the line.
    Flavor flavor(const FlavorDefLine& l, std::size_t index) {
        if (index == kMaxEntries) fail("more than 32768 flavor lines");
        const std::string_view tag = flavorTag(l.type);
        Tokens tokens(l.rest);
        const auto offset = tokens.word();
        if (!offset) fail("flavor line without its offset");
        const auto oldOffset = leadingInteger<std::int32_t>(*offset);
        if (!oldOffset) fail("offset " + quoted(*offset) + " out of the 32-bit range");
        plain(*offset, "the offset", *oldOffset);
        const std::string_view afterOffset = tokens.rest();
        taken_.clear();
        tokens_ = &tokens;
        type_ = l.type;
        if (const auto kind = walkFlavorBody(l.type, *this))
            fail(std::string(tag) + " kind " + numberText(*kind) + " has no layout");
        const std::string_view rest = tokens.rest();
        if (!rest.empty() && !taken_.empty() && !taken_.back().number) {
            std::string_view& last = taken_.back().text;
            last = std::string_view(
                last.data(), static_cast<std::size_t>(rest.data() + rest.size() - last.data()));
        }
        Flavor f{l.type, *oldOffset, {}};
        f.values.reserve(taken_.size());
        for (std::size_t i = 0; i < taken_.size(); ++i) {
            const Taken& t = taken_[i];
            const std::int32_t value = t.number ? *t.number : number(t.field, t.text);
            f.values.push_back({value, t.field});
            if (t.text.find(' ') != std::string_view::npos)
                depart(t.text, "the layout has " + numberText(taken_.size()) +
                                   " values after the "
                                   "offset of this " +
                                   std::string(tag) +
                                   "; found more: the last is "
                                   "read from " +
                                   quotedText(t.text) + " as " + numberText(value));
            else
                plain(t.text, std::string(tag) + " value " + numberText(i + 1), value);
        }
        if (!rest.empty() && (taken_.empty() || taken_.back().number))
            depart(rest, "the layout has " + numberText(taken_.size()) +
                             " values after the offset of this " + std::string(tag) +
                             "; found more, and " + quotedText(rest) + " is not read");

        std::string words(tag);
        (words += ' ') += *offset;
        if (l.type == 4 && !afterOffset.empty()) (words += ' ') += afterOffset;
        for (std::uint8_t position : kShownValues[static_cast<std::size_t>(l.type)]) {
            if (position == 0) break;
            (words += ' ') += taken_[position - 1u].text;
        }
        renumberedFlavors.push_back({std::move(words), flavorsLength_});
        flavorsLength_ += flavorSize(f);
        if (flavorsLength_ > kMaxInt32) fail("flavors beyond 32-bit offsets");
        return f;
    }
    std::string_view word() {
        const auto w = tokens_->word();
        if (!w)
            fail(std::string(flavorTag(type_)) + " line ends after " + numberText(taken_.size()) +
                 " values; its layout needs more");
        return *w;
    }
    std::int32_t number(Field field, std::string_view text) const {
        const std::optional<std::int32_t> n =
            field.width == 2  ? std::optional<std::int32_t>(leadingInteger<std::int16_t>(text))
            : field.wholeText ? wholeInteger<std::int32_t>(text)
                              : leadingInteger<std::int32_t>(text);
        if (!n)
            fail(std::string(flavorTag(type_)) + " value " + quoted(text) +
                 (field.wholeText    ? " is not a number that fits 32 bits"
                  : field.width == 2 ? " out of the 16-bit range"
                                     : " out of the 32-bit range"));
        return *n;
    }

public:
    std::vector<RenumberedPoints> renumberedPoints;
    std::vector<RenumberedFlavor> renumberedFlavors;
    ObjectPlaces* places = nullptr;  // noted when asked for

private:
    bool seenVertices_ = false;
    bool seenNormals_ = false;
    std::int64_t namesLength_ = 1;  // the end mark
    // Where the next flavor lands: after the root field and the flavors before it.
    std::int64_t flavorsLength_ = kFirstFlavorOffset;
    Tokens* tokens_ = nullptr;
    int type_ = 0;
    std::vector<Taken> taken_;
};

// Lists an object's records as named fields through the layouts of
// vertex.def and flavor.def. Groups: vertices and normals by key (a key on
// two lines keeps both, the second as "vertex 17 (2)"), file names, and
// flavors, named by their offset and type, a reference to a flavor by the
// position of the flavor it refers to.
class ObjFieldLister {
public:
    explicit ObjFieldLister(TreeRecord& root) : root_(root) {
        root_.place = "Object";
        root_.groups.resize(4);
        root_.groups[0].matching = root_.groups[1].matching = Matching::Key;
        root_.referred = 3;
    }

    template <class T, class Body>
    void repeat(std::vector<T>& items, Body body) {
        for (T& item : items) body(item);
    }
    void line(std::string_view) {}
    void blank(int = 1) {}
    void pointHeader(const PointSection&) {}
    void points(const PointSection& s) {
        TreeGroup& g = root_.groups[s.normals];
        g.records.reserve(g.records.size() + s.points.size());
        // Keys on two lines are numbered; most objects have none.
        std::vector<std::int32_t> keys;
        for (const Point& p : s.points) keys.push_back(p[0]);
        std::sort(keys.begin(), keys.end());
        const bool twice = std::adjacent_find(keys.begin(), keys.end()) != keys.end();
        for (const Point& p : s.points) {
            const std::size_t seen =
                twice || !keys_[s.normals].empty() ? ++keys_[s.normals][p[0]] : 1;
            TreeRecord& r = g.records.emplace_back();
            r.key = numberText(p[0]) + (seen > 1 ? "#" + numberText(seen) : "");
            r.place = (s.normals ? "normal " : "vertex ") + numberText(p[0]) +
                      (seen > 1 ? " (" + numberText(seen) + ")" : "");
            r.fields.reserve(3);
            r.add("X", p[1]);
            r.add("Y", p[2]);
            r.add("Z", p[3]);
        }
    }
    void names(const std::vector<std::string>& names) {
        TreeGroup& g = root_.groups[2];
        for (const std::string& name : names) {
            TreeRecord& r = g.records.emplace_back();
            r.place = "file name " + numberText(g.records.size());
            r.add("", name);
        }
    }
    void flavors(const std::vector<Flavor>& flavors) {
        // Offsets to positions, whatever offsets a definition file gives.
        std::vector<Renumbering::Entry> entries;
        entries.reserve(flavors.size());
        for (std::size_t i = 0; i < flavors.size(); ++i)
            entries.push_back({flavors[i].offset, static_cast<std::int32_t>(i)});
        const Renumbering positions(std::move(entries));
        root_.groups[3].records.reserve(flavors.size());
        for (const Flavor& f : flavors) {
            TreeRecord& r = root_.groups[3].records.emplace_back();
            r.shape = flavorTag(f.type);
            r.referredAs = numberText(f.offset);
            r.place = "flavor " + r.referredAs + " (" + r.shape + ")";
            r.fields.reserve(f.values.size());
            for (std::size_t i = 0; i < f.values.size(); ++i) {
                TreeField& field = r.add("value " + numberText(i + 1), f.values[i].number);
                if (f.values[i].field.ref != Ref::Flavor) continue;
                if (const auto to = positions.find(f.values[i].number)) field.ref = *to;
            }
        }
        TreeField& root = root_.add("Root", rootOffset);
        if (const auto to = positions.find(rootOffset)) {
            root.ref = *to;
            // The compiler makes the last flavor the root.
            root.derived = static_cast<std::size_t>(*to) + 1 == flavors.size();
        }
    }
    void unsupported(const std::optional<Unsupported>& u) {
        if (u)
            root_.add("flavors end",
                      unsupportedMessage(*u) + " at offset " + numberText(u->offset));
    }
    void end() {}

    std::int32_t rootOffset = 0;

private:
    TreeRecord& root_;
    // Keys by how often they were seen, in a tree: any keys a file holds
    // cost the same few steps.
    std::map<std::int32_t, std::size_t> keys_[2];
};

template <class IO>
void head(IO& io, std::string_view sections) {
    io.line("REM  Z5 DEF V1.0");
    io.line("REM  Z5 Vertex File");
    io.line(sections);
    io.blank(2);
}

// Every line of vertex.def, in order: the sections as the object holds them.
template <class IO>
void vertexLayout(IO& io, Object& o) {
    head(io, "REM  Includes PERP and MRON Sections");
    io.repeat(o.points, [&io](PointSection& s) {
        io.pointHeader(s);
        io.points(s);
    });
    io.end();
}

// Every line of flavor.def, in order.
template <class IO>
void flavorLayout(IO& io, Object& o) {
    head(io, "REM  Includes NRTS and PRIM Sections");
    io.repeat(o.names, [&io](std::vector<std::string>& names) {
        io.names(names);
        io.blank();
    });
    io.flavors(o.flavors);
    io.unsupported(o.unsupported);
}

}  // namespace

std::string unsupportedMessage(const Unsupported& u) {
    if (!u.kind) return u.type == 1 ? "ERROR FLAVOR 1" : "ERROR - Flavor " + numberText(u.type);
    const std::int32_t kind = *u.kind;
    const bool named = kind >= 6 && kind <= 11;
    if (u.type == 2) return named ? "ERROR Flavor 2 T" + numberText(kind) : "ERROR Flavor 2 ELSE";
    if (kind == 2 || kind == 3) return "ERROR - Flavor 5 Type " + numberText(kind);
    return named ? "ERROR Flavor 5 T" + numberText(kind) : "ERROR - Flavor 5 Type ELSE";
}

void appendPointLine(std::string& line, const Point& p) {
    appendNumber(line, p[0], kKeyColumn);
    for (std::size_t axis = 1; axis < p.size(); ++axis) appendNumber(line, p[axis], kValueColumn);
}

void printVertexDef(TextWriter& def, const Object& object) {
    ObjPrinter printer(def);
    vertexLayout(printer, const_cast<Object&>(object));  // the printer only reads
}

void printFlavorDef(TextWriter& def, const Object& object) {
    ObjPrinter printer(def);
    flavorLayout(printer, const_cast<Object&>(object));
}

TreeRecord objectFields(const Object& object) {
    TreeRecord root;
    ObjFieldLister lister(root);
    lister.rootOffset = object.root;
    vertexLayout(lister, const_cast<Object&>(object));  // the lister only reads
    flavorLayout(lister, const_cast<Object&>(object));
    return root;
}

namespace {

// Takes a flavor's values from its record in the order of its layout, and
// tags each with its field.
class BodyTaker : public FieldByField<BodyTaker> {
public:
    static constexpr CountUse countUse = CountUse::Stored;
    BodyTaker(const TreeRecord& record, std::vector<Value>& values)
        : record_(record), values_(values) {}

    std::int32_t decide(Field field) {
        if (next_ == record_.fields.size()) fail("more values than the record holds");
        const auto v = static_cast<std::int32_t>(record_.fields[next_++].number);
        values_.push_back({v, field});
        return v;
    }
    [[noreturn]] void fail(std::string_view what) const {
        throw CommandFailure(record_.place +
                             ": the values do not fit the flavor's layout: " + std::string(what));
    }
    bool complete() const { return next_ == record_.fields.size(); }

private:
    const TreeRecord& record_;
    std::vector<Value>& values_;
    std::size_t next_ = 0;
};

}  // namespace

Object objectOfFields(const TreeRecord& fields, Object object) {
    if (object.unsupported)
        throw CommandFailure("its flavor list stops at a flavor without a layout");
    std::size_t sections[2] = {0, 0};
    for (const PointSection& s : object.points) ++sections[s.normals];
    if (sections[0] > 1 || sections[1] > 1 || object.names.size() > 1)
        throw CommandFailure("it has two sections of one kind");
    for (const bool normals : {false, true}) {
        const auto& records = fields.groups.at(normals).records;
        if (records.size() > kMaxEntries)
            throw CommandFailure(
                tooMany(records.size(), normals ? "normals" : "vertices", "a section"));
        auto section =
            std::find_if(object.points.begin(), object.points.end(),
                         [normals](const PointSection& s) { return s.normals == normals; });
        if (section == object.points.end()) {
            if (records.empty()) continue;
            section = object.points.insert(normals ? object.points.end() : object.points.begin(),
                                           PointSection{normals, {}});
        }
        section->points.clear();
        for (const TreeRecord& r : records) {
            Point& p = section->points.emplace_back();
            p[0] = std::stoi(r.key.substr(0, r.key.find('#')));
            for (std::size_t axis = 1; axis < p.size(); ++axis)
                p[axis] = static_cast<std::int32_t>(r.fields.at(axis - 1).number);
        }
    }
    const auto& names = fields.groups.at(2).records;
    if (object.names.empty() && !names.empty()) object.names.emplace_back();
    if (!object.names.empty()) {
        object.names[0].clear();
        std::int64_t length = 1;  // the end mark
        for (const TreeRecord& r : names) {
            length += static_cast<std::int64_t>(r.fields.at(0).text.size()) + 1;
            object.names[0].push_back(r.fields.at(0).text);
        }
        if (length > kMaxNamesLength) throw CommandFailure(namesTooLong(length));
    }
    // Each flavor placed after the one before it; then the references.
    const auto& flavors = fields.groups.at(3).records;
    if (flavors.size() > kMaxEntries)
        throw CommandFailure(tooMany(flavors.size(), "flavors", "a flavor list"));
    object.flavors.clear();
    std::vector<std::int32_t> offsets;
    std::int64_t at = kFirstFlavorOffset;
    for (const TreeRecord& r : flavors) {
        Flavor& f = object.flavors.emplace_back();
        f.type = flavorTypeOfTag(r.shape);
        f.offset = static_cast<std::int32_t>(at);
        offsets.push_back(f.offset);
        BodyTaker taker(r, f.values);
        if (walkFlavorBody(f.type, taker) || !taker.complete())
            taker.fail("fewer values than the record holds");
        at += flavorSize(f);
        if (at > kMaxInt32) throw CommandFailure("flavors beyond 32-bit offsets");
    }
    const auto offsetOf = [&offsets](const TreeField& field) {
        return field.ref >= 0 && static_cast<std::size_t>(field.ref) < offsets.size()
                   ? offsets[static_cast<std::size_t>(field.ref)]
                   : static_cast<std::int32_t>(field.number);
    };
    for (std::size_t i = 0; i < flavors.size(); ++i)
        for (std::size_t v = 0; v < object.flavors[i].values.size(); ++v)
            if (object.flavors[i].values[v].field.ref == Ref::Flavor)
                object.flavors[i].values[v].number = offsetOf(flavors[i].fields[v]);
    const TreeField& root = fields.fields.at(0);
    object.root = root.derived && !offsets.empty() ? offsets.back() : offsetOf(root);
    return object;
}

std::vector<RenumberedPoints> parseVertexDef(TextReader& def, Object& object,
                                             ObjectPlaces* places) {
    ObjParser parser(def);
    parser.places = places;
    vertexLayout(parser, object);
    return std::move(parser.renumberedPoints);
}

std::vector<RenumberedFlavor> parseFlavorDef(TextReader& def, Object& object,
                                             ObjectPlaces* places) {
    ObjParser parser(def);
    parser.places = places;
    flavorLayout(parser, object);
    return std::move(parser.renumberedFlavors);
}

}  // namespace z5::object3d
