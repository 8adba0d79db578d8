#include "win32/mainwindow.hpp"

#include <commctrl.h>

#include "platform/encoding.hpp"
#include "platform/files.hpp"
#include "win32/host.hpp"
#include "win32/picturewindow.hpp"
#include "win32/popups.hpp"
#include "win32/programstart.hpp"
#include "win32/resource.h"
#include "win32/system.hpp"
#include "window/texts.hpp"

namespace z5 {
namespace {

constexpr wchar_t kMainClass[] = L"frmZ5Def";
constexpr DWORD kStyle = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;
// Files dragged from Explorer arrive as WM_DROPFILES.
constexpr DWORD kExStyle = WS_EX_CONTROLPARENT | WS_EX_ACCEPTFILES;
// The client area in logical pixels when the window opens.
constexpr int kWidth = 560, kHeight = 400;
constexpr int kLogoSize = 112;

// The labels' face at `points` (72 to the inch).
HFONT serif(int points, bool bold, UINT dpi) {
    return createFont(MulDiv(points, static_cast<int>(dpi), 72), widen(kLabelFace).c_str(),
                      VARIABLE_PITCH | FF_ROMAN, bold);
}

}  // namespace

frmZ5Def::frmZ5Def(WindowOptions options, bool endsProgram)
    : endsProgram_(endsProgram), controller_(*this, std::make_unique<SystemStarter>(), options) {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_BAR_CLASSES};
    InitCommonControlsEx(&controls);
    registerWindowClass(kMainClass, procedure);
    CreateWindowExW(kExStyle, kMainClass, widen(kWindowTitle).c_str(), kStyle, CW_USEDEFAULT,
                    CW_USEDEFAULT, kWidth, kHeight, nullptr, menu_.handle(),
                    GetModuleHandleW(nullptr), this);
    dialogs_ = std::make_unique<SystemDialogs>(hwnd_);
    accelerators_ = createAccelerators();
    about_ = std::make_unique<frmAbout>(hwnd_);
    help_ = std::make_unique<frmHelp>(hwnd_, true);
    list_ = std::make_unique<frmHelp>(hwnd_, false);
}

frmZ5Def::~frmZ5Def() {
    about_.reset();
    help_.reset();
    list_.reset();
    if (hwnd_) DestroyWindow(hwnd_);
    DestroyAcceleratorTable(accelerators_);
    deleteObject(uiFont_);
    deleteObject(titleFont_);
    deleteObject(versionFont_);
    deleteObject(logo_);
}

LRESULT CALLBACK frmZ5Def::procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = windowObject<frmZ5Def>(window, message, lParam);
    if (!self) return DefWindowProcW(window, message, wParam, lParam);
    if (message == WM_NCCREATE) self->hwnd_ = window;
    return self->handle(message, wParam, lParam);
}

LRESULT frmZ5Def::handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CREATE: {
            dpi_ = dpiOf(hwnd_);
            RECT frame{0, 0, scaled(kWidth, dpi_), scaled(kHeight, dpi_)};
            AdjustWindowRectExForDpi(&frame, kStyle, TRUE, kExStyle, dpi_);
            SetWindowPos(hwnd_, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
                         SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
            createControls();
            return 0;
        }
        case WM_SIZE:
            layout();
            return 0;
        case WM_DPICHANGED: {
            dpi_ = HIWORD(wParam);
            const RECT* suggested = reinterpret_cast<const RECT*>(lParam);
            SetWindowPos(hwnd_, nullptr, suggested->left, suggested->top,
                         suggested->right - suggested->left, suggested->bottom - suggested->top,
                         SWP_NOZORDER | SWP_NOACTIVATE);
            setFonts();
            layout();
            return 0;
        }
        case WM_GETMINMAXINFO: {
            auto* limits = reinterpret_cast<MINMAXINFO*>(lParam);
            limits->ptMinTrackSize = {scaled(400, dpi_), scaled(320, dpi_)};
            return 0;
        }
        case WM_SETCURSOR:
            if (hourglassShown()) {
                SetCursor(LoadCursorW(nullptr, IDC_WAIT));
                return TRUE;
            }
            break;
        case WM_COMMAND:
            command(wParam, reinterpret_cast<HWND>(lParam));
            return 0;
        case WM_DROPFILES:
            dropped(reinterpret_cast<HDROP>(wParam));
            return 0;
        case WM_DESTROY:
            if (endsProgram_) PostQuitMessage(0);
            return 0;
        case WM_NCDESTROY: {
            const HWND window = hwnd_;
            SetWindowLongPtrW(window, GWLP_USERDATA, 0);
            hwnd_ = nullptr;
            return DefWindowProcW(window, message, wParam, lParam);
        }
        default:
            break;
    }
    return DefWindowProcW(hwnd_, message, wParam, lParam);
}

