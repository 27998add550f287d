#include "plugin/editor/EditorControls.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <memory>

#include "plugin/core/RandomKeystrokes.h"
#include "plugin/editor/ControlValueText.h"
#include "plugin/editor/EqualiserResponse.h"
#include "plugin/editor/artwork/ArtworkGeometry.h"
#include "plugin/editor/controls/ControlLogic.h"
#include "plugin/editor/controls/KnobLogic.h"
#include "plugin/model/Tags.h"

namespace rimba {

namespace art = artwork;
namespace et = editor_tags;
using controls::CVornKnob;
using controls::CVornLabel;
using controls::CVornPushButton;
using controls::CVornSwitch;
using toolkit::CFrame;
using toolkit::CRect;
using toolkit::rectOfSize;
using Listener = toolkit::CControlListener;

namespace {

int stripTop(int track) { return art::kTrackStripsTop + track * art::kTrackStripPitch; }

int sectionTop(int trackCount, art::Section section) {
    const art::BackgroundSection& s = art::sectionOf(section);
    return trackCount == kSmallTrackCount ? s.small.top : s.large.top;
}

controls::CVornCaption* caption(CFrame& frame, const CRect& where, std::string text) {
    return frame.add(std::make_unique<controls::CVornCaption>(where, std::move(text)));
}

// The track knobs, left to right, with their artwork and caption.
struct StripKnob {
    int kind;
    const char* bitmap;
    const char* caption;
    controls::CVornKnob* TrackStripViews::*view;
};
constexpr StripKnob kStripKnobs[] = {
    {et::kLevelKind, "KnobGrayEx.png", "Level", &TrackStripViews::level},
    {et::kLevelVelocityKind, "KnobGrayEx.png", "V-Level", &TrackStripViews::levelVelocity},
    {et::kPanKind, "KnobGrayEx.png", "Pan", &TrackStripViews::pan},
    {et::kSend1Kind, "KnobRoseEx.png", "FX1", &TrackStripViews::send1},
    {et::kSend2Kind, "KnobBlueEx.png", "FX2", &TrackStripViews::send2}};
constexpr int kStripKnobsLeft = 430;
constexpr int kStripKnobPitch = 44;

constexpr const char* kSlotCaptions[] = {"Send 1", "Send 2", "Ins 1", "Ins 2"};
// The most characters of an effect's label the slot's switch has room for.
constexpr std::size_t kSlotLabelLength = 5;

// English (0) and French (1), as the Tooltips setting chooses.
constexpr const char* kHoldTuneTooltips[] = {
    "Right drag on a step: up and down tunes it, left and right sets its hold.\r\n"
    "Shift held at the press does the same for one drag.",
    "Glisser avec le bouton droit sur un pas : verticalement, son accord ; horizontalement, sa "
    "dur\xC3\xA9"
    "e.\r\nMaj enfonc\xC3\xA9"
    "e au clic fait de m\xC3\xAA"
    "me le temps d'un geste."};
constexpr const char* kShortHoldTooltips[] = {
    "Right drag left and right on a step: a short hold of up to two steps.\r\n"
    "Shift+Ctrl held at the press does the same for one drag.",
    "Glisser horizontalement avec le bouton droit sur un pas : une dur\xC3\xA9"
    "e courte, "
    "deux pas au plus.\r\nMaj+Ctrl enfonc\xC3\xA9s au clic font de m\xC3\xAA"
    "me le temps d'un geste."};

constexpr const char* kStepRowTooltip =
    "Pour modifier la v\xC3\xA9locit\xC3\xA9 de la frappe,\r\n d\xC3\xA9placez la souris verticalement tout en "
    "maintenant le bouton droit enfonc\xC3\xA9.";

float unit(float value) { return std::clamp(value, 0.0f, 1.0f); }

std::string soundName(const std::array<char, kSoundPathLength>& path) { return shownFileName(soundPathText(path)); }

}  // namespace

std::string shownFileName(const std::string& path) {
    const std::size_t slash = path.find_last_of("/\\");
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    const std::size_t dot = name.find_last_of('.');
    if (dot != std::string::npos && dot > 0)
        name.erase(dot);
    return name;
}

std::vector<float> wavePeaks(const std::vector<std::int16_t>& samples, int columns) {
    std::vector<float> peaks(static_cast<std::size_t>(std::max(columns, 0)), 0.0f);
    if (samples.empty() || columns <= 0)
        return peaks;
    const std::size_t count = samples.size();
    for (std::size_t column = 0; column < peaks.size(); ++column) {
        const std::size_t from = column * count / peaks.size();
        const std::size_t to = std::max(from + 1, (column + 1) * count / peaks.size());
        int largest = 0;
        for (std::size_t i = from; i < to && i < count; ++i)
            largest = std::max(largest, std::abs(int{samples[i]}));
        peaks[column] = static_cast<float>(largest) / 32767.0f;
    }
    return peaks;
}

CRect EditorControls::stepRowRect(int track) {
    // The steps and, under them, the scroll bar that also opens the grid's menu: the bar's band is
    // the bottom 24 pixels that answer as the bar, so the steps stand above it.
    return rectOfSize(32, stripTop(track) + 1, controls::CVornPattern::kVisibleSteps * art::kStepFrameWidth,
                      art::kStepFrameHeight + controls::GridGeometry::kScrollBarReach);
}
CRect EditorControls::trackMeterRect(int track) { return rectOfSize(934, stripTop(track) + 4, 8, 40); }
CRect EditorControls::masterMeterRect() { return rectOfSize(720, 20, 96, 8); }
// In the master panel's title row, clear of every control: it shows only while a load runs.
CRect EditorControls::progressBarRect() { return rectOfSize(752, 10, 240, 8); }
CRect EditorControls::noteSelectorRect() { return {635, 110, 932, 383}; }

EditorControls::EditorControls(CFrame& frame, const VornDrums& drums, Listener* listener) : instrument(drums) {
    const int tracks = instrument.getTrackCount();
    buildTopBar(frame, listener);
    for (int track = 0; track < tracks; ++track)
        buildStrip(frame, listener, track);
    buildSoundPage(frame, listener, sectionTop(tracks, art::Section::kSoundEdit));
    buildPatternPanel(frame, listener, sectionTop(tracks, art::Section::kPattern));
    buildRandomPanel(frame, listener, sectionTop(tracks, art::Section::kRandom));

    // Shown on demand, above everything else: added last so that they draw last.
    const int height = tracks == kSmallTrackCount ? art::kEditorHeight8 : art::kEditorHeight12;
    controls.welcome = frame.add(
        std::make_unique<CVornPushButton>(rectOfSize((art::kEditorWidth - 400) / 2, (height - 240) / 2, 400, 240),
                                          listener, et::kWelcome, "Welcome.png"));
    controls.welcome->setVisible(false);
    controls.noteSelect =
        frame.add(std::make_unique<controls::CVornNoteSelect>(noteSelectorRect(), listener, et::kNoteSelect));
    controls.noteSelect->setVisible(false);
    // No tag: nothing reports from it, and it shows only while a load runs.
    controls.progressBar =
        frame.add(std::make_unique<controls::CVornProgressBar>(progressBarRect(), listener, et::kNoTag));
    controls.progressBar->setVisible(false);
    attachValueTexts(frame);

    refreshAll(std::clamp(instrument.state().selectedTrack, 0, tracks - 1));
}

void EditorControls::buildTopBar(CFrame& frame, Listener* listener) {
    EditorViews& v = controls;
    // Transport: play, stop, tempo, the main menu.
    v.play = frame.add(std::make_unique<CVornPushButton>(rectOfSize(16, 28, 32, 24), listener, et::kPlay, "Play.png",
                                                         CVornPushButton::Kind::latching));
    v.stop = frame.add(std::make_unique<CVornPushButton>(rectOfSize(52, 28, 32, 24), listener, et::kStop, "Stop.png"));
    v.tempo = frame.add(std::make_unique<controls::CVornTextEdit>(rectOfSize(88, 28, 36, 20), listener, et::kTempo,
                                                                  10.0f, 480.0f, 120.0f));
    caption(frame, rectOfSize(86, 49, 38, 10), "Tempo");
    v.mainMenu = frame.add(
        std::make_unique<controls::CVornSwitchMenu>(rectOfSize(126, 28, 40, 20), listener, et::kMainMenu, "Menu.png"));
    caption(frame, rectOfSize(126, 49, 40, 10), "Menu");

    // Program and kit: the name (a click opens its menu) with next above previous.
    struct FileBar {
        int left;
        long label, next, previous;
        CVornLabel** view;
    };
    for (const FileBar& bar : {FileBar{180, et::kProgramName, et::kNextProgram, et::kPreviousProgram, &v.programName},
                               FileBar{360, et::kKitName, et::kNextKit, et::kPreviousKit, &v.kitName}}) {
        *bar.view = frame.add(std::make_unique<CVornLabel>(rectOfSize(bar.left, 28, 128, 24), listener, bar.label));
        frame.add(std::make_unique<CVornPushButton>(rectOfSize(bar.left + 132, 28, 16, 12), listener, bar.next,
                                                    "WaveUp.png"));
        frame.add(std::make_unique<CVornPushButton>(rectOfSize(bar.left + 132, 40, 16, 12), listener, bar.previous,
                                                    "WaveDown.png"));
    }

    // The four effect slots, each captioned with its place in the mix.
    for (int slot = 0; slot < kEffectSlots; ++slot) {
        const int left = 540 + 42 * slot;
        v.effectSlots.push_back(frame.add(std::make_unique<controls::CVornSwitchMenu>(
            rectOfSize(left, 24, 40, 20), listener, et::kFirstEffectSlot + slot, "SwitchEffect.png")));
        caption(frame, rectOfSize(left, 46, 40, 10), kSlotCaptions[slot]);
    }

    // Master: the meter across the top, the knob under it, the EQ switch and the curve.
    v.masterMeter = frame.add(std::make_unique<controls::CVornVuMeter>(masterMeterRect(), listener, et::kMasterMeter));
    v.masterLevel = frame.add(std::make_unique<CVornKnob>(rectOfSize(720, 28, 32, 32), listener, et::kMasterLevel));
    v.masterLevel->setMax(127.0f);
    v.masterLevel->setDefaultValue(127.0f);
    v.masterLevel->setShowValue(false);
    caption(frame, rectOfSize(754, 29, 44, 11), "Master");
    v.masterEqSwitch = frame.add(std::make_unique<CVornPushButton>(
        rectOfSize(762, 42, 28, 16), listener, et::kMasterEqSwitch, "SwitchEQ.png", CVornPushButton::Kind::latching));
    v.masterEq = frame.add(std::make_unique<controls::CVornFilter>(
        rectOfSize(832, 19, 160, 40), listener, et::kMasterEq,
        std::make_shared<EqualiserResponse>(EqualiserResponse::Target::master, instrument.state().sampleRate)));
}

void EditorControls::buildStrip(CFrame& frame, Listener* listener, int track) {
    const int top = stripTop(track);
    TrackStripViews s;
    auto tag = [track](int kind) { return stripTag(track, kind); };
    s.drum = frame.add(std::make_unique<controls::CVornDrum>(
        CRect{art::kTrackStripLeft, top, art::kTrackStripLeft + art::kTrackStripAccentWidth,
              top + art::kTrackStripHeight},
        listener, tag(et::kDrumKind), track));
    s.steps =
        frame.add(std::make_unique<controls::CVornPattern>(stepRowRect(track), listener, tag(et::kStepRowKind), track));
    s.steps->setScrollBar(true);
    // The musician who turned tooltips off (-1) gets none.
    if (instrument.state().settings.tooltips >= 0)
        s.steps->setTooltipText(kStepRowTooltip);
    caption(frame, rectOfSize(362, top + 1, 52, 9), "Random");
    s.randomAmount = frame.add(std::make_unique<controls::CVornPatternRandom>(rectOfSize(362, top + 10, 52, 12),
                                                                              listener, tag(et::kRandomAmountKind)));
    s.mute = frame.add(std::make_unique<CVornSwitch>(rectOfSize(364, top + 25, 20, 20), listener, tag(et::kMuteKind),
                                                     "SwitchMute.png"));
    s.solo = frame.add(std::make_unique<CVornSwitch>(rectOfSize(390, top + 25, 20, 20), listener, tag(et::kSoloKind),
                                                     "SwitchSolo.png"));

    for (std::size_t k = 0; k < std::size(kStripKnobs); ++k) {
        const StripKnob& knobRow = kStripKnobs[k];
        const int left = kStripKnobsLeft + kStripKnobPitch * static_cast<int>(k);
        CVornKnob* knob = frame.add(std::make_unique<CVornKnob>(rectOfSize(left, top + 3, 32, 32), listener,
                                                                tag(knobRow.kind), knobRow.bitmap));
        knob->setShowValue(false);
        // The pan holds the centre; the others rest at their defaults without a detent.
        if (knobRow.kind == et::kPanKind) {
            knob->setDefaultValue(0.5f);
            knob->setDetent(true);
        }
        caption(frame, rectOfSize(left - 6, top + 35, kStripKnobPitch, 11), knobRow.caption);
        s.*knobRow.view = knob;
    }

    s.tune = frame.add(
        std::make_unique<controls::CVornTuneControl>(rectOfSize(652, top + 2, 16, 34), listener, tag(et::kTuneKind)));
    caption(frame, rectOfSize(646, top + 36, 26, 11), "Tune");
    s.tuneVelocity = frame.add(std::make_unique<controls::CVornSwitchFader>(rectOfSize(678, top + 2, 16, 34), listener,
                                                                            tag(et::kTuneVelocityKind)));
    caption(frame, rectOfSize(672, top + 36, 28, 11), "Vel");

    s.sound =
        frame.add(std::make_unique<CVornLabel>(rectOfSize(708, top + 12, 128, 24), listener, tag(et::kSoundKind)));
    s.nextSound = frame.add(std::make_unique<CVornPushButton>(rectOfSize(840, top + 12, 16, 12), listener,
                                                              tag(et::kNextSoundKind), "WaveUp.png"));
    s.previousSound = frame.add(std::make_unique<CVornPushButton>(rectOfSize(840, top + 24, 16, 12), listener,
                                                                  tag(et::kPreviousSoundKind), "WaveDown.png"));
    s.pad = frame.add(
        std::make_unique<CVornPushButton>(rectOfSize(870, top + 14, 16, 16), listener, tag(et::kPadKind), "Led.png"));
    caption(frame, rectOfSize(862, top + 33, 32, 11), "Pad");
    s.select = frame.add(std::make_unique<CVornSwitch>(rectOfSize(900, top + 12, 20, 20), listener,
                                                       tag(et::kSelectKind), "SwitchWave.png"));
    caption(frame, rectOfSize(894, top + 33, 32, 11), "Edit");
    s.meter =
        frame.add(std::make_unique<controls::CVornVuMeterVert>(trackMeterRect(track), listener, tag(et::kMeterKind)));
    controls.strips.push_back(s);
}

void EditorControls::buildSoundPage(CFrame& frame, Listener* listener, int y) {
    EditorViews& v = controls;
    // The heading names the track the page edits, beside the panel's own title.
    v.soundTrackName = frame.add(
        std::make_unique<controls::CVornCaption>(rectOfSize(64, y + 2, 240, 11), "", controls::TextAlign::left, 8.5));
    caption(frame, rectOfSize(12, y + 22, 22, 12), "Key");
    v.keyLabel = frame.add(
        std::make_unique<CVornLabel>(rectOfSize(34, y + 16, 40, 24), listener, et::kKeyLabel, "LabelKey.png"));
    v.decay =
        frame.add(std::make_unique<CVornSwitch>(rectOfSize(80, y + 20, 56, 16), listener, et::kDecay, "Decay.png"));
    v.reverse = frame.add(
        std::make_unique<CVornSwitch>(rectOfSize(140, y + 20, 56, 16), listener, et::kReverse, "Reverse.png"));
    v.charley = frame.add(
        std::make_unique<CVornSwitch>(rectOfSize(200, y + 20, 56, 16), listener, et::kCharley, "Charley.png"));
    v.editPage = frame.add(std::make_unique<CVornPushButton>(rectOfSize(262, y + 20, 48, 16), listener, et::kEditPage,
                                                             "SwitchEditPage.png", CVornPushButton::Kind::latching));
    v.soundEqPage = frame.add(std::make_unique<CVornPushButton>(
        rectOfSize(314, y + 20, 28, 16), listener, et::kSoundEqPage, "SwitchEQ.png", CVornPushButton::Kind::latching));
    v.wavePage = frame.add(std::make_unique<CVornPushButton>(rectOfSize(348, y + 18, 20, 20), listener, et::kWavePage,
                                                             "SwitchWave.png", CVornPushButton::Kind::latching));
    v.phase = frame.add(std::make_unique<CVornPushButton>(rectOfSize(374, y + 18, 20, 20), listener, et::kPhase,
                                                          "SwitchPhase.png", CVornPushButton::Kind::latching));

    v.wave = frame.add(std::make_unique<controls::CVornWave>(rectOfSize(16, y + 46, 224, 64), listener, et::kWave));
    v.soundEq = frame.add(std::make_unique<controls::CVornFilter>(
        rectOfSize(248, y + 46, 160, 40), listener, et::kSoundEq,
        std::make_shared<EqualiserResponse>(EqualiserResponse::Target::track, instrument.state().sampleRate)));
    v.soundEqSwitch =
        frame.add(std::make_unique<CVornPushButton>(rectOfSize(248, y + 92, 28, 16), listener, et::kSoundEqSwitch,
                                                    "SwitchEQ.png", CVornPushButton::Kind::latching));
    v.synthRoute = frame.add(
        std::make_unique<CVornSwitch>(rectOfSize(284, y + 92, 48, 16), listener, et::kSynthRoute, "SwitchSynth.png"));
    v.synthMix = frame.add(std::make_unique<CVornKnob>(rectOfSize(376, y + 92, 32, 32), listener, et::kSynthMix));
    v.synthMix->setShowValue(false);
    v.synthMix->setDefaultValue(0.5f);
    caption(frame, rectOfSize(372, y + 124, 40, 11), "Mix");

    v.tuneScale = frame.add(
        std::make_unique<controls::CVornTuneScaleSelect>(rectOfSize(16, y + 118, 200, 24), listener, et::kTuneScale));
    v.synthPresetName =
        frame.add(std::make_unique<CVornLabel>(rectOfSize(224, y + 118, 128, 24), listener, et::kSynthPresetName));
    frame.add(std::make_unique<CVornPushButton>(rectOfSize(356, y + 118, 16, 12), listener, et::kNextSynthPreset,
                                                "WaveUp.png"));
    frame.add(std::make_unique<CVornPushButton>(rectOfSize(356, y + 130, 16, 12), listener, et::kPreviousSynthPreset,
                                                "WaveDown.png"));
}

void EditorControls::buildPatternPanel(CFrame& frame, Listener* listener, int y) {
    EditorViews& v = controls;
    v.patternSetName =
        frame.add(std::make_unique<CVornLabel>(rectOfSize(428, y + 16, 128, 24), listener, et::kPatternSetName));
    frame.add(std::make_unique<CVornPushButton>(rectOfSize(560, y + 16, 16, 12), listener, et::kNextPatternSet,
                                                "WaveUp.png"));
    frame.add(std::make_unique<CVornPushButton>(rectOfSize(560, y + 28, 16, 12), listener, et::kPreviousPatternSet,
                                                "WaveDown.png"));
    frame.add(
        std::make_unique<CVornPushButton>(rectOfSize(590, y + 22, 16, 12), listener, et::kRotateLeft, "WaveDown.png"));
    frame.add(
        std::make_unique<CVornPushButton>(rectOfSize(610, y + 22, 16, 12), listener, et::kRotateRight, "WaveUp.png"));
    caption(frame, rectOfSize(628, y + 22, 46, 12), "Rotate");
    v.dragMidi = frame.add(
        std::make_unique<CVornPushButton>(rectOfSize(684, y + 18, 64, 20), listener, et::kDragMidi, "D&D.png"));

    v.patternSelect = frame.add(
        std::make_unique<controls::CVornPatternSelect>(rectOfSize(428, y + 46, 320, 20), listener, et::kPatternSelect));
    v.loopSelect = frame.add(
        std::make_unique<controls::CVornLoopSelect>(rectOfSize(428, y + 68, 320, 8), listener, et::kLoopSelect));
    v.patternPage = frame.add(
        std::make_unique<controls::CVornPatternPage>(rectOfSize(428, y + 84, 160, 16), listener, et::kPatternPage));
    v.loopMode = frame.add(
        std::make_unique<CVornSwitch>(rectOfSize(604, y + 84, 44, 16), listener, et::kLoopMode, "loopEx.png"));
    v.chainMode = frame.add(
        std::make_unique<CVornSwitch>(rectOfSize(652, y + 84, 44, 16), listener, et::kChainMode, "chain.png"));
    v.randomMode = frame.add(
        std::make_unique<CVornSwitch>(rectOfSize(700, y + 84, 44, 16), listener, et::kRandomMode, "rand.png"));

    caption(frame, rectOfSize(428, y + 106, 108, 10), "Swing");
    v.swing =
        frame.add(std::make_unique<controls::CVornFader>(rectOfSize(428, y + 116, 108, 28), listener, et::kSwing));
    caption(frame, rectOfSize(552, y + 106, 108, 10), "Fill Attn");
    v.fillAttenuation = frame.add(
        std::make_unique<controls::CVornFader>(rectOfSize(552, y + 116, 108, 28), listener, et::kFillAttenuation));

    // What a right drag on the steps edits; Shift (and Ctrl) held at the press do the same for
    // one drag.
    v.holdTuneMode = frame.add(std::make_unique<CVornSwitch>(rectOfSize(672, y + 110, 76, 16), listener,
                                                             et::kHoldTuneMode, "StepHoldMode.png"));
    v.shortHoldMode = frame.add(std::make_unique<CVornSwitch>(rectOfSize(672, y + 130, 76, 16), listener,
                                                              et::kShortHoldMode, "StepShortHoldMode.png"));
    const int language = instrument.state().settings.tooltips;
    if (language >= 0) {
        v.holdTuneMode->setTooltipText(kHoldTuneTooltips[language == 1 ? 1 : 0]);
        v.shortHoldMode->setTooltipText(kShortHoldTooltips[language == 1 ? 1 : 0]);
    }
}

void EditorControls::buildRandomPanel(CFrame& frame, Listener* listener, int y) {
    EditorViews& v = controls;
    v.randomGraph = frame.add(
        std::make_unique<controls::CVornRandomGraphCtrl>(rectOfSize(776, y + 18, 160, 64), listener, et::kRandomGraph));
    struct Button {
        long tag;
        const char* bitmap;
        int left, top;
        CVornPushButton** view;
    };
    CVornPushButton* unkept = nullptr;
    const Button buttons[] = {{et::kRandomGenerate, "Random.png", 940, 18, &unkept},
                              {et::kRandomReset, "RandomReset.png", 940, 40, &unkept},
                              {et::kRandomSave, "Save.png", 940, 62, &unkept},
                              {et::kRandomModeButton, "PatternRandomMode.png", 776, 90, &v.randomModeButton},
                              {et::kRandomGraphButton, "PatternRandomGraph.png", 828, 90, &v.randomGraphButton},
                              {et::kRandomPlay, "PatternRandomPlay.png", 880, 90, &v.randomPlay}};
    for (const Button& b : buttons) {
        const bool latching =
            b.tag == et::kRandomModeButton || b.tag == et::kRandomGraphButton || b.tag == et::kRandomPlay;
        *b.view = frame.add(std::make_unique<CVornPushButton>(
            rectOfSize(b.left, y + b.top, 48, 20), listener, b.tag, b.bitmap,
            latching ? CVornPushButton::Kind::latching : CVornPushButton::Kind::momentary));
    }
    v.makerLink = frame.add(std::make_unique<CVornPushButton>(rectOfSize(868, y + 124, 120, 20), listener,
                                                              et::kMakerLink, "RimbaDrumsUrl.png"));
    v.userManual = frame.add(
        std::make_unique<CVornPushButton>(rectOfSize(776, y + 124, 48, 20), listener, et::kUserManual, "Manual.png"));
}

// The knobs and faders write their value in the musician's units while the pointer is over them
// or drags them. The readout is added after every other view so that it draws over them all.
void EditorControls::attachValueTexts(CFrame& frame) {
    readout = frame.add(std::make_unique<controls::CValueReadout>(frame.getViewSize()));
    const auto attach = [this](controls::CVornControlEx* control, std::string (*text)(float)) {
        control->setValueReadout(readout, text);
    };
    for (const TrackStripViews& s : controls.strips) {
        attach(s.level, levelText);
        attach(s.levelVelocity, levelVelocityText);
        attach(s.pan, panText);
        attach(s.send1, sendText);
        attach(s.send2, sendText);
        attach(s.tune, tuneText);
        attach(s.tuneVelocity, tuneVelocityText);
    }
    attach(controls.masterLevel, masterLevelText);
    attach(controls.swing, swingText);
    attach(controls.fillAttenuation, fillAttenuationText);
    attach(controls.synthMix, synthMixText);
}

// ---- refresh ----------------------------------------------------------------------------------

void EditorControls::refreshAll(int selectedTrack) {
    refreshTransport();
    refreshMaster();
    refreshNames();
    for (int track = 0; track < instrument.getTrackCount(); ++track)
        refreshTrack(track);
    refreshSelection(selectedTrack);
    refreshSoundPage(selectedTrack);
    refreshPatternPanel();
    refreshKnobMode();
}

void EditorControls::refreshTransport() {
    controls.play->setValue(instrument.state().playing.load() != 0 ? 1.0f : 0.0f);
    controls.stop->setValue(0.0f);
    controls.tempo->setNumber(static_cast<float>(instrument.state().tempo));
}

void EditorControls::refreshSelection(int selectedTrack) {
    for (std::size_t track = 0; track < controls.strips.size(); ++track)
        controls.strips[track].select->setValue(static_cast<int>(track) == selectedTrack ? 1.0f : 0.0f);
}

void EditorControls::refreshSolo() {
    for (std::size_t track = 0; track < controls.strips.size(); ++track)
        controls.strips[track].solo->setValue(isSoloed(static_cast<int>(track)) ? 1.0f : 0.0f);
}

// The soloed track is the instrument's selected track while its solo is on.
bool EditorControls::isSoloed(int track) const {
    return instrument.state().soloSelected != 0 && instrument.state().selectedTrack == track;
}

void EditorControls::refreshKnobMode() {
    const controls::KnobMode mode = controls::knobModeFromSetting(instrument.state().settings.knobBehaviorMode);
    for (CVornKnob* knob : allKnobs())
        knob->setKnobMode(mode);
}

// Off, the strips show no playing step (the editor's idle then shows none and rests the meters).
void EditorControls::refreshStepAndVumeter() {
    if (instrument.stepAndVumeterOn())
        return;
    for (TrackStripViews& s : controls.strips)
        s.steps->setPlayingStep(-1);
}

void EditorControls::refreshMaster() {
    controls.masterLevel->setKnobValue(std::clamp(instrument.state().settings.masterLevel, 0.0f, 127.0f));
    controls::FilterBands bands{};
    for (std::size_t b = 0; b < bands.size(); ++b)
        bands[b] = {instrument.state().masterEqFreq[b], instrument.state().masterEqQ[b],
                    instrument.state().masterEqGain[b]};
    controls.masterEq->setBands(bands);
    controls.masterEqSwitch->setValue(instrument.state().masterEqOn != 0.0f ? 1.0f : 0.0f);
}

void EditorControls::refreshTrack(int track) {
    if (track < 0 || track >= static_cast<int>(controls.strips.size()))
        return;
    TrackStripViews& s = controls.strips[static_cast<std::size_t>(track)];
    const auto value = [&](tags::TrackSlot slot) { return instrument.getValue(tags::trackTag(track, slot)); };
    s.level->setKnobValue(unit(value(tags::kLevel)));
    s.levelVelocity->setKnobValue(unit(value(tags::kLevelVelocity)));
    s.pan->setKnobValue(unit(value(tags::kPan)));
    s.send1->setKnobValue(unit(value(tags::kSend1)));
    s.send2->setKnobValue(unit(value(tags::kSend2)));
    s.tune->setValue(unit(value(tags::kTune)));
    s.tuneVelocity->setValue(unit(value(tags::kTuneVelocity)));
    s.mute->setValue(value(tags::kMute) != 0.0f ? 1.0f : 0.0f);
    s.solo->setValue(isSoloed(track) ? 1.0f : 0.0f);
    refreshRandomAmount(track);
    s.sound->setText(soundName(instrument.state().tracks.soundPath[static_cast<std::size_t>(track)]));
    if (track == soundPageTrack)
        controls.soundTrackName->setText(trackHeading(track));
    s.steps->setRow(rowOf(track));
    s.steps->setScrollOffset(shownFirstStep);
}

// The density row shows the settings in force: the current pattern's when they are kept per
// pattern.
void EditorControls::refreshRandomAmount(int track) {
    if (track < 0 || track >= static_cast<int>(controls.strips.size()))
        return;
    controls::CVornPatternRandom* amount = controls.strips[static_cast<std::size_t>(track)].randomAmount;
    const RandomRange random = randomRangeInForce(instrument.state(), track);
    amount->setRange({static_cast<int>(random.minCell), static_cast<int>(random.maxCell)});
    amount->setMaxRoll(static_cast<int>(random.maxRoll));
}

void EditorControls::refreshSoundPage(int selectedTrack) {
    const int track = std::clamp(selectedTrack, 0, instrument.getTrackCount() - 1);
    const auto t = static_cast<std::size_t>(track);
    const TrackSettings& settings = instrument.state().tracks;
    const auto flag = [](float value) { return value != 0.0f ? 1.0f : 0.0f; };
    EditorViews& v = controls;
    v.keyLabel->setText(controls::noteName(static_cast<int>(instrument.state().settings.trackKey[t])));
    v.decay->setValue(flag(settings.oneShot[t]));
    v.reverse->setValue(flag(settings.reverse[t]));
    v.charley->setValue(flag(settings.choke[t]));
    v.soundEqSwitch->setValue(flag(settings.eqOnSample[t]));
    v.soundEqPage->setValue(flag(settings.eqOnSynth[t]));
    v.phase->setValue(flag(settings.phaseInvert[t]));
    v.synthRoute->setValue(flag(settings.synthRoute[t]));
    v.synthMix->setKnobValue(unit(settings.synthMix[t]));
    controls::FilterBands bands{};
    for (std::size_t b = 0; b < bands.size(); ++b)
        bands[b] = {settings.eqFreq[t][b], settings.eqQ[t][b], settings.eqGain[t][b]};
    v.soundEq->setBands(bands);
    int scale = 0;
    for (std::size_t n = 0; n < settings.scaleNotes[t].size(); ++n)
        if (settings.scaleNotes[t][n] != 0)
            scale |= 1 << n;
    v.tuneScale->setValue(static_cast<float>(scale));
    const Sound* sound = instrument.state().voiceSound(instrument.state().voices[t]);
    const int columns = v.wave->getViewSize().width();
    v.wave->setPeaks(sound ? wavePeaks(sound->samples, columns)
                           : std::vector<float>(static_cast<std::size_t>(columns)));
    v.wave->setValue(unit(settings.start[t]));
    v.wave->setEnd(unit(settings.end[t]));
    soundPageTrack = track;
    v.soundTrackName->setText(trackHeading(track));
    v.synthPresetName->setText(instrument.synthPresetName(track));
    // Without a drum synth the synth sound's name has nothing behind it; its menu loads one.
    v.synthPresetName->setDimmed(instrument.slotPlugin(VornDrums::kSynthSlot) == nullptr, "No drum synth");
}

// "3 Rim": the track's number and the name of its sound.
std::string EditorControls::trackHeading(int track) const {
    const std::string name = soundName(instrument.state().tracks.soundPath[static_cast<std::size_t>(track)]);
    return std::to_string(track + 1) + (name.empty() ? std::string() : " " + name);
}

void EditorControls::refreshPatternPanel() {
    const int current = std::clamp(instrument.state().currentPattern.load(), 0, kPatternCount - 1);
    controls.patternSelect->setValue(static_cast<float>(current));
    int first = -1, last = -1;
    for (int p = 0; p < kPatternCount; ++p) {
        if (instrument.state().chainEnabled[static_cast<std::size_t>(p)] == 0)
            continue;
        if (first < 0)
            first = p;
        last = p;
    }
    // With nothing chained the loop is the current pattern alone, which is what plays.
    if (first < 0)
        first = last = current;
    controls.loopSelect->setRange(first, last);
    controls.loopMode->setValue(instrument.state().playMode == 0 ? 1.0f : 0.0f);
    controls.chainMode->setValue(instrument.state().playMode == 1 ? 1.0f : 0.0f);
    controls.randomMode->setValue(instrument.state().playMode == 2 ? 1.0f : 0.0f);
    controls.patternPage->setValue(static_cast<float>(shownFirstStep / controls::CVornPattern::kVisibleSteps));
    controls.swing->setValue(std::clamp(static_cast<float>(instrument.state().swing) / 127.0f, 0.0f, 1.0f));
    controls.fillAttenuation->setValue(
        std::clamp(static_cast<float>(instrument.state().fillAttenuation) / 127.0f, 0.0f, 1.0f));
    controls.randomModeButton->setValue(instrument.state().randomPerPattern != 0 ? 1.0f : 0.0f);
    controls.randomGraphButton->setValue(instrument.state().randomGraphVisible != 0 ? 1.0f : 0.0f);
    controls.randomPlay->setValue(instrument.state().randomAuto != 0 ? 1.0f : 0.0f);
    // The range graph shows only while its switch is lit; hidden, it takes no clicks.
    const bool graphShown = instrument.state().randomGraphVisible != 0;
    if (controls.randomGraph->isVisible() != graphShown)
        controls.randomGraph->setVisible(graphShown);
}

void EditorControls::refreshNames() {
    controls.programName->setText(shownFileName(instrument.state().settings.programFile));
    controls.kitName->setText(shownFileName(instrument.state().settings.drumKitFile));
    controls.patternSetName->setText(shownFileName(instrument.state().settings.patternSetFile));
    refreshEffectSlots();
}

void EditorControls::refreshEffectSlots() {
    for (std::size_t slot = 0; slot < controls.effectSlots.size(); ++slot) {
        const CPlugin* plugin = instrument.slotPlugin(static_cast<int>(slot));
        std::string label = plugin ? plugin->description().label : std::string();
        if (label.empty())
            label = "FX";
        if (label.size() > kSlotLabelLength)
            label.resize(kSlotLabelLength);
        controls.effectSlots[slot]->setCaption(label);
        controls.effectSlots[slot]->setLit(instrument.state().effectEnabled[slot] != 0);
    }
}

std::vector<CVornKnob*> EditorControls::allKnobs() const {
    std::vector<CVornKnob*> knobs{controls.masterLevel, controls.synthMix};
    for (const TrackStripViews& s : controls.strips)
        knobs.insert(knobs.end(), {s.level, s.levelVelocity, s.pan, s.send1, s.send2});
    return knobs;
}

// ---- the idle's findings ------------------------------------------------------------------------

void EditorControls::showProgress(float fraction) {
    if (!controls.progressBar->isVisible())
        controls.progressBar->setVisible(true);
    controls.progressBar->setLevel(fraction);
}

void EditorControls::hideProgress() {
    controls.progressBar->setLevel(0.0f);
    controls.progressBar->setVisible(false);
    // A load may have brought other patterns.
    syncPatternRows();
}

void EditorControls::showTrackLevel(int track, float level) {
    if (track < 0 || track >= static_cast<int>(controls.strips.size()))
        return;
    controls.strips[static_cast<std::size_t>(track)].meter->setLevel(level);
}

void EditorControls::showMasterLevel(float level) { controls.masterMeter->setLevel(level); }

void EditorControls::showPlayingStep(int step) {
    for (TrackStripViews& s : controls.strips)
        s.steps->setPlayingStep(step);
}

void EditorControls::showPage(int page) {
    scrollTo(std::clamp(page, 0, art::kPatternPages - 1) * controls::CVornPattern::kVisibleSteps);
}

void EditorControls::scrollTo(int firstStep) {
    shownFirstStep = std::clamp(firstStep, 0, controls::GridGeometry::kMaxScrollOffset);
    controls.patternPage->setValue(static_cast<float>(shownFirstStep / controls::CVornPattern::kVisibleSteps));
    for (TrackStripViews& s : controls.strips)
        s.steps->setScrollOffset(shownFirstStep);
}

void EditorControls::syncPatternRows() {
    for (std::size_t track = 0; track < controls.strips.size(); ++track) {
        controls::CVornPattern* steps = controls.strips[track].steps;
        const controls::PatternRowValues row = rowOf(static_cast<int>(track));
        if (row != steps->getRow())
            steps->setRow(row);
    }
}

controls::PatternRowValues EditorControls::rowOf(int track) const {
    const int pattern = std::clamp(instrument.state().currentPattern.load(), 0, kPatternCount - 1);
    const TrackPatterns& steps = instrument.state().patterns[static_cast<std::size_t>(track)];
    const auto p = static_cast<std::size_t>(pattern);
    controls::PatternRowValues row;
    row.velocity = steps.stepVelocity[p];
    row.roll = steps.stepRoll[p];
    row.hold = steps.stepHold[p];
    row.tune = steps.stepTune;
    row.randomHit = loadRelaxedRow(steps.randomHit);
    row.stepCount = instrument.state().patternSteps[static_cast<std::size_t>(pattern)];
    return row;
}

}  // namespace rimba
