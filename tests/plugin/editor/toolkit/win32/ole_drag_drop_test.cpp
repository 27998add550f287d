// Drags of files between windows on an X server, through OLE as Windows programs do it: the
// pointer is pressed, moved and released by xdotool, a Linux program Wine starts as it is, while
// the test's thread runs DoDragDrop. The drop target is the frame's (FileDropTarget) under a drag
// source of the test's own; the drag out (dragFileOut) is dropped on a target of the test's own.
// Wine gives no handle to wait for xdotool, so each step waits for what it brings about.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <fstream>
#include <optional>
#include <thread>

#include "common/platform/win32/Windows.h"
#include "plugin/editor/toolkit/win32/OleDragDrop.h"
#include "tests/support/win32/OleTestObjects.h"
// After Windows.h, which leaves OLE and the shell out.
#include <ole2.h>
#include <shellapi.h>
#include <shlobj.h>

namespace rimba::toolkit::win32 {
namespace {

using test::Counted;
using test::fileListOf;
using test::OneFormatData;

// ---- the hand: xdotool -------------------------------------------------------------------------

void xdotool(const std::string& arguments) {
    std::wstring command = L"Z:\\usr\\bin\\xdotool " + std::wstring(arguments.begin(), arguments.end());
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    ASSERT_TRUE(
        CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        << "xdotool " << arguments;
    if (process.hProcess)
        CloseHandle(process.hProcess);
    if (process.hThread)
        CloseHandle(process.hThread);
}

std::string at(POINT point) { return std::to_string(point.x) + " " + std::to_string(point.y); }

// Moves the pointer to `to` (and a pixel beside it, so that each try is a motion) until `seen`
// is signalled; false when it never was.
bool moveUntil(POINT to, HANDLE seen) {
    ResetEvent(seen);  // what an earlier step signalled is not this one's
    for (int attempt = 0; attempt < 100; ++attempt) {
        xdotool("mousemove " + at({to.x + attempt % 2, to.y}));
        if (WaitForSingleObject(seen, 100) == WAIT_OBJECT_0)
            return true;
    }
    return false;
}

// ---- windows -----------------------------------------------------------------------------------

std::atomic<int> buttonDowns{0};
std::atomic<int> buttonUps{0};

LRESULT CALLBACK windowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_LBUTTONDOWN)
        ++buttonDowns;
    if (message == WM_LBUTTONUP)
        ++buttonUps;
    return DefWindowProcW(window, message, wParam, lParam);
}

HWND makeWindow(RECT place) {
    static const ATOM windowClass = [] {
        WNDCLASSW description{};
        description.lpfnWndProc = windowProcedure;
        description.hInstance = GetModuleHandleW(nullptr);
        description.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
        description.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
        description.lpszClassName = L"RimbaOleDragTest";
        return RegisterClassW(&description);
    }();
    HWND window = CreateWindowExW(0, reinterpret_cast<LPCWSTR>(static_cast<ULONG_PTR>(windowClass)), L"",
                                  WS_POPUP | WS_VISIBLE, place.left, place.top, place.right - place.left,
                                  place.bottom - place.top, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    UpdateWindow(window);
    return window;
}

void pumpMessages() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

// Pumps until `done` (at most about ten seconds).
template <typename Condition>
bool pumpUntil(Condition done) {
    for (int round = 0; round < 1000 && !done(); ++round) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
        pumpMessages();
    }
    return done();
}

POINT screenPointOf(HWND window, POINT client) {
    ClientToScreen(window, &client);
    return client;
}

bool isShown(HWND window, POINT client) { return WindowFromPoint(screenPointOf(window, client)) == window; }

CPoint clientPointOf(HWND window, POINT screen) {
    ScreenToClient(window, &screen);
    return {static_cast<int>(screen.x), static_cast<int>(screen.y)};
}

// ---- COM objects of the test's own -------------------------------------------------------------

// The user's button: the drag goes on while it is held. Each answer the target gives while the
// pointer is over `watched` is kept and signalled.
class ButtonSource final : public Counted<IDropSource, IID_IDropSource> {
public:
    ButtonSource(HWND watched, HANDLE answered) : watched(watched), answered(answered) {}
    HRESULT STDMETHODCALLTYPE QueryContinueDrag(BOOL escape, DWORD keys) override {
        if (escape)
            return DRAGDROP_S_CANCEL;
        return (keys & MK_LBUTTON) ? S_OK : DRAGDROP_S_DROP;
    }
    HRESULT STDMETHODCALLTYPE GiveFeedback(DWORD effect) override {
        POINT pointer;
        GetCursorPos(&pointer);
        if (WindowFromPoint(pointer) == watched) {
            lastAnswer = effect;
            SetEvent(answered);
        }
        return DRAGDROP_S_USEDEFAULTCURSORS;
    }
    std::optional<DWORD> lastAnswer;

private:
    HWND watched;
    HANDLE answered;
};

// Another program's window taking files: a copy anywhere; what it was given is kept.
class RecordingTarget final : public Counted<IDropTarget, IID_IDropTarget> {
public:
    RecordingTarget()
        : entered(CreateEventW(nullptr, FALSE, FALSE, nullptr)), left(CreateEventW(nullptr, FALSE, FALSE, nullptr)) {}
    ~RecordingTarget() {
        CloseHandle(entered);
        CloseHandle(left);
    }
    HRESULT STDMETHODCALLTYPE DragEnter(IDataObject*, DWORD, POINTL, DWORD* effect) override {
        *effect = DROPEFFECT_COPY;
        SetEvent(entered);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE DragOver(DWORD, POINTL, DWORD* effect) override {
        *effect = DROPEFFECT_COPY;
        SetEvent(entered);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE DragLeave() override {
        SetEvent(left);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Drop(IDataObject* data, DWORD, POINTL, DWORD* effect) override {
        FORMATETC format{CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
        STGMEDIUM medium{};
        if (data->GetData(&format, &medium) == S_OK) {
            const auto drop = static_cast<HDROP>(medium.hGlobal);
            std::vector<std::wstring> names;
            for (UINT i = 0; i < DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0); ++i) {
                std::wstring name(DragQueryFileW(drop, i, nullptr, 0) + 1, L'\0');
                name.resize(DragQueryFileW(drop, i, name.data(), static_cast<UINT>(name.size())));
                names.push_back(name);
            }
            dropped = names;
            ReleaseStgMedium(&medium);
        }
        *effect = DROPEFFECT_COPY;
        return S_OK;
    }
    HANDLE entered;
    HANDLE left;
    std::optional<std::vector<std::wstring>> dropped;
};

// ---- the fixture -------------------------------------------------------------------------------

// The frame's window as the target, a window the drags start from, another program's window
// and a place with no window at all, all on the Xvfb's 1280x1024 screen.
class OleDragDrop : public testing::Test {
protected:
    // Wine without a window manager takes seconds to destroy a shown window (it waits for one
    // to withdraw it), so the windows serve every test.
    static void SetUpTestSuite() {
        ole = new OleThread;
        frameWindow = makeWindow({100, 100, 400, 300});
        startWindow = makeWindow({500, 100, 700, 300});
        otherWindow = makeWindow({100, 400, 400, 600});
    }
    static void TearDownTestSuite() {
        for (HWND window : {frameWindow, startWindow, otherWindow})
            DestroyWindow(window);
        delete ole;
    }

    void SetUp() override {
        ASSERT_TRUE(ole->dragAndDropAvailable());
        wchar_t temporary[MAX_PATH];
        GetTempPathW(MAX_PATH, temporary);
        folder = std::wstring(temporary) + L"rimba ole drag " + std::to_wstring(GetCurrentProcessId());
        CreateDirectoryW(folder.c_str(), nullptr);
        for (const wchar_t* name : {L"kick.wav",
                                    L"\x00F1"
                                    L"and\x00FA \x00FC.mid"}) {
            files.push_back(folder + L"\\" + name);
            HANDLE file = CreateFileW(files.back().c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
            ASSERT_NE(file, INVALID_HANDLE_VALUE);
            CloseHandle(file);
        }
        ASSERT_EQ(RegisterDragDrop(otherWindow, &other), S_OK);
        answered = CreateEventW(nullptr, FALSE, FALSE, nullptr);
        // Until the X server shows them where they were put.
        ASSERT_TRUE(pumpUntil([] {
            return isShown(frameWindow, {150, 100}) && isShown(startWindow, {100, 100}) &&
                   isShown(otherWindow, {150, 100});
        }));
    }
    void TearDown() override {
        registration.reset();
        RevokeDragDrop(otherWindow);
        CloseHandle(answered);
        for (const std::wstring& file : files)
            DeleteFileW(file.c_str());
        RemoveDirectoryW(folder.c_str());
    }

    // The frame's drop handler: takes the right part of the window (x from 150) and keeps what
    // it was asked and given.
    void registerFrameWindow() {
        handler.accepts = [this](CPoint where) {
            asked.push_back(where);
            return where.x >= 150;
        };
        handler.drop = [this](CPoint where, const std::vector<std::string>& paths) { drops.push_back({where, paths}); };
        registration = FileDropTarget::registerOn(frameWindow, handler);
        ASSERT_NE(registration, nullptr);
    }

    // Presses the left button over the start window, as a user beginning a drag does.
    void pressOnStartWindow() {
        const int downs = buttonDowns;
        xdotool("mousemove " + at(screenPointOf(startWindow, {100, 100})) + " mousedown 1");
        ASSERT_TRUE(pumpUntil([downs] { return buttonDowns > downs; }));
    }

    // Lets the button go after a drag that Escape ended, for the next test.
    void releaseButton() {
        xdotool("mouseup 1");
        pumpUntil([] { return (GetAsyncKeyState(VK_LBUTTON) & 0x8000) == 0; });
    }

    std::string utf8(const std::wstring& wide) {
        std::string text(
            static_cast<std::size_t>(WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), -1, nullptr, 0, nullptr, nullptr)),
            '\0');
        WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), -1, text.data(), static_cast<int>(text.size()), nullptr, nullptr);
        text.pop_back();
        return text;
    }

