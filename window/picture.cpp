#include "window/picture.hpp"

#include <algorithm>
#include <cmath>

#include "commands/table.hpp"
#include "core/command.hpp"
#include "picture/svg.hpp"
#include "platform/encoding.hpp"

namespace z5 {
namespace {

// Zoomed at most this much out of or into the fitted panel.
constexpr double kLeastZoom = 0.25, kMostZoom = 10000;
// Each notch of the wheel, and the degrees a pixel of a drag turns.
constexpr double kZoomStep = 1.25, kDegreesPerPixel = 0.5;

// Draws a picture again without asking anything: the file chosen before,
// in the working folder it was drawn in. Keeps the departures from the
// layout and the files the command reads.
class RedrawHost : public WindowlessHost {
public:
    using WindowlessHost::WindowlessHost;
    void diagnostic(const Diagnostic& d) override { lines.push_back(diagnosticLine(d)); }
    void reading(const std::string& path) override { read.push_back(path); }

    std::vector<std::string> lines, read;
};

std::string joined(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) text += (text.empty() ? "" : "; ") + line;
    return text;
}

}  // namespace

PictureController::PictureController(picture::Drawing drawing, std::function<std::string()> folder,
                                     PictureSource source)
    : drawing_(std::move(drawing)),
      shown_(drawing_),
      folder_(std::move(folder)),
      source_(std::move(source)),
      moved_(drawing_.panels.size()) {
    std::vector<std::string> files;
    for (std::string& path : source_.read)
        if (std::find(files.begin(), files.end(), path) == files.end())
            files.push_back(std::move(path));
    source_.read = std::move(files);
    stamps_ = stamps();
}

void PictureController::setScreenText(double pixelsPerPoint, double menuPixels) {
    if (pixelsPerPoint > 0) pixelsPerPoint_ = pixelsPerPoint;
    menuPixels_ = std::max(0.0, menuPixels);
}

picture::TextScale PictureController::textScale(const picture::PageFit& fit) const {
    return {pixelsPerPoint_ / fit.scale, menuPixels_ / fit.scale};
}

PictureController::Size PictureController::startSize(int width, int height) const {
    double scale = 0.8;
    if (width > 0) scale = std::min(scale, width / drawing_.width);
    if (height > 0) scale = std::min(scale, height / drawing_.height);
    return {std::max(1, static_cast<int>(drawing_.width * scale)),
            std::max(1, static_cast<int>(drawing_.height * scale))};
}

std::optional<std::string> PictureController::pointAt(double x, double y, double width,
                                                      double height) {
    const picture::PageFit shown = fit(width, height);
    // Within 6 pixels of a dot's centre, whatever the size.
    const auto hit = picture::dotAt(shown_, shown.toPage({x, y}), 6 / shown.scale);
    std::string text = hit ? std::string(shown_.textOf(hit->dot->title)) : std::string();
    if (text == pointed_) return std::nullopt;
    pointed_ = text;
    return text;
}

std::optional<std::size_t> PictureController::panelAt(picture::Vec2 page) const {
    for (std::size_t i = 0; i < shown_.panels.size(); ++i) {
        const picture::Frame& f = shown_.panels[i].frame;
        if (shown_.panels[i].movable() && page.x >= f.left && page.x <= f.left + f.width &&
            page.y >= f.top && page.y <= f.top + f.height)
            return i;
    }
    return std::nullopt;
}

bool PictureController::wheel(double x, double y, double steps, double width, double height) {
    const picture::Vec2 at = fit(width, height).toPage({x, y});
    const auto i = panelAt(at);
    if (!i || !std::isfinite(steps)) return false;
    picture::Panel& panel = shown_.panels[*i];
    const double now = panel.scaleX / drawing_.panels[*i].scaleX;
    const double zoom = std::clamp(now * std::pow(kZoomStep, steps), kLeastZoom, kMostZoom) / now;
    if (!std::isfinite(zoom) || zoom == 1) return false;
    // The point under the pointer stays there.
    panel.origin = {at.x + (panel.origin.x - at.x) * zoom, at.y + (panel.origin.y - at.y) * zoom};
    panel.scaleX *= zoom;
    panel.scaleY *= zoom;
    moved_[*i] = true;
    return true;
}

