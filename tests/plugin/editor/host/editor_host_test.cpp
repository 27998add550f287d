// A host of Xlib's own for the built plug-in's editor: it loads the library as a host does, makes
// a window of the size the editor asks for, opens the editor in it, idles it from a timer-like
// loop, looks at what reached the screen and at what is left after the close.

#include <gtest/gtest.h>

#include <dlfcn.h>

#include <cairo.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <filesystem>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "common/settings/SettingsStore.h"
#include "common/vst/VstAbi.h"
#include "tests/support/Environment.h"
#include "tests/support/TempFolder.h"
// Xlib last: its macros clash with names in the headers above.
#include "tests/plugin/editor/toolkit/XTestHost.h"

namespace rimba::test {
namespace {

// The clock the host gives every block: playing at 120 BPM, so that steps are queued.
VstTimeInfo hostTime() {
    VstTimeInfo time{};
    time.sampleRate = 44100.0;
    time.tempo = 120.0;
    time.timeSigNumerator = 4;
    time.timeSigDenominator = 4;
    time.flags = kVstTransportPlaying | kVstTempoValid | kVstTimeSigValid | kVstPpqPosValid;
    return time;
}

// The render thread asks for the time while the test's thread opens and closes the editor: each
// thread gets a record of its own.
thread_local VstTimeInfo threadTime = hostTime();

VstIntPtr xlibHost(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float) {
    switch (opcode) {
        case audioMasterVersion: return kVstVersion;
        case audioMasterGetTime: return reinterpret_cast<VstIntPtr>(&threadTime);
        default: return 0;
    }
}

VstIntPtr dispatch(AEffect* effect, VstInt32 opcode, VstIntPtr value = 0, void* ptr = nullptr) {
    return effect->dispatcher(effect, opcode, 0, value, ptr, 0.0f);
}

void* asParent(Window window) { return reinterpret_cast<void*>(static_cast<std::uintptr_t>(window)); }

// A view's rectangle in the editor: left and top included, right and bottom excluded.
struct ViewArea {
    int left, top, right, bottom;
};

class EditorHost : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(x.connected()) << "no X server: run under tests/support/with-xvfb.sh";
        library = dlopen(RIMBA_EDITOR_PLUGIN_PATH, RTLD_NOW | RTLD_LOCAL);
        ASSERT_NE(library, nullptr) << dlerror();
        entry = reinterpret_cast<VstPluginMainProc>(dlsym(library, "VSTPluginMain"));
        ASSERT_NE(entry, nullptr);
    }
    void TearDown() override {
        if (library)
            dlclose(library);
    }

