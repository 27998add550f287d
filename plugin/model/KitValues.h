#pragma once
// What a kit file holds, as values: for each drum track its stored sound name and sound
// settings, and the state of the drum synth plug-in.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "plugin/model/Constants.h"
#include "plugin/model/StoredTrackSettings.h"

namespace rimba {

enum class KitForm {
    Oldest,  // exactly 2560 bytes, no header
    Short,  // a size in front, 2948 bytes in all
    Plain,  // a size in front, then eight current records
    Current,  // a 32-byte header with the record count and version
};

const char* kitFormName(KitForm form);

struct KitRecord {
    std::string path;  // the stored name, at most 256 bytes
    // In the stored order of program chunks. A record read from an older form has the tune of
    // today's units and the reset values for everything it does not hold; positions 12, 15
    // and 16 (random settings) are never part of a kit and stay 0.
    std::array<float, chunk::kSettingCount> settings{};
    std::array<std::int32_t, kScaleNotes> scaleNotes{};
};

struct KitFile {
    KitForm form = KitForm::Current;
    std::vector<KitRecord> records;
    std::vector<std::uint8_t> synthState;  // empty without a drum synth
};

}  // namespace rimba
