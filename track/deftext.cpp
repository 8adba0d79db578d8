// Trk.def: the layout of the text, declared once and walked by a printer
// (decompile) and a parser (compile).
#include "textfmt/deftext.hpp"

#include <algorithm>
#include <deque>
#include <map>
#include <span>
#include <tuple>

#include "platform/failure.hpp"
#include "textfmt/columns.hpp"
#include "textfmt/fieldtree.hpp"
#include "textfmt/printform.hpp"
#include "track/track.hpp"

namespace z5::track {
namespace {

constexpr std::string_view kHeaderMarker = "* HEADER *";
constexpr std::string_view kPointersMarker = "* POINTERS *";
constexpr std::string_view kSectionsMarker = "* SECTIONS *";
constexpr std::array<std::string_view, 3> kMarkers = {kHeaderMarker, kPointersMarker,
                                                      kSectionsMarker};

constexpr std::string_view kStraightHeader =
    "         Type            Start       Length  Orientation      Angle 1      Angle 2"
    "      Angle 3      Angle 4      Angle 5     Offset 1     Surfaces     Offset 2        Walls";
// Length and Orientation stand one column further right than for a straight.
constexpr std::string_view kTurnHeader =
    "         Type            Start        Length  Orientation     X Coord      Y Coord"
    "          Arc         NULL         NULL     Offset 1     Surfaces     Offset 2        Walls";
constexpr std::string_view kStraightBankingHeader =
    "         Height 1     Height 2     Height 3     Init Hgt        Val 1        Val 2"
    "      X Coord      Y Coord";
constexpr std::string_view kTurnBankingHeader =
    "         Height 1     Height 2     Height 3     Init Hgt        Val 1        Val 2"
    "       Radius         NULL";
constexpr std::string_view kSurfaceHeader = "            Start          End      Surface";
constexpr std::string_view kWallHeader =
    "         Wall Type       Start          End         NULL         NULL";

constexpr std::size_t kValueColumn = 13;        // values are right-justified in 13 characters
constexpr std::size_t kFixedColumn = 12;        // labelled values are read from the last 12
constexpr std::size_t kMaxBlankPosition = 255;  // blank positions in a row are 8-bit
constexpr std::size_t kMaxRowLength = 32767;

// Whether the compiler reads a labelled value or works it out itself.
enum class Value { Read, Derived };

// How many rows of one kind a section holds, and whether the compiler's
// limit on them applies.
struct RowGroup {
    std::string_view kind;  // "banking", "surface", "wall"
    std::size_t section;
    bool limited;
};

std::string what(const RowGroup& g, std::int32_t row) {
    return std::string(g.kind) + " row " + std::to_string(row + 1) + " of " +
           sectionName(g.section);
}

// Writes the values of a track.
class TrkPrinter : public DefPrinter {
public:
    using DefPrinter::DefPrinter;

    void marker(std::string_view title) { line(title); }
    void value(std::string_view label, std::int32_t& v, std::string_view, Value = Value::Read) {
        std::string text(label);
        appendNumber(text, v, kValueColumn);
        line(text);
    }
    void count(std::string_view label, std::int32_t& v, std::string_view) { value(label, v, {}); }
    void pointers(std::vector<std::int32_t>& pointers) {
        for (std::int32_t& p : pointers) value("Pointers:  ", p, {});
    }

    template <class Rows>
    void sized(Rows&, std::int32_t) {}

    void columnHeader(const SectionRecord& section) {
        const std::string_view header =
            section[kTypeField] == kStraightType ? kStraightHeader : kTurnHeader;
        line(header);
        line(rule(header));
    }
    void sectionRow(SectionRecord& section, std::size_t) {
        std::string text(section[kTypeField] == kStraightType ? "         Straight"
                                                              : "         Turn    ");
        for (std::int32_t v : std::span(section).subspan(1)) appendNumber(text, v, kValueColumn);
        line(text);
    }
    // `count` rows from `first`; rows a section claims past the end of the
    // block show as zeros.
    template <class Rows>
    void rows(Rows& all, std::size_t first, std::int32_t count, const RowGroup&) {
        for (std::int32_t i = 0; i < count; ++i) {
            const std::size_t at = first + static_cast<std::size_t>(i);
            std::string text(4, ' ');
            for (std::int32_t v : at < all.size() ? all[at] : typename Rows::value_type{})
                appendNumber(text, v, kValueColumn);
            line(text);
        }
    }
    void end() {}

