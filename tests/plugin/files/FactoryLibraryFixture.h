#pragma once
// A small factory library for the tests of its copy, and what a folder holds, with '/' between
// folders whatever the system.

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/common/platform/TempFolder.h"

namespace rimba::files::fixtures {

// Every file and folder below `folder`, folders ending with '/'.
inline std::vector<std::string> entriesBelow(const std::string& folder) {
    std::vector<std::string> entries;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder))
        entries.push_back(std::filesystem::relative(entry.path(), folder).generic_string() +
                          (entry.is_directory() ? "/" : ""));
    std::sort(entries.begin(), entries.end());
    return entries;
}

// A small library in the layout the instrument uses.
inline std::string makeFactory(const platform::fixtures::TempFolder& temp, const std::string& at) {
    temp.makeFile(at + "/Samples/Kick.wav", "kick bytes");
    temp.makeFile(at + "/Drum Kits/Default.drs", std::string("kit\0bytes", 9));
    temp.makeFile(at + "/Programs/RimbaRand.fxp", "CcnK program");
    temp.makeFolder(at + "/SynthSounds/Synth");
    return temp / at;
}

inline const std::vector<std::string> kFactoryEntries{
    "Drum Kits/", "Drum Kits/Default.drs", "Programs/",    "Programs/RimbaRand.fxp",
    "Samples/",   "Samples/Kick.wav",      "SynthSounds/", "SynthSounds/Synth/"};

}  // namespace rimba::files::fixtures
