// A Host for the 3do fuzz targets: dialogs answer with files in a scratch
// folder of this process, messages are only counted.
#pragma once

#include <unistd.h>

#include <filesystem>
#include <string>

#include "textfmt/host.hpp"

class FuzzHost : public z5::Host {
public:
    explicit FuzzHost(const char* prefix)
        : folder_("/tmp/" + std::string(prefix) + std::to_string(getpid())) {
        std::filesystem::create_directories(folder_);
    }
    std::optional<std::string> openFileName(std::string_view) override { return path(openName); }
    std::optional<std::string> saveFileName(std::string_view, const std::string&) override {
        return path(saveName);
    }
    std::string workingFolder() override { return folder_; }
    void setCaption(const std::string&) override {}
    void setBusy(bool) override {}
    void messageBox(const std::string&, const std::string&) override { ++messages; }
    std::string path(std::string_view name) const { return folder_ + "/" + std::string(name); }

    std::string openName = "in.3do";
    std::string saveName = "out.3do";
    int messages = 0;

private:
    std::string folder_;
};