    static std::string rule(std::string_view header) {
        return std::string(9, ' ') + std::string(header.size() - 9, '=');
    }
};

// The number of blank-separated words of a text.
std::size_t wordCount(std::string_view text) {
    std::size_t words = 0;
    for (std::size_t i = 0; i < text.size(); ++i)
        words += text[i] != ' ' && (i == 0 || text[i - 1] == ' ');
    return words;
}

bool isSectionTitle(std::string_view line) {
    return trimBlanks(line).starts_with("Section:");
}

// Reads the values of a track back where the printer put them: labelled
// values from the last 12 characters of their line, row values separated by
// any blanks; the three block markers are searched for, in their order.
// Every line passed is compared with the layout, and each departure
// reported; a count that disagrees with the rows after it is named at the
// count's line.
class TrkParser : public DefParser {
public:
    using DefParser::DefParser;

    void marker(std::string_view title) {
        const std::vector<Expected> expected = resync();
        // The block is found by its marker: the lines before it are compared
        // with the layout's, and none of them is read.
        std::vector<PassedLine> passed;
        std::size_t dropped = 0;
        while (take()) {
            const auto found = std::find(kMarkers.begin(), kMarkers.end(), current());
            if (found == kMarkers.end()) {
                if (passed.size() < kAlignedLines)
                    passed.push_back({lineNumber(), current()});
                else
                    dropped += !trimBlanks(current()).empty();
                continue;
            }
            const auto at = static_cast<std::size_t>(found - kMarkers.begin());
            if (*found != title)
                fail(at < seen_
                         ? "a second " + blockName(*found) + " block"
                         : blockName(*found) + " block before the " + blockName(title) + " block");
            seen_ = at + 1;
            alignPassed(expected, passed, dropped, lineNumber(), current(),
                        [title](std::string_view extra) {
                            return title == kSectionsMarker && extra.starts_with("Pointers:")
                                       ? ", a pointer line more than Segments says"
                                       : "";
                        });
            return;
        }
        throw CommandFailure(reader().name() + ": no \"" + std::string(title) + "\" line; the " +
                             blockName(title) + " block is missing");
    }

    void value(std::string_view label, std::int32_t& v, std::string_view what,
               Value use = Value::Read) {
        if (use == Value::Derived) return DefParser::label(label, kFixedColumn);
        next(what);
        v = labelled(label, kFixedColumn, what);
        if (places && label.starts_with("Length"))
            places->length = here(trimBlanks(lastColumns(current(), kFixedColumn)));
    }
    void count(std::string_view label, std::int32_t& v, std::string_view name) {
        value(label, v, "the " + std::string(name) + " line");
        check(v, name, 1);
        const std::string_view text = trimBlanks(lastColumns(current(), kFixedColumn));
        (name == "Segments" ? segments_ : eLines_) = here(text);
        if (name == "Segments") segmentsNote_ = countNote("Segments", segments_, v);
    }
    // One line per section; an empty line where the layout has a pointer
    // means fewer pointers than Segments says.
    void pointers(std::vector<std::int32_t>& pointers) {
        bool disagreed = false;
        for (std::size_t i = 0; i < pointers.size(); ++i) {
            const std::string what = "pointer " + std::to_string(i + 1);
            next(what);
            if (!disagreed && trimBlanks(current()).empty()) {
                disagreed = true;
                disagreeCount(segments_, segmentsNote_,
                              "Segments is " + std::to_string(pointers.size()) + "; " +
                                  std::to_string(i) + " pointer lines follow it");
                const std::string_view text = trimBlanks(lastColumns(current(), kFixedColumn));
                pointers[i] = integerAsRead(text, what);
                continue;
            }
            pointers[i] = labelled("Pointers:", kFixedColumn, what);
        }
    }
    template <class Rows>
    void sized(Rows& rows, std::int32_t count) {
        rows.resize(static_cast<std::size_t>(count));
    }

