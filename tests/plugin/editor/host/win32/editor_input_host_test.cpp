// The Windows DLL's editor driven by a hand on a real X server: a Win32 host of the test's own
// loads the library as a host does and opens the editor in a top-level window; xdotool (a Linux
// program Wine starts as it is) moves, presses and releases the pointer over the window's client
// area, whose place on the X screen ClientToScreen gives (Wine without a window manager). Where
// the controls sit comes from the companion's `editor --layout`; what the hand did is read back
// through the plug-in's interface: the program chunk, the parameters and audioMasterAutomate.
// Wine gives no handle to wait for xdotool, so each step waits for what it brings about.

#include <gtest/gtest.h>

#include <windows.h>
// After windows.h, which leaves OLE and the shell out.
#include <ole2.h>
#include <shlobj.h>

#include <atomic>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "common/settings/SettingsStore.h"
#include "common/vst/VstAbi.h"
#include "plugin/files/ProgramChunk.h"
#include "tests/host/TestHost.h"
#include "tests/support/win32/OleTestObjects.h"
#include "tests/support/win32/WindowList.h"

namespace rimba::test {
namespace {

struct Place {
    int left = 0, top = 0, right = 0, bottom = 0;
    int centreX() const { return (left + right) / 2; }
    int centreY() const { return (top + bottom) / 2; }
};

constexpr int kTracks = 12;
constexpr int kLevelKind = 5;
constexpr int kPadKind = 13;
constexpr int kSlotsPerTrack = 20;  // host parameters per track; a track's level is its first
constexpr long stripTag(int track, int kind) { return 8192 + 32L * track + kind; }

// tag -> place, from the companion's own listing of the editor it builds.
std::map<long, Place> editorLayout() {
    const std::string command =
        std::string("\"") + RIMBA_EDITOR_TOOL_PATH + "\" editor --layout --tracks " + std::to_string(kTracks);
    std::map<long, Place> layout;
    FILE* pipe = _popen(command.c_str(), "r");
    if (pipe == nullptr)
        return layout;
    char line[256];
    while (std::fgets(line, sizeof line, pipe)) {
        std::istringstream words(line);
        long tag = 0;
        std::string className;
        Place place;
        if (words >> tag >> className >> place.left >> place.top >> place.right >> place.bottom)
            layout[tag] = place;
    }
    _pclose(pipe);
    return layout;
}

// ---- the hand -----------------------------------------------------------------------------------

bool xdotool(const std::string& arguments) {
    std::wstring command = L"Z:\\usr\\bin\\xdotool " + std::wstring(arguments.begin(), arguments.end());
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return false;
    if (process.hProcess)
        CloseHandle(process.hProcess);
    if (process.hThread)
        CloseHandle(process.hThread);
    return true;
}

std::string at(POINT point) { return "mousemove " + std::to_string(point.x) + " " + std::to_string(point.y) + " "; }

bool leftButtonHeld() { return (GetAsyncKeyState(VK_LBUTTON) & 0x8000) != 0; }

// ---- the host's side --------------------------------------------------------------------------

std::atomic<int> startButtonDowns{0};

LRESULT CALLBACK hostWindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_LBUTTONDOWN)
        ++startButtonDowns;  // only the start window has no editor
    return DefWindowProcW(window, message, wParam, lParam);
}

HWND makeWindow(DWORD style, RECT place) {
    static const ATOM windowClass = [] {
        WNDCLASSW description{};
        description.lpfnWndProc = hostWindowProcedure;
        description.hInstance = GetModuleHandleW(nullptr);
        description.lpszClassName = L"RimbaDrumsInputTestHost";
        description.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
        description.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
        return RegisterClassW(&description);
    }();
    if (windowClass == 0)
        return nullptr;
    AdjustWindowRect(&place, style, FALSE);
    return CreateWindowExW(0, L"RimbaDrumsInputTestHost", L"Test host", style | WS_VISIBLE, place.left, place.top,
                           place.right - place.left, place.bottom - place.top, nullptr, nullptr,
                           GetModuleHandleW(nullptr), nullptr);
}

POINT screenPointOf(HWND window, POINT client) {
    ClientToScreen(window, &client);
    return client;
}

bool isShown(HWND window, POINT client) { return WindowFromPoint(screenPointOf(window, client)) == window; }

// ---- a file to drop ---------------------------------------------------------------------------

