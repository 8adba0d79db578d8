#include "core/command.hpp"

#include <filesystem>
#include <new>
#include <optional>

#include "platform/display.hpp"
#include "platform/encoding.hpp"
#include "platform/files.hpp"
#include "platform/paths.hpp"

namespace z5 {

Command::Command(Host& host, std::string chosenPath)
    : host_(host),
      chosenPath_(std::move(chosenPath)),
      folder_(host.workingFolder()),
      strictness_(host.strictness()) {}

std::string Command::outputPath(std::string_view name) const {
    return joinPath(folder_, nameToPath(name));
}

std::string Command::inputPath(std::string_view name) const {
    return findInFolder(folder_, name);
}

TextWriter& Command::createText(std::string_view name) {
    const std::string path = outputPath(name);
    claimOutput(path, name);
    return texts_.emplace_back(path, std::string(name), true);
}

BinaryWriter& Command::createBinary(std::string_view name) {
    const std::string path = outputPath(name);
    claimOutput(path, name);
    return binaries_.emplace_back(path, std::string(name), true);
}

std::string Command::chosenName() const {
    return pathText(nativePath(chosenPath_).filename());
}

std::string Command::chosenStem() const {
    return pathText(nativePath(chosenPath_).stem());
}

bool Command::choseDefinitions() const {
    // The extension in ASCII letter case: foldCase gives upper case on Windows.
    return chosenPath_.empty() ||
           equalsIgnoringCase(pathText(nativePath(chosenPath_).extension()), ".def");
}

TextWriter& Command::createTextAt(const std::string& path, std::string display) {
    claimOutput(path, display);
    return texts_.emplace_back(path, std::move(display), false);
}

TextWriter& Command::createNamedText(std::string_view fileName) {
    const std::string chosen = host_.outputName();
    if (!chosen.empty()) return createTextAt(chosen, chosen);
    const std::string path = joinPath(folder_, fileName);
    claimOutput(path, fileName);
    return texts_.emplace_back(path, std::string(fileName), true);
}

TextWriter& Command::replaceText(std::string_view name) {
    const std::string path = inputPath(name);
    const auto it = claimIndex_.find(claimKey(path, false));
    if (it == claimIndex_.end() || claims_[it->second].output)
        throw CommandFailure(std::string(name) + " is replaced only after it was read");
    claims_[it->second].output = true;
    return texts_.emplace_back(path, pathText(nativePath(path).filename()), false);
}

BinaryWriter& Command::replaceBinaryAt(const std::string& path, std::string display) {
    const auto it = claimIndex_.find(claimKey(path, false));
    if (it == claimIndex_.end() || claims_[it->second].output)
        throw CommandFailure(display + " is replaced only after it was read");
    requireReplaceable(path, display);
    claims_[it->second].output = true;
    return binaries_.emplace_back(path, std::move(display));
}

BinaryWriter& Command::createBinaryAt(const std::string& path, std::string display) {
    claimOutput(path, display);
    return binaries_.emplace_back(path, std::move(display));
}

void Command::createCopyAt(const std::string& source, const std::string& path,
                           std::string display) {
    claimOutput(path, display);
    copies_.push_back(OutputFile::copyOf(source, path, std::move(display)));
}

namespace {
constexpr std::size_t kShownPerFile = 20;
}  // namespace

void Command::watch(TextReader& reader) {
    reader.setDiagnosticHook([this](Diagnostic d) { depart(std::move(d)); });
}

void Command::watch(BinaryReader& reader) {
    reader.setLenient(lenient());
    reader.setDiagnosticHook([this](Diagnostic d) { depart(std::move(d)); });
}

void Command::depart(Diagnostic d) {
    ++departures_;
    if (++departuresByFile_[d.file] > kShownPerFile) return;
    d.kind = strictness_ == Strictness::Strict ? DiagnosticKind::Error : DiagnosticKind::Warning;
    host_.diagnostic(d);
}

void Command::noteHiddenDepartures() {
    for (const auto& [file, count] : departuresByFile_)
        if (count > kShownPerFile)
            host_.diagnostic({file,
                              0,
                              0,
                              "(and " + std::to_string(count - kShownPerFile) + " more)",
                              {},
                              DiagnosticKind::Note});
    departuresByFile_.clear();
}

void Command::finishDepartures() {
    noteHiddenDepartures();
    if (strictness_ == Strictness::Strict && departures_ > 0)
        throw CommandFailure(std::to_string(departures_) +
                             (departures_ == 1 ? " departure" : " departures") +
                             " from the layout under --strict; nothing was written");
}

BinaryReader Command::openInput() {
    if (const auto bytes = host_.chosenFileBytes()) {
        claimInput(chosenPath_, chosenPath_);
        BinaryReader reader = BinaryReader::ofBytes(*bytes, chosenPath_);
        watch(reader);
        return reader;
    }
    return openBinaryAt(chosenPath_, chosenPath_);
}

TextReader Command::openText(std::string_view name) {
    // Named in reasons as the file is spelled in the folder ("cam.def" when
    // asked for "Cam.def"), which is the name found on every system.
    const std::string path = inputPath(name);
    return openTextAt(path, pathText(nativePath(path).filename()));
}

TextReader Command::openTextAt(const std::string& path, std::string display) {
    claimInput(path, display);
    host_.reading(path);
    TextReader reader(path, std::move(display));
    watch(reader);
    return reader;
}

BinaryReader Command::openBinaryAt(const std::string& path, std::string display) {
    claimInput(path, display);
    host_.reading(path);
    BinaryReader reader(path, std::move(display));
    watch(reader);
    return reader;
}

void Command::claimOutput(const std::string& path, std::string_view display) {
    claim(path, display, true);
    // Before anything is written: a read-only target fails the command
    // whole, not after the outputs before it were put in place.
    requireReplaceable(path, display);
}

void Command::claimInput(const std::string& path, std::string_view display) {
    claim(path, display, false);
}

std::string Command::folderKey(const std::string& folder) {
    auto it = folderKeys_.find(folder);
    if (it == folderKeys_.end()) {
        std::error_code ec;
        std::string key = pathText(
            std::filesystem::weakly_canonical(nativePath(folder.empty() ? "." : folder), ec)
                .make_preferred());
        if (ec) key = folder;
        while (key.size() > 1 && isNativeSeparator(key.back())) key.pop_back();
        // One folder in any letter case where names ignore it.
        if (kNamesIgnoreCase) key = foldCase(key);
        it = folderKeys_.emplace(folder, std::move(key)).first;
    }
    return it->second;
}

std::string Command::claimKey(const std::string& path, bool output) {
    namespace fs = std::filesystem;
    fs::path entry = nativePath(path);
    // An input reached through a link is the file the link names; an
    // output replaces a link and never writes through it.
    std::error_code ec;
    if (!output && fs::is_symlink(fs::symlink_status(entry, ec))) {
        const fs::path resolved = fs::weakly_canonical(entry, ec);
        if (!ec) entry = resolved;
    }
    return folderKey(pathText(entry.parent_path())) + '/' + foldCase(pathText(entry.filename()));
}

void Command::claim(const std::string& path, std::string_view display, bool output) {
    std::string key = claimKey(path, output);
    if (output)
        if (const auto longName = otherLongName(path))
            throw CommandFailure(std::string(display) + " is another name of the file " +
                                 *longName + "; it is not written over");

    auto refuse = [&](const Claim& other) {
        if (other.output && output)
            throw CommandFailure(std::string(display) + " and " + other.display +
                                 " would be written as one file");
        if (other.output || output) {
            const std::string_view input = output ? std::string_view(other.display) : display;
            throw CommandFailure(std::string(input) +
                                 " is an input of this command; it is not written over");
        }
    };
    // The same entry however it is spelled, or the same file under another
    // name (a hard link; on Windows a name the system shortens or
    // completes). An output replaces a link at its name, so its own entry
    // counts, not what a link points to.
    const auto [it, added] = claimIndex_.try_emplace(key, claims_.size());
    if (!added) return refuse(claims_[it->second]);
    if (const auto identity = fileIdentity(path, !output)) {
        const auto [same, fresh] = identityIndex_.try_emplace(*identity, claims_.size());
        if (!fresh) {
            claimIndex_.erase(it);
            return refuse(claims_[same->second]);
        }
    }
    claims_.push_back({std::move(key), path, std::string(display), output});
}

std::vector<std::string> Command::outputPaths() const {
    std::vector<std::string> paths;
    for (const Claim& c : claims_)
        if (c.output) paths.push_back(c.path);
    return paths;
}

void Command::closeOutputs() {
    // Every output is complete before the first one replaces its target,
    // and they replace their targets together or not at all.
    std::vector<std::pair<OutputFile*, bool>> files;
    for (auto& c : copies_) files.emplace_back(&c, false);
    for (auto& t : texts_)
        if (t.isOpen()) files.emplace_back(&t.flushedFile(), t.fixedName());
    for (auto& b : binaries_)
        if (b.isOpen()) files.emplace_back(&b.flushedFile(), b.fixedName());
    commitTogether(files);
}

void Command::keepPartialOutputs() {
    for (auto& t : texts_) t.closePartial();
}

Outcome runCommand(Host& host, const CommandOptions& options,
                   const std::function<void(Command&)>& body) {
    std::string chosen;
    if (options.dialog != Dialog::None) {
        auto choice = options.dialog == Dialog::Open
                          ? host.openFileName(options.filter)
                          : host.saveFileName(options.filter, host.workingFolder(),
                                              std::string(options.proposedName));
        if (!choice) return {Status::Cancelled, {}};
        chosen = std::move(*choice);
        if (options.setsCaption) host.setCaption(std::string(kCaptionPrefix) + chosen);
    }

    if (options.showsBusy) host.setBusy(true);
    std::optional<std::string> failure;
    std::optional<std::pair<std::string, std::string>> box;
    std::optional<Command> command;
    std::vector<std::string> written;
    try {
        command.emplace(host, chosen);
        body(*command);
        command->finishDepartures();
        command->closeOutputs();
        written = command->outputPaths();
    } catch (const StageFailure& e) {
        failure = e.what();
        box.emplace(e.boxText, e.boxTitle);
    } catch (const std::bad_alloc&) {
        failure = "out of memory";
    } catch (const std::exception& e) {
        failure = e.what();
    } catch (...) {
        failure = "unexpected failure";
    }
    if (failure && command) command->noteHiddenDepartures();
    if (failure && command && options.keepsPartialOutput) command->keepPartialOutputs();
    // With the command object every file it opened is closed, and every
    // output not completed is removed, its target left as it was.
    command.reset();
    if (failure) {
        if (options.showsBusy) host.setBusy(false);
        if (box) host.messageBox(box->first, box->second);
        // One printable line, whatever bytes a name from inside a file holds.
        return {Status::Failed, printableLine(*failure)};
    }
    if (options.showsBusy && !options.busyUntilMessageClosed) host.setBusy(false);
    if (options.showsDone) host.messageBox(std::string(kDoneText), std::string(kDoneTitle));
    if (options.showsBusy && options.busyUntilMessageClosed) host.setBusy(false);
    return {Status::Done, {}, std::move(written)};
}

}  // namespace z5
