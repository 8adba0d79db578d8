#include "win32/mainwindow.hpp"

#include <commctrl.h>

#include <exception>

#include "commands/help.hpp"
#include "commands/table.hpp"
#include "commands/texts.hpp"
#include "platform/encoding.hpp"
#include "platform/files.hpp"
#include "win32/host.hpp"
#include "win32/popups.hpp"
#include "win32/programstart.hpp"
#include "win32/resource.h"
#include "win32/system.hpp"

namespace z5 {
namespace {

constexpr wchar_t kMainClass[] = L"frmZ5Def";
constexpr DWORD kStyle = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;
constexpr DWORD kExStyle = WS_EX_CONTROLPARENT;
// The client area in logical pixels when the window opens.
constexpr int kWidth = 560, kHeight = 400;
constexpr int kLogoSize = 112;

HWND child(const wchar_t* type, const std::string& text, DWORD style, HWND parent, int id) {
    return CreateWindowExW(0, type, widen(text).c_str(), WS_CHILD | WS_VISIBLE | style, 0, 0, 0, 0,
                           parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                           GetModuleHandleW(nullptr), nullptr);
}

HFONT serif(int points, bool bold, UINT dpi) {
    return CreateFontW(-MulDiv(points, static_cast<int>(dpi), 72), 0, 0, 0,
                       bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                       OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY,
                       VARIABLE_PITCH | FF_ROMAN, widen(kLabelFace).c_str());
}

void deleteObject(auto*& object) {
    if (object) DeleteObject(object);
    object = nullptr;
}

}  // namespace

frmZ5Def::frmZ5Def(WindowOptions options)
    : options_(options), starter_(std::make_unique<SystemStarter>()) {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_BAR_CLASSES};
    InitCommonControlsEx(&controls);
    registerWindowClass(kMainClass, procedure);
    CreateWindowExW(kExStyle, kMainClass, widen(kWindowTitle).c_str(), kStyle, CW_USEDEFAULT,
                    CW_USEDEFAULT, kWidth, kHeight, nullptr, menu_.handle(),
                    GetModuleHandleW(nullptr), this);
    dialogs_ = std::make_unique<SystemDialogs>(hwnd_);
    accelerators_ = createAccelerators();
    about_ = std::make_unique<frmAbout>(hwnd_);
    help_ = std::make_unique<frmHelp>(hwnd_);
}

frmZ5Def::~frmZ5Def() {
    about_.reset();
    help_.reset();
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
        case WM_COMMAND: {
            const auto from = reinterpret_cast<HWND>(lParam);
            const UINT code = HIWORD(wParam);
            const bool enter = LOWORD(wParam) == IDOK && GetFocus() == DirList1;
            if ((from == DirList1 && code == LBN_DBLCLK) || enter) {
                const auto row = SendMessageW(DirList1, LB_GETCURSEL, 0, 0);
                if (row >= 0 && static_cast<std::size_t>(row) < rows_.size())
                    DirList1_Change(rows_[static_cast<std::size_t>(row)].path);
            } else if (from == DrvList1 && code == CBN_DROPDOWN) {
                fillDrives();
            } else if (from == DrvList1 && (code == CBN_CLOSEUP || code == CBN_SELCHANGE) &&
                       !SendMessageW(DrvList1, CB_GETDROPPEDSTATE, 0, 0)) {
                const int chosen = chosenDrive();
                if (chosen >= 0) DrvList1_Change(drives_[static_cast<std::size_t>(chosen)]);
            } else if (!from) {
                menuCommand(LOWORD(wParam));
            }
            return 0;
        }
        case WM_DESTROY:
            if (options_.endsProgram) PostQuitMessage(0);
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
    DrvList1 =
        child(WC_COMBOBOXW, "", CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, hwnd_, kDrvList1);
    DirList1 = child(WC_LISTBOXW, "",
                     LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_VSCROLL | WS_BORDER | WS_TABSTOP, hwnd_,
                     kDirList1);
    Image1 = child(WC_STATICW, "", SS_BITMAP | SS_CENTERIMAGE, hwnd_, kImage1);
    Label1 = child(WC_STATICW, kLabel1Text, SS_CENTER | SS_NOPREFIX, hwnd_, kLabel1);
    Label2 = child(WC_STATICW, kLabel2Text, SS_CENTER | SS_NOPREFIX, hwnd_, kLabel2);
    Label3 = child(WC_STATICW, kLabel3Text, SS_CENTER | SS_NOPREFIX, hwnd_, kLabel3);
    status_ = child(STATUSCLASSNAMEW, "", SBARS_SIZEGRIP, hwnd_, kStatusBar);
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
    const std::pair<HWND, HFONT> fonts[] = {{DrvList1, uiFont_},  {DirList1, uiFont_},
                                            {Label1, titleFont_}, {Label2, versionFont_},
                                            {Label3, uiFont_},    {status_, uiFont_}};
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
    const int left = (width - 3 * margin) * 3 / 5;
    MoveWindow(DrvList1, margin, margin, left, s(300), TRUE);
    GetWindowRect(DrvList1, &combo);
    const int listTop = margin + (combo.bottom - combo.top) + s(6);
    MoveWindow(DirList1, margin, listTop, left, std::max(0, bottom - margin - listTop), TRUE);
    const int x = 2 * margin + left, w = std::max(0, width - x - margin);
    int y = margin;
    const std::pair<HWND, int> column[] = {
        {Image1, kLogoSize + 4}, {Label1, 44}, {Label2, 30}, {Label3, 22}};
    for (const auto& [control, height] : column) {
        MoveWindow(control, x, y, w, s(height), TRUE);
        y += s(height);
    }
}