    // The column header of a section stands before its type is read: the
    // layout's header of either type is taken.
    void columnHeader(const SectionRecord&) {
        either(kStraightHeader, kTurnHeader);
        line(TrkPrinter::rule(kStraightHeader));
    }
    void sectionRow(SectionRecord& section, std::size_t s) {
        const std::string what = "the data row of " + sectionName(s);
        const std::string& text = next(what);
        const auto fields = tokens<std::tuple_size_v<SectionRecord>>(text, what);
        for (std::size_t i = 1; i < fields.size(); ++i) section[i] = field(fields, i, what);
        // Only the exact word marks a straight; any other first word is a turn.
        section[kTypeField] = fields[0] == "Straight" ? kStraightType : kTurnType;
        if (fields[0] != "Straight" && fields[0] != "Turn")
            depart(fields[0],
                   "the layout has the type word \"Straight\" or \"Turn\" here; found " +
                       (fields[0].empty() ? std::string("none") : quotedText(fields[0])) +
                       ", read as a turn");
        check(section[kSurfacesField], "Surfaces", -32767);
        check(section[kWallsField], "Walls", -32767);
        surfaces_ = here(fields[kSurfacesField]);
        walls_ = here(fields[kWallsField]);
        if (places) {
            places->starts.push_back(here(fields[1]));
            places->lengths.push_back(here(fields[2]));
        }
        quiet_ = false;
    }
    template <class Rows>
    void rows(Rows& all, std::size_t, std::int32_t count, const RowGroup& g) {
        constexpr std::size_t N = std::tuple_size_v<typename Rows::value_type>;
        const TextPlace& place = g.kind == "banking"   ? eLines_
                                 : g.kind == "surface" ? surfaces_
                                                       : walls_;
        const std::string_view countName = g.kind == "banking"   ? "# Elines"
                                           : g.kind == "surface" ? "Surfaces"
                                                                 : "Walls";
        const std::string note = countNote(countName, place, count);
        countForEarlyEnd(note);
        bool disagreed = false;
        for (std::int32_t i = 0; i < count; ++i) {
            if (g.limited && all.size() == kMaxCompiledRows)
                fail(sectionName(g.section) + " brings the definition past " +
                     std::to_string(kMaxCompiledRows) + " " + std::string(g.kind) + " rows");
            const std::string where = what(g, i);
            const std::string& text = next(where);
            if (!disagreed && trimBlanks(text).empty()) {
                disagreed = true;
                disagreeCount(place, note, rowsMessage(countName, count, g, i));
            }
            quiet_ = disagreed;
            const auto fields = tokens<N>(text, where);
            auto& row = all.emplace_back();
            for (std::size_t f = 0; f < N; ++f) row[f] = field(fields, f, where);
            quiet_ = false;
        }
        countForEarlyEnd(segmentsNote_);
        // Rows after the last one the count gives stand where the layout
        // has an empty line.
        if (disagreed) return;
        std::size_t more = 0;
        for (const std::string* l; (l = peek(more)) && !trimBlanks(*l).empty() && !isMarker(*l);)
            ++more;
        if (more > 0)
            disagreeCount(
                place, note,
                rowsMessage(countName, count, g,
                            static_cast<std::int64_t>(count) + static_cast<std::int64_t>(more)));
    }

    // What follows the last section is not read: more sections mean a
    // Segments that is too small.
    void end() {
        std::size_t sections = 0;
        long first = 0;
        std::string firstText;
        finish([&] {
            if (isSectionTitle(current())) ++sections;
            if (first == 0) {
                first = lineNumber();
                firstText = current();
            }
        });
        if (sections > 0)
            disagree(segments_,
                     "Segments is " + std::to_string(segmentCount_) + "; " +
                         std::to_string(static_cast<std::size_t>(segmentCount_) + sections) +
                         " sections follow, and those after section " +
                         std::to_string(segmentCount_) + " are not read");
        else if (first > 0)
            departAt(first, 1, firstText,
                     "the layout ends before this line; found " +
                         quotedText(trimBlanks(firstText)) + ", which is not read");
    }
    void sectionsCounted(std::int32_t count) {
        segmentCount_ = count;
        countForEarlyEnd(segmentsNote_);
    }

private:
    static std::string blockName(std::string_view marker) {
        return std::string(marker.substr(2, marker.size() - 4));
    }
    static bool isMarker(std::string_view line) {
        return std::find(kMarkers.begin(), kMarkers.end(), line) != kMarkers.end();
    }

