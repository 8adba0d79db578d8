// stg.def: the layout of the text, declared once and walked by a printer
// (decompile) and a parser (compile).
#include "textfmt/deftext.hpp"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <initializer_list>
#include <type_traits>

#include "platform/display.hpp"
#include "platform/paths.hpp"
#include "setup/setup.hpp"
#include "textfmt/columns.hpp"
#include "textfmt/numbers.hpp"
#include "textfmt/printform.hpp"

namespace z5::setup {
namespace {

constexpr std::size_t kColumn = 6;             // each value right-justified in 6 characters
constexpr std::size_t kMaxLineLength = 32767;  // positions in a line are 16-bit
constexpr std::size_t kCamberGap = 12;         // blanks for the empty LR and RR columns

// How a field is shown and read back.
enum class Form {
    Whole,
    Hundredths,  // camber and gears: two decimals, read in single precision
    Decimal,     // rear spoiler and fuel: hundredths in their shortest form, double precision
};

// Hundredths as decimal text: two decimals and no zero before the point
// (250 "2.50", 50 ".50", -125 "-1.25", 0 ".00"), or in the shortest form
// (1250 "12.5", 100 "1", 7 "0.07").
std::string decimalText(std::int32_t hundredths, Form form) {
    const std::int64_t magnitude = std::abs(std::int64_t{hundredths});
    const auto digit = [](std::int64_t d) { return static_cast<char>('0' + d); };
    std::string text = hundredths < 0 ? "-" : "";
    if (magnitude >= 100 || form == Form::Decimal) text += numberText(magnitude / 100);
    std::string cents = {'.', digit(magnitude % 100 / 10), digit(magnitude % 10)};
    if (form == Form::Decimal) {
        while (cents.back() == '0') cents.pop_back();
        if (cents == ".") cents.clear();
    }
    return text + cents;
}

// A row as the printer writes it: the label, then each field in a column of
// 6 (a longer value runs into the one before it); `gap` blanks follow the
// first.
std::string rowText(const SetupRecord& record, std::string_view label, Form form,
                    std::initializer_list<std::size_t> fields, std::size_t gap) {
    std::string text(label);
    for (const std::size_t* f = fields.begin(); f != fields.end(); ++f) {
        if (f == fields.begin() + 1) text.append(gap, ' ');
        const std::int32_t v = record[*f];
        appendColumn(text, form == Form::Whole ? numberText(v) : decimalText(v, form), kColumn);
    }
    return text;
}

class StgPrinter : public DefPrinter {
public:
    using DefPrinter::DefPrinter;

    void names(Setup& setup) { line(setup.folderName + "     " + setup.name); }

    void row(SetupRecord& record, std::string_view label, Form form,
             std::initializer_list<std::size_t> fields, std::size_t gap,
             std::initializer_list<std::string_view> = {}) {
        line(rowText(record, label, form, fields, gap));
    }

    // A byte 0 shows as ".".
    void comment(Setup& setup) {
        std::string text = setup.comment;
        std::replace(text.begin(), text.end(), '\0', '.');
        line(text);
    }
    void end() {}
};

// Reads each row by dropping as many words as its label has, then taking a
// blank-separated token for every value but the last, which is the rest of
// the line: a value too long for its column runs into its neighbour and the
// two read as one token. A row departs from the layout when its values are
// not one word each, unless it is the very line the printer writes for the
// values read (where a value ran into its neighbour).
class StgParser : public DefParser {
public:
    explicit StgParser(TextReader& def) : DefParser(def, kMaxLineLength) {}

    // The setup name is line 2 after its first blank, trimmed; it names the
    // output, and its first 8 characters, none a blank, are the base name.
    void names(Setup& setup) {
        const std::string text = next("the setup name");
        const std::size_t blank = text.find(' ');
        setup.name = trimBlanks(std::string_view(text).substr(blank == text.npos ? 0 : blank + 1));
        requirePlainName(setup.name, name() + ":" + std::to_string(lineNumber()) + ": setup name");
        const std::size_t stored = std::min(setup.name.size(), kBaseNameBytes);
        if (setup.name.find(' ') < stored)
            fail("setup name \"" + displayName(setup.name) +
                 "\" has a blank among its first 8 characters");
        std::copy_n(setup.name.begin(), stored, setup.baseName.begin());
    }

