// The system's dialogs as the toolkit opens them over a frame, answered from inside their own
// modal loops by a thread timer of the test's (Wine dispatches it there as Windows does): what
// they show, who owns them, and what the toolkit makes of the answer.

#include <gtest/gtest.h>

#include "common/platform/win32/Windows.h"
// After Windows.h, which leaves the common dialogs out.
#include <commdlg.h>
#include <dlgs.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include "plugin/editor/toolkit/DialogHost.h"
#include "plugin/editor/toolkit/FileSelector.h"
#include "plugin/editor/toolkit/Frame.h"
#include "plugin/editor/toolkit/MessageBox.h"

namespace rimba::toolkit {
namespace {

LRESULT CALLBACK hostProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcW(window, message, wParam, lParam);
}

// What the timer does with the dialog once it is up; it runs once.
std::function<void(HWND)> answerDialog;
HWND dialogSeen = nullptr;

HWND shownDialogOfThisThread() {
    HWND found = nullptr;
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND window, LPARAM result) -> BOOL {
            wchar_t name[16] = {};
            GetClassNameW(window, name, 15);
            if (std::wstring(name) == L"#32770" && IsWindowVisible(window)) {
                *reinterpret_cast<HWND*>(result) = window;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
}

void CALLBACK lookForTheDialog(HWND, UINT, UINT_PTR timer, DWORD) {
    HWND dialog = shownDialogOfThisThread();
    if (!dialog || !answerDialog)
        return;
    KillTimer(nullptr, timer);
    dialogSeen = dialog;
    auto answer = std::move(answerDialog);
    answerDialog = nullptr;
    answer(dialog);
}

std::wstring textOf(HWND window) {
    wchar_t text[512] = {};
    GetWindowTextW(window, text, 511);
    return text;
}

class Win32Dialogs : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        WNDCLASSW description{};
        description.lpfnWndProc = hostProcedure;
        description.hInstance = GetModuleHandleW(nullptr);
        description.lpszClassName = L"DialogsTestHost";
        RegisterClassW(&description);
        host = CreateWindowExW(0, L"DialogsTestHost", L"Dialogs test host", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 60, 60,
                               400, 300, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    }
    static void TearDownTestSuite() { DestroyWindow(host); }

    void SetUp() override {
        ASSERT_NE(host, nullptr);
        frame = std::make_unique<CFrame>(rectOfSize(0, 0, 200, 100), nullptr);
        ASSERT_TRUE(frame->open(host));
        dialogSeen = nullptr;
    }

    // Answers the next dialog of this thread with `answer`, from inside its loop.
    static void whenTheDialogIsUp(std::function<void(HWND)> answer) {
        answerDialog = std::move(answer);
        SetTimer(nullptr, 0, 50, lookForTheDialog);
    }

    static HWND host;
    std::unique_ptr<CFrame> frame;
};

HWND Win32Dialogs::host = nullptr;

TEST_F(Win32Dialogs, TheMessageBoxShowsTheUtf8TextOwnedByTheHostsTopLevelWindow) {
    std::wstring caption;
    std::wstring text;
    HWND owner = nullptr;
    whenTheDialogIsUp([&](HWND dialog) {
        caption = textOf(dialog);
        text = textOf(GetDlgItem(dialog, 0xFFFF));  // the message's static text
        owner = GetWindow(dialog, GW_OWNER);
        PostMessageW(dialog, WM_COMMAND, IDOK, 0);
    });
    runMessageBox(dialogHostOf(*frame), "Caf\xC3\xA9 \xE2\x82\xAC 12", "Kit \xC3\xA0 jour");
    ASSERT_NE(dialogSeen, nullptr);
    EXPECT_EQ(caption, L"Kit \u00E0 jour");
    EXPECT_EQ(text, L"Caf\u00E9 \u20AC 12");
    EXPECT_EQ(owner, host);
}

TEST_F(Win32Dialogs, ASaveStartsInTheStartFolderAndANameWithoutTheExtensionGetsIt) {
    const std::filesystem::path folder = std::filesystem::temp_directory_path() / "rimba save dialog";
    std::filesystem::create_directories(folder);
    const std::string start = (folder / "first.wav").string();
    std::wstring shownName;
    whenTheDialogIsUp([&](HWND dialog) {
        shownName = textOf(GetDlgItem(dialog, cmb13));
        SetDlgItemTextW(dialog, cmb13, L"take.mid");
        PostMessageW(dialog, WM_COMMAND, IDOK, 0);
    });
    const std::optional<std::string> saved =
        selectFile(dialogHostOf(*frame), FileSelectorMode::save, "Save the take", {"Audio file", "wav"}, start);
    ASSERT_NE(dialogSeen, nullptr);
    EXPECT_EQ(shownName, L"first.wav");
    ASSERT_TRUE(saved);
    // As the X11 selector: the filter's extension after a name that does not end with it.
    EXPECT_EQ(std::filesystem::path(*saved), folder / "take.mid.wav");
    std::filesystem::remove_all(folder);
}

TEST_F(Win32Dialogs, TheFolderBrowserOpensOnTheStartFolderAndAnswersItWithoutTheSeparator) {
    const std::filesystem::path folder = std::filesystem::temp_directory_path() / "rimba folder browser";
    std::filesystem::create_directories(folder);
    whenTheDialogIsUp([](HWND dialog) { PostMessageW(dialog, WM_COMMAND, IDOK, 0); });
    const std::optional<std::string> chosen =
        selectFolder(dialogHostOf(*frame), "Sample folder", folder.string() + "\\");
    ASSERT_NE(dialogSeen, nullptr);
    ASSERT_TRUE(chosen);
    EXPECT_EQ(*chosen, folder.string());
    std::filesystem::remove_all(folder);
}

TEST_F(Win32Dialogs, ACancelledDialogAnswersNothing) {
    whenTheDialogIsUp([](HWND dialog) { PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0); });
    EXPECT_FALSE(selectFile(dialogHostOf(*frame), FileSelectorMode::open, "Open", {"Kit", "rdk"}, ""));
    EXPECT_NE(dialogSeen, nullptr);
}

}  // namespace
}  // namespace rimba::toolkit
