// controls-gallery [--screenshot FILE]
//
// One of each of the instrument's controls on the editor's background, in a top-level window
// named "RimbaDrums Gallery" at the top left of the screen, laid out the way the editor lays out
// its panels. Every change a control reports is printed as "TAG VALUE" on standard output, a line
// at a time. On standard error it prints "at TAG LEFT TOP RIGHT BOTTOM" for every control, then
// "ready" once the window shows them. With --screenshot it writes what the window shows as a PNG
// and ends; otherwise it runs until the window is closed or the program is told to stop.

#include <X11/Xlib.h>
#include <poll.h>

#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "plugin/editor/EqualiserResponse.h"
#include "plugin/editor/artwork/ArtworkGeometry.h"
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
#include "plugin/editor/toolkit/Bitmap.h"
#include "plugin/editor/toolkit/Frame.h"

namespace {

using namespace rimba::controls;
using rimba::toolkit::CBitmap;
using rimba::toolkit::CControl;
using rimba::toolkit::CFrame;
using rimba::toolkit::CRect;
using rimba::toolkit::CView;
using rimba::toolkit::rectOfSize;
namespace art = rimba::artwork;

volatile std::sig_atomic_t stopRequested = 0;
void requestStop(int) { stopRequested = 1; }

class Printer : public rimba::toolkit::CControlListener {
public:
    void valueChanged(CControl* control) override {
        std::printf("%ld %g\n", control->getTag(), static_cast<double>(control->getValue()));
        std::fflush(stdout);
    }
};

long stripTag(int track, int kind) { return 8192 + 32 * track + kind; }

// A hand-played groove for each of the eight tracks, velocities by step (0 = rest).
constexpr int kGroove[8][16] = {
    {120, 0, 0, 0, 0, 0, 90, 0, 110, 0, 0, 0, 0, 0, 0, 70},  // kick
    {0, 0, 0, 0, 118, 0, 0, 0, 0, 0, 0, 0, 120, 0, 0, 40},  // snare
    {0, 0, 0, 0, 0, 0, 0, 30, 0, 0, 0, 0, 0, 0, 25, 0},  // ghost snare
    {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0},  // clap: random only
    {100, 50, 80, 50, 100, 50, 80, 50, 100, 50, 80, 50, 100, 50, 80, 50},  // closed hat
    {0, 0, 90, 0, 0, 0, 90, 0, 0, 0, 90, 0, 0, 0, 90, 0},  // open hat
    {0, 0, 0, 64, 0, 0, 0, 0, 0, 0, 0, 64, 0, 0, 96, 0},  // tom
    {90, 0, 0, 90, 0, 0, 90, 0, 0, 90, 0, 0, 90, 0, 0, 0},  // rim
};

struct Gallery {
    CFrame& frame;
    Printer& printer;

    template <class T>
    T* add(std::unique_ptr<T> control) {
        const CRect& r = control->getViewSize();
        std::fprintf(stderr, "at %ld %d %d %d %d\n", control->getTag(), r.left, r.top, r.right, r.bottom);
        return frame.add(std::move(control));
    }

    void transport() {
        add(std::make_unique<CVornPushButton>(rectOfSize(16, 28, 32, 24), &printer, 30, "Play.png",
                                              CVornPushButton::Kind::latching));
        add(std::make_unique<CVornPushButton>(rectOfSize(52, 28, 32, 24), &printer, 31, "Stop.png"));
        add(std::make_unique<CVornTextEdit>(rectOfSize(88, 30, 36, 20), &printer, 32, 10.0f, 480.0f, 120.0f));
        auto* menu = add(std::make_unique<CVornSwitchMenu>(rectOfSize(126, 30, 40, 20), &printer, 96, "Menu.png"));
        menu->addEntry("Export to Audio File ...");
        menu->addEntry("Export to MIDI File ...");
        menu->addEntry("AutoScroll");
        menu->addEntry("Enable MIDI Program Change");
        menu->checkEntry(2, true);
    }

    void fileBar(int left, long label, long up, long down, const char* name) {
        add(std::make_unique<CVornLabel>(rectOfSize(left, 28, 128, 24), &printer, label))->setText(name);
        add(std::make_unique<CVornPushButton>(rectOfSize(left + 132, 28, 16, 12), &printer, up, "WaveUp.png"));
        add(std::make_unique<CVornPushButton>(rectOfSize(left + 132, 40, 16, 12), &printer, down, "WaveDown.png"));
    }