bool frmZ5Def::Form_Load() {
    for (const MenuEntry& e : menuTree())
        if (e.role != MenuRole::Program)
            menu_.apply(e, menuState(e, settings_, options_.allCommands));
    centreOnScreen(hwnd_);
    // The help file is kHelpFile: F1 shows its text.

    try {
        settings_ = readSettings(std::string(strIni));
    } catch (const SettingsError& e) {
        showError(e.what(), true);
        return false;
    }
    const std::string start = cleanFolder(settings_.strStart);
    if (!folderReason(start).empty()) {
        showError(
            std::string(strIni) + ": start folder \"" + settings_.strStart + "\": path not found",
            true);
        return false;
    }
    showFolder(start);
    showDriveOf(start);

    for (const MenuEntry& e : menuTree())
        if (e.role == MenuRole::Program)
            menu_.apply(e, menuState(e, settings_, options_.allCommands));
    DrawMenuBar(hwnd_);
    return true;
}

std::string frmZ5Def::statusText() const {
    const auto length = LOWORD(SendMessageW(status_, SB_GETTEXTLENGTHW, 0, 0));
    std::wstring text(length + 1u, L'\0');
    SendMessageW(status_, SB_GETTEXTW, 0, reinterpret_cast<LPARAM>(text.data()));
    text.resize(length);
    return narrow(text);
}

void frmZ5Def::setStarter(std::unique_ptr<ProgramStarter> starter) {
    starter_ = std::move(starter);
}

void frmZ5Def::setDialogs(std::unique_ptr<Dialogs> dialogs) {
    dialogs_ = std::move(dialogs);
}

void frmZ5Def::setDrives(std::vector<std::string> roots) {
    fixedDrives_ = true;
    drives_.clear();
    for (const std::string& root : roots) drives_.push_back(cleanFolder(root));
    fillDrives();
}

void frmZ5Def::fillDrives() {
    if (!fixedDrives_) drives_ = logicalDrives();
    SendMessageW(DrvList1, CB_RESETCONTENT, 0, 0);
    for (const std::string& root : drives_)
        SendMessageW(DrvList1, CB_ADDSTRING, 0,
                     reinterpret_cast<LPARAM>(widen(driveCaption(root)).c_str()));
    showDriveOf(folder_);
}

