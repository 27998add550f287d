// The editor's drawing: a whole frame of the large (12-track) window, and an idle tick in which
// every meter moves, drawn into the frame's image surface; with a display (DISPLAY set, e.g.
// under tests/support/with-xvfb.sh) also the same tick copied to a window. Where the editor is
// built, the same tick on the whole window of a real instrument: every control, every meter
// moving and the playing step going round.

#include <benchmark/benchmark.h>

#include <cairo.h>

#include <X11/Xlib.h>

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <vector>

#ifdef RIMBA_HAVE_EDITOR
#include "plugin/core/VornDrums.h"
#include "plugin/editor/Editor.h"
#include "plugin/editor/EditorControls.h"
#endif
#include "plugin/editor/toolkit/Bitmap.h"
#include "plugin/editor/toolkit/Frame.h"
#include "tests/support/PngBytes.h"

namespace {

using namespace rimba::toolkit;

constexpr int kWidth = 1005;
constexpr int kHeight = 850;
constexpr int kMeterFrames = 32;

// The PNG bytes of a drawn image, which it takes and destroys.
std::vector<unsigned char> pngOf(cairo_surface_t* surface) {
    std::vector<unsigned char> bytes = rimba::test::pngBytesOf(surface);
    cairo_surface_destroy(surface);
    return bytes;
}

// A background with the detail of real artwork (gradients and panels), so that its PNG is not
// trivially small, and a meter film strip of kMeterFrames frames.
std::shared_ptr<CBitmap> background() {
#ifdef RIMBA_HAVE_ARTWORK
    if (auto real = CBitmap::load("BackgroundLarge.png"))
        return real;
#endif
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, kWidth, kHeight);
    cairo_t* context = cairo_create(surface);
    cairo_pattern_t* gradient = cairo_pattern_create_linear(0, 0, kWidth, kHeight);
    cairo_pattern_add_color_stop_rgb(gradient, 0, 0.15, 0.17, 0.2);
    cairo_pattern_add_color_stop_rgb(gradient, 1, 0.3, 0.32, 0.36);
    cairo_set_source(context, gradient);
    cairo_paint(context);
    cairo_pattern_destroy(gradient);
    for (int i = 0; i < 12; ++i) {
        cairo_set_source_rgba(context, 0.05 * i, 0.4, 0.5, 0.5);
        cairo_rectangle(context, 10, 60 + i * 62, 985, 56);
        cairo_fill(context);
    }
    cairo_destroy(context);
    const std::vector<unsigned char> png = pngOf(surface);
    return CBitmap::fromPng(png.data(), png.size());
}

std::shared_ptr<CBitmap> meterStrip() {
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 12, 50 * kMeterFrames);
    cairo_t* context = cairo_create(surface);
    for (int f = 0; f < kMeterFrames; ++f) {
        const double lit = 50.0 * f / (kMeterFrames - 1);
        cairo_set_source_rgb(context, 0.1, 0.1, 0.1);
        cairo_rectangle(context, 0, f * 50, 12, 50);
        cairo_fill(context);
        cairo_set_source_rgba(context, 0.2, 0.9, 0.3, 0.9);
        cairo_rectangle(context, 1, f * 50 + 50 - lit, 10, lit);
        cairo_fill(context);
    }
    cairo_destroy(context);
    const std::vector<unsigned char> png = pngOf(surface);
    return CBitmap::fromPng(png.data(), png.size());
}

// A level meter as the editor's track meters draw: one frame of a film strip by value.
class Meter : public CControl {
public:
    Meter(const CRect& size, std::shared_ptr<CBitmap> strip) : CControl(size, nullptr, 0, std::move(strip)) {}
    void draw(rimba::toolkit::CDrawContext& context) override {
        const int index = static_cast<int>(getValue() * (kMeterFrames - 1) + 0.5f);
        getBackground()->drawFrame(context, {getViewSize().left, getViewSize().top}, index, kMeterFrames);
    }
};

