// The whole editor through a host of the test's own: the built plug-in loaded with dlopen, its
// editor opened in an X11 window at the top left of an X server of its own, and the mouse moved
// and clicked with xdotool as a musician would. Where the controls sit comes from the
// companion's `editor --layout`; what the clicks did is read back through the plug-in's own
// interface (parameters, the program chunk, the host callbacks it makes).

#include <gtest/gtest.h>

#include <dlfcn.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <mutex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "common/vst/VstAbi.h"
#include "plugin/files/ProgramChunk.h"
#include "tests/support/Environment.h"
#include "tests/support/TempFolder.h"
// Xlib last: its macros clash with names in the headers above.
#include "tests/plugin/editor/toolkit/XTestHost.h"

namespace rimba::test {
namespace {

struct Place {
    std::string className;
    int left = 0, top = 0, right = 0, bottom = 0;
    int centreX() const { return (left + right) / 2; }
    int centreY() const { return (top + bottom) / 2; }
};

// tag -> place, from the companion's own listing of the editor it builds.
std::map<long, Place> editorLayout(int tracks) {
    const std::string command =
        std::string(RIMBA_COMPANION_PATH) + " editor --layout --tracks " + std::to_string(tracks);
    std::map<long, Place> layout;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return layout;
    char line[512];
    while (std::fgets(line, sizeof line, pipe)) {
        std::istringstream words(line);
        long tag = 0;
        Place place;
        if (words >> tag >> place.className >> place.left >> place.top >> place.right >> place.bottom)
            layout[tag] = place;
    }
    pclose(pipe);
    return layout;
}

constexpr long stripTag(int track, int kind) { return 8192 + 32L * track + kind; }

struct Automation {
    VstInt32 index;
    float value;
};

std::mutex automationLock;
std::vector<Automation> automations;

VstTimeInfo hostTime() {
    VstTimeInfo time{};
    time.sampleRate = 44100.0;
    time.tempo = 120.0;
    time.timeSigNumerator = 4;
    time.timeSigDenominator = 4;
    time.flags = kVstTransportPlaying | kVstTempoValid | kVstTimeSigValid | kVstPpqPosValid;
    return time;
}
thread_local VstTimeInfo threadTime = hostTime();

VstIntPtr recordingHost(AEffect*, VstInt32 opcode, VstInt32 index, VstIntPtr, void*, float value) {
    switch (opcode) {
        case audioMasterVersion: return kVstVersion;
        case audioMasterGetTime: return reinterpret_cast<VstIntPtr>(&threadTime);
        case audioMasterAutomate: {
            std::lock_guard<std::mutex> hold(automationLock);
            automations.push_back({index, value});
            return 0;
        }
        default: return 0;
    }
}

VstIntPtr dispatch(AEffect* effect, VstInt32 opcode, VstIntPtr value = 0, void* ptr = nullptr, VstInt32 index = 0) {
    return effect->dispatcher(effect, opcode, index, value, ptr, 0.0f);
}

// xdotool commands run from a thread of their own, since a menu or a drag runs a modal loop
// inside the editor's idle, on the test's thread.
class Mouse {
public:
    ~Mouse() { finish(); }
    void run(std::string commands, int delayMs = 150) {
        finish();
        done = false;
        worker = std::thread([this, commands = std::move(commands), delayMs] {
            std::this_thread::sleep_for(std::chrono::milliseconds(delayMs));
            status = std::system(("xdotool " + commands + " >/dev/null 2>&1").c_str());
            done = true;
        });
    }
    bool finished() const { return done.load(); }
    int finish() {
        if (worker.joinable()) worker.join();
        return status;
    }

private:
    std::thread worker;
    std::atomic<bool> done{true};
    int status = 0;
};

std::string at(int x, int y) { return "mousemove --sync " + std::to_string(x) + " " + std::to_string(y) + " "; }

class EditorWindow : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(x.connected()) << "no X server: run under tests/support/with-xvfb.sh";
        setEnvironmentVariable("XDG_CONFIG_HOME", home.path() + "/config");
        setEnvironmentVariable("XDG_DATA_HOME", home.path() + "/data");
        library = dlopen(RIMBA_EDITOR_PLUGIN_PATH, RTLD_NOW | RTLD_LOCAL);
        ASSERT_NE(library, nullptr) << dlerror();
        auto entry = reinterpret_cast<VstPluginMainProc>(dlsym(library, "VSTPluginMain"));
        ASSERT_NE(entry, nullptr);
        layout = editorLayout(12);
        ASSERT_FALSE(layout.empty()) << "the companion listed no control";
        effect = entry(recordingHost);
        ASSERT_NE(effect, nullptr);
        dispatch(effect, effOpen);
        effect->dispatcher(effect, effSetSampleRate, 0, 0, nullptr, 44100.0f);
        dispatch(effect, effSetBlockSize, 256);
        dispatch(effect, effMainsChanged, 1);
        ERect* rect = nullptr;
        ASSERT_EQ(dispatch(effect, effEditGetRect, 0, &rect), 1);
        window = x.makeWindow(0, 0, rect->right - rect->left, rect->bottom - rect->top);
        ASSERT_EQ(dispatch(effect, effEditOpen, 0, reinterpret_cast<void*>(static_cast<std::uintptr_t>(window))), 1);
        idleFor(10);
        std::lock_guard<std::mutex> hold(automationLock);
        automations.clear();
    }
    void TearDown() override {
        mouse.finish();
        if (effect) {
            dispatch(effect, effEditClose);
            dispatch(effect, effMainsChanged, 0);
            dispatch(effect, effClose);
        }
        if (library) dlclose(library);
    }

