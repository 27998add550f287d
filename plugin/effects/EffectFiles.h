#pragma once
// The program bar's files and memory for a hosted plug-in: bank (".fxb") and preset (".fxp")
// files of the images in EffectImages.h, the copied preset, and the default bank kept in the
// settings store under the plug-in's own product name.
//
// User-interface thread (files, the settings store and the plug-in's main-thread calls).

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "common/settings/SettingsStore.h"
#include "common/vst/VstAbi.h"
#include "plugin/model/Result.h"

namespace rimba {

// `name` with "." and `extension` appended unless it already ends with them (letter case
// counts, as for the file lists): what the save dialogs make of a chosen name.
std::string withFileExtension(const std::string& name, const std::string& extension);

// The image with its header, written in one piece beside `path` and renamed over it when whole:
// a failed save leaves whatever stood at `path` as it was. Refused, with nothing written, when
// the plug-in gives no image (EffectImages.h).
Result<> saveBankFile(AEffect& effect, const std::string& path);
Result<> savePresetFile(AEffect& effect, const std::string& path);

// The whole file, applied as EffectImages.h says. A file that cannot be read, or is refused,
// changes nothing.
Result<> loadBankFile(AEffect& effect, const std::string& path);
Result<> loadPresetFile(AEffect& effect, const std::string& path);

// Copy and Paste of the program bar: one preset image with its header, kept until the next copy.
class EffectClipboard {
public:
    // The current program of `effect`. Refused, keeping what was copied before, when the
    // plug-in gives no image of it.
    Result<> copy(AEffect& effect);
    // Applies the copied preset to the current program of `effect`, its name included. Refused
    // when nothing was copied, or when `effect` refuses the preset (another plug-in's).
    Result<> paste(AEffect& effect) const;

    bool empty() const { return held.empty(); }
    std::span<const std::uint8_t> image() const { return held; }

private:
    std::vector<std::uint8_t> held;
};

// The default bank: the binary value "UserBank" of section "Data" in the settings store named
// after the plug-in's product string: its raw bank chunk where its programs are chunks, else the
// whole regular bank image with its header. Nothing in the instrument reads it back; it is kept
// where the same plug-in in another host of this family looks for it.
constexpr const char* kDefaultBankSection = "Data";
constexpr const char* kDefaultBankValue = "UserBank";

// Makes the settings store of a product; the user's own store unless a test or caller says
// otherwise.
using SettingsStoreMaker = std::function<settings::SettingsStore(const std::string& product)>;
settings::SettingsStore userSettingsStore(const std::string& product);

// Refused, with nothing written, when the plug-in names no product, names one that cannot name
// a store (a separator, a control character, only dots), gives no bank image, or the store does
// not take the value.
Result<> saveDefaultBank(AEffect& effect, const SettingsStoreMaker& makeStore = userSettingsStore);

}  // namespace rimba
