#include "common/vst/StandaloneLink.h"
#include "plugin/effects/EffectFiles.h"

#include <algorithm>
#include <utility>

#include "common/platform/Files.h"
#include "plugin/effects/EffectImages.h"

namespace rimba {

namespace {

// A plug-in that gives no image gets no file: whatever stood at `path` stays.
Result<> saveImage(const Result<std::vector<std::uint8_t>>& image, const std::string& path) {
    if (!image)
        return image.refusal();
    if (!platform::writeFileAtomically(path, *image))
        return Refusal{"the system did not let it be written (a missing or read-only folder, or a full disk)"};
    return {};
}

Result<> loadImage(AEffect& effect, const std::string& path,
                   Result<> (*apply)(AEffect&, std::span<const std::uint8_t>)) {
    const auto file = platform::readWholeFile(path);
    if (!file)
        return Refusal{"cannot read " + path};
    const Result<> applied = apply(effect, *file);
    if (!applied)
        return applied.refusal(path);
    return {};
}

// The product string becomes a folder (Linux) or a registry key (Windows) of the settings
// store: it must name one thing under the store's root and nothing above it.
Result<> checkProductName(const std::string& product) {
    if (product.empty())
        return Refusal{"the plug-in names no product, so its default bank has no store"};
    const bool unusable = std::any_of(product.begin(), product.end(), [](char c) {
        return c == '/' || c == '\\' || static_cast<unsigned char>(c) < 0x20 || c == 0x7F;
    });
    if (unusable || product.find_first_not_of('.') == std::string::npos)
        return Refusal{"the plug-in's product name \"" + product + "\" cannot name a settings store"};
    return {};
}

}  // namespace

std::string withFileExtension(const std::string& name, const std::string& extension) {
    const std::string ending = "." + extension;
    if (name.size() >= ending.size() && name.compare(name.size() - ending.size(), ending.size(), ending) == 0)
        return name;
    return name + ending;
}

Result<> saveBankFile(AEffect& effect, const std::string& path) {
    return saveImage(buildBankImage(effect, true), path);
}

Result<> savePresetFile(AEffect& effect, const std::string& path) {
    return saveImage(buildPresetImage(effect, true), path);
}

Result<> loadBankFile(AEffect& effect, const std::string& path) { return loadImage(effect, path, applyBankImage); }

Result<> loadPresetFile(AEffect& effect, const std::string& path) { return loadImage(effect, path, applyPresetImage); }

Result<> EffectClipboard::copy(AEffect& effect) {
    Result<std::vector<std::uint8_t>> image = buildPresetImage(effect, true);
    if (!image)
        return image.refusal();
    held = std::move(*image);
    return {};
}

Result<> EffectClipboard::paste(AEffect& effect) const {
    if (held.empty())
        return Refusal{"nothing has been copied"};
    return applyPresetImage(effect, held);
}

settings::SettingsStore userSettingsStore(const std::string& product) { return settings::SettingsStore(product); }

Result<> saveDefaultBank(AEffect& effect, const SettingsStoreMaker& makeStore) {
    const std::string product = effectProductString(effect);
    if (const Result<> usable = checkProductName(product); !usable)
        return usable;
    // The raw chunk where programs are chunks; a regular bank is its whole image either way.
    const Result<std::vector<std::uint8_t>> bank = buildBankImage(effect, false);
    if (!bank)
        return bank.refusal();
    settings::SettingsStore store = makeStore(product);
    if (!store.writeBinary(kDefaultBankSection, kDefaultBankValue, *bank))
        return Refusal{"the settings store of \"" + product + "\" did not take its default bank"};
    return {};
}

}  // namespace rimba