// A fifth of a second of a falling 90 Hz sine, 16-bit mono PCM at 44.1 kHz.
bool writeDrum(const std::wstring& path) {
    const std::uint32_t frames = 8820;
    std::vector<std::int16_t> samples(frames);
    for (std::uint32_t i = 0; i < frames; ++i)
        samples[i] = static_cast<std::int16_t>(20000.0 * (1.0 - double(i) / frames) *
                                               std::sin(2 * 3.14159265 * 90 * i / 44100.0));
    const std::uint32_t dataBytes = frames * 2;
    std::vector<char> file;
    const auto put = [&file](const void* bytes, std::size_t count) {
        file.insert(file.end(), static_cast<const char*>(bytes), static_cast<const char*>(bytes) + count);
    };
    const auto put32 = [&put](std::uint32_t v) { put(&v, 4); };
    const auto put16 = [&put](std::uint16_t v) { put(&v, 2); };
    put("RIFF", 4), put32(36 + dataBytes), put("WAVEfmt ", 8), put32(16), put16(1), put16(1), put32(44100),
        put32(88200), put16(2), put16(16), put("data", 4), put32(dataBytes), put(samples.data(), dataBytes);
    std::ofstream out(path.c_str(), std::ios::binary);
    out.write(file.data(), static_cast<std::streamsize>(file.size()));
    return static_cast<bool>(out);
}

std::string utf8(const std::wstring& wide) {
    std::string text(
        static_cast<std::size_t>(WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), -1, nullptr, 0, nullptr, nullptr)),
        '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), -1, text.data(), static_cast<int>(text.size()), nullptr, nullptr);
    text.pop_back();
    return text;
}

// ---- OLE objects of the test's own: a file manager's drag ---------------------------------------

// The user's button: the drag goes on while it is held. A copy offered while the pointer is over
// `watched` is signalled.
class ButtonSource final : public Counted<IDropSource, IID_IDropSource> {
public:
    ButtonSource(HWND watched, HANDLE offered) : watched(watched), offered(offered) {}
    HRESULT STDMETHODCALLTYPE QueryContinueDrag(BOOL escape, DWORD keys) override {
        if (escape)
            return DRAGDROP_S_CANCEL;
        return (keys & MK_LBUTTON) ? S_OK : DRAGDROP_S_DROP;
    }
    HRESULT STDMETHODCALLTYPE GiveFeedback(DWORD effect) override {
        POINT pointer;
        GetCursorPos(&pointer);
        if (WindowFromPoint(pointer) == watched && effect == DROPEFFECT_COPY)
            SetEvent(offered);
        return DRAGDROP_S_USEDEFAULTCURSORS;
    }

private:
    HWND watched;
    HANDLE offered;
};

// ---- the fixture ------------------------------------------------------------------------------

// The editor at the screen's top left with its layout, and a window beside it that drags start
// from, on the Xvfb's 1280x1024 screen.
class WindowsEditorInput : public ::testing::Test {
protected:
    void SetUp() override {
        clearUserStore();
        hostRecord() = HostRecord{};
        ASSERT_TRUE(library.loaded()) << library.loadError();
        layout = editorLayout();
        ASSERT_TRUE(layout.contains(stripTag(2, kPadKind))) << "no layout from " << RIMBA_EDITOR_TOOL_PATH;
        settings::SettingsStore store("RimbaDrums_64");
        store.writeNumber("Settings", "ChannelNumber", static_cast<std::uint32_t>(kTracks));
        effect = library.create();
        ASSERT_NE(effect, nullptr);
        dispatch(effect, effOpen);
        dispatch(effect, effSetSampleRate, 0, 0, nullptr, 44100.0f);
        dispatch(effect, effSetBlockSize, 0, 256);
        dispatch(effect, effMainsChanged, 0, 1);
        ERect* rect = nullptr;
        ASSERT_EQ(dispatch(effect, effEditGetRect, 0, 0, &rect), 1);
        ASSERT_NE(rect, nullptr);
        host = makeWindow(WS_OVERLAPPEDWINDOW, {0, 0, rect->right - rect->left, rect->bottom - rect->top});
        startWindow = makeWindow(WS_POPUP, {1060, 100, 1260, 300});
        ASSERT_NE(host, nullptr);
        ASSERT_NE(startWindow, nullptr);
        ASSERT_EQ(dispatch(effect, effEditOpen, 0, 0, host), 1);
        const std::vector<HWND> children = childrenOf(host);
        ASSERT_EQ(children.size(), 1u);
        frame = children[0];
        // Until the X server shows both where they were put.
        ASSERT_TRUE(idleUntil([this] { return isShown(frame, {500, 400}) && isShown(startWindow, {100, 100}); }));
        hostRecord().automations.clear();
    }
    void TearDown() override {
        xdotool("mouseup 1");
        if (effect) {
            dispatch(effect, effEditClose);
            dispatch(effect, effMainsChanged, 0, 0);
            dispatch(effect, effClose);
        }
        for (HWND window : {host, startWindow})
            if (window)
                DestroyWindow(window);
        pumpMessages();
        clearUserStore();
    }

