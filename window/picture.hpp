// What a picture window shows and does, decided once for both toolkits: the
// drawing fitted to the window at one scale, the text of the dot under the
// pointer, the size it opens with and "Save as SVG...". The windows paint the
// drawing and forward the pointer and the menu entry.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "core/host.hpp"
#include "picture/drawing.hpp"

namespace z5 {

inline constexpr const char* kSaveSvgCaption = "&Save as SVG...";

class PictureController {
public:
    // `folder` gives the working folder when the picture is saved.
    PictureController(picture::Drawing drawing, std::function<std::string()> folder)
        : drawing_(std::move(drawing)), folder_(std::move(folder)) {}

    const picture::Drawing& drawing() const { return drawing_; }
    // The page fitted into a `width` x `height` area.
    picture::PageFit fit(double width, double height) const {
        return picture::fitPage(drawing_, width, height);
    }
    // The drawing area the window opens with, in pixels.
    int startWidth() const { return static_cast<int>(drawing_.width * 0.8); }
    int startHeight() const { return static_cast<int>(drawing_.height * 0.8); }

    // The pointer is at (x, y) of a `width` x `height` area: the text of the
    // dot within a few pixels of it (empty for none) when that differs from
    // what is shown, else nullopt.
    std::optional<std::string> pointAt(double x, double y, double width, double height);
    const std::string& pointed() const { return pointed_; }

    // Working folder the picture is saved from.
    std::string workingFolder() const { return folder_(); }
    // Asks `host` for a file name, offering the picture's own (NAME.svg), and
    // writes the drawing there as SVG, through the safe writer; ".svg" is
    // added to a name without an extension. The status bar's text afterwards: the reason
    // when it failed, else nullopt.
    std::optional<std::string> save(Host& host) const;

private:
    picture::Drawing drawing_;
    std::function<std::string()> folder_;
    std::string pointed_;
};

}  // namespace z5
