#include "common/vst/StandaloneLink.h"
#include "plugin/core/StoredSettings.h"

#include <cstdlib>
#include <vector>

#include "common/platform/Paths.h"
#include "plugin/files/LibraryFolder.h"
#include "plugin/model/Constants.h"

namespace rimba {

namespace {

using settings::SettingsStore;

struct NumberSetting {
    const char* name;
    std::int32_t InstrumentSettings::*field;
};

// The numbers read at construction, in the order they are read.
constexpr NumberSetting kReadNumbers[] = {
    {"CurrentProgram", &InstrumentSettings::currentProgram},
    {"Autoscroll", &InstrumentSettings::autoscroll},
    {"Tooltips", &InstrumentSettings::tooltips},
    {"ReceiveMidiChannel", &InstrumentSettings::receiveMidiChannel},
    {"EnableMidiProgramChange", &InstrumentSettings::enableMidiProgramChange},
    {"KnobBehaviorMode", &InstrumentSettings::knobBehaviorMode},
    {"StepAndVumeter", &InstrumentSettings::stepAndVumeter},
    {"ChannelNumber", &InstrumentSettings::channelNumber},
};

struct TextSetting {
    const char* name;
    std::string InstrumentSettings::*field;
};

// The texts, in the order they are read and written.
constexpr TextSetting kTexts[] = {
    {"DrumKitFile", &InstrumentSettings::drumKitFile},
    {"PatternSetFile", &InstrumentSettings::patternSetFile},
    {"PatternFile", &InstrumentSettings::patternFile},
    {"ProgramFile", &InstrumentSettings::programFile},
    {"EffectPath", &InstrumentSettings::effectPath},
    {"LoadEffectPath", &InstrumentSettings::loadEffectPath},
    {"ExportAudioFilePath", &InstrumentSettings::exportAudioFilePath},
    {"ExportMidiFilePath", &InstrumentSettings::exportMidiFilePath},
    {"SavePatternFile", &InstrumentSettings::savePatternFile},
    {"FilesPath", &InstrumentSettings::filesPath},
    {"DrumFilesPath", &InstrumentSettings::drumFilesPath},
    {"SynthFilesPath", &InstrumentSettings::synthFilesPath},
    {"DrumSaveFilesPath", &InstrumentSettings::drumSaveFilesPath},
};

std::string trackKeyName(int track) { return "TrackKey" + std::to_string(track); }

void readNumber(const SettingsStore& store, const char* name, std::int32_t& field) {
    if (const auto value = store.readNumber(kSettingsSection, name))
        field = static_cast<std::int32_t>(*value);
}

void fillPathDefaults(InstrumentSettings& s) {
    const std::string library = libraryFolder(s);
    auto orDefault = [](std::string& field, const std::string& fallback) {
        if (field.empty())
            field = fallback;
    };
    const auto inLibrary = [&library](const std::string& relative) {
        return platform::joinPath(library, platform::withNativeSeparators(relative));
    };
    orDefault(s.programFile, inLibrary("Programs/RimbaRand.fxp"));
    orDefault(s.drumKitFile, inLibrary("Drum Kits/RimbaRand.drs"));
    orDefault(s.patternSetFile, inLibrary("Patterns/Rimbastyle.ptn"));
    orDefault(s.effectPath, defaultEffectFolder());
    orDefault(s.synthFilesPath, inLibrary("SynthSounds/Synth/"));
    orDefault(s.drumFilesPath, inLibrary("Samples/"));
    orDefault(s.drumSaveFilesPath, inLibrary("Samples/"));
    // The effect folder is used as a prefix of library names.
    if (!s.effectPath.empty() && !platform::isPathSeparator(s.effectPath.back()))
        s.effectPath += platform::pathSeparator();
}

}  // namespace

std::string defaultEffectFolder() { return platform::defaultEffectFolder(); }

bool loadSettings(const SettingsStore& store, InstrumentSettings& s, bool standalone) {
    s.trackKey = InstrumentSettings::defaultTrackKeys();
    const bool firstRun = !store.contains(kSettingsSection, "PluginName");
    if (standalone) {
        if (auto device = store.readText(kSettingsSection, "AudioDevice"))
            s.audioDevice = device->substr(0, 127);
        if (auto device = store.readText(kSettingsSection, "MidiDevice"))
            s.midiDevice = device->substr(0, 127);
        readNumber(store, "SampleRate", s.standaloneSampleRate);
        readNumber(store, "BufferSize", s.standaloneBufferSize);
    }
    readNumber(store, "CurrentProgram", s.currentProgram);
    if (const auto level = store.readNumber(kSettingsSection, "MasterLevel"))
        s.masterLevel = static_cast<float>(static_cast<std::int32_t>(*level));
    for (const NumberSetting& number : kReadNumbers)
        if (number.field != &InstrumentSettings::currentProgram)
            readNumber(store, number.name, s.*number.field);
    for (const TextSetting& text : kTexts)
        if (auto value = store.readText(kSettingsSection, text.name))
            s.*text.field = value->substr(0, 259);
    fillPathDefaults(s);
    for (int t = 0; t < kTrackSlots; ++t)
        if (const auto key = store.readNumber(kSettingsSection, trackKeyName(t)))
            s.trackKey[static_cast<std::size_t>(t)] = static_cast<float>(static_cast<std::int32_t>(*key));
    return firstRun;
}

void saveSettings(SettingsStore& store, const InstrumentSettings& s, bool standalone) {
    // Collected in the store's order and written in one replacement of the section.
    std::vector<SettingsStore::NamedValue> values;
    auto number = [&values](const std::string& name, std::int32_t value) {
        values.push_back({.name = name, .isNumber = true, .text = {}, .number = static_cast<std::uint32_t>(value)});
    };
    auto text = [&values](const std::string& name, const std::string& value) {
        values.push_back({.name = name, .isNumber = false, .text = value, .number = 0});
    };
    text("PluginName", kProductName);
    if (standalone) {
        text("AudioDevice", s.audioDevice);
        text("MidiDevice", s.midiDevice);
        number("SampleRate", s.standaloneSampleRate);
        number("BufferSize", s.standaloneBufferSize);
    }
    number("CurrentProgram", s.currentProgram);
    number("MasterLevel", static_cast<std::int32_t>(s.masterLevel));
    for (const TextSetting& setting : kTexts)
        text(setting.name, s.*setting.field);
    number("Autoscroll", s.autoscroll);
    number("Tooltips", s.tooltips);
    number("ReceiveMidiChannel", s.receiveMidiChannel);
    number("MuteMidiKey", s.muteMidiKey);
    number("PatternTriggerMidiKey", s.patternTriggerMidiKey);
    number("EnableMidiProgramChange", s.enableMidiProgramChange);
    number("KnobBehaviorMode", s.knobBehaviorMode);
    number("StepAndVumeter", s.stepAndVumeter);
    number("ChannelNumber", s.channelNumber);
    for (int t = 0; t < kTrackSlots; ++t)
        number(trackKeyName(t), static_cast<std::int32_t>(s.trackKey[static_cast<std::size_t>(t)]));
    store.writeValues(kSettingsSection, values);
}

namespace {

class StoreStorage final : public InstrumentStorage {
public:
    explicit StoreStorage(SettingsStore store) : store(std::move(store)) {}

