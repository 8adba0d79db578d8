#include <filesystem>
#include <string>
#include <system_error>

#include "archive/archive.hpp"
#include "archive/format.hpp"

namespace z5 {

Outcome mnuCleanUp_Click(Host& host) {
    CommandOptions options;
    options.showsBusy = false;  // no dialog, and the pointer is left alone
    return runCommand(host, options, [](Command& cmd) {
        const std::string listPath = cmd.inputPath(kListName);
        TextReader list(listPath, std::string(kListName));
        list.readLine();  // archive name
        list.readLine();  // count: every following line is used, however many there are
        while (!list.atEnd()) {
            const std::string name = readListName(list, "member name");
            // Only the file of exactly this name goes: no wildcard expansion,
            // no folders, never the list itself.
            const std::string path = cmd.outputPath(name);
            std::error_code ec;
            const auto status = std::filesystem::symlink_status(path, ec);
            if (!std::filesystem::exists(status))
                list.fail("cannot delete " + name + ": no such file");
            if (std::filesystem::is_directory(status)) list.fail(name + " is a folder, not a file");
            if (sameFile(path, listPath)) list.fail("the list names itself; it is kept");
            if (!std::filesystem::remove(path, ec))
                list.fail("cannot delete " + name + ": " + ec.message());
        }
    });
}

}  // namespace z5
