#pragma once
// Sizes and identities that files and hosts rely on (what the standalone program shares with
// the plug-in is common/vst/StandaloneLink.h).

#include <cstdint>

namespace rimba {

constexpr int kTrackSlots = 16;  // every per-track array has room for 16 tracks
constexpr int kDefaultTrackCount = 12;
constexpr int kSmallTrackCount = 8;
constexpr int kPatternCount = 16;
constexpr int kMaxSteps = 64;
// Ranges of the sequencer's settings, whichever way they arrive (parameter, chunk, pattern file):
// the sequencer's arithmetic relies on them.
constexpr int kMinSteps = 1;
constexpr int kMaxSwing = 127;  // 0..127 of a step's half, in 128ths of a step
constexpr int kMaxFillAttenuation = 127;  // 0..127, 64 = every roll hit at full velocity
constexpr int kMaxVelocity = 127;
constexpr int kSlotsPerTrack = 20;  // per-track slots of the tag space and of the host parameters
constexpr int kParameterCount = 240;  // 12 tracks x 20 slots, whatever the track count
constexpr int kEqBands = 3;
constexpr int kScaleNotes = 12;
constexpr int kEffectSlots = 4;  // send 1, send 2, insert 1, insert 2
constexpr int kMidiRingSize = 256;
constexpr int kMaxFilterUpdates = 100;
constexpr int kMasterGainSteps = 128;

constexpr std::int32_t kUniqueIdInHost = 959526251;  // 0x3931356B
constexpr std::int32_t kUniqueIdStandalone = 825647992;  // 0x31366378
constexpr std::int32_t kPluginVersion = 1;
constexpr std::int32_t kDefaultSampleRate = 44100;
constexpr std::int32_t kDefaultBlockSize = 1024;

constexpr const char* kVendorName = "VORN";
constexpr const char* kFolderName = "Rimba Drums";
constexpr const char* kVersionText = "1.50";

// Every wait for the audio thread ends after this long, so a stuck host never hangs a loader.
constexpr std::uint32_t kLoadWaitMilliseconds = 5000;

}  // namespace rimba