void frmZ5Def::createControls() {
    DrvList1 = createControl(WC_COMBOBOXW, "", CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, hwnd_,
                             kDrvList1);
    DirList1 = createControl(
        WC_LISTBOXW, "", LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_VSCROLL | WS_BORDER | WS_TABSTOP,
        hwnd_, kDirList1);
    Image1 = createControl(WC_STATICW, "", SS_BITMAP | SS_CENTERIMAGE, hwnd_, kImage1);
    Label1 = createControl(WC_STATICW, kLabel1Text, SS_CENTER | SS_NOPREFIX, hwnd_, kLabel1);
    Label2 = createControl(WC_STATICW, kLabel2Text, SS_CENTER | SS_NOPREFIX, hwnd_, kLabel2);
    Label3 = createControl(WC_STATICW, kLabel3Text, SS_CENTER | SS_NOPREFIX, hwnd_, kLabel3);
    status_ = createControl(STATUSCLASSNAMEW, "", SBARS_SIZEGRIP, hwnd_, kStatusBar);
    folderLabel_ = createControl(
        WC_STATICW, "Working folder:", SS_LEFT | SS_NOPREFIX | SS_CENTERIMAGE, hwnd_, kFolderLabel);
    // Read-only but selectable, and scrolled with the keys when it is long.
    folderText_ =
        createControl(WC_EDITW, "", ES_READONLY | ES_AUTOHSCROLL | WS_TABSTOP, hwnd_, kFolderText);
    setFonts();
    fillDrives();
    layout();
}

void frmZ5Def::setFonts() {
    deleteObject(uiFont_);
    deleteObject(titleFont_);
    deleteObject(versionFont_);
    uiFont_ = createMessageFont(dpi_);
    titleFont_ = serif(26, true, dpi_);
    versionFont_ = serif(16, false, dpi_);
    const std::pair<HWND, HFONT> fonts[] = {
        {DrvList1, uiFont_}, {DirList1, uiFont_}, {Label1, titleFont_},    {Label2, versionFont_},
        {Label3, uiFont_},   {status_, uiFont_},  {folderLabel_, uiFont_}, {folderText_, uiFont_}};
    for (const auto& [control, font] : fonts)
        SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);

    const int size = scaled(kLogoSize, dpi_);
    HBITMAP logo = static_cast<HBITMAP>(LoadImageW(
        GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDB_LOGO), IMAGE_BITMAP, size, size, 0));
    SendMessageW(Image1, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(logo));
    deleteObject(logo_);
    logo_ = logo;
}

void frmZ5Def::layout() {
    if (!status_) return;
    SendMessageW(status_, WM_SIZE, 0, 0);
    RECT client{}, bar{}, combo{};
    GetClientRect(hwnd_, &client);
    GetWindowRect(status_, &bar);
    auto s = [this](int v) { return scaled(v, dpi_); };
    const int margin = s(8), width = client.right, bottom = client.bottom - (bar.bottom - bar.top);
    // The working folder's line across the window, then the two columns.
    const int labelWidth = s(96), lineHeight = s(22);
    MoveWindow(folderLabel_, margin, margin, labelWidth, lineHeight, TRUE);
    MoveWindow(folderText_, margin + labelWidth, margin + s(3),
               std::max(0, width - 2 * margin - labelWidth), lineHeight - s(3), TRUE);
    const int top = margin + lineHeight + s(6);
    const int left = (width - 3 * margin) * 3 / 5;
    MoveWindow(DrvList1, margin, top, left, s(300), TRUE);
    GetWindowRect(DrvList1, &combo);
    const int listTop = top + (combo.bottom - combo.top) + s(6);
    MoveWindow(DirList1, margin, listTop, left, std::max(0, bottom - margin - listTop), TRUE);
    const int x = 2 * margin + left, w = std::max(0, width - x - margin);
    int y = top;
    const std::pair<HWND, int> column[] = {
        {Image1, kLogoSize + 4}, {Label1, 44}, {Label2, 30}, {Label3, 22}};
    for (const auto& [control, height] : column) {
        MoveWindow(control, x, y, w, s(height), TRUE);
        y += s(height);
    }
}

