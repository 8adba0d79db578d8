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
// A watched folder changed; the wait after the last change is over.
constexpr UINT kFolderChanged = WM_APP + 1;
constexpr UINT_PTR kSettleTimer = 1;

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
    void clip(const Frame* frame) override {
        SelectClipRgn(dc_, nullptr);
        if (!frame) return;
        const POINT from = device({frame->left, frame->top});
        const POINT to = device({frame->left + frame->width, frame->top + frame->height});
        IntersectClipRect(dc_, from.x, from.y, to.x + 1, to.y + 1);
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

void paintDrawing(const Drawing& drawing, HDC dc, int width, int height, const TextScale& text) {
    const RECT all{0, 0, width, height};
    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    GdiCanvas canvas(dc, fitPage(drawing, width, height));
    paint(drawing, canvas, text);
}

void FolderWatch::start(HWND window, UINT message, const std::vector<std::string>& folders) {
    stop();
    folders_ = folders;
    handles_.push_back(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (!handles_.front()) return;
    for (const std::string& folder : folders) {
        const HANDLE change = FindFirstChangeNotificationW(
            widen(folder).c_str(), FALSE,
            FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_SIZE | FILE_NOTIFY_CHANGE_LAST_WRITE);
        if (change != INVALID_HANDLE_VALUE) handles_.push_back(change);
    }
    if (handles_.size() < 2 || handles_.size() > MAXIMUM_WAIT_OBJECTS) return;
    waiter_ = std::thread([window, message, handles = handles_] {
        for (;;) {
            const DWORD woke = WaitForMultipleObjects(static_cast<DWORD>(handles.size()),
                                                      handles.data(), FALSE, INFINITE);
            const DWORD index = woke - WAIT_OBJECT_0;
            if (index == 0 || index >= handles.size()) return;  // stopped, or failed
            PostMessageW(window, message, 0, 0);
            if (!FindNextChangeNotification(handles[index])) return;
        }
    });
}

void FolderWatch::stop() {
    if (!handles_.empty() && handles_.front()) SetEvent(handles_.front());
    if (waiter_.joinable()) waiter_.join();
    for (std::size_t i = 0; i < handles_.size(); ++i)
        if (i == 0) {
            if (handles_[i]) CloseHandle(handles_[i]);
        } else {
            FindCloseChangeNotification(handles_[i]);
        }
    handles_.clear();
    folders_.clear();
}

namespace {

// The work area of the monitor `window` is on (the whole screen less the
// task bar), or of the main monitor.
RECT workArea(HWND window) {
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    RECT area{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    if (GetMonitorInfoW(MonitorFromWindow(window, MONITOR_DEFAULTTOPRIMARY), &monitor))
        area = monitor.rcWork;
    return area;
}

// The height of the system's menu font in pixels.
double menuFontPixels(UINT dpi) {
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    if (!SystemParametersInfoForDpi(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0, dpi))
        return 0;
    return std::abs(metrics.lfMenuFont.lfHeight);
}

}  // namespace

frmPicture* frmPicture::open(Drawing drawing, const std::string& title, HWND owner,
                             Dialogs& dialogs, std::function<std::string()> folder,
                             PictureSource source) {
    registerWindowClass(kPictureClass, procedure);
    auto* self = new frmPicture(std::move(drawing), dialogs, std::move(folder), std::move(source));
    const HMENU menu = CreateMenu();
    AppendMenuW(menu, MF_STRING, kSaveId, widen(kSaveSvgCaption).c_str());
    CreateWindowExW(0, kPictureClass, widen(title).c_str(), WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                    CW_USEDEFAULT, 400, 300, owner, menu, GetModuleHandleW(nullptr), self);
    if (!self->hwnd_) {
        delete self;
        return nullptr;
    }
    self->status_ =
        CreateWindowExW(0, STATUSCLASSNAMEW, L"", WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, self->hwnd_,
                        reinterpret_cast<HMENU>(kStatusId), GetModuleHandleW(nullptr), nullptr);
    const UINT dpi = dpiOf(self->hwnd_);
    self->picture_.setScreenText(dpi / 72.0, menuFontPixels(dpi));
    // The drawing area the controller gives within the work area, with the
    // frame, the menu bar and the status bar around it, in the middle of
    // the work area.
    RECT bar{}, chrome{0, 0, 0, 0};
    GetWindowRect(self->status_, &bar);
    AdjustWindowRectEx(&chrome, WS_OVERLAPPEDWINDOW, TRUE, 0);
    const int extraWidth = chrome.right - chrome.left;
    const int extraHeight = chrome.bottom - chrome.top + (bar.bottom - bar.top);
    const RECT area = workArea(owner ? owner : self->hwnd_);
    const auto start = self->picture_.startSize(area.right - area.left - extraWidth,
                                                area.bottom - area.top - extraHeight);
    const int width = start.width + extraWidth, height = start.height + extraHeight;
    SetWindowPos(self->hwnd_, nullptr, area.left + (area.right - area.left - width) / 2,
                 area.top + (area.bottom - area.top - height) / 2, width, height, SWP_NOZORDER);
    self->watch_.start(self->hwnd_, kFolderChanged, self->picture_.watchedFolders());
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

std::string frmPicture::statusText() const {
    return picture_.status();
}

void frmPicture::showStatus(const std::string& text) const {
    SendMessageW(status_, SB_SETTEXTW, 0, reinterpret_cast<LPARAM>(widen(text).c_str()));
}

void frmPicture::pointAt(int x, int y) {
    const RECT r = pictureArea(hwnd_, status_);
    if (picture_.pointAt(x, y, r.right, r.bottom)) showStatus(picture_.status());
}

void frmPicture::reload() {
    if (!picture_.reload()) return;
    if (picture_.watchedFolders() != watch_.folders())
        watch_.start(hwnd_, kFolderChanged, picture_.watchedFolders());
    repaint();
    showStatus(picture_.status());
}

void frmPicture::mnuSaveSvg_Click() {
    Win32Host host(hwnd_, dialogs_, picture_.workingFolder(),
                   [this](const std::string& line) { showStatus(line); });
    if (const auto status = picture_.save(host)) showStatus(*status);
}

LRESULT CALLBACK frmPicture::procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = windowObject<frmPicture>(window, message, lParam);
    if (!self) return DefWindowProcW(window, message, wParam, lParam);
    const RECT area = pictureArea(window, self->status_);
    const int x = static_cast<short>(LOWORD(lParam)), y = static_cast<short>(HIWORD(lParam));
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
            // Drawn in a bitmap first, so resizing does not flicker.
            const HDC memory = CreateCompatibleDC(dc);
            const HBITMAP bitmap =
                CreateCompatibleBitmap(dc, std::max(1L, area.right), std::max(1L, area.bottom));
            const HGDIOBJ old = SelectObject(memory, bitmap);
            const PictureController& picture = self->picture_;
            paintDrawing(picture.shown(), memory, area.right, area.bottom,
                         picture.textScale(picture.fit(area.right, area.bottom)));
            BitBlt(dc, 0, 0, area.right, area.bottom, memory, 0, 0, SRCCOPY);
            SelectObject(memory, old);
            DeleteObject(bitmap);
            DeleteDC(memory);
            EndPaint(window, &ps);
            return 0;
        }
        case WM_LBUTTONDOWN:
        case WM_RBUTTONDOWN:
            SetCapture(window);
            self->picture_.press(x, y,
                                 message == WM_LBUTTONDOWN ? PictureController::Button::Left
                                                           : PictureController::Button::Right,
                                 area.right, area.bottom);
            return 0;
        case WM_LBUTTONUP:
        case WM_RBUTTONUP:
            self->picture_.release();
            if (GetCapture() == window) ReleaseCapture();
            return 0;
        case WM_CAPTURECHANGED:
            self->picture_.release();
            return 0;
        case WM_MOUSEMOVE:
            if (self->picture_.drag(x, y, area.right, area.bottom)) self->repaint();
            self->pointAt(x, y);
            return 0;
        case WM_MOUSEWHEEL: {
            POINT at{x, y};  // on the screen
            ScreenToClient(window, &at);
            // A notch is WHEEL_DELTA; finer wheels send parts of one.
            if (self->picture_.wheel(at.x, at.y,
                                     GET_WHEEL_DELTA_WPARAM(wParam) / double(WHEEL_DELTA),
                                     area.right, area.bottom))
                self->repaint();
            return 0;
        }
        case WM_KEYDOWN:
            if (wParam == VK_HOME && self->picture_.home()) self->repaint();
            return 0;
        case kFolderChanged:
            // Read once the changes have settled.
            SetTimer(window, kSettleTimer, PictureController::kSettleMilliseconds, nullptr);
            return 0;
        case WM_TIMER:
            if (wParam != kSettleTimer) break;
            KillTimer(window, kSettleTimer);
            self->reload();
            return 0;
        case WM_COMMAND:
            if (LOWORD(wParam) == kSaveId && lParam == 0) self->mnuSaveSvg_Click();
            return 0;
        case WM_DESTROY:
            self->watch_.stop();
            break;
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
