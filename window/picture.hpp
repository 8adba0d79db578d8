// What a picture window shows and does, decided once for both toolkits: the
// drawing fitted to the window at one scale, the size it opens with and the
// size of its texts, the text of the dot under the pointer, each panel
// zoomed, moved and turned, the files it follows and "Save as SVG...". The
// windows paint what it shows and forward the pointer, the wheel, the keys,
// the menu entry and the system's notes that a watched folder changed.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/host.hpp"
#include "picture/drawing.hpp"
#include "platform/files.hpp"

namespace z5 {

struct CommandEntry;

inline constexpr const char* kSaveSvgCaption = "&Save as SVG...";

// Where a picture came from, so that it can be drawn again: the row that
// drew it, the file chosen for it (empty for the definition files), the
// working folder it was drawn in and the files it read there.
struct PictureSource {
    const CommandEntry* row = nullptr;
    std::string chosen;
    std::string folder;
    std::vector<std::string> read;
};

class PictureController {
public:
    // `folder` gives the working folder when the picture is saved.
    PictureController(picture::Drawing drawing, std::function<std::string()> folder,
                      PictureSource source = {});

    // The drawing as it was drawn: what "Save as SVG..." writes.
    const picture::Drawing& drawing() const { return drawing_; }
    // What the window paints: the drawing with each panel as the user
    // zoomed, moved and turned it.
    const picture::Drawing& shown() const { return shown_; }
    // The page fitted into a `width` x `height` area.
    picture::PageFit fit(double width, double height) const {
        return picture::fitPage(shown_, width, height);
    }

    // The screen's texts: pixels per point, and the height of the system's
    // menu font in pixels, which no text of the picture is smaller than.
    void setScreenText(double pixelsPerPoint, double menuPixels);
    // Texts keep their size in points whatever the drawing's scale.
    picture::TextScale textScale(const picture::PageFit& fit) const;
    // The drawing area the window opens with, in pixels: the page at 0.8,
    // or smaller so that it fits in `width` x `height` pixels (the screen's
    // work area less the window's frame, menu bar and status bar).
    struct Size {
        int width = 0, height = 0;
    };
    Size startSize(int width, int height) const;

    // The pointer is at (x, y) of a `width` x `height` area: the text of the
    // dot within a few pixels of it (empty for none) when that differs from
    // what is shown, else nullopt.
    std::optional<std::string> pointAt(double x, double y, double width, double height);
    const std::string& pointed() const { return pointed_; }

    // The wheel turned `steps` notches (positive: away from the user) at
    // (x, y): the panel there zooms in or out about that point. True when
    // the picture changed, as for the calls below.
    bool wheel(double x, double y, double steps, double width, double height);
    // A button went down at (x, y): dragging with the left one moves the
    // panel there, with the right one turns the solid of that panel.
    enum class Button { Left, Right };
    void press(double x, double y, Button button, double width, double height);
    bool drag(double x, double y, double width, double height);
    void release();
    // Home: every panel fitted again, the solid as first drawn.
    bool home();

    // The files the picture stands for, and the folders that hold them: a
    // window watches both and calls reload() kSettleMilliseconds after the
    // last note of a change, so that a save made in several writes is read
    // once.
    std::vector<std::string> watchedFiles() const;
    std::vector<std::string> watchedFolders() const;
    static constexpr int kSettleMilliseconds = 150;
    // Draws the picture again when one of its files changed since it was
    // last read, keeping each panel's zoom, position and turn; a file that
    // no longer reads leaves the last picture and says why in the status
    // bar until it reads again. True when the picture or the status changed.
    bool reload();
    // The status bar's text: why the files no longer read (and their
    // departures from the layout), else the pointed dot's text, else the
    // departures of the last reading.
    std::string status() const;

    // Working folder the picture is saved from.
    std::string workingFolder() const { return folder_(); }
    // Asks `host` for a file name, offering the picture's own (NAME.svg), and
    // writes the drawing there as SVG, through the safe writer; ".svg" is
    // added to a name without an extension. The status bar's text afterwards: the reason
    // when it failed, else nullopt.
    std::optional<std::string> save(Host& host) const;

private:
    // The movable panel at the page point `page`, or none.
    std::optional<std::size_t> panelAt(picture::Vec2 page) const;
    // The zoom, position and turn the user gave, put on a fresh copy of
    // the drawing.
    void showAsLeft();
    std::vector<std::optional<FileStamp>> stamps() const;

    picture::Drawing drawing_;
    picture::Drawing shown_;
    std::function<std::string()> folder_;
    PictureSource source_;
    std::vector<std::optional<FileStamp>> stamps_;  // of source_.read, when last read
    std::vector<bool> moved_;                       // by panel
    picture::Turn turn_;
    struct Grab {
        Button button;
        std::size_t panel;
        picture::Vec2 last;  // pixels
    };
    std::optional<Grab> grab_;
    double pixelsPerPoint_ = picture::kPagePerPoint, menuPixels_ = 0;
    std::string pointed_;
    std::string problem_;  // why the files no longer read
    std::string notes_;    // their departures at the last reading
};

}  // namespace z5