    // A new instrument with `tracks` tracks, as the settings store names them.
    AEffect* createWithTracks(int tracks) {
        settings::SettingsStore store("RimbaDrums_64");
        store.writeText("Settings", "PluginName", "RimbaDrums_64");
        store.writeNumber("Settings", "ChannelNumber", static_cast<std::uint32_t>(tracks));
        AEffect* effect = entry(xlibHost);
        if (effect) {
            dispatch(effect, effOpen);
            effect->dispatcher(effect, effSetSampleRate, 0, 0, nullptr, 44100.0f);
            dispatch(effect, effSetBlockSize, 256);
            dispatch(effect, effMainsChanged, 1);
        }
        return effect;
    }
    static void destroy(AEffect* effect) {
        dispatch(effect, effMainsChanged, 0);
        dispatch(effect, effClose);
    }
    static ERect rectOf(AEffect* effect) {
        ERect* rect = nullptr;
        if (dispatch(effect, effEditGetRect, 0, &rect) != 1 || rect == nullptr)
            return {};
        return *rect;
    }
    // Where the editor of `tracks` tracks shows a view at open, as the companion lays it out
    // with the same code (`rimbadrums-tool editor --layout`); hidden views are left out.
    static std::vector<ViewArea> shownViews(int tracks) {
        std::vector<ViewArea> areas;
        const std::string command =
            std::string(RIMBA_EDITOR_TOOL_PATH) + " editor --layout --tracks " + std::to_string(tracks);
        FILE* pipe = popen(command.c_str(), "r");
        if (pipe == nullptr)
            return areas;
        char line[256];
        while (std::fgets(line, sizeof line, pipe)) {
            long tag = 0;
            char name[64] = {};
            ViewArea a{};
            char hidden[16] = {};
            const int fields = std::sscanf(line, "%ld %63s %d %d %d %d %15s", &tag, name, &a.left, &a.top, &a.right,
                                           &a.bottom, hidden);
            if (fields == 6)
                areas.push_back(a);
        }
        pclose(pipe);
        return areas;
    }
    // The share of the points of a 16 x 16 grid of the window that no view covers that equal the
    // artwork's own PNG file (decoded by cairo, not by the plug-in's own decoder): what shows of
    // the background between the controls. Fails the test when too few points are left to tell.
    double shareLikeArtwork(Window window, const std::string& name, const std::vector<ViewArea>& covered) {
        cairo_surface_t* png =
            cairo_image_surface_create_from_png((std::string(RIMBA_ARTWORK_PNG_DIR) + "/" + name).c_str());
        if (cairo_surface_status(png) != CAIRO_STATUS_SUCCESS) {
            cairo_surface_destroy(png);
            return 0.0;
        }
        // Over the part that both the window and the image cover.
        const auto [windowWidth, windowHeight] = x.sizeOf(window);
        const int width = std::min(cairo_image_surface_get_width(png), windowWidth);
        const int height = std::min(cairo_image_surface_get_height(png), windowHeight);
        const int stride = cairo_image_surface_get_stride(png);
        const unsigned char* data = cairo_image_surface_get_data(png);
        int alike = 0;
        int looked = 0;
        for (int i = 0; i < 16; ++i) {
            for (int j = 0; j < 16; ++j) {
                const int px = (2 * i + 1) * width / 32;
                const int py = (2 * j + 1) * height / 32;
                if (std::any_of(covered.begin(), covered.end(), [&](const ViewArea& a) {
                        return px >= a.left && px < a.right && py >= a.top && py < a.bottom;
                    }))
                    continue;
                ++looked;
                std::uint32_t expected = 0;
                std::memcpy(&expected, data + py * stride + px * 4, 4);
                if ((expected & 0xFFFFFFu) == (x.pixel(window, px, py) & 0xFFFFFFu))
                    ++alike;
            }
        }
        cairo_surface_destroy(png);
        EXPECT_GE(looked, 32) << "too little of the background shows between the views to tell";
        return looked == 0 ? 0.0 : static_cast<double>(alike) / looked;
    }

    // Every pixel of a rectangle of a window, row by row.
    std::vector<std::uint32_t> pixelsOf(Window window, int left, int top, int width, int height) {
        std::vector<std::uint32_t> pixels;
        XImage* image = XGetImage(x.display, window, left, top, static_cast<unsigned>(width),
                                  static_cast<unsigned>(height), AllPlanes, ZPixmap);
        if (!image)
            return pixels;
        for (int j = 0; j < height; ++j)
            for (int i = 0; i < width; ++i)
                pixels.push_back(static_cast<std::uint32_t>(XGetPixel(image, i, j)) & 0xffffff);
        XDestroyImage(image);
        return pixels;
    }
    // The window as a binary PPM (for the documentation's picture; imagemagick makes the PNG).
    void writePpm(Window window, int width, int height, const char* path) {
        const std::vector<std::uint32_t> pixels = pixelsOf(window, 0, 0, width, height);
        std::ofstream out(path, std::ios::binary);
        out << "P6\n" << width << ' ' << height << "\n255\n";
        for (std::uint32_t p : pixels)
            out.put(static_cast<char>(p >> 16)).put(static_cast<char>(p >> 8)).put(static_cast<char>(p));
    }

    TempFolder home;
    ScopedEnvironmentVariable data{"XDG_DATA_HOME", home.path() + "/data"};
    ScopedEnvironmentVariable config{"XDG_CONFIG_HOME", home.path() + "/config"};
    XTestHost x;
    void* library = nullptr;
    VstPluginMainProc entry = nullptr;
};

