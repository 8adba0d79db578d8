#include "textfmt/command.hpp"

#include <new>
#include <optional>

#include "textfmt/paths.hpp"

namespace z5 {

Command::Command(Host& host, std::string chosenPath)
    : host_(host), chosenPath_(std::move(chosenPath)), folder_(host.workingFolder()) {}

std::string Command::outputPath(std::string_view name) const {
    return joinPath(folder_, name);
}

std::string Command::inputPath(std::string_view name) const {
    return findInFolder(folder_, name);
}

TextWriter& Command::createText(std::string_view name) {
    return texts_.emplace_back(outputPath(name), std::string(name));
}

BinaryWriter& Command::createBinary(std::string_view name) {
    return binaries_.emplace_back(outputPath(name), std::string(name));
}

BinaryWriter& Command::createBinaryAt(const std::string& path, std::string display,
                                      BinaryWriter::Mode mode) {
    return binaries_.emplace_back(path, std::move(display), mode);
}

BinaryReader Command::openInput() const {
    return BinaryReader(chosenPath_, chosenPath_);
}

TextReader Command::openText(std::string_view name) const {
    return TextReader(inputPath(name), std::string(name));
}

void Command::closeOutputs() {
    for (auto& t : texts_) t.close();
    for (auto& b : binaries_) b.close();
}

Outcome runCommand(Host& host, const CommandOptions& options,
                   const std::function<void(Command&)>& body) {
    std::string chosen;
    if (options.dialog != Dialog::None) {
        auto choice = options.dialog == Dialog::Open
                          ? host.openFileName(options.filter)
                          : host.saveFileName(options.filter, host.workingFolder());
        if (!choice) return {Status::Cancelled, {}};
        chosen = std::move(*choice);
        host.setCaption(std::string(kCaptionPrefix) + chosen);
    }

    if (options.showsBusy) host.setBusy(true);
    std::optional<std::string> failure;
    try {
        Command command(host, chosen);
        body(command);
        command.closeOutputs();
    } catch (const std::bad_alloc&) {
        failure = "out of memory";
    } catch (const std::exception& e) {
        failure = e.what();
    } catch (...) {
        failure = "unexpected failure";
    }
    // The command object is gone here: every file it opened is closed.
    if (failure) {
        if (options.showsBusy) host.setBusy(false);
        return {Status::Failed, std::move(*failure)};
    }
    if (options.showsBusy && !options.busyUntilMessageClosed) host.setBusy(false);
    host.messageBox(std::string(kDoneText), std::string(kDoneTitle));
    if (options.showsBusy && options.busyUntilMessageClosed) host.setBusy(false);
    return {Status::Done, {}};
}

}  // namespace z5