void PictureController::press(double x, double y, Button button, double width, double height) {
    grab_.reset();
    const auto i = panelAt(fit(width, height).toPage({x, y}));
    if (i && (button == Button::Left || shown_.panels[*i].solid)) grab_ = Grab{button, *i, {x, y}};
}

bool PictureController::drag(double x, double y, double width, double height) {
    if (!grab_) return false;
    const double dx = x - grab_->last.x, dy = y - grab_->last.y;
    grab_->last = {x, y};
    if (dx == 0 && dy == 0) return false;
    picture::Panel& panel = shown_.panels[grab_->panel];
    if (grab_->button == Button::Left) {
        const double scale = fit(width, height).scale;
        panel.origin = {panel.origin.x + dx / scale, panel.origin.y + dy / scale};
        moved_[grab_->panel] = true;
        return true;
    }
    // Right and left turn the solid about the vertical, up and down tilt it.
    turn_.turn = std::fmod(std::fmod(turn_.turn - dx * kDegreesPerPixel, 360) + 360, 360);
    turn_.tilt = std::clamp(turn_.tilt + dy * kDegreesPerPixel, -90.0, 90.0);
    picture::project(panel, turn_);
    return true;
}

void PictureController::release() {
    grab_.reset();
}

bool PictureController::home() {
    const bool moved = std::find(moved_.begin(), moved_.end(), true) != moved_.end();
    if (!moved && turn_ == picture::Turn{}) return false;
    turn_ = {};
    moved_.assign(drawing_.panels.size(), false);
    shown_ = drawing_;
    return true;
}

void PictureController::showAsLeft() {
    picture::Drawing shown = drawing_;
    moved_.resize(shown.panels.size());
    for (std::size_t i = 0; i < shown.panels.size(); ++i) {
        picture::Panel& panel = shown.panels[i];
        // A panel the user zoomed or moved shows the same part of its units.
        if (moved_[i] && i < shown_.panels.size() && shown_.panels[i].id == panel.id) {
            panel.origin = shown_.panels[i].origin;
            panel.scaleX = shown_.panels[i].scaleX;
            panel.scaleY = shown_.panels[i].scaleY;
        } else {
            moved_[i] = false;
        }
        if (panel.solid && !(turn_ == picture::Turn{})) picture::project(panel, turn_);
    }
    shown_ = std::move(shown);
    grab_.reset();
}

std::vector<std::string> PictureController::watchedFiles() const {
    return source_.read;
}

std::vector<std::string> PictureController::watchedFolders() const {
    std::vector<std::string> folders;
    for (const std::string& file : source_.read) {
        std::string folder = pathText(nativePath(file).parent_path());
        if (folder.empty()) folder = source_.folder;
        if (std::find(folders.begin(), folders.end(), folder) == folders.end())
            folders.push_back(std::move(folder));
    }
    return folders;
}

std::vector<std::optional<FileStamp>> PictureController::stamps() const {
    std::vector<std::optional<FileStamp>> stamps;
    for (const std::string& file : source_.read) stamps.push_back(fileStamp(file));
    return stamps;
}

bool PictureController::reload() {
    if (!source_.row || !source_.row->draw) return false;
    // Stamped before the reading: a save while it reads is read again.
    auto now = stamps();
    if (now == stamps_) return false;
    stamps_ = std::move(now);
    RedrawHost host(source_.folder, source_.chosen);
    std::optional<picture::Drawing> drawing;
    const Outcome outcome = source_.row->runDrawing(host, drawing);
    for (const std::string& path : host.read)
        if (std::find(source_.read.begin(), source_.read.end(), path) == source_.read.end()) {
            source_.read.push_back(path);
            stamps_.push_back(fileStamp(path));
        }
    const std::string before = status();
    if (drawing) {
        drawing_ = std::move(*drawing);
        showAsLeft();
        problem_.clear();
        pointed_.clear();
        notes_ = joined(host.lines);
        return true;
    }
    problem_ = outcome.reason;
    if (!host.lines.empty()) problem_ += "; " + joined(host.lines);
    return status() != before;
}

std::string PictureController::status() const {
    if (!problem_.empty()) return problem_;
    if (!pointed_.empty()) return pointed_;
    return notes_;
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
