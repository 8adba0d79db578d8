// What the picture windows' tests of a followed Trk.def share: saving as
// editors often save, and what the picture shows of the edited value.
#pragma once

#include <algorithm>
#include <filesystem>
#include <string>

#include "picture/drawing.hpp"
#include "tests/support/support.hpp"

namespace z5::test {

// Writes `text` to `path` as a new file renamed over the old one.
inline void saveByRename(const std::string& path, const std::string& text) {
    writeFile(path + ".new", text);
    std::filesystem::rename(std::filesystem::path(path + ".new"), std::filesystem::path(path));
}

// The first banking row of speedway.trk's Trk.def, and the same row with
// its Height 1 raised to 3000.
inline const std::string kFirstBankingRow =
    "                0           10           20         1000";
inline const std::string kRaisedBankingRow =
    "             3000           10           20         1000";

// The highest point of the first E-line in the Height 1 panel.
inline double firstHeight(const picture::Drawing& drawing) {
    for (const picture::Panel& panel : drawing.panels)
        if (panel.id == "banking-height-1" && !panel.paths.empty()) {
            double most = 0;
            for (const picture::Vec2& p : panel.pointsOf(panel.paths[0]))
                most = std::max(most, p.y);
            return most;
        }
    return -1;
}

}  // namespace z5::test