void frmZ5Def::showDriveOf(const std::string& folder) {
    const std::string root = volumeOf(folder, drives_);
    int index = -1;
    for (std::size_t i = 0; i < drives_.size(); ++i)
        if (!root.empty() && drives_[i] == root) index = static_cast<int>(i);
    SendMessageW(DrvList1, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

std::vector<std::string> frmZ5Def::driveRows() const {
    std::vector<std::string> rows;
    const auto count = SendMessageW(DrvList1, CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        std::wstring text(static_cast<std::size_t>(
                              SendMessageW(DrvList1, CB_GETLBTEXTLEN, static_cast<WPARAM>(i), 0)) +
                              1,
                          L'\0');
        SendMessageW(DrvList1, CB_GETLBTEXT, static_cast<WPARAM>(i),
                     reinterpret_cast<LPARAM>(text.data()));
        rows.push_back(narrow(text.c_str()));
    }
    return rows;
}

int frmZ5Def::chosenDrive() const {
    const auto chosen = SendMessageW(DrvList1, CB_GETCURSEL, 0, 0);
    return chosen >= 0 && static_cast<std::size_t>(chosen) < drives_.size()
               ? static_cast<int>(chosen)
               : -1;
}

bool frmZ5Def::showFolder(const std::string& folder) {
    rows_ = z5::folderRows(folder);
    folder_ = folder;
    SendMessageW(DirList1, WM_SETREDRAW, FALSE, 0);
    SendMessageW(DirList1, LB_RESETCONTENT, 0, 0);
    int current = 0;
    for (std::size_t i = 0; i < rows_.size(); ++i) {
        const FolderRow& row = rows_[i];
        const std::string text =
            std::string(3 * static_cast<std::size_t>(row.depth), ' ') + row.name;
        SendMessageW(DirList1, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(widen(text).c_str()));
        if (row.open) current = static_cast<int>(i);
    }
    SendMessageW(DirList1, LB_SETCURSEL, static_cast<WPARAM>(current), 0);
    SendMessageW(DirList1, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(DirList1, nullptr, TRUE);
    return true;
}

bool frmZ5Def::DirList1_Change(const std::string& folder) {
    const std::string clean = cleanFolder(folder);
    const std::string reason = folderReason(clean);
    if (!reason.empty()) {
        showFolder(folder_);  // the list again as it is now
        showError(clean + ": " + reason, false);
        return false;
    }
    showFolder(clean);
    lastFolderOfDrive_[foldCase(volumeOf(clean, drives_))] = clean;
    showDriveOf(clean);
    return true;
}

void frmZ5Def::DrvList1_Change(const std::string& root) {
    const std::string current = folder_;
    const std::string currentRoot = volumeOf(current, drives_);
    if (foldCase(currentRoot) == foldCase(root)) return;
    lastFolderOfDrive_[foldCase(currentRoot)] = current;
    const auto known = lastFolderOfDrive_.find(foldCase(root));
    std::string folder = known != lastFolderOfDrive_.end() ? known->second : root;
    if (!folderReason(folder).empty()) folder = root;  // the last folder there is gone
    const std::string problem = folderReason(folder);
    if (!problem.empty()) {
        showDriveOf(current);
        showError(root + ": " + problem, false);
        return;
    }
    DirList1_Change(folder);
}

void frmZ5Def::menuCommand(UINT id) {
    if (id == kHelpCommandId) {
        showHelp();
        return;
    }
    const MenuEntry* entry = menuEntryOfCommand(id);
    if (!entry || !menu_.isEnabled(entry->name)) return;
    switch (entry->role) {
        case MenuRole::Command:
            runConverter(*findCommandByMenu(entry->name));
            break;
        case MenuRole::Program:
            mnuProgram_Click(entry->program);
            break;
        case MenuRole::Shell:
            if (entry->name == "mnuDos")
                mnuDos_Click();
            else if (entry->name == "mnuExit")
                mnuExit_Click();
            else if (entry->name == "mnuAbout")
                mnuAbout_Click();
            break;
        default:  // the LP entries and the other entries without a command
            break;
    }
}

void frmZ5Def::startProgram(const std::string& commandLine) {
    const std::string reason = starter_->start(commandLine, folder_);
    if (!reason.empty()) showError("Cannot start \"" + commandLine + "\": " + reason, false);
}

void frmZ5Def::mnuDos_Click() {
    startProgram(shellCommandLine());
}

void frmZ5Def::mnuProgram_Click(int intProgram) {
    if (intProgram < 1 || intProgram > kProgramCount) return;
    startProgram(settings_.strProgram[static_cast<std::size_t>(intProgram - 1)]);
}

void frmZ5Def::mnuAbout_Click() {
    about_->Form_Load();
}

void frmZ5Def::mnuExit_Click() {
    SendMessageW(hwnd_, WM_CLOSE, 0, 0);
}

void frmZ5Def::showHelp() {
    help_->show();
}

void frmZ5Def::runConverter(const CommandEntry& command) {
    showStatus({});
    std::string failure;
    try {
        // Remarks show in the status bar while the command runs; a failure
        // reason replaces them.
        Win32Host host(
            hwnd_, *dialogs_, [this] { return folder_; },
            [this](const std::string& line) { showStatus(line); });
        const Outcome outcome = command.run(host);
        if (outcome.status == Status::Failed) failure = outcome.reason;
    } catch (const std::exception& e) {
        failure = e.what();
    }
    if (!failure.empty()) showStatus(menuPath(command.menu) + ": " + failure);
}

void frmZ5Def::showStatus(const std::string& message) {
    SendMessageW(status_, SB_SETTEXTW, 0, reinterpret_cast<LPARAM>(widen(message).c_str()));
}

void frmZ5Def::showError(const std::string& message, bool critical) {
    dialogs_->message(critical ? MB_ICONERROR : MB_ICONWARNING, widen(kWindowTitle),
                      widen(message));
}

}  // namespace z5
