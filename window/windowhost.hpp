// What every window's Host shares: the controller's working folder, the
// status bar for notices and the busy state. The toolkit adds the file
// dialogs, the caption, the pointer and the message box.
#pragma once

#include <functional>
#include <string>
#include <utility>

#include "core/host.hpp"

namespace z5 {

class WindowHost : public Host {
public:
    // The working folder is `folder`; notices go to `notice`.
    WindowHost(std::string folder, std::function<void(const std::string&)> notice)
        : folder_(std::move(folder)), notice_(std::move(notice)) {}
    WindowHost(const WindowHost&) = delete;
    WindowHost& operator=(const WindowHost&) = delete;

    std::string workingFolder() final { return folder_; }
    void notice(const std::string& line) final { notice_(line); }
    // Shows the pointer's change only, so a command may say busy twice.
    void setBusy(bool busy) final {
        if (busy == busy_) return;
        busy_ = busy;
        showBusy(busy);
    }

protected:
    // The toolkit's busy pointer. A derived destructor calls setBusy(false),
    // so the pointer is put back whatever the command left it as.
    virtual void showBusy(bool busy) = 0;

private:
    std::string folder_;
    std::function<void(const std::string&)> notice_;
    bool busy_ = false;
};

}  // namespace z5
