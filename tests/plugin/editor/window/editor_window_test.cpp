// The whole editor through a host of the test's own: the built plug-in loaded with dlopen, its
// editor opened in an X11 window at the top left of an X server of its own, and the mouse moved
// and clicked with xdotool as a musician would. Where the controls sit comes from the
// companion's `editor --layout`; what the clicks did is read back through the plug-in's own
// interface (parameters, the program chunk, the host callbacks it makes) or from the settings it
// stores when closed. Files dropped on the editor and dragged out of it meet XDND peers of the
// test's own, on X connections of their own.

#include <gtest/gtest.h>

#include <dlfcn.h>

#include <atomic>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "common/settings/SettingsStore.h"
#include "common/vst/VstAbi.h"
#include "plugin/editor/toolkit/MenuModel.h"
#include "plugin/files/ProgramChunk.h"
#include "plugin/model/InstrumentSettings.h"
#include "tests/support/Environment.h"
#include "tests/support/TempFolder.h"
// Xlib last: its macros clash with names in the headers above.
#include "tests/plugin/editor/toolkit/XTestHost.h"
#include "tests/plugin/editor/toolkit/XdndPeers.h"

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
    if (!pipe)
        return layout;
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
int xdotool(const std::string& commands) { return std::system(("xdotool " + commands + " >/dev/null 2>&1").c_str()); }

class Mouse {
public:
    ~Mouse() { finish(); }
    void run(std::string commands, int delayMs = 150) {
        act([commands = std::move(commands), delayMs] {
            std::this_thread::sleep_for(std::chrono::milliseconds(delayMs));
            return xdotool(commands);
        });
    }
    // Steps that watch the screen between moves (a pop-up to appear, a target to answer); the
    // result is the status of the last xdotool command, or any non-zero failure of their own.
    void act(std::function<int()> steps) {
        finish();
        done = false;
        worker = std::thread([this, steps = std::move(steps)] {
            status = steps();
            done = true;
        });
    }
    bool finished() const { return done.load(); }
    int finish() {
        if (worker.joinable())
            worker.join();
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
        if (library)
            dlclose(library);
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
        // From a pixel beside the centre: xdotool's synchronous move to where the pointer
        // already is can stall, and a second click on the same control would come late.
        mouse.run(at(place.centreX() + 1, place.centreY() + 1) + at(place.centreX(), place.centreY()) + "click " +
                      std::to_string(button),
                  50);
        idleUntil([this] { return mouse.finished(); });
        idleFor(5);
    }

