#include "win32/picturewindow.hpp"

#include <commctrl.h>

#include <map>

#include "win32/host.hpp"
#include "win32/system.hpp"

namespace z5 {
namespace {

using namespace picture;

constexpr wchar_t kPictureClass[] = L"Z5DefPicture";
constexpr UINT kSaveId = 1;
constexpr int kStatusId = 2;

COLORREF gdiColor(Rgb c) {
    return RGB(c.r, c.g, c.b);
}

// The walk's calls as GDI calls, each point placed by the page's fit; pens
// and brushes are made once per colour.
class GdiCanvas : public Canvas {
public:
    GdiCanvas(HDC dc, PageFit fit) : dc_(dc), fit_(fit) {
        SetBkMode(dc_, TRANSPARENT);
        oldPen_ = SelectObject(dc_, GetStockObject(NULL_PEN));
        oldBrush_ = SelectObject(dc_, GetStockObject(NULL_BRUSH));
    }
    ~GdiCanvas() override {
        SelectObject(dc_, oldPen_);
        SelectObject(dc_, oldBrush_);
        if (oldFont_) SelectObject(dc_, oldFont_);
        for (auto& [size, font] : fonts_) DeleteObject(font);
        for (auto& [color, pen] : pens_) DeleteObject(pen);
        for (auto& [color, brush] : brushes_) DeleteObject(brush);
    }
    GdiCanvas(const GdiCanvas&) = delete;
    GdiCanvas& operator=(const GdiCanvas&) = delete;

    void path(const Path& path, std::span<const Vec2> page) override {
        SelectObject(dc_, pen(path.stroke));
        SelectObject(dc_, path.fill ? brush(*path.fill) : GetStockObject(NULL_BRUSH));
        points_.clear();
        for (const Vec2& p : page) points_.push_back(device(p));
        if (path.shape == Path::Shape::Box && points_.size() >= 2) {
            Rectangle(
                dc_, std::min(points_[0].x, points_[1].x), std::min(points_[0].y, points_[1].y),
                std::max(points_[0].x, points_[1].x) + 1, std::max(points_[0].y, points_[1].y) + 1);
        } else if (path.shape == Path::Shape::Outline) {
            Polygon(dc_, points_.data(), static_cast<int>(points_.size()));
        } else {
            Polyline(dc_, points_.data(), static_cast<int>(points_.size()));
        }
    }
    void dot(const Dot& dot, const Data&, std::string_view, Vec2 page, double radius) override {
        SelectObject(dc_, GetStockObject(NULL_PEN));
        SelectObject(dc_, brush(dot.color));
        const POINT c = device(page);
        const int r = std::max(2, static_cast<int>(radius * fit_.scale + 0.5));
        Ellipse(dc_, c.x - r, c.y - r, c.x + r + 1, c.y + r + 1);
    }
    void text(std::string_view text, Vec2 page, Anchor anchor, double size, Rgb color,
              const Data&) override {
        const int height = std::max(1, static_cast<int>(size * fit_.scale + 0.5));
        HFONT& font = fonts_[height];
        if (!font)
            font = CreateFontW(-height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                               OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY,
                               VARIABLE_PITCH | FF_SWISS, L"Segoe UI");
        const HGDIOBJ old = SelectObject(dc_, font);
        if (!oldFont_) oldFont_ = old;
        SetTextColor(dc_, gdiColor(color));
        SetTextAlign(dc_, TA_BASELINE | (anchor == Anchor::Start    ? TA_LEFT
                                         : anchor == Anchor::Middle ? TA_CENTER
                                                                    : TA_RIGHT));
        const std::wstring wide = widen(text);
        const POINT at = device(page);
        TextOutW(dc_, at.x, at.y, wide.c_str(), static_cast<int>(wide.size()));
    }

private:
    POINT device(Vec2 page) const {
        const Vec2 d = fit_.toDevice(page);
        return {static_cast<LONG>(d.x + 0.5), static_cast<LONG>(d.y + 0.5)};
    }
    HPEN pen(Rgb c) {
        HPEN& p = pens_[gdiColor(c)];
        if (!p) p = CreatePen(PS_SOLID, 1, gdiColor(c));
        return p;
    }
    HBRUSH brush(Rgb c) {
        HBRUSH& b = brushes_[gdiColor(c)];
        if (!b) b = CreateSolidBrush(gdiColor(c));
        return b;
    }

