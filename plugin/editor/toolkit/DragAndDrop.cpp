#include "plugin/editor/toolkit/DragAndDrop.h"

#include <filesystem>
#include <optional>

namespace rimba::toolkit {

namespace {

// RFC 3986's unreserved characters, and '/' which separates the path's segments: everything
// else, every byte of a non-ASCII name included, travels as an escape.
bool travelsAsIs(unsigned char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '.' ||
           c == '_' || c == '~' || c == '/';
}

int hexValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

std::optional<std::string> percentDecoded(std::string_view text) {
    std::string bytes;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') {
            bytes += text[i];
            continue;
        }
        if (i + 2 >= text.size())
            return std::nullopt;
        const int high = hexValue(text[i + 1]);
        const int low = hexValue(text[i + 2]);
        // A NUL would cut the path short wherever it is handed to the system.
        if (high < 0 || low < 0 || (high == 0 && low == 0))
            return std::nullopt;
        bytes += static_cast<char>(high * 16 + low);
        i += 2;
    }
    return bytes;
}

bool startsWithNoCase(std::string_view text, std::string_view prefix) {
    if (text.size() < prefix.size())
        return false;
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        char c = text[i];
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
        if (c != prefix[i])
            return false;
    }
    return true;
}

// The path of one file URI of this machine: "file:///path", "file://localhost/path" or the
// short "file:/path" some programs write.
std::optional<std::string> localPathOf(std::string_view uri) {
    if (!startsWithNoCase(uri, "file:"))
        return std::nullopt;
    std::string_view rest = uri.substr(5);
    if (rest.starts_with("//")) {
        rest.remove_prefix(2);
        const std::size_t slash = rest.find('/');
        if (slash == std::string_view::npos)
            return std::nullopt;
        const std::string_view host = rest.substr(0, slash);
        const bool thisMachine = host.empty() || (host.size() == 9 && startsWithNoCase(host, "localhost"));
        if (!thisMachine)
            return std::nullopt;
        rest.remove_prefix(slash);
    }
    if (!rest.starts_with('/'))
        return std::nullopt;
    // A query or fragment has no place in a file's name (a real '?' or '#' comes escaped).
    if (rest.find_first_of("?#") != std::string_view::npos)
        return std::nullopt;
    return percentDecoded(rest);
}

}  // namespace

std::string fileUriList(const std::string& path) {
    std::error_code ignored;
    std::filesystem::path full = std::filesystem::absolute(path, ignored);
    const std::string text = full.empty() ? path : full.string();
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string uri = "file://";
    for (char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (travelsAsIs(byte)) {
            uri += c;
        } else {
            uri += '%';
            uri += kHex[byte >> 4];
            uri += kHex[byte & 0x0f];
        }
    }
    return uri + "\r\n";
}

std::vector<std::string> pathsOfUriList(std::string_view text) {
    std::vector<std::string> paths;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view{} : text.substr(end + 1);
        if (line.ends_with('\r'))
            line.remove_suffix(1);
        // Some sources end the list with a NUL, as C strings do.
        while (!line.empty() && (line.back() == '\0' || line.back() == ' ' || line.back() == '\t'))
            line.remove_suffix(1);
        while (!line.empty() && (line.front() == ' ' || line.front() == '\t'))
            line.remove_prefix(1);
        if (line.empty() || line.front() == '#')
            continue;
        if (auto path = localPathOf(line))
            paths.push_back(std::move(*path));
    }
    return paths;
}

}  // namespace rimba::toolkit
