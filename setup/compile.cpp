#include <cmath>
#include <string>

#include "setup/format.hpp"
#include "setup/setup.hpp"
#include "textfmt/display.hpp"
#include "textfmt/numbers.hpp"
#include "textfmt/paths.hpp"

namespace z5 {
namespace {

using namespace setup;

// Positions and lengths in a line are 16-bit in this format's design.
constexpr std::size_t kMaxLineLength = 32767;

std::string_view trimBlanks(std::string_view text) {
    const std::size_t first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

// Reads the definition file by line number: values stand on fixed lines,
// and the lines between them are skipped unread.
class DefLines {
public:
    explicit DefLines(TextReader& def) : def_(def) {}

    // Line `number`, counted from 1, after every line before it.
    std::string at(long number) {
        std::string line;
        while (def_.lineNumber() < number) {
            line = def_.readLine();
            if (line.size() > kMaxLineLength)
                def_.fail("line of " + std::to_string(line.size()) +
                          " characters is longer than 32767");
        }
        return line;
    }

private:
    TextReader& def_;
};

// A value line cut from the left: the label's words are dropped, then
// values are taken as blank-separated tokens, and the last value is the
// rest of the line. Only blanks separate; a value too long for its column
// runs into its neighbour and the two are read as one token.
class ValueLine {
public:
    ValueLine(std::string line, int labelWords) : rest_(std::move(line)) {
        for (int i = 0; i < labelWords; ++i) {
            rest_ = trimBlanks(rest_);
            const std::size_t blank = rest_.find(' ');
            if (blank != std::string::npos) rest_.erase(0, blank + 1);
            rest_ = trimBlanks(rest_);
        }
    }

    // The text up to the next blank; with no blank left, the empty text
    // (read as 0) and the line stays as it is.
    std::string token() {
        const std::size_t blank = rest_.find(' ');
        if (blank == std::string::npos) return {};
        std::string token(trimBlanks(std::string_view(rest_).substr(0, blank)));
        rest_ = trimBlanks(std::string_view(rest_).substr(blank + 1));
        return token;
    }

    const std::string& rest() const { return rest_; }

private:
    std::string rest_;
};

// Conversions into a field. Each runs right after its line was read, so a
// failure names that line.
class Fields {
public:
    explicit Fields(TextReader& def) : def_(def) {}

    std::int32_t whole(std::string_view text) { return field(def_.number(text), text); }

    // Camber and gears go through single precision twice: the number, then
    // the number times 100. The product of a float and 100 is exact in a
    // double, so one conversion rounds it as a single multiplication would.
    std::int32_t hundredthsSingle(std::string_view text) {
        const double number = def_.number(text);
        if (!(std::fabs(number) < kBeyondAnyField)) outOfRange(text);
        const float a = static_cast<float>(number);
        const float b = static_cast<float>(static_cast<double>(a) * 100.0);
        return field(b, text);
    }

    // Rear spoiler and fuel in double precision.
    std::int32_t hundredthsDouble(std::string_view text) {
        return field(def_.number(text) * 100.0, text);
    }

private:
    // Far beyond what a 32-bit field holds in hundredths, and well inside
    // the range of a float.
    static constexpr double kBeyondAnyField = 1e12;

    std::int32_t field(double value, std::string_view text) {
        const auto rounded = roundTo<std::int32_t>(value);
        if (!rounded) outOfRange(text);
        return *rounded;
    }

    [[noreturn]] void outOfRange(std::string_view text) {
        def_.fail("value \"" + std::string(text) + "\" is outside the 32-bit range");
    }

    TextReader& def_;
};

// Line 2 is the folder name, blanks and the setup name: the setup name is
// what follows the first blank, trimmed.
std::string setupName(std::string_view line) {
    const std::size_t blank = line.find(' ');
    return std::string(trimBlanks(blank == std::string_view::npos ? line : line.substr(blank + 1)));
}

}  // namespace

void runStgCompile(Command& cmd) {
    TextReader def = cmd.openText("Stg.def");
    DefLines lines(def);
    Fields fields(def);

    lines.at(1);
    const std::string name = setupName(lines.at(2));
    requirePlainName(name, def.name() + ":2: setup name");
    // The base name field holds the name's first 8 characters, none of
    // which may be a blank.
    if (name.substr(0, kBaseNameBytes).find(' ') != std::string::npos)
        def.fail("setup name \"" + displayName(name) +
                 "\" has a blank among its first 8 characters");
    // Usually the setup the text was decompiled from, found in any
    // letter case; replaced only once the new one is written whole.
    const std::string fileName = name + ".stg";
    BinaryWriter& stg = cmd.createBinaryAt(findInFolder(cmd.workingFolder(), fileName), fileName);

    using namespace setup::field;
    SetupRecord record = kFixedRecord;
    // Tyre rows show LF, LR, RR, RF; the fields are stored RF to LF.
    auto wheels = [&](ValueLine row, std::size_t rf) {
        record[rf + 3] = fields.whole(row.token());
        record[rf + 2] = fields.whole(row.token());
        record[rf + 1] = fields.whole(row.token());
        record[rf] = fields.whole(row.rest());
    };
    wheels(ValueLine(lines.at(6), 2), TirePressureRF);
    wheels(ValueLine(lines.at(7), 1), ShocksRF);

    ValueLine camber(lines.at(8), 1);
    record[CamberLF] = fields.hundredthsSingle(camber.token());
    record[CamberRF] = fields.hundredthsSingle(camber.rest());

    ValueLine gears(lines.at(11), 1);
    for (std::size_t g = 0; g < 3; ++g)
        record[Gears1st + g] = fields.hundredthsSingle(gears.token());
    record[Gears1st + 3] = fields.hundredthsSingle(gears.rest());

    auto single = [&](long number, int labelWords) {
        return ValueLine(lines.at(number), labelWords).rest();
    };
    record[WeightJackRear] = fields.whole(single(14, 1));
    record[WeightJackLeft] = fields.whole(single(15, 1));
    record[WeightJackWedge] = fields.whole(single(16, 1));
    record[SwayBarsFront] = fields.whole(single(19, 1));
    record[SwayBarsRear] = fields.whole(single(20, 1));
    record[SteeringLock] = fields.whole(single(30, 2));
    record[RearSpoiler] = fields.hundredthsDouble(single(31, 2));
    record[GrilleTape] = fields.whole(single(32, 2));
    record[Fuel] = fields.hundredthsDouble(single(34, 1));

    for (std::int32_t value : record) stg.i32(value);
    for (std::size_t i = 0; i < kBaseNameBytes; ++i)
        stg.u8(i < name.size() ? static_cast<std::uint8_t>(name[i]) : 0);

    // The comment's last character becomes its terminating byte 0 (the
    // decompiler shows that byte as "."); an empty line is no comment.
    std::string comment = lines.at(37);
    if (!comment.empty()) comment.back() = '\0';
    stg.i32(kCommentMarker);
    stg.i32(static_cast<std::int32_t>(comment.size()));
    stg.bytes({reinterpret_cast<const std::uint8_t*>(comment.data()), comment.size()});
}

}  // namespace z5