struct EditorFrame {
    EditorFrame() : frame({0, 0, kWidth, kHeight}, background()) {
        auto strip = meterStrip();
        for (int t = 0; t < 12; ++t)
            meters.push_back(frame.add(std::make_unique<Meter>(rectOfSize(960, 62 + t * 62, 12, 50), strip)));
        meters.push_back(frame.add(std::make_unique<Meter>(rectOfSize(900, 10, 12, 50), strip)));  // master
        frame.redraw();
    }
    // Every meter to a new level, as with every track playing.
    void moveMeters(int tick) {
        for (std::size_t i = 0; i < meters.size(); ++i)
            meters[i]->setValue(static_cast<float>((tick * 7 + static_cast<int>(i) * 5) % kMeterFrames) /
                                (kMeterFrames - 1));
    }
    CFrame frame;
    std::vector<Meter*> meters;
};

void BM_DrawFullFrame(benchmark::State& state) {
    EditorFrame editor;
    for (auto _ : state) {
        editor.frame.invalidateAll();
        benchmark::DoNotOptimize(editor.frame.redraw());
    }
}
BENCHMARK(BM_DrawFullFrame)->Unit(benchmark::kMillisecond);

void BM_IdleTickAllMetersMoving(benchmark::State& state) {
    EditorFrame editor;
    int tick = 0;
    for (auto _ : state) {
        editor.moveMeters(++tick);
        editor.frame.idle();
    }
}
BENCHMARK(BM_IdleTickAllMetersMoving)->Unit(benchmark::kMillisecond);

// The same with the frame in a window of the display, so that the blits and the event pump count.
void BM_IdleTickAllMetersMovingOnScreen(benchmark::State& state) {
    Display* host = XOpenDisplay(nullptr);
    if (!host) {
        state.SkipWithError("no display: run under tests/support/with-xvfb.sh");
        return;
    }
    Window window = XCreateSimpleWindow(host, DefaultRootWindow(host), 0, 0, kWidth, kHeight, 0, 0, 0);
    XMapWindow(host, window);
    XSync(host, False);
    {
        EditorFrame editor;
        if (!editor.frame.open(reinterpret_cast<void*>(static_cast<std::uintptr_t>(window)))) {
            state.SkipWithError("the frame did not open");
        } else {
            editor.frame.idle();
            int tick = 0;
            for (auto _ : state) {
                editor.moveMeters(++tick);
                editor.frame.idle();
            }
        }
    }
    XDestroyWindow(host, window);
    XCloseDisplay(host);
}
BENCHMARK(BM_IdleTickAllMetersMovingOnScreen)->Unit(benchmark::kMillisecond);

#ifdef RIMBA_HAVE_EDITOR
VstIntPtr silentHost(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float) {
    return opcode == audioMasterVersion ? kVstVersion : 0;
}

// Ticks of 20 ms on a 12-track instrument playing at 120 BPM: every meter moves at every tick and
// the playing step every sixth (a step lasts 125 ms). Argument 1: the step moves at every tick.
void BM_WholeEditorIdleTick(benchmark::State& state) {
    const int ticksPerStep = state.range(0) != 0 ? 1 : 6;
    rimba::VornDrums drums(silentHost, [](rimba::InstrumentSettings& settings, bool) {
        settings.channelNumber = 12;
        return false;
    });
    CFrame frame(rimba::Editor::sizeFor(12), CBitmap::load(rimba::Editor::backgroundFor(12)));
    rimba::EditorControls controls(frame, drums, nullptr);
    frame.redraw();
    int tick = 0;
    for (auto _ : state) {
        ++tick;
        for (int t = 0; t < 12; ++t)
            controls.showTrackLevel(t, static_cast<float>((tick * 7 + t * 5) % 32) / 31.0f);
        controls.showMasterLevel(static_cast<float>(tick % 32) / 31.0f);
        controls.showPlayingStep((tick / ticksPerStep) % 16);
        controls.syncPatternRows();
        frame.idle();
    }
}
BENCHMARK(BM_WholeEditorIdleTick)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
#endif

}  // namespace
