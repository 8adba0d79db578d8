#include <algorithm>
#include <initializer_list>
#include <string>

#include "setup/format.hpp"
#include "setup/setup.hpp"
#include "shell/pathnames.hpp"
#include "textfmt/columns.hpp"
#include "textfmt/paths.hpp"
#include "textfmt/printform.hpp"

namespace z5 {
namespace {

using namespace setup;

char digit(std::uint64_t d) {
    return static_cast<char>('0' + d);
}

std::uint64_t magnitudeOf(std::int32_t value) {
    const std::int64_t wide = value;
    return static_cast<std::uint64_t>(wide < 0 ? -wide : wide);
}

// Hundredths with exactly two decimals and no zero before the point:
// 250 -> "2.50", 50 -> ".50", -125 -> "-1.25", 0 -> ".00".
std::string twoDecimals(std::int32_t hundredths) {
    const std::uint64_t magnitude = magnitudeOf(hundredths);
    std::string text = hundredths < 0 ? "-" : "";
    if (magnitude >= 100) text += numberText(static_cast<std::int64_t>(magnitude / 100));
    text += '.';
    text += digit(magnitude % 100 / 10);
    text += digit(magnitude % 10);
    return text;
}

// Hundredths in the shortest decimal form: 1250 -> "12.5", 100 -> "1",
// 7 -> "0.07".
std::string shortestDecimal(std::int32_t hundredths) {
    const std::uint64_t magnitude = magnitudeOf(hundredths);
    std::string text = hundredths < 0 ? "-" : "";
    text += numberText(static_cast<std::int64_t>(magnitude / 100));
    if (magnitude % 100 != 0) {
        text += '.';
        text += digit(magnitude % 100 / 10);
        if (magnitude % 10 != 0) text += digit(magnitude % 10);
    }
    return text;
}

// A 15-character label followed by each value right-justified in 6
// characters (a longer value runs into the one before it).
std::string row(std::string_view label, std::initializer_list<std::string> values) {
    std::string line(label);
    for (std::string value : values) {
        PadTo6(value);
        line += value;
    }
    return line;
}

std::string whole(std::int32_t value) {
    return numberText(value);
}

// The four fields of a tyre row, stored RF, RR, LR, LF, in the LF, LR, RR,
// RF order of the columns.
std::string wheelRow(std::string_view label, const SetupRecord& record, std::size_t rf) {
    return row(label, {whole(record[rf + 3]), whole(record[rf + 2]), whole(record[rf + 1]),
                       whole(record[rf])});
}

}  // namespace

void runStgDecompile(Command& cmd) {
    // Names and input come first, so that a file that cannot be shown
    // leaves an existing stg.def as it was.
    std::string folderName = cmd.workingFolder();
    GetTrackName2().GetName(folderName);
    folderName = pathToName(folderName, "folder name");
    std::string baseName = cmd.chosenPath();
    GetTrackName().GetName(baseName);
    baseName = pathToName(baseName, "setup name");

    BinaryReader stg = cmd.openInput();
    SetupRecord record{};
    for (std::int32_t& value : record) value = stg.i32();
    std::uint8_t storedName[kBaseNameBytes];
    stg.read(storedName);  // shown nowhere: the compiler derives it from line 2
    stg.i32();             // comment marker, not checked
    const std::int32_t commentLength = stg.i32();
    if (commentLength > kMaxCommentLength)
        throw CommandFailure(stg.name() + ": comment length " + std::to_string(commentLength) +
                             " is above 32768");
    // A length of zero or less is an empty comment.
    std::string comment(static_cast<std::size_t>(std::max(commentLength, 0)), '\0');
    stg.read({reinterpret_cast<std::uint8_t*>(comment.data()), comment.size()});
    std::replace(comment.begin(), comment.end(), '\0', '.');

    using namespace setup::field;
    TextWriter& def = cmd.createText("stg.def");
    def.line("Torvex 3 Setup File");
    def.line(folderName + "     " + baseName);
    def.line("");
    def.line("");
    def.line("                   LF    LR    RR    RF");
    def.line(wheelRow("Tire Pressure  ", record, TirePressureRF));
    def.line(wheelRow("Shocks         ", record, ShocksRF));
    def.line(row("Camber         ", {twoDecimals(record[CamberLF])}) + std::string(12, ' ') +
             row("", {twoDecimals(record[CamberRF])}));
    def.line("");
    def.line("                  1st   2nd   3rd   4th");
    def.line(row("Gears          ",
                 {twoDecimals(record[Gears1st]), twoDecimals(record[Gears1st + 1]),
                  twoDecimals(record[Gears1st + 2]), twoDecimals(record[Gears1st + 3])}));
    def.line("");
    def.line("Weight Jack");
    def.line(row("  Rear         ", {whole(record[WeightJackRear])}));
    def.line(row("  Left         ", {whole(record[WeightJackLeft])}));
    def.line(row("  Wedge        ", {whole(record[WeightJackWedge])}));
    def.line("");
    def.line("Sway Bars");
    def.line(row("  Front        ", {whole(record[SwayBarsFront])}));
    def.line(row("  Rear         ", {whole(record[SwayBarsRear])}));
    def.line("Sway Bar Key:");
    for (const char* key :
         {"       0 = 7/8", "      16 = 15/16", "      33 = 1", "      50 = 1 1/16",
          "      66 = 1 1/8", "      83 = 1 3/16", "     100 = 1 1/4"})
        def.line(key);
    def.line("");
    def.line(row("Steering Lock  ", {whole(record[SteeringLock])}));
    def.line(row("Rear Spoiler   ", {shortestDecimal(record[RearSpoiler])}));
    def.line(row("Grille Tape    ", {whole(record[GrilleTape])}));
    def.line("");
    def.line(row("Fuel           ", {shortestDecimal(record[Fuel])}));
    def.line("");
    def.line("Comments:      ");
    def.line(comment);
}

}  // namespace z5