    static std::string countNote(std::string_view name, const TextPlace& place,
                                 std::int32_t count) {
        return "; " + std::string(name) + " on line " + std::to_string(place.line) + " says " +
               std::to_string(count);
    }
    TextPlace here(std::string_view text) const {
        const long column =
            text.data() >= current().data() && text.data() <= current().data() + current().size()
                ? static_cast<long>(text.data() - current().data()) + 1
                : 1;
        return {lineNumber(), column, current()};
    }
    void disagree(const TextPlace& place, std::string message) const {
        departAt(place.line, place.column, place.text, std::move(message));
    }
    // A count that disagrees with the rows after it (`note` names it), named
    // at its line. The first one is what makes the reading run past the end
    // of the file, if it does: the rows after it are read out of place.
    void disagreeCount(const TextPlace& place, const std::string& note, std::string message) {
        if (firstDisagreement_.empty()) {
            firstDisagreement_ = note;
            noteForEarlyEnd(note);
        }
        disagree(place, std::move(message));
    }
    // The count the rows being read follow, named when the file ends early,
    // unless a count before it disagreed.
    void countForEarlyEnd(const std::string& note) {
        noteForEarlyEnd(firstDisagreement_.empty() ? note : firstDisagreement_);
    }
    static std::string rowsMessage(std::string_view countName, std::int32_t count,
                                   const RowGroup& g, std::int64_t found) {
        return std::string(countName) + " is " + std::to_string(count) + "; " +
               std::to_string(found) + " " + std::string(g.kind) + " rows follow in " +
               sectionName(g.section);
    }

    template <std::size_t N>
    std::int32_t field(const std::array<std::string_view, N>& fields, std::size_t i,
                       std::string_view what) const {
        const std::string name = std::string(what) + ", field " + std::to_string(i + 1);
        if (quiet_ || (i + 1 == N && surplus_)) return integerAsRead(fields[i], name);
        return integer(fields[i], name);
    }
    void check(std::int32_t value, std::string_view label, std::int32_t least) const {
        if (value < least || !countFits(value))
            fail(std::string(label) + " is " + std::to_string(value) + "; it must lie between " +
                 std::to_string(least) + " and 32768");
    }

    // Splits a row into N values: each of the first N - 1 is the text up to
    // the first blank of the trimmed rest (empty when the rest has no blank),
    // the last is the whole trimmed rest, so surplus values stay in the last
    // field. Columns may be any number of blanks apart. A row of another
    // number of values departs from the layout.
    template <std::size_t N>
    std::array<std::string_view, N> tokens(std::string_view row, std::string_view what) {
        if (row.size() > kMaxRowLength)
            fail(std::string(what) + ": the row is longer than " + std::to_string(kMaxRowLength) +
                 " characters");
        std::array<std::string_view, N> out;
        for (std::size_t i = 0; i + 1 < N; ++i) {
            row = trimBlanks(row);
            const std::size_t blank = row.find(' ');
            const std::size_t p = blank == std::string_view::npos ? 0 : blank + 1;
            if (p > kMaxBlankPosition)
                fail(std::string(what) + ": field " + std::to_string(i + 1) + " is longer than " +
                     std::to_string(kMaxBlankPosition - 1) + " characters");
            out[i] = trimBlanks(row.substr(0, p));
            row.remove_prefix(p);
        }
        out[N - 1] = trimBlanks(row);
        const std::size_t words = wordCount(current());
        surplus_ = words > N;
        if (!quiet_ && words != N) {
            std::string message = "the layout has " + std::to_string(N) + " values in " +
                                  std::string(what) + "; found " + std::to_string(words);
            if (words > N)
                message += ": the last value is read from " + quotedText(out[N - 1]) + " as " +
                           std::to_string(integerAsRead(out[N - 1], what));
            else if (words > 0)
                message += ": the values after value " + std::to_string(words - 1) +
                           " but the last are read as 0";
            depart(words > N ? out[N - 1] : std::string_view(), std::move(message));
            quiet_ = words == 0;
        }
        return out;
    }

public:
    TrackPlaces* places = nullptr;  // noted when asked for

private:
    std::size_t seen_ = 0;  // markers found so far
    TextPlace segments_, eLines_, surfaces_, walls_;
    std::int32_t segmentCount_ = 0;
    std::string segmentsNote_;
    std::string firstDisagreement_;  // the note of the first count that disagreed
    bool quiet_ = false;             // the row's values are not compared (its count was named)
    bool surplus_ = false;           // the row has more values than the layout
};

// Lists a track as records of named fields: the header (Segments and the
// block sizes, which the compiler works out, as derived values), a pointer
// record per section aligned as the sections are, and each section with
// its banking rows (by E-line), surfaces and walls. Each field carries the
// label of its column header.
class TrkFieldLister {
public:
    static constexpr bool printing = true;

