#pragma once
// The program's command line, for a person at a terminal: list the devices, store the device
// choices in the settings the plug-in reads (the program itself reads them back only through the
// plug-in), or start. Main thread only.

#include <optional>
#include <string>
#include <vector>

namespace rimba::standalone {

struct CommandLine {
    bool help = false;
    bool listDevices = false;
    std::optional<std::string> audioDevice;
    std::optional<int> sampleRate;
    std::optional<int> bufferSize;
    std::optional<std::string> midiDevice;
    bool operator==(const CommandLine&) const = default;
};

// The parsed line, or nullopt with `why` for a line the program cannot follow.
std::optional<CommandLine> parseCommandLine(const std::vector<std::string>& arguments, std::string& why);

std::string usageText();

// Writes the chosen devices into the plug-in's settings; false when the store refused a write.
bool storeDeviceChoices(const CommandLine& line);

bool hasDeviceChoices(const CommandLine& line);

}  // namespace rimba::standalone