    static inline OleThread* ole = nullptr;
    static inline HWND frameWindow = nullptr;
    static inline HWND startWindow = nullptr;
    static inline HWND otherWindow = nullptr;
    std::wstring folder;
    std::vector<std::wstring> files;
    RecordingTarget other;
    HANDLE answered = nullptr;
    DropHandler handler;
    std::unique_ptr<FileDropTarget> registration;
    std::vector<CPoint> asked;
    struct Drop {
        CPoint where;
        std::vector<std::string> paths;
    };
    std::vector<Drop> drops;
};

// ---- files dropped on the frame's window ------------------------------------------------------

TEST_F(OleDragDrop, TheFrameWindowTakesFilesAtAPlaceItAcceptsAndNothingElsewhereOrOfOtherData) {
    const struct {
        const char* what;
        bool fileList;
        POINT place;  // in the frame window
        DWORD answer;
    } cases[] = {
        {"files at an accepted place", true, {250, 100}, DROPEFFECT_COPY},
        {"files at a refused place", true, {50, 100}, DROPEFFECT_NONE},
        {"text at an accepted place", false, {250, 100}, DROPEFFECT_NONE},
    };
    registerFrameWindow();
    for (const auto& drag : cases) {
        SCOPED_TRACE(drag.what);
        asked.clear();
        drops.clear();
        OneFormatData text(CF_UNICODETEXT, {'h', 0, 'i', 0, 0, 0});
        OneFormatData fileList = fileListOf(files);
        IDataObject* data = drag.fileList ? static_cast<IDataObject*>(&fileList) : &text;
        ButtonSource source(frameWindow, answered);
        pressOnStartWindow();
        const POINT place = screenPointOf(frameWindow, drag.place);
        std::thread hand([&] {
            if (moveUntil(place, answered))
                xdotool("mouseup 1");
        });
        DWORD effect = DROPEFFECT_NONE;
        const HRESULT result = DoDragDrop(data, &source, DROPEFFECT_COPY | DROPEFFECT_MOVE, &effect);
        hand.join();
        pumpUntil([] { return (GetAsyncKeyState(VK_LBUTTON) & 0x8000) == 0; });
        ASSERT_TRUE(source.lastAnswer) << "the pointer never reached the frame window";
        EXPECT_EQ(*source.lastAnswer, drag.answer);
        EXPECT_EQ(effect, drag.answer);
        if (drag.answer == DROPEFFECT_COPY) {
            EXPECT_EQ(result, DRAGDROP_S_DROP);
            ASSERT_EQ(drops.size(), 1u);
            EXPECT_EQ(drops[0].paths, (std::vector<std::string>{utf8(files[0]), utf8(files[1])}));
            const std::string name =
                "\\\xC3\xB1"
                "and\xC3\xBA \xC3\xBC.mid";
            const std::string& path = drops[0].paths[1];
            EXPECT_EQ(path.substr(path.size() - std::min(path.size(), name.size())), name);
            EXPECT_GE(drops[0].where.x, 250);
            EXPECT_LE(drops[0].where.x, 251);
            EXPECT_EQ(drops[0].where.y, 100);
        } else {
            EXPECT_TRUE(drops.empty());
        }
        // Only a file list is offered to the handler; every place it was asked about was ours.
        EXPECT_EQ(asked.empty(), !drag.fileList);
        for (CPoint where : asked)
            EXPECT_EQ(where.y, 100);
    }
}

// A drag in progress holds the target as OLE does (the pointer RegisterDragDrop keeps on the
// window) while the editor closes: the target lives on until it is let go, answers nothing and
// hands nothing to the frame, whose handler now belongs to no window.
TEST_F(OleDragDrop, ATargetHeldPastItsWindowsClosingAnswersNothingAndIsFreedWhenLetGo) {
    registerFrameWindow();
    auto* target = static_cast<IDropTarget*>(GetPropW(frameWindow, L"OleDropTargetInterface"));
    ASSERT_NE(target, nullptr);
    target->AddRef();
    OneFormatData fileList = fileListOf(files);
    const POINT place = screenPointOf(frameWindow, {250, 100});
    const POINTL where{place.x, place.y};
    DWORD effect = DROPEFFECT_COPY;
    EXPECT_EQ(target->DragEnter(&fileList, MK_LBUTTON, where, &effect), S_OK);
    EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_COPY));  // open: the place is taken
    registration.reset();
    EXPECT_EQ(FileDropTarget::objectsAlive(), 1);
    asked.clear();
    effect = DROPEFFECT_COPY;
    EXPECT_EQ(target->DragOver(MK_LBUTTON, where, &effect), S_OK);
    EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_NONE));
    effect = DROPEFFECT_COPY;
    EXPECT_EQ(target->Drop(&fileList, 0, where, &effect), S_OK);
    EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_NONE));
    EXPECT_TRUE(asked.empty());
    EXPECT_TRUE(drops.empty());
    target->Release();
    EXPECT_EQ(FileDropTarget::objectsAlive(), 0);
}