    // The host's side of the idle: messages, then effEditIdle, about every 10 ms, until `done`
    // (about ten seconds at most).
    template <class Done>
    bool idleUntil(Done done, int rounds = 1000) {
        for (int i = 0; i < rounds; ++i) {
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
            pumpMessages();
            dispatch(effect, effEditIdle);
            if (done())
                return true;
        }
        return false;
    }

    POINT onScreen(long tag, int dx = 0, int dy = 0) const {
        const Place& place = layout.at(tag);
        return screenPointOf(frame, {place.centreX() + dx, place.centreY() + dy});
    }

    ProgramChunk chunkNow() {
        void* data = nullptr;
        const VstIntPtr size = dispatch(effect, effGetChunk, 0, 0, &data);
        if (size <= 0 || data == nullptr)
            return {};
        Result<ProgramChunk> chunk = readProgramChunk(
            std::span<const std::uint8_t>(static_cast<const std::uint8_t*>(data), static_cast<std::size_t>(size)));
        return chunk ? *chunk : ProgramChunk{};
    }

    PluginLibrary library{RIMBA_PLUGIN_PATH};
    // The first step of track 1 that is empty in the shown pattern; 16 when there is none.
    static int firstEmptyStepOfTrackOne(const ProgramChunk& chunk) {
        const auto pattern = static_cast<std::size_t>(chunk.currentPattern);
        int step = 0;
        while (step < 16 && chunk.tracks[0].velocity[pattern][static_cast<std::size_t>(step)] != 0)
            ++step;
        return step;
    }

    // High on the step: the grid's bottom 24 pixels belong to its scroll bar.
    POINT stepOfTrackOne(int step) const {
        const Place& row = layout.at(stripTag(0, 0));
        const int stepWidth = (row.right - row.left) / 16;
        return screenPointOf(frame, {row.left + step * stepWidth + stepWidth / 2, row.top + 8});
    }

    std::map<long, Place> layout;
    AEffect* effect = nullptr;
    HWND host = nullptr;
    HWND startWindow = nullptr;
    HWND frame = nullptr;
};

TEST_F(WindowsEditorInput, AClickOnAStepOfTrackOneSetsAHitThere) {
    const ProgramChunk before = chunkNow();
    ASSERT_FALSE(before.tracks.empty());
    const auto pattern = static_cast<std::size_t>(before.currentPattern);
    const int step = firstEmptyStepOfTrackOne(before);
    ASSERT_LT(step, 16);
    ASSERT_TRUE(xdotool(at(stepOfTrackOne(step)) + "click 1"));
    EXPECT_TRUE(idleUntil([&] {
        return chunkNow().tracks[0].velocity[pattern][static_cast<std::size_t>(step)] == 127;
    })) << "step "
        << step << " holds " << int{chunkNow().tracks[0].velocity[pattern][static_cast<std::size_t>(step)]};
    idleUntil([] { return !leftButtonHeld(); });
}

// The keys a musician reaches for, as Windows delivers them (WM_KEYDOWN with Control held, then
// the control character): Ctrl+Z takes back a knob drag and a step, one at a time, and Ctrl+Y and
// Ctrl+Shift+Z bring them back.
TEST_F(WindowsEditorInput, CtrlZUndoesAStepAndAKnobDragAndCtrlYAndCtrlShiftZRedoThem) {
    const ProgramChunk before = chunkNow();
    ASSERT_FALSE(before.tracks.empty());
    const auto pattern = static_cast<std::size_t>(before.currentPattern);
    const int step = firstEmptyStepOfTrackOne(before);
    ASSERT_LT(step, 16);
    ASSERT_TRUE(xdotool(at(stepOfTrackOne(step)) + "click 1"));
    ASSERT_TRUE(idleUntil([&] { return chunkNow().tracks[0].velocity[pattern] != before.tracks[0].velocity[pattern]; }))
        << "the click set no step";
    ASSERT_TRUE(idleUntil([] { return !leftButtonHeld(); }));
    const POINT knob = onScreen(stripTag(0, kLevelKind));
    ASSERT_TRUE(xdotool(at(knob) + "mousedown 1 " + at({knob.x, knob.y - 20}) + at({knob.x, knob.y - 40}) +
                        at({knob.x + 10, knob.y - 60}) + "mouseup 1"));
    ASSERT_TRUE(idleUntil([&] { return chunkNow().tracks[0].settings != before.tracks[0].settings; }))
        << "the drag changed nothing";
    ASSERT_TRUE(idleUntil([] { return !leftButtonHeld(); }));
    idleUntil([] { return false; }, 5);
    const ProgramChunk after = chunkNow();

    const auto press = [&](const char* keys, const auto& brought) {
        EXPECT_TRUE(xdotool(std::string("key ") + keys));
        EXPECT_TRUE(idleUntil(brought)) << keys;
    };
    press("ctrl+z", [&] {
        const ProgramChunk now = chunkNow();
        return now.tracks[0].settings == before.tracks[0].settings &&
               now.tracks[0].velocity[pattern] == after.tracks[0].velocity[pattern];
    });
    press("ctrl+z", [&] { return chunkNow().tracks[0].velocity[pattern] == before.tracks[0].velocity[pattern]; });
    press("ctrl+y", [&] {
        const ProgramChunk now = chunkNow();
        return now.tracks[0].velocity[pattern] == after.tracks[0].velocity[pattern] &&
               now.tracks[0].settings == before.tracks[0].settings;
    });
    press("ctrl+shift+z", [&] { return chunkNow().tracks[0].settings == after.tracks[0].settings; });
}

