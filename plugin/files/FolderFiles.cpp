#include "plugin/files/FolderFiles.h"

#include <algorithm>
#include <array>
#include <optional>
#include <string_view>

#include "common/platform/FolderScan.h"
#include "common/platform/Paths.h"

namespace rimba {
namespace {

// Mixed-case endings such as "Wav" are left out on purpose: the sound menu has always shown
// exactly these.
constexpr std::array<std::string_view, 8> kSoundExtensions = {"wav", "mp3", "WAV", "MP3", "aif", "AIF", "aiff", "AIFF"};

std::optional<std::string_view> extensionOf(const std::string& name) {
    const std::size_t dot = name.rfind('.');
    if (dot == std::string::npos)
        return std::nullopt;
    return std::string_view(name).substr(dot + 1);
}

bool extensionMatches(std::string_view extension, const std::string& filter) {
    if (filter.empty())
        return std::find(kSoundExtensions.begin(), kSoundExtensions.end(), extension) != kSoundExtensions.end();
    return extension == filter;
}

}  // namespace

void listFolderFiles(std::vector<std::string>& names, std::vector<std::string>& menuTexts, const std::string& folder,
                     const std::string& filter) {
    if (!platform::isAbsolutePath(folder))
        return;
    for (const platform::FolderEntry& entry : platform::listFolder(folder)) {
        if (entry.isDirectory)
            continue;
        const auto extension = extensionOf(entry.name);
        if (!extension || !extensionMatches(*extension, filter))
            continue;
        names.push_back(entry.name);
        menuTexts.push_back(entry.name);
    }
}

}  // namespace rimba
