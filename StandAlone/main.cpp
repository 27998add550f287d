// RimbaDrums: the instrument as a program of its own.

#include <cstdio>
#include <string>
#include <vector>

#include "StandAlone/CommandLine.h"
#include "StandAlone/Program.h"
#include "StandAlone/ProgramConsole.h"
#include "StandAlone/devices/AudioOutput.h"
#include "StandAlone/devices/MidiInputPort.h"
#include "common/platform/SystemMessage.h"

namespace {

void listDevices() {
    std::printf("Audio outputs:\n");
    for (const std::string& name : rimba::standalone::listAudioOutputDevices())
        std::printf("  %s\n", name.c_str());
    std::printf("MIDI inputs:\n");
    for (const std::string& name : rimba::standalone::listMidiInputDevices())
        std::printf("  %s\n", name.c_str());
}

}  // namespace

int main(int argc, char** argv) {
    using namespace rimba::standalone;
    reachTheStartingConsole();
    std::string why;
    const std::optional<CommandLine> line = parseCommandLine(std::vector<std::string>(argv + 1, argv + argc), why);
    if (!line) {
        std::string usage = usageText();
        usage.pop_back();  // the message gets its own line end
        rimba::platform::showSystemMessage(why + "\n\n" + usage, "RimbaDrums");
        return 2;
    }
    if (line->help) {
        std::printf("%s", usageText().c_str());
        return 0;
    }
    if (line->listDevices) {
        listDevices();
        return 0;
    }
    if (hasDeviceChoices(*line) && !storeDeviceChoices(*line)) {
        rimba::platform::showSystemMessage("the device choices could not be stored in the settings", "RimbaDrums");
        return 1;
    }
    return runProgram();
}