TEST_F(EditorHost, TheEditorWindowHasTheSizeAndBackgroundOfTheTrackCountAndLeavesNothingBehind) {
    struct Case {
        int tracks;
        int height;
    };
    for (const Case c : {Case{8, 642}, Case{12, 850}}) {
        SCOPED_TRACE(std::to_string(c.tracks) + " tracks");
        AEffect* effect = createWithTracks(c.tracks);
        ASSERT_NE(effect, nullptr);
        EXPECT_NE(effect->flags & effFlagsHasEditor, 0);
        const ERect rect = rectOf(effect);
        EXPECT_EQ((std::vector<int>{rect.top, rect.left, rect.bottom, rect.right}),
                  (std::vector<int>{0, 0, c.height, 1005}));

        Window window = x.makeWindow(0, 0, rect.right - rect.left, rect.bottom - rect.top);
        ASSERT_EQ(dispatch(effect, effEditOpen, 0, asParent(window)), 1);
        const std::vector<Window> children = x.children(window);
        ASSERT_EQ(children.size(), 1u);
        EXPECT_EQ(x.sizeOf(children[0]), (std::pair<int, int>{1005, c.height}));
        // The background as the artwork generator wrote it, the right one for the count, wherever
        // no control covers it.
        const std::string background = c.tracks == 12 ? "BackgroundLarge.png" : "Background.png";
        const std::string other = c.tracks == 12 ? "Background.png" : "BackgroundLarge.png";
        const std::vector<ViewArea> views = shownViews(c.tracks);
        ASSERT_GT(views.size(), 200u) << "no layout from " << RIMBA_EDITOR_TOOL_PATH;
        ASSERT_TRUE(XTestHost::idleUntil([effect] { dispatch(effect, effEditIdle); },
                                         [&] { return shareLikeArtwork(children[0], background, views) > 0.7; }, 200))
            << "share of the grid like " << background << ": " << shareLikeArtwork(children[0], background, views);
        EXPECT_GT(shareLikeArtwork(children[0], background, views), shareLikeArtwork(children[0], other, views) + 0.1)
            << "share of the grid like " << other << ": " << shareLikeArtwork(children[0], other, views);
        dispatch(effect, effEditClose);
        EXPECT_TRUE(x.children(window).empty());
        destroy(effect);
        XDestroyWindow(x.display, window);
    }
}

