// A sketch of the editor for the contact sheet: the 8-track background with a few controls set
// on it, so that the bitmaps can be judged together and at their real size. The editor's real
// layout is the editor's own; nothing here is read by it.

#include <map>
#include <string>

#include "tools/artwork/Paint.h"
#include "tools/artwork/Render.h"

namespace rimba::artwork::draw {

namespace {

class Bitmaps {
public:
    ~Bitmaps() {
        for (auto& [name, surface] : surfaces)
            cairo_surface_destroy(surface);
    }
    // Paints frame `frame` of the named bitmap with its top left corner at (x, y).
    void put(cairo_t* cr, std::string_view name, int frame, int x, int y) {
        const BitmapGeometry* bitmap = geometryOf(name);
        if (bitmap == nullptr)
            return;
        auto found = surfaces.find(std::string(name));
        if (found == surfaces.end())
            found = surfaces.emplace(std::string(name), renderBitmap(*bitmap)).first;
        cairo_save(cr);
        cairo_rectangle(cr, x, y, bitmap->frameWidth, bitmap->frameHeight);
        cairo_clip(cr);
        cairo_set_source_surface(cr, found->second, x, y - frame * bitmap->frameHeight);
        cairo_paint(cr);
        cairo_restore(cr);
    }

private:
    std::map<std::string, cairo_surface_t*> surfaces;
};

// A groove's velocities for the sketch: kick, snare, rim, clap, hats, toms.
constexpr int kGrooves[8][16] = {
    {127, 0, 0, 0, 0, 0, 0, 70, 115, 0, 50, 0, 0, 0, 0, 0},
    {0, 0, 0, 0, 120, 0, 0, 25, 0, 0, 0, 0, 124, 0, 35, 0},
    {0, 0, 0, 60, 0, 0, 0, 0, 0, 0, 0, 60, 0, 0, 0, 0},
    {0, 0, 0, 0, 100, 0, 0, 0, 0, 0, 0, 0, 100, 0, 0, 40},
    {96, 40, 72, 40, 96, 40, 72, 40, 96, 40, 72, 40, 96, 40, 72, 60},
    {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 90, 0},
    {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 80, 0, 0, 70, 0, 50},
    {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0},
};
constexpr const char* kSoundNames[8] = {"Kick", "Snare", "Rim", "Clap", "Closed Hat", "Open Hat", "Low Tom", "Mid Tom"};

void labelText(cairo_t* cr, std::string_view text, int x, int y) {
    spacedText(cr, text, x + 8, y + 12, 9.0, 0.0, palette::kText, Weight::kRegular);
}

void trackStrip(cairo_t* cr, Bitmaps& bitmaps, int track, int playingStep) {
    const int top = kTrackStripsTop + track * kTrackStripPitch;
    const TrackFamily family = kTrackFamilyOfTrack[static_cast<std::size_t>(track)];
    bitmaps.put(cr, "Led.png", track == 0 ? 1 : 0, 32, top + 16);
    bitmaps.put(cr, "LabelName.png", 0, 52, top + 4);
    labelText(cr, kSoundNames[track], 52, top + 4);
    bitmaps.put(cr, "WaveUp.png", 0, 182, top + 4);
    bitmaps.put(cr, "WaveDown.png", 0, 182, top + 16);
    bitmaps.put(cr, "SwitchMute.png", track == 6 ? 1 : 0, 52, top + 28);
    bitmaps.put(cr, "SwitchSolo.png", 0, 76, top + 28);
    bitmaps.put(cr, "SwitchWave.png", track == 1 ? 1 : 0, 100, top + 28);
    const char* knobs[5] = {"KnobGrayEx.png", "KnobGrayEx.png", "KnobGrayEx.png", "KnobRoseEx.png", "KnobBlueEx.png"};
    const int values[5] = {50, 40, 31, 12 + track * 3, 20};
    for (int k = 0; k < 5; ++k)
        bitmaps.put(cr, knobs[k], values[k], 208 + 36 * k, top + 8);
    bitmaps.put(cr, "VuMeterSmall.png", 0, 392, top + 4);
    // A level of about two thirds, lit from the bottom.
    cairo_save(cr);
    cairo_rectangle(cr, 392, top + 4 + 14, 8, 26);
    cairo_clip(cr);
    bitmaps.put(cr, "VuMeterSmall.png", 1, 392, top + 4);
    cairo_restore(cr);
    for (int f = 0; f < 2; ++f) {
        const int y = top + 12 + 20 * f;
        fillRect(cr, 412, y - 1, 48, 2, palette::kWell);
        bitmaps.put(cr, f == 0 ? "FaderTune.png" : "SwitchFader.png", 0, 432 - 8 * f, y - 8);
    }
    for (int step = 0; step < 16; ++step) {
        const int x = 472 + step * 20 + (step / 4) * 4;
        bitmaps.put(cr, "PatternLed.png", stepFrame(family, kGrooves[track][step], step == playingStep), x, top + 8);
    }
    bitmaps.put(cr, "PatternRandom.png", track == 4 ? 6 : 0, 812, top + 18);
}

}  // namespace

cairo_surface_t* preview() {
    const BitmapGeometry& background = *geometryOf("Background.png");
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, background.width(), background.height());
    cairo_t* cr = cairo_create(surface);
    useTextSettings(cr);
    Bitmaps bitmaps;
    bitmaps.put(cr, "Background.png", 0, 0, 0);