    void idle() { dispatch(effect, effEditIdle); }
    void idleFor(int rounds) {
        XTestHost::idleUntil([this] { idle(); }, [] { return false; }, rounds);
    }
    // Idles while the mouse works, then a little more so the last events are taken.
    bool idleUntil(const std::function<bool()>& done, int rounds = 400) {
        return XTestHost::idleUntil([this] { idle(); }, done, rounds);
    }
    void clickAndIdle(long tag, int button = 1) {
        const Place& place = layout.at(tag);
        mouse.run(at(place.centreX(), place.centreY()) + "click " + std::to_string(button), 50);
        idleUntil([this] { return mouse.finished(); });
        idleFor(5);
    }

    ProgramChunk chunkNow() {
        void* data = nullptr;
        const VstIntPtr size = dispatch(effect, effGetChunk, 0, &data);
        if (size <= 0 || data == nullptr) return {};
        Result<ProgramChunk> chunk =
            readProgramChunk(std::span<const std::uint8_t>(static_cast<const std::uint8_t*>(data), static_cast<std::size_t>(size)));
        return chunk ? *chunk : ProgramChunk{};
    }
    float playing() { return effect->getParameter(effect, 0x20004); }

    TempFolder home;
    XTestHost x;
    void* library = nullptr;
    AEffect* effect = nullptr;
    Window window = 0;
    std::map<long, Place> layout;
    Mouse mouse;
};

TEST_F(EditorWindow, StopAndPlayButtonsStopAndStartTheSequencer) {
    clickAndIdle(31);
    EXPECT_EQ(playing(), 0.0f);
    clickAndIdle(30);
    EXPECT_EQ(playing(), 1.0f);
}

TEST_F(EditorWindow, AClickOnAStepOfTrackOneSetsAHitThere) {
    const Place& row = layout.at(stripTag(0, 0));
    const int stepWidth = (row.right - row.left) / 16;
    const ProgramChunk before = chunkNow();
    ASSERT_FALSE(before.tracks.empty());
    const auto pattern = static_cast<std::size_t>(before.currentPattern);
    // The first step that is empty in the shown pattern.
    int step = 0;
    while (step < 16 && before.tracks[0].velocity[pattern][static_cast<std::size_t>(step)] != 0) ++step;
    ASSERT_LT(step, 16);
    // High on the step: the grid's bottom 24 pixels belong to its scroll bar.
    mouse.run(at(row.left + step * stepWidth + stepWidth / 2, row.top + 8) + "click 1", 50);
    idleUntil([this] { return mouse.finished(); });
    idleFor(5);
    EXPECT_EQ(chunkNow().tracks[0].velocity[pattern][static_cast<std::size_t>(step)], 127);
}

TEST_F(EditorWindow, DraggingTrackOnesLevelKnobAutomatesParameterZero) {
    const Place& knob = layout.at(stripTag(0, 5));
    mouse.run(at(knob.centreX(), knob.centreY()) + "mousedown 1 " + at(knob.centreX(), knob.centreY() - 30) +
              at(knob.centreX() + 10, knob.centreY() - 60) + "mouseup 1");
    idleUntil([this] { return mouse.finished(); });
    idleFor(5);
    std::lock_guard<std::mutex> hold(automationLock);
    ASSERT_FALSE(automations.empty()) << "no audioMasterAutomate reached the host";
    for (const Automation& automation : automations) EXPECT_EQ(automation.index, 0);
    EXPECT_EQ(effect->getParameter(effect, 0), automations.back().value);
}

