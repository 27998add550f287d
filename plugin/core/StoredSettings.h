#pragma once
// Reading the instrument's settings from the per-user settings store at construction and writing
// them back at close, in the store's fixed order, with the defaults of a first run.
// Main thread only.

#include "common/settings/SettingsStore.h"
#include "plugin/core/InstrumentSettings.h"

namespace rimba {

constexpr const char* kSettingsSection = "Settings";
constexpr const char* kDataSection = "Data";
constexpr const char* kUserPresetValue = "UserPreset";

// Fills `settings` from the store over their construction defaults and the library defaults of
// the paths. Answers whether this is a first run (no `PluginName` stored).
bool loadSettings(const settings::SettingsStore& store, InstrumentSettings& settings, bool standalone);

// Writes every setting back, one value at a time; a value that cannot be written is skipped.
void saveSettings(settings::SettingsStore& store, const InstrumentSettings& settings, bool standalone);

// The folder of effect plug-ins when none is stored (see platform::defaultEffectFolder).
std::string defaultEffectFolder();

}  // namespace rimba
