// See DropFiles.h.
#include "plugin/editor/toolkit/win32/DropFiles.h"

#include <cstring>

#include "common/platform/win32/Windows.h"
// After Windows.h, which leaves the shell's API out.
#include <shellapi.h>
#include <shlobj.h>

namespace rimba::toolkit::win32 {

std::optional<std::wstring> wideOfUtf8(std::string_view text) {
    if (text.find('\0') != std::string_view::npos)
        return std::nullopt;
    if (text.empty())
        return std::wstring();
    const int size = static_cast<int>(text.size());
    const int length = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(), size, nullptr, 0);
    if (length <= 0)
        return std::nullopt;
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    if (MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(), size, wide.data(), length) != length)
        return std::nullopt;
    return wide;
}

std::optional<std::string> utf8OfWide(std::wstring_view text) {
    if (text.find(L'\0') != std::wstring_view::npos)
        return std::nullopt;
    if (text.empty())
        return std::string();
    const int size = static_cast<int>(text.size());
    const int length =
        WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, text.data(), size, nullptr, 0, nullptr, nullptr);
    if (length <= 0)
        return std::nullopt;
    std::string utf8(static_cast<std::size_t>(length), '\0');
    if (WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, text.data(), size, utf8.data(), length, nullptr, nullptr) !=
        length)
        return std::nullopt;
    return utf8;
}

std::optional<std::wstring> absoluteWidePath(std::string_view utf8Path) {
    const std::optional<std::wstring> wide = wideOfUtf8(utf8Path);
    if (!wide || wide->empty())
        return std::nullopt;
    const DWORD length = GetFullPathNameW(wide->c_str(), 0, nullptr, nullptr);
    if (length == 0)
        return std::nullopt;
    std::wstring full(length, L'\0');
    const DWORD written = GetFullPathNameW(wide->c_str(), length, full.data(), nullptr);
    if (written == 0 || written >= length)
        return std::nullopt;
    full.resize(written);
    return full;
}

std::vector<std::byte> dropFilesBytes(const std::vector<std::wstring>& paths) {
    std::wstring names;
    for (const std::wstring& path : paths) {
        names += path;
        names += L'\0';
    }
    // The list ends with an empty name; a list without names is that empty name alone.
    if (paths.empty())
        names += L'\0';
    names += L'\0';
    DROPFILES header{};
    header.pFiles = sizeof(DROPFILES);
    header.fWide = TRUE;
    std::vector<std::byte> bytes(sizeof(DROPFILES) + names.size() * sizeof(wchar_t));
    std::memcpy(bytes.data(), &header, sizeof header);
    std::memcpy(bytes.data() + sizeof header, names.data(), names.size() * sizeof(wchar_t));
    return bytes;
}

std::vector<std::string> pathsOfDrop(void* hdrop) {
    const auto drop = static_cast<HDROP>(hdrop);
    std::vector<std::string> paths;
    const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
    for (UINT i = 0; i < count; ++i) {
        const UINT length = DragQueryFileW(drop, i, nullptr, 0);
        if (length == 0)
            continue;
        std::wstring name(length + 1, L'\0');
        if (DragQueryFileW(drop, i, name.data(), length + 1) != length)
            continue;
        name.resize(length);
        if (std::optional<std::string> path = utf8OfWide(name))
            paths.push_back(std::move(*path));
    }
    return paths;
}

}  // namespace rimba::toolkit::win32
