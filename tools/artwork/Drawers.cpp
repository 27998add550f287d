#include "tools/artwork/Drawers.h"

#include <array>

namespace rimba::artwork::draw {

namespace {

struct NamedDrawer {
    std::string_view name;
    Drawer draw;
};

// Several bitmaps share a drawer that tells them apart by name (the text of a switch, the
// accent of a knob).
constexpr std::array<NamedDrawer, 60> kDrawers{{
    {"Background.png", drawBackground},
    {"BackgroundLarge.png", drawBackground},
    {"Play.png", drawPlay},
    {"Stop.png", drawStop},
    {"vumeter.png", drawMeter},
    {"VuMeterSmall.png", drawMeter},
    {"LabelName.png", drawLabelPlate},
    {"LabelNameLarge.png", drawLabelPlate},
    {"LabelKey.png", drawLabelPlate},
    {"WaveUp.png", drawWaveUp},
    {"WaveDown.png", drawWaveDown},
    {"SwitchEffect.png", drawTextSwitch},
    {"FilterEQ.png", drawFilterDisplay},
    {"SwitchEQ.png", drawTextSwitch},
    {"SwitchEditPage.png", drawTextButton},
    {"SwitchSynth.png", drawTextSwitch},
    {"SwitchWave.png", drawIconSwitch},
    {"SwitchPhase.png", drawIconSwitch},
    {"Decay.png", drawTextSwitch},
    {"Reverse.png", drawTextSwitch},
    {"Charley.png", drawTextSwitch},
    {"SwitchMute.png", drawIconSwitch},
    {"SwitchSolo.png", drawIconSwitch},
    {"KnobGrayEx.png", drawKnob},
    {"KnobRoseEx.png", drawKnob},
    {"KnobBlueEx.png", drawKnob},
    {"PatternSel.png", drawPatternSelect},
    {"LoopLed.png", drawLoopLed},
    {"loopEx.png", drawTextSwitch},
    {"chain.png", drawTextSwitch},
    {"rand.png", drawTextSwitch},
    {"PatternPage.png", drawPatternPage},
    {"FaderCursor.png", drawFaderHandle},
    {"SwitchFader.png", drawFaderHandle},
    {"FaderTune.png", drawFaderHandle},
    {"Random.png", drawTextButton},
    {"RandomReset.png", drawTextButton},
    {"PatternRandomMode.png", drawTextButton},
    {"PatternRandomGraph.png", drawTextButton},
    {"PatternRandomPlay.png", drawTextButton},
    {"Save.png", drawTextButton},
    {"RandomGraph.png", drawRandomGraph},
    {"D&D.png", drawTextButton},
    {"StepHoldMode.png", drawTextSwitch},
    {"StepShortHoldMode.png", drawTextSwitch},
    {"Manual.png", drawTextButton},
    {"RimbaDrumsUrl.png", drawUrl},
    {"Welcome.png", drawWelcome},
    {"SelectNotes.png", drawNoteCell},
    {"SelectNotesBack.png", drawNotePanel},
    {"TuneScale.png", drawScaleCell},
    {"TuneScaleBack.png", drawScalePlate},
    {"ProgressBar.png", drawProgressBar},
    {"Menu.png", drawMenu},
    {"PatternLed.png", drawStep},
    {"PatternRandom.png", drawRandomAmount},
    {"Led.png", drawLed},
    {"ArrowHoriz.png", drawArrow},
    {"CursorHoriz.png", drawCursor},
    {"ZoomHoriz.png", drawZoom},
}};

}  // namespace

Drawer drawerFor(std::string_view name) {
    for (const NamedDrawer& entry : kDrawers)
        if (entry.name == name)
            return entry.draw;
    return nullptr;
}

}  // namespace rimba::artwork::draw
