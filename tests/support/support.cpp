#include "tests/support/support.hpp"

#ifndef _WIN32
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <atomic>
#include <bit>
#include <chrono>
#include <fstream>
#include <random>
#include <sstream>
#include <stdexcept>
#include <thread>

#include "platform/encoding.hpp"
#include "platform/files.hpp"

namespace z5::test {

TempFolder::TempFolder(std::string_view label) {
    static std::atomic<unsigned> counter{0};
    std::random_device rd;
    for (int attempt = 0; attempt < 100; ++attempt) {
        auto candidate =
            std::filesystem::temp_directory_path() /
            (std::string(label) + "-" + std::to_string(rd()) + "-" + std::to_string(counter++));
        if (std::filesystem::create_directory(candidate)) {
            path_ = candidate;
            return;
        }
    }
    throw std::runtime_error("cannot create a temporary folder");
}

TempFolder::~TempFolder() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
}

std::string TempFolder::str() const {
    return pathText(path_);
}

std::string TempFolder::file(std::string_view name) const {
    return pathText(path_ / nativePath(name));
}

void writeFile(const std::string& path, std::string_view bytes) {
    std::ofstream f(nativePath(path), std::ios::binary | std::ios::trunc);
    f.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!f) throw std::runtime_error("cannot write " + path);
}

std::string readFile(const std::string& path) {
    std::ifstream f(nativePath(path), std::ios::binary);
    if (!f) throw std::runtime_error("cannot read " + path);
    std::ostringstream s;
    s << f.rdbuf();
    return s.str();
}

std::vector<std::string> folderNames(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(nativePath(folder)))
        names.push_back(pathText(e.path().filename()));
    std::sort(names.begin(), names.end());
    return names;
}

std::ostream& operator<<(std::ostream& out, const DiskEntry& entry) {
    if (entry.kind == DiskEntry::Kind::Folder) return out << "folder";
    if (entry.kind == DiskEntry::Kind::Link) return out << "link to " << entry.bytes;
    out << '"';
    for (const char c : entry.bytes) {
        const auto u = static_cast<unsigned char>(c);
        if (u >= 0x20 && u < 0x7F && c != '"' && c != '\\') {
            out << c;
        } else {
            constexpr char kDigits[] = "0123456789ABCDEF";
            out << "\\x" << kDigits[u >> 4] << kDigits[u & 15];
        }
    }
    return out << '"';
}

std::map<std::string, DiskEntry> folderFiles(const std::string& folder, bool deep) {
    std::map<std::string, DiskEntry> files;
    for (const auto& e : std::filesystem::directory_iterator(nativePath(folder))) {
        const auto status = e.symlink_status();
        const std::string name = pathText(e.path().filename());
        const std::string path = pathText(e.path());
        if (std::filesystem::is_symlink(status)) {
            files[name] = {DiskEntry::Kind::Link, pathText(std::filesystem::read_symlink(e))};
        } else if (std::filesystem::is_directory(status)) {
            files[name] = {DiskEntry::Kind::Folder, {}};
            if (deep)
                for (auto& [inner, entry] : folderFiles(path, true))
                    files[name + "/" + inner] = std::move(entry);
        } else {
            files[name] = DiskEntry::file(readFile(path));
        }
    }
    return files;
}

void emptyFolder(const std::string& folder) {
    for (const auto& e : std::filesystem::directory_iterator(folder))
        std::filesystem::remove_all(e.path());
}

std::string contentOnceItHolds(const std::string& path, std::string_view expected) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(1);
    for (;;) {
        std::string content;
        try {
            content = readFile(path);
        } catch (const std::runtime_error&) {
        }
        if (content == expected || std::chrono::steady_clock::now() > deadline) return content;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
}

#ifndef _WIN32
int signalThatEnds(const std::function<void()>& body) {
    const pid_t child = ::fork();
    if (child == 0) {
        removeTemporaryFilesOnSignals();
        body();
        std::_Exit(0);
    }
    int status = 0;
    if (child < 0 || ::waitpid(child, &status, 0) != child) return -1;
    return WIFSIGNALED(status) ? WTERMSIG(status) : 0;
}
#endif

std::int32_t valueAt(std::string_view bytes, std::size_t offset) {
    std::uint32_t v = 0;
    for (std::size_t i = 0; i < 4 && offset + i < bytes.size(); ++i)
        v |= std::uint32_t(std::uint8_t(bytes[offset + i])) << (8 * i);
    return static_cast<std::int32_t>(v);
}

bool fileExists(const std::string& path) {
    return std::filesystem::exists(nativePath(path));
}

std::string crlf(std::initializer_list<std::string_view> lines) {
    std::string out;
    for (auto line : lines) {
        out.append(line);
        out.append("\r\n");
    }
    return out;
}

std::vector<std::string> splitLines(std::string_view text, std::string_view end) {
    std::vector<std::string> lines;
    while (!text.empty()) {
        const std::size_t at = text.find(end);
        lines.emplace_back(text.substr(0, at));
        text.remove_prefix(at == std::string_view::npos ? text.size() : at + end.size());
    }
    return lines;
}

std::vector<std::string> splitCrlf(std::string_view text) {
    return splitLines(text, "\r\n");
}

std::string joinCrlf(const std::vector<std::string>& lines) {
    std::string out;
    for (const auto& line : lines) out.append(line).append("\r\n");
    return out;
}

Bytes& Bytes::u8(std::uint8_t v) {
    data_.push_back(static_cast<char>(v));
    return *this;
}
Bytes& Bytes::i16(std::int16_t v) {
    const auto u = static_cast<std::uint16_t>(v);
    return u8(static_cast<std::uint8_t>(u)).u8(static_cast<std::uint8_t>(u >> 8));
}
Bytes& Bytes::i32(std::int32_t v) {
    const auto u = static_cast<std::uint32_t>(v);
    for (int shift = 0; shift < 32; shift += 8) u8(static_cast<std::uint8_t>(u >> shift));
    return *this;
}
Bytes& Bytes::f32(float v) {
    return i32(std::bit_cast<std::int32_t>(v));
}
Bytes& Bytes::text(std::string_view s) {
    data_.append(s);
    return *this;
}
Bytes& Bytes::fixed(std::string_view s, std::size_t width) {
    data_.append(s.substr(0, width));
    if (s.size() < width) data_.append(width - s.size(), '\0');
    return *this;
}
Bytes& Bytes::fill(std::size_t count, std::uint8_t v) {
    data_.append(count, static_cast<char>(v));
    return *this;
}

std::string archive(const std::vector<Member>& members) {
    Bytes b;
    b.i16(static_cast<std::int16_t>(members.size()));
    auto offset = static_cast<std::int32_t>(2 + 27 * members.size());
    for (const auto& m : members) {
        const auto size = static_cast<std::int32_t>(m.data.size());
        b.u8(m.tag).u8(0).i32(size).i32(m.size2 < 0 ? size : m.size2).fixed(m.name, 13).i32(offset);
        offset += size;
    }
    for (const auto& m : members) b.text(m.data);
    return b.str();
}

}  // namespace z5::test