    void effects() {
        for (int slot = 0; slot < 4; ++slot) {
            auto* menu = add(std::make_unique<CVornSwitchMenu>(rectOfSize(540 + slot * 42, 26, 40, 20), &printer,
                                                               41 + slot, "SwitchEffect.png"));
            menu->addEntry("Select Effect ...");
            menu->addEntry("Remove");
            menu->setLit(slot == 0);
        }
    }

    void master() {
        auto* knob = add(std::make_unique<CVornKnob>(rectOfSize(720, 22, 32, 32), &printer, 59));
        knob->setShowValue(false);
        knob->setKnobValue(0.8f);
        add(std::make_unique<CVornVuMeter>(rectOfSize(760, 26, 96, 8), &printer, 58))->setLevel(0.62f);
        add(std::make_unique<CVornProgressBar>(rectOfSize(756, 44, 240, 8), &printer, -1))->setLevel(0.35f);
    }

    void strip(int track) {
        const int top = art::kTrackStripsTop + track * art::kTrackStripPitch;
        add(std::make_unique<CVornDrum>(
            CRect{art::kTrackStripLeft, top, art::kTrackStripRight, top + art::kTrackStripHeight}, &printer,
            stripTag(track, 9), track));
        PatternRowValues row;
        for (int step = 0; step < 16; ++step)
            row.velocity[static_cast<std::size_t>(step)] = static_cast<float>(kGroove[track][step]);
        if (track == 3)
            row.randomHit[5] = row.randomHit[13] = 1.0f;
        row.stepCount = 16;
        auto* pattern = add(std::make_unique<CVornPattern>(rectOfSize(32, top + 8, 320, art::kStepFrameHeight),
                                                           &printer, stripTag(track, 0), track));
        pattern->setRow(row);
        pattern->setPlayingStep(4);
        auto* random =
            add(std::make_unique<CVornPatternRandom>(rectOfSize(360, top + 6, 52, 12), &printer, stripTag(track, 1)));
        random->setValue(static_cast<float>(track % 4));
        add(std::make_unique<CVornSwitch>(rectOfSize(362, top + 22, 20, 20), &printer, stripTag(track, 14),
                                          "SwitchMute.png"))
            ->setValue(track == 6 ? 1.0f : 0.0f);
        add(std::make_unique<CVornSwitch>(rectOfSize(388, top + 22, 20, 20), &printer, stripTag(track, 12),
                                          "SwitchSolo.png"));
        const struct {
            int kind;
            const char* bitmap;
            float value;
        } knobs[] = {{5, "KnobGrayEx.png", 0.75f},
                     {4, "KnobGrayEx.png", 0.5f},
                     {6, "KnobGrayEx.png", 0.5f},
                     {7, "KnobRoseEx.png", 0.2f},
                     {8, "KnobBlueEx.png", 0.0f}};
        int x = 418;
        for (const auto& k : knobs) {
            auto* knob = add(std::make_unique<CVornKnob>(rectOfSize(x, top + 8, 32, 32), &printer,
                                                         stripTag(track, k.kind), k.bitmap));
            knob->setShowValue(false);
            knob->setDefaultValue(k.kind == 6 ? 0.5f : 0.0f);
            knob->setDetent(k.kind == 6);  // the pan holds the centre
            knob->setKnobValue(k.value - 0.05f * static_cast<float>(track % 3));
            x += 36;
        }
        add(std::make_unique<CVornTuneControl>(rectOfSize(602, top + 2, 16, 44), &printer, stripTag(track, 3)))
            ->setValue(0.5f);
        add(std::make_unique<CVornSwitchFader>(rectOfSize(622, top + 2, 16, 44), &printer, stripTag(track, 2)));
        static const char* const names[8] = {"Kick Deep",  "Snare Tight", "Snare Ghost", "Clap",
                                             "Hat Closed", "Hat Open",    "Tom Low",     "Rim"};
        add(std::make_unique<CVornLabel>(rectOfSize(646, top + 12, 128, 24), &printer, stripTag(track, 15)))
            ->setText(names[track]);
        add(std::make_unique<CVornPushButton>(rectOfSize(778, top + 12, 16, 12), &printer, stripTag(track, 16),
                                              "WaveUp.png"));
        add(std::make_unique<CVornPushButton>(rectOfSize(778, top + 24, 16, 12), &printer, stripTag(track, 17),
                                              "WaveDown.png"));
        add(std::make_unique<CVornPushButton>(rectOfSize(802, top + 16, 16, 16), &printer, stripTag(track, 13),
                                              "Led.png"));
        add(std::make_unique<CVornSwitch>(rectOfSize(826, top + 14, 20, 20), &printer, stripTag(track, 10),
                                          "SwitchWave.png"))
            ->setValue(track == 0 ? 1.0f : 0.0f);
        add(std::make_unique<CVornVuMeterVert>(rectOfSize(854, top + 4, 8, 40), &printer, stripTag(track, 11)))
            ->setLevel(0.2f + 0.1f * static_cast<float>(track % 6));
    }