    TrkFieldLister() {
        root.place = "Header";
        root.groups.resize(2);
        root.groups[0].alignedWith = 1;
        root.groups[0].quiet = true;
    }

    // A column header (indented nine blanks, not a rule) gives the labels
    // of the rows after it.
    void line(std::string_view text) {
        if (text.starts_with("         ") &&
            text.find_first_not_of(" =-") != std::string_view::npos)
            labels_ = &labelsOf(text);
    }
    void blank(int = 1) {}
    void marker(std::string_view) {}
    void value(std::string_view label, std::int32_t& v, std::string_view name,
               Value use = Value::Read) {
        // The ten E-lines share one label; each is named by its number.
        field(root, name.starts_with("E Line") ? name : label, v).derived = use == Value::Derived;
    }
    void count(std::string_view label, std::int32_t& v, std::string_view name) {
        field(root, label, v).derived = name == "Segments";
    }
    void pointers(std::vector<std::int32_t>& pointers) {
        for (std::size_t i = 0; i < pointers.size(); ++i) {
            TreeRecord& r = root.groups[0].records.emplace_back();
            r.place = "Section " + std::to_string(i + 1);
            r.add("Pointer", pointers[i]);
        }
    }
    template <class Rows>
    void sized(Rows&, std::int32_t) {}
    void columnHeader(const SectionRecord&) {}
    void sectionRow(SectionRecord& section, std::size_t s) {
        const bool straight = section[kTypeField] == kStraightType;
        TreeRecord& r = root.groups[1].records.emplace_back();
        r.place = "Section " + std::to_string(s + 1);
        const std::vector<std::string>& labels = labelsOf(straight ? kStraightHeader : kTurnHeader);
        r.fields.reserve(section.size());
        for (std::size_t i = 0; i < section.size(); ++i) {
            TreeField& f = r.add(labels[i], section[i]);
            f.derived = i == kSurfacesField || i == kWallsField;
            f.placed = i == kStartField;
        }
        r.fields[kTypeField].plain = false;
        r.fields[kTypeField].text = straight ? "Straight"
                                    : section[kTypeField] == kTurnType
                                        ? "Turn"
                                        : "Turn (type " + numberText(section[0]) + ")";
        r.shape = straight ? "straight" : "turn";
        r.summary = r.shape + ", Length " + r.fields[kLengthField].shown();
        r.groups.resize(3);
        r.groups[0].matching = Matching::Position;
    }
    template <class Rows>
    void rows(Rows& all, std::size_t first, std::int32_t count, const RowGroup& g) {
        TreeRecord& section = root.groups[1].records.back();
        const std::size_t group = g.kind == "banking" ? 0 : g.kind == "surface" ? 1 : 2;
        const std::string name = g.kind == "banking"   ? "Banking"
                                 : g.kind == "surface" ? "Surface"
                                                       : "Wall";
        const std::vector<std::string>& labels = *labels_;
        for (std::int32_t i = 0; i < count; ++i) {
            const std::size_t at = first + static_cast<std::size_t>(i);
            TreeRecord& r = section.groups[group].records.emplace_back();
            r.place = section.place + ": " + name + " " + std::to_string(i + 1);
            const auto row = at < all.size() ? all[at] : typename Rows::value_type{};
            r.fields.reserve(row.size());
            for (std::size_t f = 0; f < row.size(); ++f)
                r.add(f < labels.size() ? labels[f] : "Value " + std::to_string(f + 1), row[f]);
        }
    }
    void end() {}

