// The settings store as files under SettingsStore.cpp: one text file per section, binary values
// in files of their own beside it.

#include "common/settings/StoreCalls.h"

#include <cstdlib>
#include <filesystem>
#include <map>
#include <span>
#include <sstream>

#include "common/platform/Files.h"

namespace rimba::settings {

namespace {

// A section file: a first line naming the format, one "Name=type:value" line per value, and a
// last line with the count of values and a checksum of everything before it, so that a file cut
// short or overwritten with anything else is recognised as damaged.
constexpr const char* kFormatLine = "RimbaDrums settings 1";
constexpr const char* kEndPrefix = "end ";

struct Value {
    char type = 't';  // 't' text, 'n' number, 'b' binary (the bytes live in a file of their own)
    std::string text;
};

using Section = std::map<std::string, Value>;

std::uint32_t checksum(const std::string& text) {
    std::uint32_t hash = 2166136261u;  // FNV-1a
    for (const unsigned char c : text) {
        hash ^= c;
        hash *= 16777619u;
    }
    return hash;
}

std::string escape(const std::string& text) {
    std::string out;
    for (const char c : text) {
        if (c == '\\')
            out += "\\\\";
        else if (c == '\n')
            out += "\\n";
        else if (c == '\r')
            out += "\\r";
        else
            out += c;
    }
    return out;
}

std::optional<std::string> unescape(const std::string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\') {
            out += text[i];
            continue;
        }
        if (++i == text.size())
            return std::nullopt;
        switch (text[i]) {
            case '\\': out += '\\'; break;
            case 'n': out += '\n'; break;
            case 'r': out += '\r'; break;
            default: return std::nullopt;
        }
    }
    return out;
}

std::string sectionPath(const std::string& root, const std::string& section) { return root + "/" + section + ".conf"; }

std::string binaryPath(const std::string& root, const std::string& section, const std::string& name) {
    return root + "/" + section + "/" + name + ".bin";
}

std::string serialise(const Section& values) {
    std::string body = std::string(kFormatLine) + "\n";
    for (const auto& [name, value] : values)
        body += name + "=" + value.type + ":" + escape(value.text) + "\n";
    return body + kEndPrefix + std::to_string(values.size()) + " " + std::to_string(checksum(body)) + "\n";
}

enum class ReadState { Missing, Damaged, Read };

// Parses a whole section file; anything that does not fit the format makes it damaged.
ReadState parse(const std::string& text, Section& values) {
    const std::size_t endLine = text.rfind(kEndPrefix);
    if (text.rfind(std::string(kFormatLine) + "\n", 0) != 0 || endLine == std::string::npos || text.back() != '\n')
        return ReadState::Damaged;
    const std::string body = text.substr(0, endLine);
    std::istringstream footer(text.substr(endLine + std::char_traits<char>::length(kEndPrefix)));
    std::size_t count = 0;
    std::uint32_t sum = 0;
    if (!(footer >> count >> sum) || sum != checksum(body))
        return ReadState::Damaged;
    std::istringstream lines(body);
    std::string line;
    std::getline(lines, line);  // the format line
    while (std::getline(lines, line)) {
        const std::size_t equals = line.find('=');
        if (equals == std::string::npos || equals + 3 > line.size() || line[equals + 2] != ':')
            return ReadState::Damaged;
        const std::string name = line.substr(0, equals);
        const char type = line[equals + 1];
        const std::optional<std::string> content = unescape(line.substr(equals + 3));
        if (!validName(name) || (type != 't' && type != 'n' && type != 'b') || !content)
            return ReadState::Damaged;
        values[name] = Value{type, *content};
    }
    return values.size() == count ? ReadState::Read : ReadState::Damaged;
}

ReadState readSection(const std::string& root, const std::string& section, Section& values) {
    const std::string path = sectionPath(root, section);
    if (!platform::fileExists(path))
        return ReadState::Missing;
    const auto bytes = platform::readWholeFile(path);
    if (!bytes || bytes->empty())
        return ReadState::Damaged;
    return parse(std::string(bytes->begin(), bytes->end()), values);
}

std::optional<Value> readValue(const std::string& root, const std::string& section, const std::string& name) {
    Section values;
    if (readSection(root, section, values) != ReadState::Read)
        return std::nullopt;
    const auto found = values.find(name);
    if (found == values.end())
        return std::nullopt;
    return found->second;
}