// A drum of the test's own, made by sox, on track 1 with a hit on every step of pattern 1.
void giveTrackOneABeat(AEffect* effect, ProgramChunk program, const std::string& wave) {
    program.tracks.at(0).path = wave;
    for (std::size_t step = 0; step < 16; ++step) program.tracks[0].velocity[0][step] = 100;
    program.patternSteps[0] = 16;
    std::vector<std::uint8_t> block = writeProgramChunk(program);
    effect->dispatcher(effect, effSetChunk, 0, static_cast<VstIntPtr>(block.size()), block.data(), 0.0f);
}

// Every pixel of a control's rectangle, read back in one request.
std::vector<std::uint32_t> pixelsOf(XTestHost& x, Window window, const Place& place) {
    const int width = place.right - place.left, height = place.bottom - place.top;
    std::vector<std::uint32_t> pixels;
    XImage* image = XGetImage(x.display, window, place.left, place.top, static_cast<unsigned>(width),
                              static_cast<unsigned>(height), AllPlanes, ZPixmap);
    if (!image) return pixels;
    for (int y = 0; y < height; ++y)
        for (int px = 0; px < width; ++px) pixels.push_back(static_cast<std::uint32_t>(XGetPixel(image, px, y)));
    XDestroyImage(image);
    return pixels;
}

// The editor stays open for a minute on an instrument that plays: the track's meter and the
// playing step keep moving until the end, and nothing stalls the idle.
TEST_F(EditorWindow, AMinuteOnAPlayingInstrumentKeepsTheMeterAndThePlayingStepMoving) {
    const std::string wave = home.path() + "/drum.wav";
    ASSERT_EQ(std::system(("sox -n -r 44100 -b 16 -c 1 '" + wave + "' synth 0.1 sine 180 fade 0 0.1 0.08").c_str()), 0);
    giveTrackOneABeat(effect, chunkNow(), wave);
    idleFor(5);
    const Window child = x.children(window).at(0);
    std::atomic<bool> stop{false};
    std::thread audio([&] {
        std::vector<std::vector<float>> channels(static_cast<std::size_t>(effect->numOutputs), std::vector<float>(256));
        std::vector<float*> outputs;
        for (auto& channel : channels) outputs.push_back(channel.data());
        const auto start = std::chrono::steady_clock::now();
        for (long block = 0; !stop.load(); ++block) {
            effect->processReplacing(effect, nullptr, outputs.data(), 256);
            threadTime.samplePos += 256;
            threadTime.ppqPos = threadTime.samplePos / 22050.0;
            // At the pace of a sound card: 256 frames at 44.1 kHz.
            std::this_thread::sleep_until(start + std::chrono::microseconds(5805 * (block + 1)));
        }
    });
    const Place meter = layout.at(stripTag(0, 11));
    const Place row = layout.at(stripTag(0, 0));
    // Six windows of ten seconds: in each, the meter and the step row must both change.
    int windowsWithMeter = 0, windowsWithStep = 0;
    for (int tenSeconds = 0; tenSeconds < 6; ++tenSeconds) {
        std::vector<std::uint32_t> lastMeter = pixelsOf(x, child, meter), lastRow = pixelsOf(x, child, row);
        bool meterMoved = false, stepMoved = false;
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (std::chrono::steady_clock::now() < end) {
            idle();
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
            std::vector<std::uint32_t> nowMeter = pixelsOf(x, child, meter), nowRow = pixelsOf(x, child, row);
            meterMoved = meterMoved || nowMeter != lastMeter;
            stepMoved = stepMoved || nowRow != lastRow;
            lastMeter = std::move(nowMeter);
            lastRow = std::move(nowRow);
        }
        windowsWithMeter += meterMoved ? 1 : 0;
        windowsWithStep += stepMoved ? 1 : 0;
    }
    stop.store(true);
    audio.join();
    EXPECT_EQ(windowsWithMeter, 6);
    EXPECT_EQ(windowsWithStep, 6);
}

}  // namespace
}  // namespace rimba::test