// Track 2's knob as well as track 1's: a host that took every automation for parameter 0 would
// pass with track 1's alone.
TEST_F(WindowsEditorInput, DraggingALevelKnobUpAutomatesThatTracksLevelParameterUpward) {
    for (const int track : {0, 1}) {
        SCOPED_TRACE("track " + std::to_string(track + 1));
        const VstInt32 parameter = track * kSlotsPerTrack;
        const float before = effect->getParameter(effect, parameter);
        ASSERT_LT(before, 1.0f) << "no room upward";
        hostRecord().automations.clear();
        const POINT knob = onScreen(stripTag(track, kLevelKind));
        ASSERT_TRUE(xdotool(at(knob) + "mousedown 1 " + at({knob.x, knob.y - 20}) + at({knob.x, knob.y - 40}) +
                            at({knob.x + 10, knob.y - 60}) + "mouseup 1"));
        // The first automation comes with the first move of the held button; the release ends it.
        ASSERT_TRUE(idleUntil([] { return !hostRecord().automations.empty(); })) << "no audioMasterAutomate";
        ASSERT_TRUE(idleUntil([] { return !leftButtonHeld(); }));
        idleUntil([] { return false; }, 5);
        const auto& automations = hostRecord().automations;
        float last = before;
        for (const auto& [index, value] : automations) {
            EXPECT_EQ(index, parameter);
            EXPECT_GE(value, last) << "the level went down on a drag upward";
            last = value;
        }
        EXPECT_GT(last, before);
        EXPECT_EQ(effect->getParameter(effect, parameter), last);
    }
}

TEST_F(WindowsEditorInput, AWaveFileDraggedFromAnotherWindowAndReleasedOverTrackThreesPadBecomesItsSound) {
    wchar_t temporary[MAX_PATH];
    GetTempPathW(MAX_PATH, temporary);
    const std::wstring folder = std::wstring(temporary) + L"rimba input " + std::to_wstring(GetCurrentProcessId());
    CreateDirectoryW(folder.c_str(), nullptr);
    const std::wstring wave = folder + L"\\dropped drum.wav";
    ASSERT_TRUE(writeDrum(wave));
    ASSERT_NE(chunkNow().tracks.at(2).path, utf8(wave));
    // The editor's frame holds OLE on this thread already (S_FALSE); this is the test's own hold.
    ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr)));

    // The press on the start window, as a user's beginning a drag in a file manager.
    const int downs = startButtonDowns;
    ASSERT_TRUE(xdotool(at(screenPointOf(startWindow, {100, 100})) + "mousedown 1"));
    ASSERT_TRUE(idleUntil([downs] { return startButtonDowns > downs; }));
    HANDLE offered = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    const POINT pad = onScreen(stripTag(2, kPadKind));
    bool reached = false;
    std::thread hand([&] {
        // Moves (a pixel aside each other try, so that each is a motion) until the editor offers a copy.
        for (int attempt = 0; attempt < 100 && !reached; ++attempt) {
            xdotool(at({pad.x + attempt % 2, pad.y}));
            reached = WaitForSingleObject(offered, 100) == WAIT_OBJECT_0;
        }
        xdotool("mouseup 1");
    });
    OneFormatData data = fileListOf({wave});
    ButtonSource source(frame, offered);
    DWORD effectDone = DROPEFFECT_NONE;
    const HRESULT result = DoDragDrop(&data, &source, DROPEFFECT_COPY, &effectDone);
    hand.join();
    CloseHandle(offered);
    EXPECT_TRUE(reached) << "the editor offered no copy over track 3's pad";
    EXPECT_EQ(result, DRAGDROP_S_DROP);
    EXPECT_EQ(effectDone, static_cast<DWORD>(DROPEFFECT_COPY));
    EXPECT_TRUE(idleUntil([&] { return chunkNow().tracks.at(2).path == utf8(wave); }))
        << "track 3 plays " << chunkNow().tracks.at(2).path;
    idleUntil([] { return !leftButtonHeld(); });
    OleUninitialize();
    DeleteFileW(wave.c_str());
    RemoveDirectoryW(folder.c_str());
}

}  // namespace
}  // namespace rimba::test