    TreeRecord root;

private:
    static TreeField& field(TreeRecord& r, std::string_view label, std::int32_t v) {
        return r.add(std::string(trimBlanks(label.substr(0, label.find(':')))), v);
    }
    // Each header's labels, worked out once.
    const std::vector<std::string>& labelsOf(std::string_view header) {
        auto it = cache_.find(header);
        if (it == cache_.end()) it = cache_.emplace(header, headerLabels(header)).first;
        return it->second;
    }
    std::map<std::string, std::vector<std::string>, std::less<>> cache_;
    const std::vector<std::string>* labels_ = nullptr;
};

// Sets a track from records that TrkFieldLister lists: the values in the
// order of the layout, the counts and block sizes from the records.
class TrkFieldSetter {
public:
    static constexpr bool printing = false;

    explicit TrkFieldSetter(const TreeRecord& root) : root_(root) {}

    void line(std::string_view) {}
    void blank(int = 1) {}
    void marker(std::string_view) {}
    void value(std::string_view, std::int32_t& v, std::string_view, Value = Value::Read) {
        v = next();
    }
    void count(std::string_view, std::int32_t& v, std::string_view name) {
        v = next();
        if (name == "Segments") v = static_cast<std::int32_t>(root_.groups[1].records.size());
    }
    void pointers(std::vector<std::int32_t>& pointers) {
        const auto& records = root_.groups[0].records;
        if (records.size() != pointers.size())
            throw CommandFailure(std::to_string(records.size()) + " pointers for " +
                                 std::to_string(pointers.size()) + " sections");
        for (std::size_t i = 0; i < pointers.size(); ++i)
            pointers[i] = static_cast<std::int32_t>(records[i].fields.at(0).number);
    }
    template <class Rows>
    void sized(Rows& rows, std::int32_t count) {
        rows.resize(static_cast<std::size_t>(std::max(count, 0)));
    }
    void sectionsCounted(std::int32_t) {}
    void columnHeader(const SectionRecord&) {}
    void sectionRow(SectionRecord& section, std::size_t s) {
        const TreeRecord& r = root_.groups[1].records[s];
        for (std::size_t i = 0; i < section.size(); ++i)
            section[i] = static_cast<std::int32_t>(r.fields.at(i).number);
        // A count that still gives its rows stays as it was (a negative
        // count gives none).
        for (const auto& [field, group] : {std::pair{kSurfacesField, 1}, {kWallsField, 2}}) {
            const auto rows = static_cast<std::int32_t>(r.groups.at(group).records.size());
            if (std::max(section[field], 0) != rows) section[field] = rows;
        }
    }
    template <class Rows>
    void rows(Rows& all, std::size_t, std::int32_t count, const RowGroup& g) {
        const TreeRecord& section = root_.groups[1].records[g.section];
        const auto& records =
            section.groups.at(g.kind == "banking"   ? 0
                              : g.kind == "surface" ? 1
                                                    : 2)
                .records;
        if (records.size() != static_cast<std::size_t>(std::max(count, 0)))
            throw CommandFailure(section.place + ": " + std::to_string(records.size()) + " " +
                                 std::string(g.kind) + " rows where # Elines is " +
                                 std::to_string(count));
        for (const TreeRecord& r : records) {
            auto& row = all.emplace_back();
            for (std::size_t f = 0; f < row.size(); ++f)
                row[f] = static_cast<std::int32_t>(r.fields.at(f).number);
        }
    }
    void end() {}

private:
    std::int32_t next() { return static_cast<std::int32_t>(root_.fields.at(field_++).number); }
    const TreeRecord& root_;
    std::size_t field_ = 0;
};

// The rule under a column header: nine blanks, then "=" to the header's end.
std::string rule(std::string_view header) {
    return TrkPrinter::rule(header);
}

template <class IO>
void banner(IO& io, std::string_view title) {
    const std::string stars(title.size(), '*');
    io.line(stars);
    io.marker(title);
    io.line(stars);
    io.blank();
}

template <class IO>
void groupTitle(IO& io, std::string_view title, int blanksBefore) {
    io.blank(blanksBefore);
    io.line(std::string(9, ' ') + std::string(title));
    io.line(std::string(9, ' ') + std::string(title.size(), '-'));
    io.blank();
}

// A titled group of a section: title, column header and rule, then its rows.
template <class IO, class Rows>
void group(IO& io, std::string_view title, std::string_view header, Rows& rows, std::size_t first,
           std::int32_t count, const RowGroup& g) {
    groupTitle(io, title, 2);
    io.line(header);
    io.line(rule(header));
    io.rows(rows, first, count, g);
}

// Every line of Trk.def, in order.
template <class IO>
void layout(IO& io, Track& t) {
    TrackHeader& h = t.header;
    io.line("Z5 TRK Def File");
    io.line("All values are long integers");
    io.blank(2);
    banner(io, kHeaderMarker);
    // Version and both block sizes are the compiler's own.
    io.value("Version:   ", h.version, "the Version line", Value::Derived);
    io.value("Length:    ", h.length, "the Length line");
    io.count("# Elines:  ", h.eLines, "# Elines");
    io.count("Segments:  ", h.segments, "Segments");
    io.value("Section 2: ", h.section2, "the Section 2 line", Value::Derived);
    io.value("Section 3: ", h.section3, "the Section 3 line", Value::Derived);
    for (std::size_t i = 0; i < t.eLineTable.size(); ++i)
        io.value("E Line:    ", t.eLineTable[i], "E Line " + std::to_string(i + 1));
    io.blank(2);
    banner(io, kPointersMarker);
    io.sized(t.pointers, h.segments);
    io.pointers(t.pointers);
    io.blank(2);
    banner(io, kSectionsMarker);

    io.sized(t.sections, h.segments);
    if constexpr (!IO::printing) io.sectionsCounted(h.segments);
    std::size_t surfaceCursor = 0;
    std::size_t wallCursor = 0;
    for (std::size_t s = 0; s < t.sections.size(); ++s) {
        SectionRecord& section = t.sections[s];
        io.line("     Section: " + std::to_string(s + 1));
        groupTitle(io, "SECTION DATA:", 1);
        io.columnHeader(section);
        io.sectionRow(section, s);
        const bool straight = section[kTypeField] == kStraightType;

        group(io, "BANKING:", straight ? kStraightBankingHeader : kTurnBankingHeader, t.banking,
              s * static_cast<std::size_t>(h.eLines), h.eLines, {"banking", s, false});
        const std::int32_t surfaces = std::max(section[kSurfacesField], 0);
        group(io, "SURFACES:", kSurfaceHeader, t.surfaces, surfaceCursor, surfaces,
              {"surface", s, true});
        surfaceCursor += static_cast<std::size_t>(surfaces);
        const std::int32_t walls = std::max(section[kWallsField], 0);
        group(io, "WALLS:", kWallHeader, t.walls, wallCursor, walls, {"wall", s, true});
        wallCursor += static_cast<std::size_t>(walls);
        io.blank(2);
    }
    io.end();
}

}  // namespace

void printTrack(TextWriter& def, const Track& track) {
    printLayout<TrkPrinter>(def, track);
}

TreeRecord trackFields(const Track& track) {
    TrkFieldLister lister;
    layout(lister, const_cast<Track&>(track));  // the lister only reads
    return std::move(lister.root);
}

Track trackOfFields(const TreeRecord& fields) {
    TrkFieldSetter setter(fields);
    Track track;
    layout(setter, track);
    setBlockSizes(track);
    if (const auto why = unreadable(track)) throw CommandFailure(*why);
    return track;
}

Track parseTrack(TextReader& def, TrackPlaces* places) {
    TrkParser parser(def);
    parser.places = places;
    Track track;
    layout(parser, track);
    return track;
}

}  // namespace z5::track
