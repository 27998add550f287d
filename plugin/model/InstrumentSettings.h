#pragma once
// The per-user settings an instance mirrors from the settings store: read once at construction,
// written back at close.

#include <array>
#include <cstdint>
#include <functional>
#include <string>

#include "plugin/model/Constants.h"

namespace rimba {

struct InstrumentSettings {
    std::int32_t currentProgram = 0;
    float masterLevel = 127.0f;  // 0..127, index into the master gain table
    std::int32_t receiveMidiChannel = 0;  // -1 = off (nothing passes), 0 = all channels, else 1..16
    std::int32_t muteMidiKey = 0;
    std::int32_t patternTriggerMidiKey = -1;  // -1 = off
    std::int32_t enableMidiProgramChange = 1;
    std::int32_t stepAndVumeter = 1;
    std::int32_t autoscroll = 1;
    std::int32_t tooltips = 0;
    std::int32_t knobBehaviorMode = 0;
    std::int32_t channelNumber = kDefaultTrackCount;  // track count of this run
    std::array<float, kTrackSlots> trackKey = defaultTrackKeys();

    // The standalone host's devices, chosen in the plug-in and read back by the host.
    std::int32_t standaloneSampleRate = 44100;
    std::int32_t standaloneBufferSize = 1024;
    std::string audioDevice;
    std::string midiDevice;

    // The last program file; programs by number are the ".fxp" files of its folder.
    std::string programFile;

    // Files and folders the user last used.
    std::string drumKitFile;
    std::string patternSetFile;
    std::string patternFile;
    std::string loadEffectPath;
    std::string exportAudioFilePath;
    std::string exportMidiFilePath;
    std::string savePatternFile;
    std::string drumFilesPath;
    std::string synthFilesPath;
    std::string drumSaveFilesPath;

    // The user's library folder when set (see LibraryFolder.h), and the folder of the effect
    // plug-in libraries, ending with a separator.
    std::string filesPath;
    std::string effectPath;

    static constexpr std::array<float, kTrackSlots> defaultTrackKeys() {
        std::array<float, kTrackSlots> keys{};
        for (int t = 0; t < kTrackSlots; ++t)
            keys[static_cast<std::size_t>(t)] = static_cast<float>(36 + t);
        return keys;
    }

    // The track count this run uses: 8 when asked for, 12 for anything else, so a damaged
    // setting can never size the instrument beyond its arrays.
    std::int32_t trackCount() const {
        return channelNumber == kSmallTrackCount ? kSmallTrackCount : kDefaultTrackCount;
    }
};

// Fills the settings from wherever this instance keeps them; answers whether this is a first run.
// The instrument's own reader consults the user's settings store; tests hand in their own.
using SettingsReader = std::function<bool(InstrumentSettings& settings, bool standalone)>;

}  // namespace rimba
