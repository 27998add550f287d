#include "StandAlone/CommandLine.h"

#include <charconv>

#include "StandAlone/devices/AudioOutput.h"
#include "common/settings/SettingsStore.h"
#include "common/vst/StandaloneLink.h"

namespace rimba::standalone {

namespace {

// What the audio output takes as it is: a value outside would be stored, then silently replaced
// at every start, so it is refused here, where the person who typed it can see why.
constexpr int kLowestRate = AudioOutput::kLowestSampleRate;
constexpr int kHighestRate = AudioOutput::kHighestSampleRate;
constexpr int kSmallestBuffer = AudioOutput::kSmallestBlock;
constexpr int kLargestBuffer = AudioOutput::kLargestBlock;
// The plug-in keeps at most 127 bytes of a device name.
constexpr std::size_t kLongestDeviceName = 127;

std::optional<int> wholeNumber(const std::string& text, int lowest, int highest) {
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || value < lowest || value > highest)
        return std::nullopt;
    return value;
}

}  // namespace

std::optional<CommandLine> parseCommandLine(const std::vector<std::string>& arguments, std::string& why) {
    CommandLine line;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& option = arguments[i];
        if (option == "--help" || option == "-h") {
            line.help = true;
            continue;
        }
        if (option == "--list-devices") {
            line.listDevices = true;
            continue;
        }
        if (option != "--audio" && option != "--rate" && option != "--buffer" && option != "--midi") {
            why = "unknown option " + option;
            return std::nullopt;
        }
        if (i + 1 >= arguments.size()) {
            why = option + " needs a value";
            return std::nullopt;
        }
        const std::string& value = arguments[++i];
        if (option == "--audio" || option == "--midi") {
            if (value.size() > kLongestDeviceName) {
                why = option + ": a device name has at most " + std::to_string(kLongestDeviceName) + " bytes";
                return std::nullopt;
            }
            (option == "--audio" ? line.audioDevice : line.midiDevice) = value;
        } else if (option == "--rate") {
            line.sampleRate = wholeNumber(value, kLowestRate, kHighestRate);
            if (!line.sampleRate) {
                why = "--rate takes a whole number of Hz from " + std::to_string(kLowestRate) + " to " +
                      std::to_string(kHighestRate) + ", not " + value;
                return std::nullopt;
            }
        } else {
            line.bufferSize = wholeNumber(value, kSmallestBuffer, kLargestBuffer);
            if (!line.bufferSize) {
                why = "--buffer takes a whole number of frames from " + std::to_string(kSmallestBuffer) + " to " +
                      std::to_string(kLargestBuffer) + ", not " + value;
                return std::nullopt;
            }
        }
    }
    return line;
}

#ifdef _WIN32
constexpr const char* kDeviceHelp =
    "  --audio NAME      play through this output (an ASIO driver or a wave-out device)\n"
    "  --rate HZ         the sample rate of a wave-out device (an ASIO driver sets its own)\n"
    "  --buffer FRAMES   the block size of a wave-out device (an ASIO driver sets its own)\n"
    "  --midi NAME       take MIDI from this input\n";
constexpr const char* kWhereTheLibraryIs =
    "the instrument's menus change them too. The instrument's library is found in the\n"
    "folder it recorded when last loaded, else beside this program.\n";
#else
constexpr const char* kDeviceHelp =
    "  --audio NAME      play through this output (\"JACK\" for a running JACK server)\n"
    "  --rate HZ         the sample rate of an ALSA output (a JACK server sets its own)\n"
    "  --buffer FRAMES   the block size of an ALSA output (a JACK server sets its own)\n"
    "  --midi NAME       take MIDI from this input (an ALSA sequencer or JACK MIDI port)\n";
constexpr const char* kWhereTheLibraryIs =
    "the instrument's menus change them too. The instrument's library is found in the\n"
    "folder it recorded when last loaded, else beside this program, else in ~/.vst.\n";
#endif

std::string usageText() {
    return std::string(
               "Usage: RimbaDrums [--audio NAME] [--rate HZ] [--buffer FRAMES] [--midi NAME]\n"
               "       RimbaDrums --list-devices\n"
               "\n"
               "Runs the RimbaDrums_64 instrument in a window of its own, playing through an audio\n"
               "output and taking notes from a MIDI input.\n"
               "\n"
               "  --list-devices    print the audio outputs and MIDI inputs the settings menus offer\n") +
           kDeviceHelp +
           "  --help            print this text\n"
           "\n"
           "The choices are stored in the instrument's settings and kept for the next start;\n" +
           kWhereTheLibraryIs;
}

bool hasDeviceChoices(const CommandLine& line) {
    return line.audioDevice || line.sampleRate || line.bufferSize || line.midiDevice;
}

bool storeDeviceChoices(const CommandLine& line) {
    std::vector<settings::SettingsStore::NamedValue> values;
    if (line.audioDevice)
        values.push_back({.name = "AudioDevice", .isNumber = false, .text = *line.audioDevice, .number = 0});
    if (line.sampleRate)
        values.push_back({.name = "SampleRate",
                          .isNumber = true,
                          .text = {},
                          .number = static_cast<std::uint32_t>(*line.sampleRate)});
    if (line.bufferSize)
        values.push_back({.name = "BufferSize",
                          .isNumber = true,
                          .text = {},
                          .number = static_cast<std::uint32_t>(*line.bufferSize)});
    if (line.midiDevice)
        values.push_back({.name = "MidiDevice", .isNumber = false, .text = *line.midiDevice, .number = 0});
    if (values.empty())
        return true;
    settings::SettingsStore store(kProductName);
    return store.writeValues("Settings", values);
}

}  // namespace rimba::standalone