    // The top bar.
    bitmaps.put(cr, "Play.png", 1, 16, 24);
    bitmaps.put(cr, "Stop.png", 0, 52, 24);
    well(cr, 88, 26, 36, 20);
    centredText(cr, "120", 106, 36, 9.0, palette::kText, Weight::kRegular);
    bitmaps.put(cr, "Menu.png", 0, 124 - 0 + 4, 26);
    bitmaps.put(cr, "LabelName.png", 0, 180, 24);
    labelText(cr, "Factory Groove", 180, 24);
    bitmaps.put(cr, "WaveUp.png", 0, 312, 24);
    bitmaps.put(cr, "WaveDown.png", 0, 312, 36);
    bitmaps.put(cr, "LabelName.png", 0, 360, 24);
    labelText(cr, "Studio Kit", 360, 24);
    bitmaps.put(cr, "WaveUp.png", 0, 492, 24);
    bitmaps.put(cr, "WaveDown.png", 0, 492, 36);
    for (int slot = 0; slot < 4; ++slot)
        bitmaps.put(cr, "SwitchEffect.png", slot == 0 ? 1 : 0, 540 + 42 * slot, 26);
    bitmaps.put(cr, "vumeter.png", 0, 720, 32);
    cairo_save(cr);
    cairo_rectangle(cr, 720, 32, 64, 8);
    cairo_clip(cr);
    bitmaps.put(cr, "vumeter.png", 1, 720, 32);
    cairo_restore(cr);
    bitmaps.put(cr, "KnobGrayEx.png", 44, 824, 22);
    bitmaps.put(cr, "RimbaDrumsUrl.png", 0, 868, 28);

    for (int track = 0; track < 8; ++track)
        trackStrip(cr, bitmaps, track, 4);

    // The pattern panel.
    const SectionRect pattern = sectionOf(Section::kPattern).small;
    for (int p = 0; p < kPatterns; ++p) {
        const int x = pattern.left + 8 + p * 20;
        bitmaps.put(cr, "LoopLed.png", p < 4 ? 1 : 0, x, pattern.top + 18);
        bitmaps.put(cr, "PatternSel.png", p + (p == 0 ? kPatterns : 0), x, pattern.top + 26);
    }
    for (int page = 0; page < kPatternPages; ++page)
        bitmaps.put(cr, "PatternPage.png", page + (page == 0 ? kPatternPages : 0), pattern.left + 8 + 44 * page,
                    pattern.top + 52);
    bitmaps.put(cr, "loopEx.png", 1, pattern.left + 8, pattern.top + 76);
    bitmaps.put(cr, "chain.png", 0, pattern.left + 56, pattern.top + 76);
    bitmaps.put(cr, "rand.png", 0, pattern.left + 104, pattern.top + 76);
    bitmaps.put(cr, "LabelName.png", 0, pattern.left + 8, pattern.top + 100);
    labelText(cr, "Grooves", pattern.left + 8, pattern.top + 100);
    bitmaps.put(cr, "D&D.png", 0, pattern.left + 160, pattern.top + 102);

    // The random panel and the sound panel.
    const SectionRect random = sectionOf(Section::kRandom).small;
    bitmaps.put(cr, "RandomGraph.png", 0, random.left + 8, random.top + 18);
    const char* buttons[6] = {
        "Random.png", "RandomReset.png", "PatternRandomMode.png", "PatternRandomGraph.png", "PatternRandomPlay.png",
        "Save.png"};
    for (int b = 0; b < 6; ++b)
        bitmaps.put(cr, buttons[b], 0, random.left + 8 + (b % 3) * 52, random.top + 88 + (b / 3) * 24);
    const SectionRect sound = sectionOf(Section::kSoundEdit).small;
    bitmaps.put(cr, "FilterEQ.png", 0, sound.left + 236, sound.top + 18);
    bitmaps.put(cr, "SwitchEQ.png", 1, sound.left + 236, sound.top + 62);
    bitmaps.put(cr, "LabelKey.png", 0, sound.left + 8, sound.top + 18);
    centredText(cr, "C1", sound.left + 24, sound.top + 30, 9.0, palette::kText, Weight::kRegular);
    bitmaps.put(cr, "Decay.png", 1, sound.left + 56, sound.top + 22);
    bitmaps.put(cr, "Reverse.png", 0, sound.left + 116, sound.top + 22);
    bitmaps.put(cr, "Charley.png", 0, sound.left + 176, sound.top + 22);
    well(cr, sound.left + 8, sound.top + 48, 220, 64);
    bitmaps.put(cr, "TuneScaleBack.png", 0, sound.left + 8, sound.top + 120);
    for (int n = 0; n < 12; ++n)
        bitmaps.put(cr, "TuneScale.png", (n == 0 || n == 4 || n == 7) ? 1 : 0, sound.left + 12 + 16 * n,
                    sound.top + 124);
    bitmaps.put(cr, "SwitchSynth.png", 0, sound.left + 236, sound.top + 86);
    bitmaps.put(cr, "SwitchPhase.png", 0, sound.left + 288, sound.top + 84);
    bitmaps.put(cr, "KnobGrayEx.png", 32, sound.left + 320, sound.top + 80);
    cairo_destroy(cr);
    cairo_surface_flush(surface);
    return surface;
}

}  // namespace rimba::artwork::draw
