// RimbaDrums.exe through Wine against the logging fixture plug-in built as a DLL
// (fixture/StandaloneFixture.cpp): the calls it makes and their order, its window as the window
// manager holds it (found by class and title, measured with GetWindowRect/GetClientRect), where it
// finds the library, and its shut-down after a WM_CLOSE posted to its window. The plug-in folder
// is the prefix's registry value HKCU\software\RimbaDrums_64\Settings\PluginPath, set by each test
// and put back as it was afterwards.

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <optional>

#include "StandAlone/MainWindow.h"
#include "StandAlone/ProgramIcon.h"
#include "tests/StandAlone/ProgramRun.h"
#include "tests/support/TempFolder.h"

namespace rimba::test {
namespace {

using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::Not;

constexpr long kSignature = 0x35323249;
constexpr const char* kEffClose = "dispatcher 1 0";
constexpr const char* kEditGetRect = "dispatcher 13 0";
constexpr const char* kFirstIdle = "dispatcher 19 0";
constexpr const wchar_t* kSettingsKey = L"software\\RimbaDrums_64\\Settings";

// The folder as a Windows program names it ("Z:\...").
std::string windowsPath(const std::string& path) {
    char full[MAX_PATH] = {};
    GetFullPathNameA(path.c_str(), MAX_PATH, full, nullptr);
    return full;
}

std::string fixtureFolder(const std::string& variant) {
    return windowsPath(std::string(RIMBA_STANDALONE_FIXTURE_DIR) + "/fixture-" + variant);
}

// The value as it was before the test, put back at its end.
class StoredPluginPath {
public:
    StoredPluginPath() {
        wchar_t text[1024] = {};
        DWORD size = sizeof text;
        if (RegGetValueW(HKEY_CURRENT_USER, kSettingsKey, L"PluginPath", RRF_RT_REG_SZ, nullptr, text, &size) ==
            ERROR_SUCCESS)
            before = text;
        clear();
    }
    ~StoredPluginPath() {
        if (before)
            write(*before);
        else
            clear();
    }
    void set(const std::string& folder) { write(std::wstring(folder.begin(), folder.end())); }

private:
    static void write(const std::wstring& folder) {
        RegSetKeyValueW(HKEY_CURRENT_USER, kSettingsKey, L"PluginPath", REG_SZ, folder.c_str(),
                        static_cast<DWORD>((folder.size() + 1) * sizeof(wchar_t)));
    }
    static void clear() { RegDeleteKeyValueW(HKEY_CURRENT_USER, kSettingsKey, L"PluginPath"); }
    std::optional<std::wstring> before;
};

HWND programWindow() { return FindWindowW(L"STANDALONE", L"StandAlone"); }

std::vector<std::string> withoutBlocks(const std::vector<std::string>& lines) {
    std::vector<std::string> kept;
    std::copy_if(lines.begin(), lines.end(), std::back_inserter(kept),
                 [](const std::string& line) { return line.rfind("process", 0) != 0 && line.rfind("time ", 0) != 0; });
    return kept;
}

class StandaloneOnWindows : public ::testing::Test {
protected:
    StandaloneOnWindows() {
        environment["RIMBA_FIXTURE_LOG"] = home / "fixture.log";
        environment["RIMBA_FIXTURE_LINK"] = home / "link.txt";
        home.makeFile("link.txt", "rate=44100\nbuffer=512\n");
    }

    std::vector<std::string> log() const { return readLines(home / "fixture.log"); }
    bool logHas(const std::string& line) const {
        const std::vector<std::string> lines = log();
        return std::find(lines.begin(), lines.end(), line) != lines.end();
    }

    std::unique_ptr<ProgramRun> start(const std::vector<std::string>& arguments = {},
                                      const std::string& program = RIMBA_STANDALONE_PROGRAM) {
        return std::make_unique<ProgramRun>(home.path(), environment, arguments, program);
    }

    // The window once the editor has had its first idle request: shown, and its loop running.
    HWND waitForRunningWindow(ProgramRun& program) {
        EXPECT_TRUE(waitUntil([&] { return logHas(kFirstIdle); })) << program.standardError();
        return programWindow();
    }