bool ensureFolder(const std::string& folder) {
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    return std::filesystem::is_directory(folder, error);
}

// Reads the section, changes the given values and writes it whole again.
bool replaceValues(const std::string& root, const std::string& section,
                   const std::vector<std::pair<std::string, Value>>& changes) {
    if (!ensureFolder(root))
        return false;
    Section values;
    if (readSection(root, section, values) == ReadState::Damaged) {
        // Kept for whoever wants to look at it; the section starts afresh.
        std::error_code error;
        std::filesystem::rename(sectionPath(root, section), sectionPath(root, section) + ".damaged", error);
        values.clear();
    }
    for (const auto& [name, value] : changes)
        values[name] = value;
    const std::string text = serialise(values);
    return platform::writeFileAtomically(sectionPath(root, section),
                                         std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
}

std::optional<std::uint32_t> parseNumber(const std::string& text) {
    if (text.empty() || text.size() > 10)
        return std::nullopt;
    std::uint64_t number = 0;
    for (const char c : text) {
        if (c < '0' || c > '9')
            return std::nullopt;
        number = number * 10 + static_cast<std::uint64_t>(c - '0');
    }
    if (number > 0xFFFFFFFFull)
        return std::nullopt;
    return static_cast<std::uint32_t>(number);
}

}  // namespace

std::string userConfigFolder() {
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg != nullptr && xdg[0] == '/')
        return xdg;
    const char* home = std::getenv("HOME");
    return std::string(home != nullptr ? home : "") + "/.config";
}

SettingsStore::SettingsStore(std::string productName)
    : product(std::move(productName)), root(userConfigFolder() + "/" + product) {}

SettingsStore::SettingsStore(std::string productName, std::string rootFolder)
    : product(std::move(productName)), root(std::move(rootFolder) + "/" + product) {}

namespace calls {

std::optional<std::string> readText(const std::string& root, const std::string& section, const std::string& name) {
    const auto value = readValue(root, section, name);
    if (!value || value->type != 't')
        return std::nullopt;
    return value->text;
}

std::optional<std::uint32_t> readNumber(const std::string& root, const std::string& section, const std::string& name) {
    const auto value = readValue(root, section, name);
    if (!value || value->type != 'n')
        return std::nullopt;
    return parseNumber(value->text);
}

std::optional<std::vector<std::uint8_t>> readBinary(const std::string& root, const std::string& section,
                                                    const std::string& name) {
    const auto value = readValue(root, section, name);
    if (!value || value->type != 'b')
        return std::nullopt;
    // The section records the size and checksum of the bytes, so a damaged file reads as missing.
    std::istringstream record(value->text);
    std::size_t size = 0;
    std::uint32_t sum = 0;
    if (!(record >> size >> sum))
        return std::nullopt;
    auto bytes = platform::readWholeFile(binaryPath(root, section, name));
    if (!bytes || bytes->size() != size || checksum(std::string(bytes->begin(), bytes->end())) != sum)
        return std::nullopt;
    return bytes;
}

bool contains(const std::string& root, const std::string& section, const std::string& name) {
    return readValue(root, section, name).has_value();
}

bool writeValues(const std::string& root, const std::string& section,
                 const std::vector<SettingsStore::NamedValue>& values) {
    std::vector<std::pair<std::string, Value>> changes;
    for (const SettingsStore::NamedValue& value : values)
        changes.emplace_back(value.name,
                             value.isNumber ? Value{'n', std::to_string(value.number)} : Value{'t', value.text});
    return replaceValues(root, section, changes);
}

bool writeBinary(const std::string& root, const std::string& section, const std::string& name,
                 const std::vector<std::uint8_t>& value) {
    if (!ensureFolder(root + "/" + section))
        return false;
    // The bytes first: the section's record of them is written only once they are in place.
    if (!platform::writeFileAtomically(binaryPath(root, section, name), value))
        return false;
    const std::string record =
        std::to_string(value.size()) + " " + std::to_string(checksum(std::string(value.begin(), value.end())));
    return replaceValues(root, section, {{name, Value{'b', record}}});
}

}  // namespace calls

}  // namespace rimba::settings
