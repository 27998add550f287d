#pragma once
// Where the program looks for the instrument's library. The plug-in records its own folder as
// `PluginPath` in the settings store whenever a host creates it; that folder comes first. Without
// it (a plug-in never yet loaded), or when the library is no longer there (a build folder since
// removed), the program looks beside itself, then (on Linux) in ~/.vst, and says where it looked
// when none holds the library. Main thread only.

#include <optional>
#include <string>
#include <vector>

namespace rimba::standalone {

#ifdef _WIN32
constexpr const char* kPluginFileName = "RimbaDrums_64.dll";
#else
constexpr const char* kPluginFileName = "RimbaDrums_64.so";
#endif

struct PluginSearch {
    std::optional<std::string> storedFolder;  // `PluginPath`; empty counts as missing
    std::string programFolder;
    std::string homeFolder;  // empty when unknown, and on Windows, which has no ~/.vst
};

// The library paths to try, in order.
std::vector<std::string> pluginCandidates(const PluginSearch& search);

// The stored folder from the user's settings store (the registry on Windows), the program's
// folder and $HOME.
PluginSearch userPluginSearch();

}  // namespace rimba::standalone