    int closeWindowAndWait(ProgramRun& program, HWND window) {
        PostMessageW(window, WM_CLOSE, 0, 0);
        return program.waitForExit(10000).value_or(-1);
    }

    int runUntilShownThenClose(ProgramRun& program) {
        const HWND window = waitForRunningWindow(program);
        EXPECT_NE(window, nullptr);
        return window != nullptr ? closeWindowAndWait(program, window) : -1;
    }

    TempFolder home;
    StoredPluginPath pluginPath;
    std::map<std::string, std::string> environment;
};

TEST_F(StandaloneOnWindows, StartUpReadsTheLinkOpensTheEditorIntoItsWindowAndSendsNothingElse) {
    pluginPath.set(fixtureFolder("both"));
    auto program = start();
    const HWND window = waitForRunningWindow(*program);
    ASSERT_NE(window, nullptr) << program->standardError();
    EXPECT_EQ(closeWindowAndWait(*program, window), 0) << program->standardError();

    const std::vector<std::string> calls = withoutBlocks(log());
    EXPECT_THAT(calls, Contains("answer 1 " + std::to_string(kSignature)));
    EXPECT_THAT(calls, Contains("answer 2 " + std::to_string(kSignature)));
    EXPECT_THAT(calls, Contains("answer 7 0")) << "no time before the audio output exists";
    // From the MIDI input's name to the first idle request: the MIDI input opens before the audio
    // output, and the editor opens into the program's window.
    const auto first = std::find(calls.begin(), calls.end(), "dispatcher 7 131075");
    const auto idle = std::find(calls.begin(), calls.end(), kFirstIdle);
    ASSERT_LT(first, idle);
    EXPECT_EQ(std::vector<std::string>(first, idle),
              (std::vector<std::string>{
                  "dispatcher 7 131075", "getParameter 131072", "getParameter 131073", "dispatcher 7 131074",
                  "dispatcher 14 0 window " + std::to_string(reinterpret_cast<INT_PTR>(window)), kEditGetRect}));
    // effOpen, effSetSampleRate, effSetBlockSize, effMainsChanged, effEditClose: never sent.
    for (const char* never :
         {"dispatcher 0 ", "dispatcher 10 ", "dispatcher 11 ", "dispatcher 12 ", "dispatcher 15 ", "setParameter"})
        EXPECT_FALSE(std::any_of(calls.begin(), calls.end(), [&](const std::string& l) {
            return l.rfind(never, 0) == 0;
        })) << never;
}

struct EditorSize {
    const char* name;
    bool small;
    int editorWidth, editorHeight, clientWidth, clientHeight;
};

class EditorSizes : public StandaloneOnWindows, public ::testing::WithParamInterface<EditorSize> {};

TEST_P(EditorSizes, TheWindowIsAnOverlappedWindowWhoseClientAreaHoldsTheEditorCentredOnTheScreen) {
    pluginPath.set(fixtureFolder("both"));
    if (GetParam().small)
        environment["RIMBA_FIXTURE_SMALL_EDITOR"] = "1";
    auto program = start();
    const HWND window = waitForRunningWindow(*program);
    ASSERT_NE(window, nullptr) << program->standardError();

    EXPECT_TRUE(IsWindowVisible(window));
    EXPECT_EQ(static_cast<DWORD>(GetWindowLongW(window, GWL_STYLE)) & WS_OVERLAPPEDWINDOW, WS_OVERLAPPEDWINDOW);
    RECT client{};
    GetClientRect(window, &client);
    EXPECT_EQ(client.right, GetParam().clientWidth);
    EXPECT_EQ(client.bottom, GetParam().clientHeight);
    RECT outer{};
    GetWindowRect(window, &outer);
    EXPECT_EQ(outer.left, (GetSystemMetrics(SM_CXFULLSCREEN) - (outer.right - outer.left)) / 2);
    EXPECT_EQ(outer.top, (GetSystemMetrics(SM_CYFULLSCREEN) - (outer.bottom - outer.top)) / 2);
    // The editor's own window, the only content, at the top left of the client area.
    const HWND editor = GetWindow(window, GW_CHILD);
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(GetWindow(editor, GW_HWNDNEXT), nullptr);
    RECT editorArea{};
    GetClientRect(editor, &editorArea);
    EXPECT_EQ(editorArea.right, GetParam().editorWidth);
    EXPECT_EQ(editorArea.bottom, GetParam().editorHeight);

    EXPECT_EQ(closeWindowAndWait(*program, window), 0);
}

INSTANTIATE_TEST_SUITE_P(Sizes, EditorSizes,
                         ::testing::Values(EditorSize{"SixtyByForty", true, 60, 40, 100, 100},
                                           EditorSize{"Instrument", false, 1005, 642, 1005, 642}),
                         [](const auto& info) { return std::string(info.param.name); });

// Wine answers another process's class and icon questions with nothing, so the window is made
// here, in the test's own process, as the program makes it.
TEST(MainWindowOnWindows, IsMadeHiddenWithTheDrawnIconAsItsClassIcon) {
    std::string why;
    const auto made = standalone::createMainWindow("StandAlone", "STANDALONE", why);
    ASSERT_TRUE(made) << why;
    const auto window = static_cast<HWND>(made->nativeHandle());
    EXPECT_FALSE(IsWindowVisible(window));
    EXPECT_EQ(GetClassLongW(window, GCL_STYLE) & (CS_HREDRAW | CS_VREDRAW),
              static_cast<DWORD>(CS_HREDRAW | CS_VREDRAW));
    EXPECT_EQ(GetClassLongPtrW(window, GCLP_HBRBACKGROUND), static_cast<ULONG_PTR>(COLOR_WINDOW + 1));
    EXPECT_EQ(reinterpret_cast<HCURSOR>(GetClassLongPtrW(window, GCLP_HCURSOR)),
              LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW)));
    wchar_t title[32] = {};
    GetWindowTextW(window, title, 32);
    EXPECT_STREQ(title, L"StandAlone");