    ProgramChunk chunkNow() {
        void* data = nullptr;
        const VstIntPtr size = dispatch(effect, effGetChunk, 0, &data);
        if (size <= 0 || data == nullptr)
            return {};
        Result<ProgramChunk> chunk = readProgramChunk(
            std::span<const std::uint8_t>(static_cast<const std::uint8_t*>(data), static_cast<std::size_t>(size)));
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
    while (step < 16 && before.tracks[0].velocity[pattern][static_cast<std::size_t>(step)] != 0)
        ++step;
    ASSERT_LT(step, 16);
    // High on the step: the grid's bottom 24 pixels belong to its scroll bar.
    mouse.run(at(row.left + step * stepWidth + stepWidth / 2, row.top + 8) + "click 1", 50);
    idleUntil([this] { return mouse.finished(); });
    idleFor(5);
    EXPECT_EQ(chunkNow().tracks[0].velocity[pattern][static_cast<std::size_t>(step)], 127);
}

// What looks like a step answers as a step and what looks like the scroll bar as the bar: a
// click on a step's lowest drawn pixel sets it, one on the top pixel of the bar under its right
// arrow scrolls by a step, so that the same column then sets the next step.
TEST_F(EditorWindow, AStepsLowestPixelSetsItAndTheBarsTopPixelScrolls) {
    const Place& row = layout.at(stripTag(0, 0));
    const int stepWidth = (row.right - row.left) / 16;
    const int barTop = row.bottom - 24;  // the band under the steps that scrolls
    const ProgramChunk before = chunkNow();
    ASSERT_FALSE(before.tracks.empty());
    const auto pattern = static_cast<std::size_t>(before.currentPattern);
    const auto& velocity = before.tracks[0].velocity[pattern];
    int step = 0;
    while (step < 15 &&
           (velocity[static_cast<std::size_t>(step)] != 0 || velocity[static_cast<std::size_t>(step) + 1] != 0))
        ++step;
    ASSERT_LT(step, 15);
    const int x0 = row.left + step * stepWidth + stepWidth / 2;
    // The look changes where the answer does: the step's last pixel and the bar's first differ.
    XImage* column = XGetImage(x.display, window, x0, barTop - 1, 1, 2, AllPlanes, ZPixmap);
    ASSERT_NE(column, nullptr);
    EXPECT_NE(XGetPixel(column, 0, 0), XGetPixel(column, 0, 1)) << "a step drawn into the band that scrolls";
    XDestroyImage(column);
    const auto clickAt = [&](int x, int y) {
        mouse.run(at(x, y) + "click 1", 50);
        idleUntil([this] { return mouse.finished(); });
        idleFor(5);
    };
    clickAt(x0, barTop - 1);
    EXPECT_EQ(chunkNow().tracks[0].velocity[pattern][static_cast<std::size_t>(step)], 127);
    clickAt(row.right - 5, barTop);
    clickAt(x0, barTop - 1);
    EXPECT_EQ(chunkNow().tracks[0].velocity[pattern][static_cast<std::size_t>(step) + 1], 127)
        << "the bar did not scroll";
}

// The random panel's latching switches store what they show at every click, off as well as on.
TEST_F(EditorWindow, TheRandomSwitchesStoreOnAndOffAtEveryClick) {
    struct Switch {
        long tag;
        std::int32_t ProgramChunk::*stored;
    };
    for (const Switch s : {Switch{91, &ProgramChunk::randomPerPattern}, Switch{92, &ProgramChunk::randomGraphVisible},
                           Switch{93, &ProgramChunk::randomAuto}}) {
        const std::int32_t first = chunkNow().*s.stored;
        for (int click = 1; click <= 2; ++click) {
            clickAndIdle(s.tag);
            EXPECT_EQ(chunkNow().*s.stored, click == 1 ? 1 - first : first) << "tag " << s.tag << ", click " << click;
        }
    }
}

TEST_F(EditorWindow, DraggingTrackOnesLevelKnobAutomatesParameterZero) {
    const Place& knob = layout.at(stripTag(0, 5));
    mouse.run(at(knob.centreX(), knob.centreY()) + "mousedown 1 " + at(knob.centreX(), knob.centreY() - 30) +
              at(knob.centreX() + 10, knob.centreY() - 60) + "mouseup 1");
    idleUntil([this] { return mouse.finished(); });
    idleFor(5);
    std::lock_guard<std::mutex> hold(automationLock);
    ASSERT_FALSE(automations.empty()) << "no audioMasterAutomate reached the host";
    for (const Automation& automation : automations)
        EXPECT_EQ(automation.index, 0);
    EXPECT_EQ(effect->getParameter(effect, 0), automations.back().value);
}

// The keys a musician reaches for: Ctrl+Z takes back a knob drag and a step, one at a time, and
// Ctrl+Y and Ctrl+Shift+Z bring them back, with the pointer resting over the editor.
TEST_F(EditorWindow, CtrlZUndoesAKnobDragAndAStepAndCtrlYAndCtrlShiftZRedoThem) {
    const ProgramChunk before = chunkNow();
    ASSERT_FALSE(before.tracks.empty());
    const auto pattern = static_cast<std::size_t>(before.currentPattern);
    const Place& knob = layout.at(stripTag(0, 5));
    mouse.run(at(knob.centreX(), knob.centreY()) + "mousedown 1 " + at(knob.centreX(), knob.centreY() - 30) +
              at(knob.centreX() + 10, knob.centreY() - 60) + "mouseup 1");
    idleUntil([this] { return mouse.finished(); });
    idleFor(5);
    const Place& row = layout.at(stripTag(0, 0));
    const int stepWidth = (row.right - row.left) / 16;
    int step = 0;
    while (step < 16 && before.tracks[0].velocity[pattern][static_cast<std::size_t>(step)] != 0)
        ++step;
    ASSERT_LT(step, 16);
    const int stepX = row.left + step * stepWidth + stepWidth / 2;
    mouse.run(at(stepX, row.top + 8) + "click 1", 50);
    idleUntil([this] { return mouse.finished(); });
    idleFor(5);
    const ProgramChunk after = chunkNow();
    ASSERT_NE(after.tracks[0].settings, before.tracks[0].settings) << "the drag changed nothing";
    ASSERT_NE(after.tracks[0].velocity[pattern], before.tracks[0].velocity[pattern]) << "the click set no step";

    // Each time from another pixel: a move to where the pointer already is can stall.
    int rest = 0;
    const auto keys = [&](const std::string& presses) {
        mouse.run(at(stepX + ++rest, row.top - 30) + presses, 50);
        idleUntil([this] { return mouse.finished(); });
        idleFor(5);
    };
    keys("key ctrl+z");
    EXPECT_EQ(chunkNow().tracks[0].velocity[pattern], before.tracks[0].velocity[pattern]);
    EXPECT_EQ(chunkNow().tracks[0].settings, after.tracks[0].settings);
    keys("key ctrl+z");
    EXPECT_EQ(chunkNow().tracks[0].settings, before.tracks[0].settings);
    keys("key ctrl+y");
    EXPECT_EQ(chunkNow().tracks[0].settings, after.tracks[0].settings);
    keys("key ctrl+shift+z");
    EXPECT_EQ(chunkNow().tracks[0].velocity[pattern], after.tracks[0].velocity[pattern]);
}

// The override-redirect windows mapped on the screen: the pop-ups of open menus (and tooltips,
// which a fresh instrument does not show).
std::set<Window> popupWindows(Display* display) {
    std::set<Window> found;
    Window root = 0, up = 0, *list = nullptr;
    unsigned count = 0;
    if (XQueryTree(display, DefaultRootWindow(display), &root, &up, &list, &count))
        for (unsigned i = 0; i < count; ++i) {
            XWindowAttributes attributes{};
            if (XGetWindowAttributes(display, list[i], &attributes) && attributes.override_redirect &&
                attributes.map_state == IsViewable)
                found.insert(list[i]);
        }
    if (list)
        XFree(list);
    return found;
}

struct Opened {
    int left = -1, top = -1, width = 0;
};

// Clicks (x, y), waits for a pop-up window to appear and gives its place on the screen.
std::optional<Opened> clickAndFindPopup(int x, int y, int button = 1) {
    Display* display = XOpenDisplay(nullptr);
    if (!display)
        return std::nullopt;
    const std::set<Window> before = popupWindows(display);
    std::optional<Opened> opened;
    if (xdotool(at(x, y) + "click " + std::to_string(button)) == 0)
        for (int tries = 0; tries < 250 && !opened; ++tries) {
            for (Window candidate : popupWindows(display)) {
                XWindowAttributes attributes{};
                if (!before.contains(candidate) && XGetWindowAttributes(display, candidate, &attributes))
                    opened = Opened{attributes.x, attributes.y, attributes.width};
            }
            if (!opened)
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    XCloseDisplay(display);
    return opened;
}

// Waits (five seconds at most) until no pop-up is left on the screen.
bool waitForNoPopup() {
    Display* display = XOpenDisplay(nullptr);
    if (!display)
        return false;
    bool gone = false;
    for (int tries = 0; tries < 250 && !gone; ++tries) {
        gone = popupWindows(display).empty();
        if (!gone)
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    XCloseDisplay(display);
    return gone;
}

// A menu closed with Escape hands the mouse back: the very next click acts, whichever control's
// menu it was (a label's, opened with the left button; a pad's, with the right).
TEST_F(EditorWindow, AfterAMenuClosedWithEscapeTheNextClickActs) {
    struct Opener {
        long tag;
        int button;
    };
    for (const Opener opener : {Opener{49, 1}, Opener{stripTag(0, 13), 3}}) {
        SCOPED_TRACE(opener.tag);
        clickAndIdle(30);
        ASSERT_EQ(playing(), 1.0f);
        const Place& place = layout.at(opener.tag);
        const Place& stop = layout.at(31);
        std::optional<Opened> popup;
        mouse.act([&] {
            popup = clickAndFindPopup(place.centreX(), place.centreY(), opener.button);
            xdotool("key Escape");
            if (!popup || !waitForNoPopup())
                return -1;
            return xdotool(at(stop.centreX(), stop.centreY()) + "click 1");
        });
        idleUntil([this] { return mouse.finished(); });
        ASSERT_EQ(mouse.finish(), 0) << "no menu opened, or it stayed open";
        idleFor(5);
        EXPECT_EQ(playing(), 0.0f) << "the click on Stop after Escape was taken by the menu's control";
    }
}

// A right drag to the right on a hit changes its roll; with Shift held at the press it changes
// its hold instead.
TEST_F(EditorWindow, ShiftHeldAtARightDragEditsTheHoldInsteadOfTheRoll) {
    const Place& row = layout.at(stripTag(0, 0));
    const int stepWidth = (row.right - row.left) / 16;
    const ProgramChunk before = chunkNow();
    ASSERT_FALSE(before.tracks.empty());
    const auto pattern = static_cast<std::size_t>(before.currentPattern);
    const auto& velocity = before.tracks[0].velocity[pattern];
    // A step with four empty steps after it, so that a hold has room.
    int step = 0;
    while (step < 11 &&
           (velocity[static_cast<std::size_t>(step)] != 0 || velocity[static_cast<std::size_t>(step) + 1] != 0 ||
            velocity[static_cast<std::size_t>(step) + 2] != 0 || velocity[static_cast<std::size_t>(step) + 3] != 0 ||
            velocity[static_cast<std::size_t>(step) + 4] != 0))
        ++step;
    ASSERT_LT(step, 11);
    const auto s = static_cast<std::size_t>(step);
    const int x0 = row.left + step * stepWidth + stepWidth / 2;
    const int y0 = row.top + 8;
    // The drag's last events may reach the editor a few idles after xdotool is done: each drag
    // waits (a bounded number of idles) for the value it should change.
    const auto rightDrag = [&](const std::string& modifier, const std::function<bool(const ChunkTrack&)>& changed) {
        const std::string down = modifier.empty() ? "" : "keydown " + modifier + " ";
        const std::string up = modifier.empty() ? "" : " keyup " + modifier;
        // Whether or not the two moves arrive apart, 80 pixels count whole. The pointer leaves
        // the step first: xdotool's synchronous move to where the pointer already is can stall.
        mouse.run(at(x0 + 4, y0 + 4) + at(x0, y0) + down + "mousedown 3 " + at(x0 + 8, y0) + at(x0 + 80, y0) +
                      "mouseup 3" + up,
                  50);
        idleUntil([this] { return mouse.finished(); });
        idleUntil([&] { return changed(chunkNow().tracks[0]); }, 200);
    };
    mouse.run(at(x0, y0) + "click 1", 50);  // a hit of velocity 127, hold 0, roll 0
    idleUntil([this] { return mouse.finished(); });
    idleFor(5);
    ASSERT_EQ(chunkNow().tracks[0].velocity[pattern][s], 127);

    rightDrag("", [&](const ChunkTrack& track) { return track.roll[pattern][s] != 0; });
    const ProgramChunk rolled = chunkNow();
    EXPECT_EQ(rolled.tracks[0].roll[pattern][s], 3) << "80 pixels at 10 a roll, at most 3";
    EXPECT_EQ(rolled.tracks[0].hold[pattern][s], 0);

    rightDrag("shift", [&](const ChunkTrack& track) { return track.hold[pattern][s] != 0; });
    const ProgramChunk held = chunkNow();
    EXPECT_EQ(held.tracks[0].roll[pattern][s], 3) << "the roll stays";
    EXPECT_EQ(held.tracks[0].hold[pattern][s], 3) << "80 pixels at 24 a step";
    EXPECT_EQ(held.tracks[0].velocity[pattern][s], 127);
}

TEST_F(EditorWindow, AutoScrollPickedFromTheMainMenuWithTheMouseTogglesTheStoredSetting) {
    const Place& button = layout.at(96);
    // The main menu's rows down to "AutoScroll": its place in the pop-up follows from them and
    // the toolkit's row sizes.
    toolkit::MenuModel rows;
    rows.addEntry("Export to Audio File ...");
    rows.addEntry("Export to MIDI File ...");
    rows.addSeparator();
    rows.addEntry("12 Tracks Mode");
    const int autoScroll = rows.addEntry("AutoScroll");
    std::optional<Opened> popup;
    mouse.act([&] {
        popup = clickAndFindPopup(button.centreX(), button.centreY());
        // Should a menu be open unseen, Escape closes it and ends the editor's modal loop.
        if (!popup) {
            xdotool("key Escape");
            return -1;
        }
        const toolkit::CRect row = toolkit::menuRowRect(rows, toolkit::MenuMetrics{}, popup->width, autoScroll);
        return xdotool(at(popup->left + row.left + 30, popup->top + (row.top + row.bottom) / 2) + "click 1");
    });
    idleUntil([this] { return mouse.finished(); });
    ASSERT_EQ(mouse.finish(), 0);
    ASSERT_TRUE(popup) << "no menu opened";
    // The menu opens under its button.
    EXPECT_EQ(popup->left, button.left);
    EXPECT_EQ(popup->top, button.bottom);
    idleFor(5);
    EXPECT_TRUE(popupWindows(x.display).empty()) << "the menu stayed open";
    // Settings are written when the instrument closes.
    dispatch(effect, effEditClose);
    dispatch(effect, effMainsChanged, 0);
    dispatch(effect, effClose);
    effect = nullptr;
    const settings::SettingsStore store("RimbaDrums_64", home.path() + "/config");
    const std::optional<std::uint32_t> stored = store.readNumber("Settings", "Autoscroll");
    ASSERT_TRUE(stored) << "no settings written under " << store.location();
    EXPECT_EQ(*stored, InstrumentSettings{}.autoscroll != 0 ? 0u : 1u);
}

// A path as a file URI's path: every byte but the unreserved ones and '/' percent-encoded.
std::string uriPath(const std::string& path) {
    std::string encoded;
    for (const unsigned char c : path) {
        if (std::isalnum(c) || c == '/' || c == '-' || c == '.' || c == '_' || c == '~') {
            encoded += static_cast<char>(c);
        } else {
            char escape[4];
            std::snprintf(escape, sizeof escape, "%%%02X", c);
            encoded += escape;
        }
    }
    return encoded;
}

// The path of a uri-list's one file URI ("file:///...\r\n"), or "" when it is anything else.
std::string pathOfUriList(const std::string& list) {
    const std::string scheme = "file://";
    if (list.rfind(scheme, 0) != 0 || list.size() < scheme.size() + 2 || list.substr(list.size() - 2) != "\r\n")
        return "";
    const std::string uri = list.substr(scheme.size(), list.size() - scheme.size() - 2);
    std::string path;
    for (std::size_t i = 0; i < uri.size(); ++i) {
        if (uri[i] == '%' && i + 2 < uri.size()) {
            path += static_cast<char>(std::stoi(uri.substr(i + 1, 2), nullptr, 16));
            i += 2;
        } else {
            path += uri[i];
        }
    }
    return path;
}

TEST_F(EditorWindow, AWaveFileDroppedOnTrackThreesPadBecomesItsSound) {
    const std::string wave = home.path() + "/dropped drum.wav";
    ASSERT_EQ(std::system(("sox -n -r 44100 -b 16 -c 1 '" + wave + "' synth 0.2 sine 90 fade 0 0.2 0.15").c_str()), 0);
    ASSERT_NE(chunkNow().tracks.at(2).path, wave);
    const Place& pad = layout.at(stripTag(2, 13));
    XdndSourcePeer source("file://" + uriPath(wave) + "\r\n");
    const auto idleAndAnswer = [&](const std::function<bool()>& done) {
        return XTestHost::idleUntil(
            [&] {
                idle();
                source.pump();
            },
            done);
    };
    source.enter(x.children(window).at(0), {"text/uri-list"});
    source.position(pad.centreX(), pad.centreY());
    ASSERT_TRUE(idleAndAnswer([&] { return !source.statuses.empty(); })) << "no XdndStatus";
    EXPECT_TRUE(source.statuses.back().accepted);
    source.drop();
    ASSERT_TRUE(idleAndAnswer([&] { return source.finishedCount > 0; })) << "no XdndFinished";
    EXPECT_TRUE(source.finishedWithSuccess);
    EXPECT_TRUE(idleUntil([&] { return chunkNow().tracks.at(2).path == wave; }, 100))
        << "track 3 plays " << chunkNow().tracks.at(2).path;
}

TEST_F(EditorWindow, TheDragButtonGivesATargetBesideTheEditorThePatternAsTempMidInTheLibrary) {
    const std::string library = home.path() + "/data/VORN Studio/Rimba Drums";
    std::filesystem::create_directories(library);
    // Right of the editor's 1005 pixels.
    XdndTargetPeer target(1080, 200, 150, 150, true);
    const Place& button = layout.at(29);
    mouse.act([&] {
        const int pressed =
            xdotool(at(button.centreX(), button.centreY()) + "mousedown 1 " + at(1100, 250) + at(1150, 275));
        // The release waits for the target's first answer, as a user's hand would.
        for (int i = 0; i < 250 && target.positionsSeen == 0; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        return xdotool("mouseup 1") | pressed;
    });
    idleUntil([this] { return mouse.finished(); });
    ASSERT_EQ(mouse.finish(), 0);
    idleUntil([&] { return !target.seen().data.empty(); }, 100);
    const XdndTargetPeer::Seen seen = target.seen();
    EXPECT_EQ(seen.enterTypes, std::vector<std::string>{"text/uri-list"});
    EXPECT_EQ(seen.drops, 1);
    const std::string dragged = pathOfUriList(seen.data);
    EXPECT_EQ(dragged, library + "/temp.mid") << "the target got " << seen.data;
    std::ifstream file(dragged, std::ios::binary);
    char magic[4] = {};
    file.read(magic, sizeof magic);
    EXPECT_EQ(std::string(magic, sizeof magic), "MThd");
}

// A drum of the test's own, made by sox, on track 1 with a hit on every step of pattern 1.
void giveTrackOneABeat(AEffect* effect, ProgramChunk program, const std::string& wave) {
    program.tracks.at(0).path = wave;
    for (std::size_t step = 0; step < 16; ++step)
        program.tracks[0].velocity[0][step] = 100;
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
    if (!image)
        return pixels;
    for (int y = 0; y < height; ++y)
        for (int px = 0; px < width; ++px)
            pixels.push_back(static_cast<std::uint32_t>(XGetPixel(image, px, y)));
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
        for (auto& channel : channels)
            outputs.push_back(channel.data());
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
