#pragma once
// Reading the instrument's settings from the per-user settings store at construction and writing
// them back at close, in the store's fixed order, with the defaults of a first run.
// Main thread only.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "common/settings/SettingsStore.h"
#include "plugin/model/InstrumentSettings.h"

namespace rimba {

constexpr const char* kSettingsSection = "Settings";
constexpr const char* kDataSection = "Data";
constexpr const char* kUserPresetValue = "UserPreset";
constexpr const char* kPluginPathValue = "PluginPath";

// Fills `settings` from the store over their construction defaults and the library defaults of
// the paths. Answers whether this is a first run (no `PluginName` stored).
bool loadSettings(const settings::SettingsStore& store, InstrumentSettings& settings, bool standalone);

// Writes every setting back, one value at a time; a value that cannot be written is skipped.
void saveSettings(settings::SettingsStore& store, const InstrumentSettings& settings, bool standalone);

// Where an instrument keeps its settings and its last state between runs: read once when it is
// made, written once when the host closes it.
class InstrumentStorage {
public:
    virtual ~InstrumentStorage() = default;
    // Fills `settings` over their construction defaults; answers whether this is a first run.
    virtual bool readSettings(InstrumentSettings& settings, bool standalone) = 0;
    // The state saved at the last close, as a program chunk; nullopt when none can be read.
    virtual std::optional<std::vector<std::uint8_t>> readLastState() = 0;
    virtual void writeSettings(const InstrumentSettings& settings, bool standalone) = 0;
    virtual void writeLastState(const std::vector<std::uint8_t>& block) = 0;
    // Records the folder the plug-in's library was loaded from (`PluginPath`), where the
    // standalone program looks for it; nothing is installed on Linux to record it otherwise.
    // Storages that must not write leave it.
    virtual void recordPluginFolder(const std::string& folder) { (void)folder; }
};

// The user's own settings store of the instrument.
std::unique_ptr<InstrumentStorage> userStorage();
// The given store (another root: tests, portable set-ups).
std::unique_ptr<InstrumentStorage> storeStorage(settings::SettingsStore store);
// Settings from `reader`, no last state, and nothing written back: instruments made by tests
// and tools that must not touch the user's store.
std::unique_ptr<InstrumentStorage> readerOnlyStorage(SettingsReader reader);

// The folder of effect plug-ins when none is stored (see platform::defaultEffectFolder).
std::string defaultEffectFolder();

}  // namespace rimba