    ICONINFO parts{};
    ASSERT_TRUE(GetIconInfo(reinterpret_cast<HICON>(GetClassLongPtrW(window, GCLP_HICON)), &parts));
    BITMAPINFO format{};
    format.bmiHeader.biSize = sizeof format.bmiHeader;
    format.bmiHeader.biWidth = standalone::kProgramIconSide;
    format.bmiHeader.biHeight = -standalone::kProgramIconSide;  // top row first
    format.bmiHeader.biPlanes = 1;
    format.bmiHeader.biBitCount = 32;
    format.bmiHeader.biCompression = BI_RGB;
    std::vector<std::uint32_t> pixels(standalone::kProgramIconSide * standalone::kProgramIconSide);
    const HDC screen = GetDC(nullptr);
    const int rows =
        GetDIBits(screen, parts.hbmColor, 0, standalone::kProgramIconSide, pixels.data(), &format, DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
    DeleteObject(parts.hbmColor);
    DeleteObject(parts.hbmMask);
    ASSERT_EQ(rows, standalone::kProgramIconSide);
    const auto drawn = standalone::drawProgramIcon();
    // Compared without the alpha byte, which a 32-bit bitmap may not keep.
    for (std::size_t at = 0; at < pixels.size(); ++at)
        ASSERT_EQ(pixels[at] & 0xFFFFFFu, drawn[at] & 0xFFFFFFu) << "pixel " << at;
}

struct Place {
    const char* name;
    const char* storedVariant;  // the fixture folder PluginPath names, or null
    bool besideProgram;  // a copy of the program with the "both" fixture beside it
    const char* entryLine;
};

class LibraryPlaces : public StandaloneOnWindows, public ::testing::WithParamInterface<Place> {};

TEST_P(LibraryPlaces, TheProgramLoadsTheLibraryFromTheStoredFolderElseBesideItself) {
    namespace fs = std::filesystem;
    if (GetParam().storedVariant != nullptr)
        pluginPath.set(std::string(GetParam().storedVariant) == "stale" ? windowsPath(home / "removed-build-folder")
                                                                        : fixtureFolder(GetParam().storedVariant));
    std::string program = RIMBA_STANDALONE_PROGRAM;
    if (GetParam().besideProgram) {
        fs::create_directories(home / "bin");
        program = home / "bin/RimbaDrums.exe";
        fs::copy_file(RIMBA_STANDALONE_PROGRAM, program);
        fs::copy_file(fixtureFolder("both") + "/RimbaDrums_64.dll", home / "bin/RimbaDrums_64.dll");
    }
    auto run = start({}, program);
    EXPECT_EQ(runUntilShownThenClose(*run), 0) << run->standardError();
    EXPECT_TRUE(logHas(GetParam().entryLine));
}

INSTANTIATE_TEST_SUITE_P(Places, LibraryPlaces,
                         ::testing::Values(Place{"StoredFolderExportingBoth", "both", false, "entry VSTPluginMain"},
                                           Place{"StoredFolderExportingMainOnly", "main-only", false, "entry main"},
                                           Place{"BesideTheProgram", nullptr, true, "entry VSTPluginMain"},
                                           Place{"BesideTheProgramWhenTheStoredFolderLostIt", "stale", true,
                                                 "entry VSTPluginMain"}),
                         [](const auto& info) { return std::string(info.param.name); });

struct FailedStart {
    const char* name;
    const char* switchName;  // a fixture switch, or null
    bool pluginFound;
    const char* reason;
};

class FailedStarts : public StandaloneOnWindows, public ::testing::WithParamInterface<FailedStart> {};

TEST_P(FailedStarts, EndWithStatusOneSayingWhy) {
    if (GetParam().pluginFound)
        pluginPath.set(fixtureFolder("both"));
    if (GetParam().switchName != nullptr)
        environment[GetParam().switchName] = "1";
    auto program = start();
    EXPECT_EQ(program->waitForExit(10000), 1);
    EXPECT_THAT(program->standardError(), HasSubstr(GetParam().reason));
    // An editor already open goes with the window, before the plug-in closes and its library
    // (which holds the editor window's procedure) goes. The output may play blocks meanwhile.
    const std::vector<std::string> lines = withoutBlocks(log());
    if (std::any_of(lines.begin(), lines.end(),
                    [](const std::string& l) { return l.rfind("dispatcher 14 ", 0) == 0; })) {
        const auto destroyed = std::find(lines.begin(), lines.end(), "editor-window destroyed");
        EXPECT_THAT(std::vector<std::string>(destroyed, lines.end()),
                    ElementsAre("editor-window destroyed", kEffClose, "unload"));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Reasons, FailedStarts,
    ::testing::Values(FailedStart{"PluginWithoutEditor", "RIMBA_FIXTURE_NO_EDITOR", true, "has no editor"},
                      FailedStart{"EditorWithoutRectangle", "RIMBA_FIXTURE_NO_RECT", true, "gave no rectangle"},
                      FailedStart{"NoLibraryAnywhere", nullptr, false, "\\RimbaDrums_64.dll"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(StandaloneOnWindows, AutomateWithAnUnlinkedIndexDoesNothingAndWithTheMidiIndexReopensOnlyTheMidiInput) {
    pluginPath.set(fixtureFolder("both"));
    environment["RIMBA_FIXTURE_AUTOMATE_ON_OPEN"] = "5,0x20003";
    auto program = start();
    EXPECT_EQ(runUntilShownThenClose(*program), 0) << program->standardError();
    const std::vector<std::string> calls = withoutBlocks(log());
    const auto from = std::find(calls.begin(), calls.end(), "automate 5");
    const auto to = std::find(calls.begin(), calls.end(), kEditGetRect);
    ASSERT_LT(from, to);
    EXPECT_EQ(std::vector<std::string>(from, to),
              (std::vector<std::string>{"automate 5", "automate 131075", "dispatcher 7 131075"}));
}

class AudioReopens : public StandaloneOnWindows, public ::testing::WithParamInterface<const char*> {};

TEST_P(AudioReopens, AutomateWithAnAudioIndexReadsTheLinkAgainAndLeavesTheMidiInput) {
    pluginPath.set(fixtureFolder("both"));
    environment["RIMBA_FIXTURE_AUTOMATE_FILE"] = home / "automate.txt";
    auto program = start();
    const HWND window = waitForRunningWindow(*program);
    ASSERT_NE(window, nullptr) << program->standardError();
    home.makeFile("automate.txt", GetParam());
    EXPECT_TRUE(waitUntil([&] { return logHas("automate " + std::to_string(std::stoi(GetParam(), nullptr, 0))); }));
    EXPECT_EQ(closeWindowAndWait(*program, window), 0);

    const std::vector<std::string> calls = withoutBlocks(log());
    const auto from =
        std::find_if(calls.begin(), calls.end(), [](const std::string& l) { return l.rfind("automate ", 0) == 0; });
    ASSERT_NE(from, calls.end());
    EXPECT_THAT(std::vector<std::string>(from + 1, std::min(from + 4, calls.end())),
                ElementsAre("getParameter 131072", "getParameter 131073", "dispatcher 7 131074"));
    EXPECT_THAT(std::vector<std::string>(from, calls.end()), Not(Contains("dispatcher 7 131075")));
}

INSTANTIATE_TEST_SUITE_P(LinkIndexes, AudioReopens, ::testing::Values("0x20000", "0x20001", "0x20002"),
                         [](const auto& info) { return std::string(info.param).substr(2); });

TEST_F(StandaloneOnWindows, AClosedWindowClosesThePluginOnceThenReleasesTheLibrary) {
    pluginPath.set(fixtureFolder("both"));
    auto program = start();
    const HWND window = waitForRunningWindow(*program);
    ASSERT_NE(window, nullptr) << program->standardError();
    EXPECT_EQ(closeWindowAndWait(*program, window), 0) << program->standardError();

    const std::vector<std::string> lines = log();
    const auto closing = std::find(lines.begin(), lines.end(), kEffClose);
    ASSERT_NE(closing, lines.end());
    EXPECT_EQ(std::count(lines.begin(), lines.end(), kEffClose), 1);
    // Nothing reaches the plug-in after effClose, and FreeLibrary (not the process's end)
    // detaches the library.
    EXPECT_THAT(std::vector<std::string>(closing + 1, lines.end()), ElementsAre("unload"));
}

// Ctrl+C (or Ctrl+Break, or the console closed) in the console the program was started from
// closes it as its window's close does.
TEST_F(StandaloneOnWindows, CtrlCInTheStartingConsoleClosesThePluginThenReleasesTheLibrary) {
    pluginPath.set(fixtureFolder("both"));
    FreeConsole();
    ASSERT_TRUE(AllocConsole());
    ProgramRun program(ProgramRun::InTheConsole{}, environment);
    ASSERT_TRUE(waitUntil([&] { return logHas(kFirstIdle); }));
    program.sendCtrlC();
    EXPECT_EQ(program.waitForExit(10000), 0);
    FreeConsole();
    const std::vector<std::string> lines = log();
    const auto closing = std::find(lines.begin(), lines.end(), kEffClose);
    ASSERT_NE(closing, lines.end());
    EXPECT_THAT(std::vector<std::string>(closing + 1, lines.end()), ElementsAre("unload"));
}

// The fixture names no device, so the wave mapper plays.
TEST_F(StandaloneOnWindows, WithSoundPlayingTheBlocksStopBeforeThePluginCloses) {
    pluginPath.set(fixtureFolder("both"));
    auto program = start();
    const HWND window = waitForRunningWindow(*program);
    ASSERT_NE(window, nullptr) << program->standardError();
    ASSERT_TRUE(waitUntil([&] {
        const std::vector<std::string> lines = log();
        return std::any_of(lines.begin(), lines.end(),
                           [](const std::string& l) { return l.rfind("process ", 0) == 0; });
    })) << "no block was played";
    EXPECT_EQ(closeWindowAndWait(*program, window), 0) << program->standardError();
    const std::vector<std::string> lines = log();
    const auto closing = std::find(lines.begin(), lines.end(), kEffClose);
    ASSERT_NE(closing, lines.end());
    EXPECT_THAT(std::vector<std::string>(closing + 1, lines.end()), ElementsAre("unload"));
    EXPECT_THAT(lines, Not(Contains("process-after-close")));
    // Tempo, bar and clock valid, position 0, the transport never playing.
    constexpr int kFlags = 0x200 | 0x400 | 0x2000 | 0x8000;
    EXPECT_THAT(lines, Contains("time 120 4 4 " + std::to_string(kFlags) + " 0 0"));
}

struct LineRun {
    const char* name;
    std::vector<std::string> arguments;
    int status;
    const char* output;  // on standard output, or null
    const char* error;  // on standard error, or null
};

class CommandLines : public StandaloneOnWindows, public ::testing::WithParamInterface<LineRun> {};

TEST_P(CommandLines, PrintToTheHandlesTheProgramWasGivenAndEndWithTheirStatus) {
    auto program = start(GetParam().arguments);
    EXPECT_EQ(program->waitForExit(10000), GetParam().status);
    if (GetParam().output != nullptr) {
        EXPECT_THAT(program->standardOutput(), HasSubstr(GetParam().output));
    }
    if (GetParam().error != nullptr) {
        EXPECT_THAT(program->standardError(), HasSubstr(GetParam().error));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Lines, CommandLines,
    ::testing::Values(LineRun{"Help", {"--help"}, 0, "an ASIO driver or a wave-out device", nullptr},
                      LineRun{"ListDevices", {"--list-devices"}, 0, "Audio outputs:", nullptr},
                      LineRun{"BadRate", {"--rate", "fast"}, 2, nullptr, "RimbaDrums: --rate takes a whole number"},
                      LineRun{"UnknownOption", {"--volume", "11"}, 2, nullptr, "unknown option --volume"}),
    [](const auto& info) { return std::string(info.param.name); });

// Started from a console with no handles of its own (as cmd.exe starts a window program), the
// program writes into that console: the test makes a console of its own and reads its screen.
struct ConsoleRun {
    const char* name;
    const char* argument;  // or null
    int status;
    const wchar_t* text;
};

class ConsoleText : public StandaloneOnWindows, public ::testing::WithParamInterface<ConsoleRun> {
protected:
    // The program's status and the console's text once it ended.
    std::pair<int, std::wstring> runInAConsoleOfItsOwn() {
        FreeConsole();
        EXPECT_TRUE(AllocConsole());
        const HANDLE screen = CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                          nullptr, OPEN_EXISTING, 0, nullptr);
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        startup.dwFlags = STARTF_USESTDHANDLES;  // all three none
        const std::string program = windowsPath(RIMBA_STANDALONE_PROGRAM);
        std::wstring line = L"\"" + std::wstring(program.begin(), program.end()) + L"\"";
        if (GetParam().argument != nullptr)
            line += L" " + std::wstring(GetParam().argument, GetParam().argument + std::strlen(GetParam().argument));
        PROCESS_INFORMATION started{};
        DWORD status = 255;
        if (CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &started)) {
            // A program that found no console shows a message box, which nobody closes here.
            if (WaitForSingleObject(started.hProcess, 10000) != WAIT_OBJECT_0)
                TerminateProcess(started.hProcess, 255);
            WaitForSingleObject(started.hProcess, INFINITE);
            GetExitCodeProcess(started.hProcess, &status);
            CloseHandle(started.hThread);
            CloseHandle(started.hProcess);
        }
        CONSOLE_SCREEN_BUFFER_INFO info{};
        GetConsoleScreenBufferInfo(screen, &info);
        std::wstring text(static_cast<std::size_t>(info.dwSize.X) * static_cast<std::size_t>(info.dwSize.Y), L' ');
        DWORD read = 0;
        ReadConsoleOutputCharacterW(screen, text.data(), static_cast<DWORD>(text.size()), COORD{0, 0}, &read);
        CloseHandle(screen);
        FreeConsole();
        return {static_cast<int>(status), text};
    }
};

TEST_P(ConsoleText, AProgramStartedWithoutHandlesWritesIntoTheConsoleItWasStartedFrom) {
    const auto [status, text] = runInAConsoleOfItsOwn();
    EXPECT_EQ(status, GetParam().status);
    EXPECT_NE(text.find(GetParam().text), std::wstring::npos);
}

INSTANTIATE_TEST_SUITE_P(
    Runs, ConsoleText,
    ::testing::Values(ConsoleRun{"Help", "--help", 0, L"Usage: RimbaDrums"},
                      ConsoleRun{"Misuse", "--rate fast", 2, L"RimbaDrums: --rate takes a whole number"},
                      ConsoleRun{"NoLibrary", nullptr, 1, L"RimbaDrums: the instrument's library was not found"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace rimba::test