void frmZ5Def::command(WPARAM wParam, HWND from) {
    const UINT code = HIWORD(wParam);
    const bool enter = LOWORD(wParam) == IDOK && GetFocus() == DirList1;
    if ((from == DirList1 && code == LBN_DBLCLK) || enter) {
        const auto row = SendMessageW(DirList1, LB_GETCURSEL, 0, 0);
        if (row >= 0 && static_cast<std::size_t>(row) < rows_.size())
            controller_.folderChosen(rows_[static_cast<std::size_t>(row)].path);
    } else if (from == DrvList1 && code == CBN_DROPDOWN) {
        fillDrives();
    } else if (from == DrvList1 && (code == CBN_CLOSEUP || code == CBN_SELCHANGE) &&
               !SendMessageW(DrvList1, CB_GETDROPPEDSTATE, 0, 0)) {
        const int chosen = chosenDrive();
        if (chosen >= 0) controller_.driveChosen(drives_[static_cast<std::size_t>(chosen)]);
    } else if (!from && LOWORD(wParam) == kHelpCommandId) {
        controller_.help();
    } else if (const MenuEntry* entry = menuEntryOfCommand(LOWORD(wParam)); !from && entry) {
        controller_.choose(*entry);
    }
}

void frmZ5Def::dropped(HDROP drop) {
    std::vector<std::string> paths;
    const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
    for (UINT i = 0; i < count; ++i) {
        std::wstring path(DragQueryFileW(drop, i, nullptr, 0) + 1u, L'\0');
        path.resize(DragQueryFileW(drop, i, path.data(), static_cast<UINT>(path.size())));
        paths.push_back(narrow(path));
    }
    DragFinish(drop);
    if (!paths.empty()) controller_.filesDropped(paths);
}

bool frmZ5Def::Form_Load() {
    centreOnScreen(hwnd_);
    // The help file is kHelpFile: F1 shows its text.
    const bool started = controller_.start();
    DrawMenuBar(hwnd_);
    return started;
}

std::string frmZ5Def::statusText() const {
    const auto length = LOWORD(SendMessageW(status_, SB_GETTEXTLENGTHW, 0, 0));
    std::wstring text(length + 1u, L'\0');
    SendMessageW(status_, SB_GETTEXTW, 0, reinterpret_cast<LPARAM>(text.data()));
    text.resize(length);
    return narrow(text);
}

void frmZ5Def::setDrives(std::vector<std::string> roots) {
    fixedDrives_ = true;
    drives_.clear();
    for (const std::string& root : roots) drives_.push_back(cleanFolder(root));
    fillDrives();
}

void frmZ5Def::fillDrives() {
    if (!fixedDrives_) drives_ = logicalDrives();
    fillDriveList(DrvList1, drives_, controller_.currentDrive());
}

std::vector<std::string> frmZ5Def::driveRows() const {
    return driveListRows(DrvList1);
}

int frmZ5Def::chosenDrive() const {
    const auto chosen = SendMessageW(DrvList1, CB_GETCURSEL, 0, 0);
    return chosen >= 0 && static_cast<std::size_t>(chosen) < drives_.size()
               ? static_cast<int>(chosen)
               : -1;
}

bool frmZ5Def::showFolder(const std::string& folder) {
    rows_ = z5::folderRows(folder);
    fillFolderList(DirList1, rows_);
    return true;
}

void frmZ5Def::showWorkingFolder(const std::string& folder) {
    SetWindowTextW(folderText_, widen(folder).c_str());
}

void frmZ5Def::showStatus(const std::string& message) {
    SendMessageW(status_, SB_SETTEXTW, 0, reinterpret_cast<LPARAM>(widen(message).c_str()));
}

void frmZ5Def::showError(const std::string& message, Severity severity) {
    dialogs_->message(severity == Severity::Critical ? MB_ICONERROR : MB_ICONWARNING,
                      widen(kWindowTitle), widen(message));
}

bool frmZ5Def::askYesNo(const std::string& message) {
    return dialogs_->ask(widen(kWindowTitle), widen(message));
}

std::unique_ptr<Host> frmZ5Def::commandHost(const std::string& folder,
                                            std::function<void(const std::string&)> notice) {
    return std::make_unique<Win32Host>(hwnd_, *dialogs_, folder, std::move(notice));
}

void frmZ5Def::showPicture(picture::Drawing drawing, const std::string& title,
                           PictureSource source) {
    frmPicture::open(
        std::move(drawing), title, hwnd_, *dialogs_, [this] { return controller_.workingFolder(); },
        std::move(source));
}

std::optional<std::string> frmZ5Def::chooseFileOrFolder(const std::string& title,
                                                        const std::string& folder) {
    const std::optional<std::wstring> chosen =
        dialogs_->chooseFileOrFolder(widen(title), widen(folder));
    if (!chosen) return std::nullopt;
    return narrow(*chosen);
}

void frmZ5Def::showProgress(const std::string& message) {
    showStatus(message);
    UpdateWindow(status_);  // the window is busy: no message loop paints it
}

void frmZ5Def::showList(const std::string& title, const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) text += line + '\n';
    list_->showText(title, text);
}

void frmZ5Def::closeWindow() {
    SendMessageW(hwnd_, WM_CLOSE, 0, 0);
}

}  // namespace z5