TEST_F(OleDragDrop, RegisteringAndRevokingTwentyTimesLeavesNothingBehind) {
    const DWORD handlesBefore = [] {
        DWORD count = 0;
        GetProcessHandleCount(GetCurrentProcess(), &count);
        return count;
    }();
    for (int cycle = 0; cycle < 20; ++cycle) {
        registerFrameWindow();
        EXPECT_EQ(FileDropTarget::objectsAlive(), 1);
        EXPECT_NE(GetPropW(frameWindow, L"OleDropTargetInterface"), nullptr);
        // A second registration of the same window is refused while the first holds it.
        EXPECT_EQ(FileDropTarget::registerOn(frameWindow, handler), nullptr);
        registration.reset();
        EXPECT_EQ(FileDropTarget::objectsAlive(), 0);
        EXPECT_EQ(GetPropW(frameWindow, L"OleDropTargetInterface"), nullptr);
    }
    DWORD handlesAfter = 0;
    GetProcessHandleCount(GetCurrentProcess(), &handlesAfter);
    EXPECT_EQ(handlesAfter, handlesBefore);
}

// ---- a file dragged out of the frame's window -------------------------------------------------

TEST_F(OleDragDrop, AFileDraggedOutAndReleasedOverAnotherProgramsWindowIsTaken) {
    pressOnStartWindow();
    const POINT place = screenPointOf(otherWindow, {150, 100});
    std::thread hand([&] {
        if (moveUntil(place, other.entered))
            xdotool("mouseup 1");
    });
    const FileDragResult drag = dragFileOut(startWindow, utf8(files[1]));
    hand.join();
    EXPECT_TRUE(drag.accepted);
    EXPECT_TRUE(drag.tookRelease);
    const CPoint released = clientPointOf(startWindow, place);
    EXPECT_GE(drag.releasedAt.x, released.x);
    EXPECT_LE(drag.releasedAt.x, released.x + 1);
    EXPECT_EQ(drag.releasedAt.y, released.y);
    ASSERT_TRUE(other.dropped);
    EXPECT_EQ(*other.dropped, std::vector<std::wstring>{files[1]});
}