    void row(SetupRecord& record, std::string_view label, Form form,
             std::initializer_list<std::size_t> fields, std::size_t gap,
             std::initializer_list<std::string_view> columns = {}) {
        const std::string_view name = trimBlanks(label);
        const std::string& text = next("the " + std::string(name) + " line");
        Tokens values(text);
        for (Tokens words(label); const auto word = words.word();) {
            const std::string_view found = values.next();
            if (found != *word && !labelDeparted_) {
                labelDeparted_ = true;
                depart(found, "the layout has the label " + quotedText(name) + " here; found " +
                                  quotedText(trimBlanks(text).substr(
                                      0, std::min(trimBlanks(text).size(), name.size()))));
            }
        }
        labelDeparted_ = false;
        // The words after the label, and the first one past the layout's.
        std::size_t words = 0;
        std::string_view surplus = values.rest();
        for (Tokens count(values.rest()); const auto word = count.word();)
            if (words++ == fields.size()) surplus = *word;
        const auto* column = columns.begin();
        for (const std::size_t* f = fields.begin(); f != fields.end(); ++f) {
            const std::string what =
                std::string(name) + (column != columns.end() ? " " + std::string(*column++) : "");
            const bool last = f + 1 == fields.end();
            record[*f] =
                field(last ? values.rest() : values.next(), form, what, words == fields.size());
        }
        if (words != fields.size() && text != rowText(record, label, form, fields, gap))
            depart(surplus, "the layout has " + std::to_string(fields.size()) +
                                (fields.size() == 1 ? " value" : " values") + " after " +
                                quotedText(name) + "; found " + std::to_string(words) +
                                (words > fields.size() ? ": the last value takes the rest" : ""));
    }

    // The comment's last character becomes its terminating byte 0 (which the
    // printer shows as "."); an empty line is no comment.
    void comment(Setup& setup) {
        setup.comment = next("the comment line");
        if (!setup.comment.empty()) setup.comment.back() = '\0';
    }
    // Lines after the comment are not read.
    void end() { finishNamingExtra("with the comment line"); }

private:
    // Far beyond what a 32-bit field holds in hundredths, and well inside
    // the range of a float.
    static constexpr double kBeyondAnyField = 1e12;

    // A value as the reading by position takes it; `compared`: a text that is not
    // written as the layout writes it is a departure.
    std::int32_t field(std::string_view text, Form form, const std::string& what,
                       bool compared) const {
        std::int32_t value = 0;
        if (form == Form::Whole) {
            value = integerAsRead(text, what);
        } else {
            const double number = LeadingNumber(text);
            if (form == Form::Decimal) {
                value = rounded(number * 100.0, text, what);
            } else {
                // Single precision twice: the number, then the number times
                // 100. The product of a float and 100 is exact in a double,
                // so one conversion rounds it as a single multiplication
                // would. A number beyond any field is taken as infinite
                // before a float could overflow.
                const float a =
                    std::fabs(number) < kBeyondAnyField ? static_cast<float>(number) : INFINITY;
                value = rounded(static_cast<float>(static_cast<double>(a) * 100.0), text, what);
            }
        }
        const bool plain = form == Form::Whole ? isPlainInteger(text) : isPlainDecimal(text);
        if (compared && !plain)
            depart(text, "the layout has " +
                             std::string(form == Form::Whole ? "a whole number"
                                                             : "a number with a full stop") +
                             " here (" + what + "); found " +
                             (text.empty() ? std::string("nothing") : quotedText(text)) +
                             ", read as " +
                             (form == Form::Whole ? numberText(value) : decimalText(value, form)));
        return value;
    }

    bool labelDeparted_ = false;
};

// Lists a setup as records of named fields, or (`Set`) sets one from such
// records. A row is a record named by its label, its values by their
// columns ("Gears: 3rd"); a row whose label is indented belongs to the line
// above it that is not ("Weight Jack: Rear"). Line 2's folder is no field:
// the name is the one the setup stores.
template <bool Set>
class StgFieldWalker {
public:
    using Root = std::conditional_t<Set, const TreeRecord, TreeRecord>;

    explicit StgFieldWalker(Root& root) : root_(root) {}

