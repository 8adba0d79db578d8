// The window's Host: the window's dialogs answer the open and save choices,
// both starting in the working folder, which the controller gives; the caption is the window title,
// the busy pointer is the application's override cursor and messages are
// modal boxes with an exclamation icon.
#pragma once

#include <QStringList>
#include <functional>
#include <string>
#include <string_view>

#include "window/windowhost.hpp"

class QWidget;

namespace z5 {

class Dialogs;

// A filter "Shown text|pattern[|Shown text|pattern...]" as Qt name filters.
// Each becomes "Shown text (patterns)"; the dialog hides the part in the
// last parentheses, so it shows exactly the shown text. Patterns match
// without regard to letter case (game files often have upper-case names),
// several patterns are separated by ";" and "*.*" means every file.
QStringList qtNameFilters(std::string_view filter);

class QtHost : public WindowHost {
public:
    QtHost(QWidget& window, Dialogs& dialogs, std::string folder,
           std::function<void(const std::string&)> notice);
    ~QtHost() override { setBusy(false); }

    std::optional<std::string> openFileName(std::string_view filter) override;
    std::optional<std::string> saveFileName(std::string_view filter,
                                            const std::string& initialFolder,
                                            const std::string& proposedName) override;
    void setCaption(const std::string& caption) override;
    void messageBox(const std::string& text, const std::string& title) override;

private:
    void showBusy(bool busy) override;

    QWidget& window_;
    Dialogs& dialogs_;
};

}  // namespace z5
