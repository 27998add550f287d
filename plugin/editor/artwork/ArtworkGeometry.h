#pragma once
// The size and frames of every bitmap the editor names, and the panels its backgrounds show.
// The generator (tools/artwork) draws exactly these; the toolkit and the controls read frame
// sizes from here rather than guessing them from a decoded image. A film strip stacks its
// frames from top to bottom, so its image is frameWidth wide and frameHeight x frameCount high.
// Every size lies on a 4-pixel grid except the two backgrounds, whose sizes are the editor's,
// and the note selector's panel, whose size is its pop-up's.

#include <array>
#include <cstddef>
#include <string_view>

namespace rimba::artwork {

struct BitmapGeometry {
    std::string_view name;
    int frameWidth;
    int frameHeight;
    int frameCount;

    constexpr int width() const { return frameWidth; }
    constexpr int height() const { return frameHeight * frameCount; }
};

// ---- Frames shared by families of bitmaps -------------------------------------------------

// Two-state switches and latching buttons: frame 0 off, frame 1 on (lit).
inline constexpr int kFrameOff = 0;
inline constexpr int kFrameOn = 1;
// Momentary push buttons: frame 0 up, frame 1 held down.
inline constexpr int kFrameUp = 0;
inline constexpr int kFrameDown = 1;
// Meters and the progress bar: frame 0 the dark (off, empty) image, frame 1 the fully lit one;
// a meter shows the lit image clipped to its level over the dark one.
inline constexpr int kFrameMeterOff = 0;
inline constexpr int kFrameMeterLit = 1;

// Knobs: 64 frames from the minimum (frame 0, no value arc lit) to the maximum (frame 63, the
// whole usable arc lit). The usable arc runs clockwise over 300 degrees from the lower left
// (7 o'clock) to the lower right (5 o'clock); the arc grows from its start and a pointer line
// shows the angle.
inline constexpr int kKnobFrames = 64;
inline constexpr double kKnobArcStartDegrees = 120.0;  // cairo angles: 0 at 3 o'clock, clockwise
inline constexpr double kKnobArcSweepDegrees = 300.0;

// Track families: each track strip takes the accent colour of the family of its track, in the
// order of a usual kit (kick first). The step row and the strip's accent bar use it.
enum class TrackFamily : int { kKick = 0, kSnare = 1, kHat = 2, kPercussion = 3 };
inline constexpr int kTrackFamilies = 4;
inline constexpr std::array<TrackFamily, 16> kTrackFamilyOfTrack{
    TrackFamily::kKick,       TrackFamily::kSnare,      TrackFamily::kSnare,      TrackFamily::kSnare,
    TrackFamily::kHat,        TrackFamily::kHat,        TrackFamily::kPercussion, TrackFamily::kPercussion,
    TrackFamily::kPercussion, TrackFamily::kHat,        TrackFamily::kHat,        TrackFamily::kPercussion,
    TrackFamily::kPercussion, TrackFamily::kPercussion, TrackFamily::kPercussion, TrackFamily::kPercussion};

// PatternLed.png: the states of one step, for each family in turn (family f's frames start at
// f x kStepFramesPerFamily). Within a family: frame 0 an empty step; frames 1 to 8 a step on at
// velocity level 1 to 8 (level = ceil(velocity x 8 / 127)), its bar as high as its velocity;
// frame 9 the playing step when empty; frames 10 to 17 the playing step on at levels 1 to 8.
// A frame is 20 x 22: a step row is 46 high, and its bottom 24 pixels belong to the scroll bar.
inline constexpr int kStepVelocityLevels = 8;
inline constexpr int kStepFrameWidth = 20;
inline constexpr int kStepFrameHeight = 22;
inline constexpr int kStepFramesPerFamily = 2 + 2 * kStepVelocityLevels;
constexpr int stepFrame(TrackFamily family, int velocity, bool playing) {
    const int level = velocity <= 0     ? 0
                      : velocity >= 127 ? kStepVelocityLevels
                                        : (velocity * kStepVelocityLevels + 126) / 127;
    const int inFamily = (playing ? kStepVelocityLevels + 1 : 0) + level;
    return static_cast<int>(family) * kStepFramesPerFamily + inFamily;
}

// PatternSel.png: frames 0 to 15 pattern 1 to 16 not selected, 16 to 31 the same selected.
inline constexpr int kPatterns = 16;
// PatternPage.png: frames 0 to 3 the pages "1-16" to "49-64" not shown, 4 to 7 the same shown.
inline constexpr int kPatternPages = 4;
// LoopLed.png: one LED under each pattern: frame 0 outside the loop range, frame 1 inside.
// PatternRandom.png: the random amount as 16 segments: frame k has k segments lit (0 to 16).
inline constexpr int kRandomAmountSegments = 16;
// SelectNotes.png: one cell of the note selector: frame 0 a natural note, frame 1 a sharp,
// frame 2 the chosen note; the control writes the note name over it.
inline constexpr int kNoteCellNatural = 0;
inline constexpr int kNoteCellSharp = 1;
inline constexpr int kNoteCellChosen = 2;
// TuneScale.png: one semitone cell of the scale (12 side by side on TuneScaleBack.png): frame 0
// not in the scale, frame 1 in it; the control writes the note name ("C#") over it.
// ArrowHoriz.png: frame 0 points left, frame 1 right. ZoomHoriz.png: frame 0 zoom out, 1 in.
// CursorHoriz.png, FaderCursor.png, FaderTune.png, SwitchFader.png: one handle each; the control
// draws its own groove and places the handle on it.
// FilterEQ.png, RandomGraph.png: the empty display (grid and scale) the control draws its curve on.
// LabelName*.png, LabelKey.png: the empty label plate the control writes its text on.

// ---- Every bitmap ---------------------------------------------------------------------------

inline constexpr int kEditorWidth = 1005;
inline constexpr int kEditorHeight8 = 642;
inline constexpr int kEditorHeight12 = 850;

inline constexpr BitmapGeometry kBitmaps[] = {
    // The editor's backgrounds: 8-track and 12-track editors.
    {"Background.png", kEditorWidth, kEditorHeight8, 1},
    {"BackgroundLarge.png", kEditorWidth, kEditorHeight12, 1},
    // Transport: latching, off and lit.
    {"Play.png", 32, 24, 2},
    {"Stop.png", 32, 24, 2},
    // Meters: off and lit. The master meter is horizontal, a track's vertical.
    {"vumeter.png", 96, 8, 2},
    {"VuMeterSmall.png", 8, 40, 2},
    // Label plates.
    {"LabelName.png", 128, 24, 1},
    {"LabelNameLarge.png", 176, 24, 1},
    {"LabelKey.png", 40, 24, 1},
    // Next and previous (and the rotate buttons): up, down; two stacked beside a label.
    {"WaveUp.png", 16, 12, 2},
    {"WaveDown.png", 16, 12, 2},
    // Effect slots and equalisers.
    {"SwitchEffect.png", 40, 20, 2},
    {"FilterEQ.png", 160, 40, 1},
    {"SwitchEQ.png", 28, 16, 2},
    // Sound editing page.
    {"SwitchEditPage.png", 48, 16, 2},
    {"SwitchSynth.png", 48, 16, 2},
    {"SwitchWave.png", 20, 20, 2},
    {"SwitchPhase.png", 20, 20, 2},
    {"Decay.png", 56, 16, 2},
    {"Reverse.png", 56, 16, 2},
    {"Charley.png", 56, 16, 2},
    // Track strip switches.
    {"SwitchMute.png", 20, 20, 2},
    {"SwitchSolo.png", 20, 20, 2},
    // Knobs: 64 frames, minimum to maximum.
    {"KnobGrayEx.png", 32, 32, kKnobFrames},
    {"KnobRoseEx.png", 32, 32, kKnobFrames},
    {"KnobBlueEx.png", 32, 32, kKnobFrames},
    // Pattern panel.
    {"PatternSel.png", 20, 20, 2 * kPatterns},
    {"LoopLed.png", 20, 8, 2},
    {"loopEx.png", 44, 16, 2},
    {"chain.png", 44, 16, 2},
    {"rand.png", 44, 16, 2},
    {"PatternPage.png", 40, 16, 2 * kPatternPages},
    // Fader handles.
    {"FaderCursor.png", 8, 16, 1},
    {"SwitchFader.png", 8, 16, 1},
    {"FaderTune.png", 8, 16, 1},
    // Random generator: push buttons up, down.
    {"Random.png", 48, 20, 2},
    {"RandomReset.png", 48, 20, 2},
    {"PatternRandomMode.png", 48, 20, 2},
    {"PatternRandomGraph.png", 48, 20, 2},
    {"PatternRandomPlay.png", 48, 20, 2},
    {"Save.png", 48, 20, 2},
    {"RandomGraph.png", 160, 64, 1},
    // Drag the pattern out as MIDI: up, down.
    {"D&D.png", 64, 20, 2},
    // What a right drag on the steps edits (off, lit): holds and tunes, short holds.
    {"StepHoldMode.png", 76, 16, 2},
    {"StepShortHoldMode.png", 76, 16, 2},
    // The user manual: up, down.
    {"Manual.png", 48, 20, 2},
    // The maker's link (up, down) and the welcome picture (shown, pressed).
    {"RimbaDrumsUrl.png", 120, 20, 2},
    {"Welcome.png", 400, 240, 2},
    // Note selector: a cell (natural, sharp, chosen) and the panel behind the 12 x 11 cells,
    // as large as the rectangle the editor shows the selector in (297 x 273), so that no sliver
    // of what lies under the pop-up shows along its edges.
    {"SelectNotes.png", 24, 20, 3},
    {"SelectNotesBack.png", 297, 273, 1},
    // Tune scale: a semitone cell (out, in) and the plate behind the 12 cells.
    {"TuneScale.png", 16, 16, 2},
    {"TuneScaleBack.png", 200, 24, 1},
    // Loading progress: empty, full.
    {"ProgressBar.png", 240, 8, 2},
    // The main menu button: up, down.
    {"Menu.png", 40, 20, 2},
    // Track strip: the steps (see stepFrame), the random amount, the pad lamp (off, lit).
    {"PatternLed.png", kStepFrameWidth, kStepFrameHeight, kTrackFamilies* kStepFramesPerFamily},
    {"PatternRandom.png", 52, 12, kRandomAmountSegments + 1},
    {"Led.png", 16, 16, 2},
    // Waveform handles.
    {"ArrowHoriz.png", 12, 12, 2},
    {"CursorHoriz.png", 8, 12, 1},
    {"ZoomHoriz.png", 12, 12, 2},
};

// nullptr when the editor names no bitmap of that name.
constexpr const BitmapGeometry* geometryOf(std::string_view name) {
    for (const BitmapGeometry& bitmap : kBitmaps)
        if (bitmap.name == name)
            return &bitmap;
    return nullptr;
}

// ---- The panels of the backgrounds ----------------------------------------------------------

// A rectangle in editor pixels: left and top included, right and bottom excluded.
struct SectionRect {
    int left;
    int top;
    int right;
    int bottom;
};

enum class Section : int {
    kTransport,
    kProgram,
    kKit,
    kEffects,
    kMaster,
    kTracks,
    kSoundEdit,
    kPattern,
    kRandom,
};

// Each panel with its title and its rectangle in the 8-track (Background.png) and 12-track
// (BackgroundLarge.png) editors. The top bar and the columns are the same in both; the track
// area grows by four strips and the bottom panels move down with it. A title sits in the top
// kSectionTitleHeight pixels of its panel; controls go below it. The track area has no title:
// its strips fill it.
struct BackgroundSection {
    Section id;
    std::string_view title;
    SectionRect small;
    SectionRect large;
};

inline constexpr int kSectionTitleHeight = 12;

// Track strips: strip i (0 to 7, or 0 to 11) is kTrackStripHeight high at
// top = kTrackStripsTop + i x kTrackStripPitch, from kTrackStripLeft to kTrackStripRight; its
// first kTrackStripAccentWidth pixels carry the family accent and the track number.
inline constexpr int kTrackStripsTop = 64;
inline constexpr int kTrackStripPitch = 52;
inline constexpr int kTrackStripHeight = 48;
inline constexpr int kTrackStripLeft = 8;
inline constexpr int kTrackStripRight = 996;
inline constexpr int kTrackStripAccentWidth = 20;

inline constexpr std::array<BackgroundSection, 9> kBackgroundSections{{
    {Section::kTransport, "TRANSPORT", {8, 8, 168, 60}, {8, 8, 168, 60}},
    {Section::kProgram, "PROGRAM", {172, 8, 348, 60}, {172, 8, 348, 60}},
    {Section::kKit, "KIT", {352, 8, 528, 60}, {352, 8, 528, 60}},
    {Section::kEffects, "EFFECTS", {532, 8, 708, 60}, {532, 8, 708, 60}},
    {Section::kMaster, "MASTER", {712, 8, 996, 60}, {712, 8, 996, 60}},
    {Section::kTracks, "", {8, 64, 996, 480}, {8, 64, 996, 688}},
    {Section::kSoundEdit, "SOUND", {8, 484, 416, 636}, {8, 692, 416, 844}},
    {Section::kPattern, "PATTERN", {420, 484, 764, 636}, {420, 692, 764, 844}},
    {Section::kRandom, "RANDOM", {768, 484, 996, 636}, {768, 692, 996, 844}},
}};

constexpr bool sectionsInOrder() {
    for (std::size_t i = 0; i < kBackgroundSections.size(); ++i)
        if (static_cast<std::size_t>(kBackgroundSections[i].id) != i)
            return false;
    return true;
}
static_assert(sectionsInOrder(), "kBackgroundSections is indexed by Section");

constexpr const BackgroundSection& sectionOf(Section id) { return kBackgroundSections[static_cast<std::size_t>(id)]; }

}  // namespace rimba::artwork