    HDC dc_;
    PageFit fit_;
    HGDIOBJ oldPen_, oldBrush_, oldFont_ = nullptr;
    std::map<COLORREF, HPEN> pens_;
    std::map<COLORREF, HBRUSH> brushes_;
    std::map<int, HFONT> fonts_;
    std::vector<POINT> points_;
};

}  // namespace

void paintDrawing(const Drawing& drawing, HDC dc, int width, int height) {
    const RECT all{0, 0, width, height};
    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    GdiCanvas canvas(dc, fitPage(drawing, width, height));
    paint(drawing, canvas);
}

frmPicture* frmPicture::open(Drawing drawing, const std::string& title, HWND owner,
                             Dialogs& dialogs, std::function<std::string()> folder) {
    registerWindowClass(kPictureClass, procedure);
    auto* self = new frmPicture(std::move(drawing), dialogs, std::move(folder));
    const HMENU menu = CreateMenu();
    AppendMenuW(menu, MF_STRING, kSaveId, widen(kSaveSvgCaption).c_str());
    // The drawing area the controller asks for, with the frame, the menu bar
    // and the status bar around it.
    RECT size{0, 0, self->picture_.startWidth(), self->picture_.startHeight()};
    AdjustWindowRectEx(&size, WS_OVERLAPPEDWINDOW, TRUE, 0);
    CreateWindowExW(0, kPictureClass, widen(title).c_str(), WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                    CW_USEDEFAULT, size.right - size.left, size.bottom - size.top, owner, menu,
                    GetModuleHandleW(nullptr), self);
    if (!self->hwnd_) {
        delete self;
        return nullptr;
    }
    self->status_ =
        CreateWindowExW(0, STATUSCLASSNAMEW, L"", WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, self->hwnd_,
                        reinterpret_cast<HMENU>(kStatusId), GetModuleHandleW(nullptr), nullptr);
    RECT bar{};
    GetWindowRect(self->status_, &bar);
    SetWindowPos(self->hwnd_, nullptr, 0, 0, size.right - size.left,
                 size.bottom - size.top + (bar.bottom - bar.top), SWP_NOMOVE | SWP_NOZORDER);
    ShowWindow(self->hwnd_, SW_SHOW);
    return self;
}

namespace {

// The window's client area above its status bar.
RECT pictureArea(HWND window, HWND status) {
    RECT client{}, bar{};
    GetClientRect(window, &client);
    if (status) GetWindowRect(status, &bar);
    client.bottom -= bar.bottom - bar.top;
    return client;
}

}  // namespace

PageFit frmPicture::fit() const {
    const RECT r = pictureArea(hwnd_, status_);
    return picture_.fit(r.right, r.bottom);
}

void frmPicture::showStatus(const std::string& text) const {
    SendMessageW(status_, SB_SETTEXTW, 0, reinterpret_cast<LPARAM>(widen(text).c_str()));
}

void frmPicture::pointAt(int x, int y) {
    const RECT r = pictureArea(hwnd_, status_);
    if (const auto changed = picture_.pointAt(x, y, r.right, r.bottom)) showStatus(*changed);
}

void frmPicture::mnuSaveSvg_Click() {
    Win32Host host(hwnd_, dialogs_, picture_.workingFolder(),
                   [this](const std::string& line) { showStatus(line); });
    if (const auto status = picture_.save(host)) showStatus(*status);
}

LRESULT CALLBACK frmPicture::procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = windowObject<frmPicture>(window, message, lParam);
    if (!self) return DefWindowProcW(window, message, wParam, lParam);
    switch (message) {
        case WM_NCCREATE:
            self->hwnd_ = window;
            break;
        case WM_SIZE:
            if (self->status_) SendMessageW(self->status_, WM_SIZE, 0, 0);
            InvalidateRect(window, nullptr, FALSE);
            return 0;
        case WM_ERASEBKGND:
            return 1;
        case WM_PAINT: {
            PAINTSTRUCT ps;
            const HDC dc = BeginPaint(window, &ps);
            const RECT r = pictureArea(window, self->status_);
            // Drawn in a bitmap first, so resizing does not flicker.
            const HDC memory = CreateCompatibleDC(dc);
            const HBITMAP bitmap =
                CreateCompatibleBitmap(dc, std::max(1L, r.right), std::max(1L, r.bottom));
            const HGDIOBJ old = SelectObject(memory, bitmap);
            paintDrawing(self->picture_.drawing(), memory, r.right, r.bottom);
            BitBlt(dc, 0, 0, r.right, r.bottom, memory, 0, 0, SRCCOPY);
            SelectObject(memory, old);
            DeleteObject(bitmap);
            DeleteDC(memory);
            EndPaint(window, &ps);
            return 0;
        }
        case WM_MOUSEMOVE:
            self->pointAt(static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam)));
            return 0;
        case WM_COMMAND:
            if (LOWORD(wParam) == kSaveId && lParam == 0) self->mnuSaveSvg_Click();
            return 0;
        case WM_NCDESTROY:
            SetWindowLongPtrW(window, GWLP_USERDATA, 0);
            delete self;
            return DefWindowProcW(window, message, wParam, lParam);
        default:
            break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace z5