    void soundPage() {
        auto* wave = add(std::make_unique<CVornWave>(rectOfSize(16, 500, 224, 64), &printer, 71));
        std::vector<float> peaks(400);
        for (std::size_t i = 0; i < peaks.size(); ++i) {
            const double t = static_cast<double>(i) / 400.0;
            peaks[i] = static_cast<float>(std::exp(-6.0 * t) * (0.75 + 0.25 * std::sin(90.0 * t)));
        }
        wave->setPeaks(std::move(peaks));
        wave->setValue(0.05f);
        wave->setEnd(0.85f);
        auto* filter = add(std::make_unique<CVornFilter>(
            rectOfSize(248, 500, 160, 40), &printer, 47,
            std::make_shared<rimba::EqualiserResponse>(rimba::EqualiserResponse::Target::track, 44100.0)));
        FilterBands bands = filter->getBands();
        bands[0].gain = 0.25f;
        bands[1].gain = -0.3f;
        bands[2].gain = 0.15f;
        filter->setBands(bands);
        add(std::make_unique<CVornTuneScaleSelect>(rectOfSize(16, 568, 200, 24), &printer, 76))->setValue(0xAB5);
        add(std::make_unique<CVornSwitch>(rectOfSize(16, 600, 56, 16), &printer, 9, "Decay.png"));
        add(std::make_unique<CVornSwitch>(rectOfSize(76, 600, 56, 16), &printer, 10, "Reverse.png"));
        add(std::make_unique<CVornSwitch>(rectOfSize(136, 600, 56, 16), &printer, 17, "Charley.png"))->setValue(1.0f);
        auto* mix = add(std::make_unique<CVornKnob>(rectOfSize(248, 548, 32, 44), &printer, 66));
        mix->setKnobValue(0.5f);
        add(std::make_unique<CVornPushButton>(rectOfSize(292, 556, 28, 16), &printer, 48, "SwitchEQ.png",
                                              CVornPushButton::Kind::latching))
            ->setValue(1.0f);
        add(std::make_unique<CVornLabel>(rectOfSize(330, 552, 40, 24), &printer, 72, "LabelKey.png"))->setText("C1");
        add(std::make_unique<CVornLabelEffectEx>(rectOfSize(236, 604, 176, 24), &printer, 77))->setText("Room Reverb");
    }

    void patternPanel() {
        add(std::make_unique<CVornPatternSelect>(rectOfSize(428, 500, 320, 20), &printer, 81))->setValue(2.0f);
        auto* loop = add(std::make_unique<CVornLoopSelect>(rectOfSize(428, 522, 320, 8), &printer, 82));
        loop->setRange(0, 3);
        add(std::make_unique<CVornPatternPage>(rectOfSize(428, 536, 160, 16), &printer, 86));
        add(std::make_unique<CVornSwitch>(rectOfSize(596, 536, 44, 16), &printer, 83, "loopEx.png"))->setValue(1.0f);
        add(std::make_unique<CVornSwitch>(rectOfSize(644, 536, 44, 16), &printer, 84, "chain.png"));
        add(std::make_unique<CVornSwitch>(rectOfSize(692, 536, 44, 16), &printer, 85, "rand.png"));
        add(std::make_unique<CVornFader>(rectOfSize(428, 562, 108, 28), &printer, 87));
        add(std::make_unique<CVornFader>(rectOfSize(560, 562, 108, 28), &printer, 88))->setValue(0.5f);
        add(std::make_unique<CVornPushButton>(rectOfSize(684, 566, 64, 20), &printer, 29, "D&D.png"));
        add(std::make_unique<CVornPushButton>(rectOfSize(428, 604, 16, 12), &printer, 60, "WaveDown.png"));
        add(std::make_unique<CVornPushButton>(rectOfSize(448, 604, 16, 12), &printer, 61, "WaveUp.png"));
    }

