#pragma once
// The editor's controls by role: what the editor's commands and idle work update after a change.
// EditorControls builds them on the open frame (the frame owns them); these are pointers into
// the frame's views, valid until the frame goes. A pointer is null only for a control the
// window does not have.
//
// Tags: the fixed controls carry small numbers (kTag... below); a track strip's control carries
// 8192 + 32 x track + kind (stripTag), so that a tag from 8192 on decodes as track
// (tag / 32) % 256 and kind tag % 32.

#include <vector>

#include "plugin/editor/controls/VornButtons.h"
#include "plugin/editor/controls/VornFaders.h"
#include "plugin/editor/controls/VornFilter.h"
#include "plugin/editor/controls/VornKnob.h"
#include "plugin/editor/controls/VornLabels.h"
#include "plugin/editor/controls/VornMenus.h"
#include "plugin/editor/controls/VornMeters.h"
#include "plugin/editor/controls/VornPatternViews.h"
#include "plugin/editor/controls/VornRandom.h"
#include "plugin/editor/controls/VornSelectors.h"
#include "plugin/editor/controls/VornWave.h"
#include "plugin/editor/toolkit/OptionMenu.h"

namespace rimba {

namespace editor_tags {
// Per-sound options of the selected track: the same numbers as the track's own settings.
constexpr long kDecay = 9;
constexpr long kReverse = 10;
constexpr long kCharley = 17;
constexpr long kRandomGraph = 28;
constexpr long kDragMidi = 29;
constexpr long kPlay = 30;
constexpr long kStop = 31;
constexpr long kTempo = 32;
constexpr long kPatternSetName = 37;
constexpr long kNextPatternSet = 38;
constexpr long kPreviousPatternSet = 39;
constexpr long kFirstEffectSlot = 41;  // 41 to 44: send 1, send 2, insert 1, insert 2
constexpr long kMasterEq = 45;
constexpr long kMasterEqSwitch = 46;
constexpr long kSoundEq = 47;
constexpr long kSoundEqSwitch = 48;
constexpr long kProgramName = 49;
constexpr long kNextProgram = 50;
constexpr long kPreviousProgram = 51;
constexpr long kKitName = 54;
constexpr long kNextKit = 55;
constexpr long kPreviousKit = 56;
constexpr long kMasterMeter = 58;
constexpr long kMasterLevel = 59;
constexpr long kRotateLeft = 60;
constexpr long kRotateRight = 61;
constexpr long kEditPage = 62;
constexpr long kSynthPresetName = 63;  // the selected track's synth sound; a click opens the synth menu
constexpr long kNextSynthPreset = 64;
constexpr long kPreviousSynthPreset = 65;
constexpr long kSynthMix = 66;
constexpr long kSynthRoute = 67;
constexpr long kSoundEqPage = 68;
constexpr long kWavePage = 69;
constexpr long kPhase = 70;
constexpr long kWave = 71;  // the waveform view of the selected track
constexpr long kKeyLabel = 72;
constexpr long kMakerLink = 73;
constexpr long kWelcome = 74;
constexpr long kNoteSelect = 75;
constexpr long kTuneScale = 76;
constexpr long kPatternSelect = 81;
constexpr long kLoopSelect = 82;
constexpr long kLoopMode = 83;
constexpr long kChainMode = 84;
constexpr long kRandomMode = 85;
constexpr long kPatternPage = 86;
constexpr long kSwing = 87;
constexpr long kFillAttenuation = 88;
constexpr long kRandomGenerate = 89;
constexpr long kRandomReset = 90;
constexpr long kRandomModeButton = 91;
constexpr long kRandomGraphButton = 92;
constexpr long kRandomPlay = 93;
constexpr long kRandomSave = 94;
constexpr long kMainMenu = 96;
constexpr long kUserManual = 97;
// What a right drag on the steps edits: holds and tunes (the grids' length mode), and short
// holds of up to two steps.
constexpr long kHoldTuneMode = 98;
constexpr long kShortHoldMode = 99;
constexpr long kNoTag = -1;  // the progress bar: it reports nothing

// Track strip kinds.
constexpr int kStepRowKind = 0;
constexpr int kRandomAmountKind = 1;
constexpr int kTuneVelocityKind = 2;
constexpr int kTuneKind = 3;
constexpr int kLevelVelocityKind = 4;
constexpr int kLevelKind = 5;
constexpr int kPanKind = 6;
constexpr int kSend1Kind = 7;
constexpr int kSend2Kind = 8;
constexpr int kDrumKind = 9;  // the strip's handle: right click the strip menu, drag to copy
constexpr int kSelectKind = 10;
constexpr int kMeterKind = 11;
constexpr int kSoloKind = 12;
constexpr int kPadKind = 13;
constexpr int kMuteKind = 14;
constexpr int kSoundKind = 15;
constexpr int kNextSoundKind = 16;
constexpr int kPreviousSoundKind = 17;

constexpr long kFirstStripTag = 8192;
constexpr long kLastStripTag = 65791;
constexpr long stripTag(int track, int kind) { return kFirstStripTag + 32L * track + kind; }
constexpr bool isStripTag(long tag) { return tag >= kFirstStripTag && tag <= kLastStripTag; }
constexpr int trackOfTag(long tag) { return static_cast<int>((tag / 32) % 256); }
constexpr int kindOfTag(long tag) { return static_cast<int>(tag % 32); }
}  // namespace editor_tags

// One track strip's controls, by kind.
struct TrackStripViews {
    controls::CVornPattern* steps = nullptr;  // 0
    controls::CVornPatternRandom* randomAmount = nullptr;  // 1
    controls::CVornSwitchFader* tuneVelocity = nullptr;  // 2
    controls::CVornTuneControl* tune = nullptr;  // 3
    controls::CVornKnob* levelVelocity = nullptr;  // 4 "V-Level"
    controls::CVornKnob* level = nullptr;  // 5 "Level"
    controls::CVornKnob* pan = nullptr;  // 6 "Pan"
    controls::CVornKnob* send1 = nullptr;  // 7
    controls::CVornKnob* send2 = nullptr;  // 8
    controls::CVornDrum* drum = nullptr;  // 9
    controls::CVornSwitch* select = nullptr;  // 10 "SwitchWave.png"
    controls::CVornVuMeterVert* meter = nullptr;  // 11
    controls::CVornSwitch* solo = nullptr;  // 12
    controls::CVornPushButton* pad = nullptr;  // 13 "Led.png"
    controls::CVornSwitch* mute = nullptr;  // 14
    controls::CVornLabel* sound = nullptr;  // 15
    controls::CVornPushButton* nextSound = nullptr;  // 16
    controls::CVornPushButton* previousSound = nullptr;  // 17
};

struct EditorViews {
    // Transport and master.
    controls::CVornPushButton* play = nullptr;
    controls::CVornPushButton* stop = nullptr;
    controls::CVornTextEdit* tempo = nullptr;
    controls::CVornVuMeter* masterMeter = nullptr;
    controls::CVornKnob* masterLevel = nullptr;
    controls::CVornFilter* masterEq = nullptr;
    controls::CVornPushButton* masterEqSwitch = nullptr;
    controls::CVornSwitchMenu* mainMenu = nullptr;
    controls::CVornProgressBar* progressBar = nullptr;
    // Program, kit, pattern set names and their next/previous buttons.
    controls::CVornLabel* programName = nullptr;
    controls::CVornLabel* kitName = nullptr;
    controls::CVornLabel* patternSetName = nullptr;
    // The four effect slots: send 1, send 2, insert 1, insert 2.
    std::vector<controls::CVornSwitchMenu*> effectSlots;
    // The sound editing page of the selected track.
    controls::CVornPushButton* editPage = nullptr;
    controls::CVornFilter* soundEq = nullptr;
    controls::CVornPushButton* soundEqSwitch = nullptr;
    controls::CVornPushButton* soundEqPage = nullptr;
    controls::CVornPushButton* wavePage = nullptr;
    controls::CVornPushButton* phase = nullptr;
    controls::CVornWave* wave = nullptr;
    controls::CVornSwitch* synthRoute = nullptr;
    controls::CVornKnob* synthMix = nullptr;
    controls::CVornLabel* synthPresetName = nullptr;
    controls::CVornLabel* keyLabel = nullptr;
    controls::CVornCaption* soundTrackName = nullptr;  // the page's heading: "3 Rim"
    controls::CVornSwitch* decay = nullptr;
    controls::CVornSwitch* reverse = nullptr;
    controls::CVornSwitch* charley = nullptr;
    controls::CVornTuneScaleSelect* tuneScale = nullptr;
    controls::CVornNoteSelect* noteSelect = nullptr;
    // The pattern panel.
    controls::CVornPatternSelect* patternSelect = nullptr;
    controls::CVornLoopSelect* loopSelect = nullptr;
    controls::CVornSwitch* loopMode = nullptr;
    controls::CVornSwitch* chainMode = nullptr;
    controls::CVornSwitch* randomMode = nullptr;
    controls::CVornPatternPage* patternPage = nullptr;
    controls::CVornFader* swing = nullptr;
    controls::CVornFader* fillAttenuation = nullptr;
    controls::CVornPushButton* dragMidi = nullptr;
    controls::CVornSwitch* holdTuneMode = nullptr;
    controls::CVornSwitch* shortHoldMode = nullptr;
    // The random generator.
    controls::CVornRandomGraphCtrl* randomGraph = nullptr;
    controls::CVornPushButton* randomModeButton = nullptr;
    controls::CVornPushButton* randomGraphButton = nullptr;
    controls::CVornPushButton* randomPlay = nullptr;
    // The welcome picture and the maker's link.
    controls::CVornPushButton* welcome = nullptr;
    controls::CVornPushButton* makerLink = nullptr;
    controls::CVornPushButton* userManual = nullptr;

    std::vector<TrackStripViews> strips;
};

}  // namespace rimba