TEST_F(EditorHost, OpensAndClosesTwoHundredTimesWhileAnotherThreadRenders) {
    AEffect* effect = createWithTracks(12);
    ASSERT_NE(effect, nullptr);
    std::atomic<bool> stop{false};
    std::atomic<long> blocks{0};
    std::thread audio([&] {
        std::vector<std::vector<float>> channels(static_cast<std::size_t>(effect->numOutputs), std::vector<float>(256));
        std::vector<float*> outputs;
        for (auto& channel : channels)
            outputs.push_back(channel.data());
        while (!stop.load()) {
            effect->processReplacing(effect, nullptr, outputs.data(), 256);
            threadTime.samplePos += 256;
            threadTime.ppqPos = threadTime.samplePos / 22050.0;
            blocks.fetch_add(1);
            // A host renders at the pace of its sound card (5.8 ms a block here), not flat out.
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
    });
    Window window = x.makeWindow(0, 0, 1005, 850);
    // Each open editor has a display connection of its own.
    const std::size_t filesBefore = XTestHost::openDescriptorCount();
    int opened = 0;
    for (int round = 0; round < 200; ++round) {
        opened += dispatch(effect, effEditOpen, 0, asParent(window)) == 1 ? 1 : 0;
        dispatch(effect, effEditIdle);
        dispatch(effect, effEditIdle);
        dispatch(effect, effEditClose);
    }
    stop.store(true);
    audio.join();
    EXPECT_EQ(opened, 200);
    EXPECT_EQ(XTestHost::openDescriptorCount(), filesBefore);
    EXPECT_GT(blocks.load(), 0);
    EXPECT_TRUE(x.children(window).empty());
    destroy(effect);
    XDestroyWindow(x.display, window);
}

// Where the editor puts the first track's small meter and the master meter.
struct MeterArea {
    const char* name;
    int left, top, width, height;
};
constexpr MeterArea kTrackOneMeter{"track 1 meter", 934, 68, 8, 40};
constexpr MeterArea kMasterMeter{"master meter", 720, 20, 96, 8};

TEST_F(EditorHost, NotesPlayedIntoATrackLightItsMeterAndTheMasterMeter) {
    AEffect* effect = createWithTracks(12);
    ASSERT_NE(effect, nullptr);
    Window window = x.makeWindow(0, 0, 1005, 850);
    ASSERT_EQ(dispatch(effect, effEditOpen, 0, asParent(window)), 1);
    const Window child = x.children(window).at(0);
    XTestHost::idleUntil([effect] { dispatch(effect, effEditIdle); }, [] { return false; }, 10);
    std::vector<std::vector<std::uint32_t>> dark;
    for (const MeterArea& m : {kTrackOneMeter, kMasterMeter})
        dark.push_back(pixelsOf(child, m.left, m.top, m.width, m.height));

    // The host's transport stands still (in the render thread's own time record), so only the
    // notes sound: track 1's key (36) every 40 blocks.
    std::atomic<bool> stop{false};
    std::thread audio([&] {
        std::vector<std::vector<float>> channels(static_cast<std::size_t>(effect->numOutputs), std::vector<float>(256));
        std::vector<float*> outputs;
        for (auto& channel : channels)
            outputs.push_back(channel.data());
        VstMidiEvent note{};
        note.type = kVstMidiType;
        note.byteSize = sizeof note;
        note.midiData[0] = static_cast<char>(0x90);
        note.midiData[1] = 36;
        note.midiData[2] = 127;
        VstEvents events{};
        events.numEvents = 1;
        events.events[0] = reinterpret_cast<VstEvent*>(&note);
        threadTime.flags &= ~kVstTransportPlaying;
        for (long block = 0; !stop.load(); ++block) {
            if (block % 40 == 0)
                dispatch(effect, effProcessEvents, 0, &events);
            effect->processReplacing(effect, nullptr, outputs.data(), 256);
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
    });
    // A meter is lit once a good part of its pixels differ from its dark picture.
    auto lit = [&](std::size_t which, const MeterArea& m) {
        const std::vector<std::uint32_t> now = pixelsOf(child, m.left, m.top, m.width, m.height);
        std::size_t changed = 0;
        for (std::size_t i = 0; i < now.size() && i < dark[which].size(); ++i)
            changed += now[i] != dark[which][i] ? 1 : 0;
        return changed >= now.size() / 8;
    };
    bool trackLit = false, masterLit = false;
    XTestHost::idleUntil([effect] { dispatch(effect, effEditIdle); },
                         [&] {
                             trackLit = trackLit || lit(0, kTrackOneMeter);
                             masterLit = masterLit || lit(1, kMasterMeter);
                             return trackLit && masterLit;
                         });
    if (const char* path = std::getenv("RIMBA_EDITOR_SCREENSHOT"))
        writePpm(child, 1005, 850, path);
    stop.store(true);
    audio.join();
    EXPECT_TRUE(trackLit) << kTrackOneMeter.name;
    EXPECT_TRUE(masterLit) << kMasterMeter.name;
    dispatch(effect, effEditClose);
    destroy(effect);
    XDestroyWindow(x.display, window);
}

TEST_F(EditorHost, AHostThatDestroysItsWindowBeforeClosingTheEditorGoesOn) {
    // Xlib's default error handler, as in a host that sets none: an unhandled error ends the process.
    int (*previousHandler)(Display*, XErrorEvent*) = XSetErrorHandler(nullptr);
    AEffect* effect = createWithTracks(8);
    ASSERT_NE(effect, nullptr);
    Window window = x.makeWindow(0, 0, 1005, 642);
    ASSERT_EQ(dispatch(effect, effEditOpen, 0, asParent(window)), 1);
    dispatch(effect, effEditIdle);
    XDestroyWindow(x.display, window);
    XSync(x.display, False);
    dispatch(effect, effEditIdle);
    dispatch(effect, effEditClose);
    // Still here, and the editor opens again in a new window.
    Window second = x.makeWindow(0, 0, 1005, 642);
    ASSERT_EQ(dispatch(effect, effEditOpen, 0, asParent(second)), 1);
    EXPECT_EQ(x.children(second).size(), 1u);
    dispatch(effect, effEditClose);
    destroy(effect);
    XDestroyWindow(x.display, second);
    XSetErrorHandler(previousHandler);
}

TEST_F(EditorHost, ARareIdleStillRepaintsWhatTheWindowLost) {
    AEffect* effect = createWithTracks(8);
    ASSERT_NE(effect, nullptr);
    Window window = x.makeWindow(0, 0, 1005, 642);
    ASSERT_EQ(dispatch(effect, effEditOpen, 0, asParent(window)), 1);
    const Window child = x.children(window).at(0);
    const std::vector<ViewArea> views = shownViews(8);
    ASSERT_GT(views.size(), 200u) << "no layout from " << RIMBA_EDITOR_TOOL_PATH;
    // Nothing but the open so far: a host that idles rarely.
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    dispatch(effect, effEditIdle);
    EXPECT_GT(shareLikeArtwork(child, "Background.png", views), 0.8);
    // The host hides and shows its window again (its contents are lost meanwhile); long after,
    // one idle brings everything back.
    XUnmapWindow(x.display, window);
    XSync(x.display, False);
    XMapWindow(x.display, window);
    XSync(x.display, False);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    dispatch(effect, effEditIdle);
    EXPECT_GT(shareLikeArtwork(child, "Background.png", views), 0.8);
    dispatch(effect, effEditClose);
    destroy(effect);
    XDestroyWindow(x.display, window);
}

}  // namespace
}  // namespace rimba::test
