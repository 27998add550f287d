#include "StandAlone/PluginLocation.h"

#include <cstdlib>

#include "common/platform/ModuleFolder.h"
#include "common/platform/Paths.h"
#include "common/settings/SettingsStore.h"
#include "common/vst/StandaloneLink.h"

namespace rimba::standalone {

std::vector<std::string> pluginCandidates(const PluginSearch& search) {
    std::vector<std::string> candidates;
    if (search.storedFolder && !search.storedFolder->empty())
        candidates.push_back(platform::joinPath(*search.storedFolder, kPluginFileName));
    if (!search.programFolder.empty())
        candidates.push_back(platform::joinPath(search.programFolder, kPluginFileName));
    if (!search.homeFolder.empty())
        candidates.push_back(platform::joinPath(platform::joinPath(search.homeFolder, ".vst"), kPluginFileName));
    return candidates;
}

PluginSearch userPluginSearch() {
    PluginSearch search;
    const settings::SettingsStore store(kProductName);
    search.storedFolder = store.readText("Settings", "PluginPath");
    // The program is a module like any other: its folder is the one its file is in.
    search.programFolder = platform::moduleFolder();
#ifndef _WIN32
    if (const char* home = std::getenv("HOME"); home != nullptr)
        search.homeFolder = home;
#endif
    return search;
}

}  // namespace rimba::standalone
