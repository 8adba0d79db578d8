// Text conversions on Windows only: UTF-8 paths reach the system as UTF-16.
#include <windows.h>

#include <algorithm>

#include "platform/encoding.hpp"

namespace z5 {

std::wstring widen(std::string_view utf8) {
    if (utf8.empty()) return {};
    const int size = static_cast<int>(utf8.size());
    std::wstring wide(static_cast<std::size_t>(size), L'\0');
    const int length = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, wide.data(), size);
    wide.resize(static_cast<std::size_t>(std::max(length, 0)));
    return wide;
}

std::string narrow(std::wstring_view utf16) {
    if (utf16.empty()) return {};
    const int size = static_cast<int>(utf16.size());
    const int length =
        WideCharToMultiByte(CP_UTF8, 0, utf16.data(), size, nullptr, 0, nullptr, nullptr);
    std::string text(static_cast<std::size_t>(std::max(length, 0)), '\0');
    WideCharToMultiByte(CP_UTF8, 0, utf16.data(), size, text.data(), length, nullptr, nullptr);
    return text;
}

std::string windowsMessage(unsigned long error) {
    wchar_t* text = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, error, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::string reason = length ? narrow(std::wstring_view(text, length)) : std::string();
    if (text) LocalFree(text);
    while (!reason.empty() && (reason.back() == '\n' || reason.back() == '\r' ||
                               reason.back() == ' ' || reason.back() == '.'))
        reason.pop_back();
    return reason.empty() ? "Windows error " + std::to_string(error) : reason;
}

std::filesystem::path nativePath(std::string_view path) {
    return std::filesystem::path(widen(path));
}

std::string pathText(const std::filesystem::path& path) {
    return narrow(path.native());
}

std::string foldCase(std::string_view text) {
    std::wstring wide = widen(text);
    CharUpperBuffW(wide.data(), static_cast<DWORD>(wide.size()));
    return narrow(wide);
}

}  // namespace z5
