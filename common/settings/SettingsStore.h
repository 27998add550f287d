#pragma once
// The per-user settings store: named sections of typed values (text, 32-bit number, binary)
// under a product name. Each value is read or written on its own. On Linux a section is a text
// file under $XDG_CONFIG_HOME/<product>/ (binary values in files of their own beside it); on
// Windows it is the registry key HKCU\software\<product>\<section>.
//
// A write never leaves a half-written file: it goes to a temporary file that replaces the old
// one only when complete. A file that cannot be read, or is damaged, reads as missing, so the
// defaults apply; it is set aside, never silently overwritten, before the next write.
//
// Any thread except the audio thread; one store per thread at a time.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace rimba::settings {

class SettingsStore {
public:
    // The store of `product` in the user's configuration folder.
    explicit SettingsStore(std::string product);
    // The store of `product` under `root` instead (tests, portable set-ups).
    SettingsStore(std::string product, std::string root);

    std::optional<std::string> readText(const std::string& section, const std::string& name) const;
    std::optional<std::uint32_t> readNumber(const std::string& section, const std::string& name) const;
    std::optional<std::vector<std::uint8_t>> readBinary(const std::string& section, const std::string& name) const;
    bool contains(const std::string& section, const std::string& name) const;

    bool writeText(const std::string& section, const std::string& name, const std::string& value);
    bool writeNumber(const std::string& section, const std::string& name, std::uint32_t value);
    bool writeBinary(const std::string& section, const std::string& name, const std::vector<std::uint8_t>& value);

    // Several text and number values of one section written together: the same result as writing
    // them one by one, in one replacement of the section instead of one per value.
    struct NamedValue {
        std::string name;
        bool isNumber = false;
        std::string text;
        std::uint32_t number = 0;
    };
    bool writeValues(const std::string& section, const std::vector<NamedValue>& values);

    // Where the sections live (a folder on Linux).
    const std::string& location() const { return root; }

private:
    std::string product;
    std::string root;
};

// The user's configuration folder: $XDG_CONFIG_HOME, else ~/.config.
std::string userConfigFolder();

}  // namespace rimba::settings
