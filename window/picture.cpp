#include "window/picture.hpp"

#include "core/command.hpp"
#include "picture/svg.hpp"
#include "platform/encoding.hpp"

namespace z5 {

std::optional<std::string> PictureController::pointAt(double x, double y, double width,
                                                      double height) {
    const picture::PageFit shown = fit(width, height);
    // Within 6 pixels of a dot's centre, whatever the size.
    const auto hit = picture::dotAt(drawing_, shown.toPage({x, y}), 6 / shown.scale);
    std::string text = hit ? std::string(drawing_.textOf(hit->dot->title)) : std::string();
    if (text == pointed_) return std::nullopt;
    pointed_ = text;
    return text;
}

std::optional<std::string> PictureController::save(Host& host) const {
    const Outcome outcome =
        runCommand(host,
                   {.dialog = Dialog::Save,
                    .filter = "SVG Files(*.svg)|*.svg",
                    .setsCaption = false,
                    .proposedName = drawing_.svgName},
                   [this](Command& cmd) {
                       // A name without an extension is an SVG file's.
                       std::filesystem::path path = nativePath(cmd.chosenPath());
                       if (!path.has_extension()) path += ".svg";
                       picture::writeSvg(
                           cmd.createTextAt(pathText(path), pathText(path.filename())), drawing_);
                   });
    if (outcome.status == Status::Failed) return outcome.reason;
    return std::nullopt;
}

}  // namespace z5