TEST_F(OleDragDrop, EscapeCancelsADragOutAndNothingIsDropped) {
    SetForegroundWindow(startWindow);
    SetFocus(startWindow);
    pressOnStartWindow();
    const POINT place = screenPointOf(otherWindow, {150, 100});
    std::thread hand([&] {
        if (moveUntil(place, other.entered))
            xdotool("key Escape");
    });
    const FileDragResult drag = dragFileOut(startWindow, utf8(files[0]));
    hand.join();
    releaseButton();
    EXPECT_FALSE(drag.accepted);
    EXPECT_TRUE(drag.tookRelease);
    EXPECT_FALSE(other.dropped);
    EXPECT_EQ(WaitForSingleObject(other.left, 0), WAIT_OBJECT_0);
}

TEST_F(OleDragDrop, ADragOutReleasedOverNoWindowOrOverItsOwnWindowIsNotTaken) {
    registerFrameWindow();  // the window it starts from takes files, but none from itself
    struct Case {
        const char* what;
        HWND window;  // nullptr: a place with no window
        POINT place;
    } cases[] = {
        {"no window", nullptr, {1100, 900}},
        {"its own window", frameWindow, {250, 100}},
    };
    for (const Case& end : cases) {
        SCOPED_TRACE(end.what);
        drops.clear();
        other.dropped.reset();
        pressOnStartWindow();
        const POINT otherPlace = screenPointOf(otherWindow, {150, 100});
        const POINT place = end.window ? screenPointOf(end.window, end.place) : end.place;
        std::thread hand([&] {
            // Over a window that answers first, so that the drag is known to be running.
            if (moveUntil(otherPlace, other.entered) && moveUntil(place, other.left))
                xdotool("mouseup 1");
        });
        const FileDragResult drag = dragFileOut(end.window ? end.window : startWindow, utf8(files[0]));
        hand.join();
        pumpUntil([] { return (GetAsyncKeyState(VK_LBUTTON) & 0x8000) == 0; });
        EXPECT_FALSE(drag.accepted);
        EXPECT_TRUE(drag.tookRelease);
        EXPECT_FALSE(other.dropped);
        EXPECT_TRUE(drops.empty());
        if (!end.window) {
            const CPoint released = clientPointOf(startWindow, place);
            EXPECT_GE(drag.releasedAt.x, released.x);
            EXPECT_LE(drag.releasedAt.x, released.x + 1);
            EXPECT_EQ(drag.releasedAt.y, released.y);
        }
    }
}

TEST_F(OleDragDrop, ADragOutBegunAfterTheButtonCameUpDoesNothing) {
    const FileDragResult drag = dragFileOut(startWindow, utf8(files[0]));
    EXPECT_FALSE(drag.accepted);
    EXPECT_FALSE(drag.tookRelease);
}

}  // namespace
}  // namespace rimba::toolkit::win32