    bool readSettings(InstrumentSettings& settings, bool standalone) override {
        return loadSettings(store, settings, standalone);
    }
    std::optional<std::vector<std::uint8_t>> readLastState() override {
        return store.readBinary(kDataSection, kUserPresetValue);
    }
    void writeSettings(const InstrumentSettings& settings, bool standalone) override {
        saveSettings(store, settings, standalone);
    }
    void writeLastState(const std::vector<std::uint8_t>& block) override {
        store.writeBinary(kDataSection, kUserPresetValue, block);
    }
    void recordPluginFolder(const std::string& folder) override {
        // Written only when it changes: a host scanning its plug-ins creates many instances.
        if (folder.empty() || store.readText(kSettingsSection, kPluginPathValue) == folder)
            return;
        store.writeText(kSettingsSection, kPluginPathValue, folder);
    }

private:
    SettingsStore store;
};

class ReaderOnlyStorage final : public InstrumentStorage {
public:
    explicit ReaderOnlyStorage(SettingsReader reader) : reader(std::move(reader)) {}

    bool readSettings(InstrumentSettings& settings, bool standalone) override {
        return reader ? reader(settings, standalone) : true;
    }
    std::optional<std::vector<std::uint8_t>> readLastState() override { return std::nullopt; }
    void writeSettings(const InstrumentSettings&, bool) override {}
    void writeLastState(const std::vector<std::uint8_t>&) override {}

private:
    SettingsReader reader;
};

}  // namespace

std::unique_ptr<InstrumentStorage> userStorage() { return storeStorage(SettingsStore(kProductName)); }

std::unique_ptr<InstrumentStorage> storeStorage(SettingsStore store) {
    return std::make_unique<StoreStorage>(std::move(store));
}

std::unique_ptr<InstrumentStorage> readerOnlyStorage(SettingsReader reader) {
    return std::make_unique<ReaderOnlyStorage>(std::move(reader));
}

}  // namespace rimba