    void line(std::string_view text) {
        if (!text.empty() && text.front() != ' ') {
            heading_ = trimBlanks(text);
            if (heading_.ends_with(':')) heading_.pop_back();
        }
    }
    void blank(int = 1) {}
    void names(Setup& setup) {
        if constexpr (Set) {
            setup.name = record("Name").fields.at(0).text.substr(0, kBaseNameBytes);
            setup.baseName.fill(0);
            std::copy(setup.name.begin(), setup.name.end(), setup.baseName.begin());
        } else {
            const auto& b = setup.baseName;
            record("Name").add("", std::string(b.begin(), std::find(b.begin(), b.end(), 0)));
        }
    }
    void row(SetupRecord& values, std::string_view label, Form form,
             std::initializer_list<std::size_t> fields, std::size_t,
             std::initializer_list<std::string_view> columns = {}) {
        const bool indented = label.front() == ' ';
        Root& r = record(indented ? heading_ : std::string(trimBlanks(label)));
        const auto* column = columns.begin();
        for (const std::size_t f : fields) {
            if constexpr (Set) {
                values[f] = static_cast<std::int32_t>(r.fields.at(field_++).number);
            } else {
                const std::int32_t v = values[f];
                r.add(indented                  ? std::string(trimBlanks(label))
                      : column != columns.end() ? std::string(*column++)
                                                : std::string(),
                      form == Form::Whole ? numberText(v) : decimalText(v, form), v);
            }
        }
    }
    // The comment as its bytes.
    void comment(Setup& setup) {
        if constexpr (Set)
            setup.comment = record(heading_).fields.at(0).text;
        else
            record(heading_).add("", setup.comment);
    }
    void end() {}

private:
    // The record `place`: the last one when it has that name, else the next.
    Root& record(const std::string& place) {
        if (!last_ || last_->place != place) {
            field_ = 0;
            if constexpr (Set) {
                last_ = &root_.groups.at(0).records.at(next_++);
            } else {
                if (root_.groups.empty()) root_.groups.emplace_back().matching = Matching::Position;
                last_ = &root_.groups[0].records.emplace_back();
                last_->place = place;
            }
        }
        return *last_;
    }

    Root& root_;
    Root* last_ = nullptr;
    std::size_t next_ = 0, field_ = 0;
    std::string heading_;
};

// Every line of stg.def, in order; the comment is line 37.
template <class IO>
void layout(IO& io, Setup& setup) {
    using namespace field;
    const auto row = [&](std::string_view label, Form form,
                         std::initializer_list<std::size_t> fields, std::size_t gap = 0,
                         std::initializer_list<std::string_view> columns = {}) {
        io.row(setup.record, label, form, fields, gap, columns);
    };
    const std::initializer_list<std::string_view> kWheels = {"LF", "LR", "RR", "RF"};
    io.line("Torvex 3 Setup File");
    io.names(setup);
    io.blank(2);
    // Tyre rows show LF, LR, RR, RF; the fields are stored RF to LF.
    io.line("                   LF    LR    RR    RF");
    row("Tire Pressure  ", Form::Whole,
        {TirePressureRF + 3, TirePressureRF + 2, TirePressureRF + 1, TirePressureRF}, 0, kWheels);
    row("Shocks         ", Form::Whole, {ShocksRF + 3, ShocksRF + 2, ShocksRF + 1, ShocksRF}, 0,
        kWheels);
    row("Camber         ", Form::Hundredths, {CamberLF, CamberRF}, kCamberGap, {"LF", "RF"});
    io.blank();
    io.line("                  1st   2nd   3rd   4th");
    row("Gears          ", Form::Hundredths, {Gears1st, Gears1st + 1, Gears1st + 2, Gears1st + 3},
        0, {"1st", "2nd", "3rd", "4th"});
    io.blank();
    io.line("Weight Jack");
    row("  Rear         ", Form::Whole, {WeightJackRear});
    row("  Left         ", Form::Whole, {WeightJackLeft});
    row("  Wedge        ", Form::Whole, {WeightJackWedge});
    io.blank();
    io.line("Sway Bars");
    row("  Front        ", Form::Whole, {SwayBarsFront});
    row("  Rear         ", Form::Whole, {SwayBarsRear});
    io.line("Sway Bar Key:");
    for (std::string_view key :
         {"       0 = 7/8", "      16 = 15/16", "      33 = 1", "      50 = 1 1/16",
          "      66 = 1 1/8", "      83 = 1 3/16", "     100 = 1 1/4"})
        io.line(key);
    io.blank();
    row("Steering Lock  ", Form::Whole, {SteeringLock});
    row("Rear Spoiler   ", Form::Decimal, {RearSpoiler});
    row("Grille Tape    ", Form::Whole, {GrilleTape});
    io.blank();
    row("Fuel           ", Form::Decimal, {Fuel});
    io.blank();
    io.line("Comments:      ");
    io.comment(setup);
    io.end();
}

}  // namespace

Setup parseSetup(TextReader& def) {
    return parseLayout<StgParser, Setup>(def);
}

void printSetup(TextWriter& def, const Setup& setup) {
    printLayout<StgPrinter>(def, setup);
}

TreeRecord setupFields(const Setup& setup) {
    TreeRecord root;
    StgFieldWalker<false> lister(root);
    layout(lister, const_cast<Setup&>(setup));  // the lister only reads
    return root;
}

Setup setupOfFields(const TreeRecord& fields, Setup setup) {
    StgFieldWalker<true> setter(fields);
    layout(setter, setup);
    return setup;
}

}  // namespace z5::setup