    void randomPanel() {
        auto* graph = add(std::make_unique<CVornRandomGraphCtrl>(rectOfSize(776, 500, 160, 64), &printer, 28));
        graph->setRect(0, {0.1f, 0.45f, 0.05f, 0.5f});
        graph->setRect(1, {0.5f, 0.9f, 0.55f, 0.95f});
        const struct {
            long tag;
            const char* bitmap;
            int x;
            int y;
        } buttons[] = {{89, "Random.png", 776, 572},
                       {90, "RandomReset.png", 828, 572},
                       {91, "PatternRandomMode.png", 880, 572},
                       {92, "PatternRandomGraph.png", 932, 572},
                       {93, "PatternRandomPlay.png", 776, 598},
                       {94, "Save.png", 828, 598}};
        for (const auto& b : buttons) {
            auto* button =
                add(std::make_unique<CVornPushButton>(rectOfSize(b.x, b.y, 48, 20), &printer, b.tag, b.bitmap));
            if (b.tag == 89)
                button->setTooltips(
                    "Left click: random keystrokes for every drum. Right click: automatic generation on or off.",
                    "Clic gauche : frappes aléatoires pour chaque batterie. Clic droit : génération automatique.");
        }
    }

    void noteSelector() {
        auto* notes = add(std::make_unique<CVornNoteSelect>(CRect{635, 110, 932, 383}, &printer, 75));
        notes->showAt({635, 110, 932, 383}, 36);
    }
};

void idleFor(CFrame& frame, int rounds) {
    for (int i = 0; i < rounds; ++i) {
        frame.idle();
        poll(nullptr, 0, 10);
    }
}

}  // namespace

int main(int argc, char** argv) {
    std::string screenshot;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--screenshot") == 0 && i + 1 < argc) {
            screenshot = argv[++i];
        } else {
            std::fprintf(stderr, "usage: controls-gallery [--screenshot FILE]\n");
            return 2;
        }
    }
    std::signal(SIGTERM, requestStop);
    std::signal(SIGINT, requestStop);

    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) {
        std::fprintf(stderr, "no display\n");
        return 1;
    }
    const int width = art::kEditorWidth;
    const int height = art::kEditorHeight8;
    const Window window = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, width, height, 0, 0, 0);
    XStoreName(display, window, "RimbaDrums Gallery");
    XSelectInput(display, window, StructureNotifyMask);
    XMapWindow(display, window);
    XSync(display, False);

    auto frame = std::make_unique<CFrame>(rectOfSize(0, 0, width, height), CBitmap::load("Background.png"));
    if (!frame->open(reinterpret_cast<void*>(window))) {
        std::fprintf(stderr, "the frame did not open\n");
        return 1;
    }
    Printer printer;
    Gallery gallery{*frame, printer};
    gallery.transport();
    gallery.fileBar(180, 49, 50, 51, "Factory Groove");
    gallery.fileBar(360, 54, 55, 56, "Studio Kit");
    gallery.effects();
    gallery.master();
    for (int track = 0; track < 8; ++track)
        gallery.strip(track);
    gallery.soundPage();
    gallery.patternPanel();
    gallery.randomPanel();
    gallery.noteSelector();
    frame->invalidateAll();
    idleFor(*frame, 5);
    std::fprintf(stderr, "ready\n");

    int status = 0;
    if (!screenshot.empty()) {
        frame->drawAll();
        if (!frame->getPicture().writePng(screenshot)) {
            std::fprintf(stderr, "could not write %s\n", screenshot.c_str());
            status = 1;
        }
    } else {
        for (bool open = true; open && !stopRequested;) {
            while (XPending(display) > 0) {
                XEvent event;
                XNextEvent(display, &event);
                open = open && event.type != DestroyNotify && event.type != UnmapNotify;
            }
            idleFor(*frame, 1);
        }
    }
    frame.reset();
    XDestroyWindow(display, window);
    XCloseDisplay(display);
    return status;
}
