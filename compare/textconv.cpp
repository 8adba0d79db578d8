#include "compare/textconv.hpp"

#include <array>
#include <cstdio>
#include <ostream>

#include "archive/directory.hpp"
#include "commands/table.hpp"
#include "compare/files.hpp"
#include "platform/display.hpp"
#include "platform/encoding.hpp"
#include "platform/paths.hpp"
#include "setup/setup.hpp"

namespace z5::compare {
namespace {

// What the lines call the file: git hands textconv a name of its own.
constexpr std::string_view kShown = "the file";

std::string crcText(std::string_view bytes) {
    char text[16];
    std::snprintf(text, sizeof text, "%08x", static_cast<unsigned>(crc32(bytes)));
    return text;
}

std::string padded(std::string text, std::size_t width, bool right) {
    if (text.size() < width) text.insert(right ? 0 : text.size(), width - text.size(), ' ');
    return text;
}

// The lines of a text file, with line feeds.
void copyLines(const std::string& path, std::ostream& out) {
    TextReader in(path, std::string(kShown));
    while (!in.atEnd()) out << in.readLine() << '\n';
}

void definitions(const std::string& path, const std::string& kind, std::ostream& out) {
    // The definition files are written in the system's folder for
    // temporary files, never beside the file (in git's work tree).
    const TemporaryFolder scratch(systemTemporaryFolder(), "z5textconv-", "a private folder");
    std::vector<std::string> files;
    if (kind == "stg") {
        BinaryReader in(path, std::string(kShown));
        setup::Setup s = setup::readSetup(in);
        s.name = setup::setupFields(s).groups.at(0).records.at(0).fields.at(0).text;
        s.folderName.clear();
        TextWriter def(joinPath(scratch.path(), "stg.def"), "stg.def");
        setup::printSetup(def, s);
        def.close();
        files.emplace_back("stg.def");
    } else {
        const CommandEntry* row = nullptr;
        for (const CommandEntry& r : commandTable())
            if (!r.compiledBy.empty() && r.fileExtension() == "." + kind) row = &r;
        WindowlessHost host(scratch.path(), path);
        const Outcome outcome = row->run(host);
        if (outcome.status != Status::Done) throw CommandFailure(outcome.reason);
        for (const std::string_view file : row->writes)
            if (!file.empty()) files.emplace_back(file);
    }
    for (const std::string& file : files) {
        out << "==> " << file << " <==\n";
        copyLines(joinPath(scratch.path(), file), out);
    }
}

}  // namespace

std::uint32_t crc32(std::string_view bytes, std::uint32_t crc) {
    static const std::array<std::uint32_t, 256> table = [] {
        std::array<std::uint32_t, 256> t{};
        for (std::uint32_t i = 0; i < 256; ++i) {
            std::uint32_t c = i;
            for (int k = 0; k < 8; ++k) c = c & 1 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[i] = c;
        }
        return t;
    }();
    crc = ~crc;
    for (const char b : bytes)
        crc = table[(crc ^ static_cast<unsigned char>(b)) & 0xFF] ^ (crc >> 8);
    return ~crc;
}

namespace {

// "1234 bytes, crc32 89abcdef" of the file, read a piece at a time.
std::string sizeAndCrc(const std::string& path) {
    try {
        const InputFile file(path, std::string(kShown));
        constexpr std::int64_t kPiece = 1 << 20;
        std::uint32_t crc = 0;
        for (std::int64_t at = 0; at < file.size(); at += kPiece)
            crc = crc32(readRange(file, at, std::min(kPiece, file.size() - at)), crc);
        char text[16];
        std::snprintf(text, sizeof text, "%08x", static_cast<unsigned>(crc));
        return std::to_string(file.size()) + " bytes, crc32 " + text;
    } catch (const std::exception&) {
        return "unreadable";
    }
}

}  // namespace

void textconv(const std::string& path, std::ostream& out) {
    try {
        const InputFile file(path, std::string(kShown));
        const std::string kind = kindOf(file, 0, file.size(), path);
        if (kind == "dat") {
            const std::vector<DatMember> members = readDirectory(file);
            requireMemberData(file, members);
            std::string lines;
            for (const DatMember& m : members) {
                const std::string member = readRange(file, m.data, m.entry.Size);
                const std::string memberKind = kindOf(file, m.data, m.entry.Size, m.name);
                lines += padded(printableLine(m.name), 13, false) + ' ' +
                         padded(std::to_string(m.entry.Size), 10, true) + "  " +
                         padded(memberKind.empty() ? "-" : memberKind, 3, false) + "  crc32 " +
                         crcText(member) + '\n';
            }
            out << lines;
            return;
        }
        if (kind.empty()) throw CommandFailure("not a kind of file z5def reads");
        definitions(path, kind, out);
    } catch (const std::exception& e) {
        // The reason names the file as the lines do, never by git's path.
        std::string reason = e.what();
        for (std::size_t at; (at = reason.find(path)) != std::string::npos;)
            reason.replace(at, path.size(), kShown);
        out << "z5def textconv: " << printableLine(reason) << " (" << sizeAndCrc(path) << ")\n";
    }
}

}  // namespace z5::compare
