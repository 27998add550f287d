// The main window on Windows: a top-level window of its own class whose client area the editor's
// child window fills. Its timer drives the editor's idle requests from the window procedure, so
// a modal loop of the editor (a menu, a message box) keeps the timer running too; such a loop
// runs inside an idle request, and a tick that arrives meanwhile is skipped rather than nested.

#include "common/platform/win32/Windows.h"

#include <vector>

#include "StandAlone/MainWindow.h"
#include "StandAlone/ProgramIcon.h"
#include "StandAlone/TerminationSignals.h"

namespace rimba::standalone {

namespace {

constexpr UINT_PTR kIdleTimer = 1;
constexpr DWORD kWindowStyle = WS_OVERLAPPEDWINDOW;
constexpr DWORD kExtendedStyle = 0;
// The smallest client area the window takes (MainWindow.h's clientSizeFor).
constexpr int kMinimumClientSide = 100;

std::wstring wide(const std::string& text) {
    if (text.empty())
        return {};
    const int length = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring result(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), result.data(), length);
    return result;
}

// The drawn picture as a 32-bit icon: the pixels' 0xAARRGGBB words are the BGRA bytes a 32-bit
// device-independent row holds, top row first; an all-clear mask keeps every pixel.
HICON makeProgramIcon(HINSTANCE instance) {
    const auto pixels = drawProgramIcon();
    const std::vector<BYTE> mask(kProgramIconSide * kProgramIconSide / 8, 0);
    return CreateIcon(instance, kProgramIconSide, kProgramIconSide, 1, 32, mask.data(),
                      reinterpret_cast<const BYTE*>(pixels.data()));
}

class Win32MainWindow final : public MainWindow {
public:
    explicit Win32MainWindow(HWND handle) : window(handle) {
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
        // The class's icons, also as the window's own, which other programs (a task bar, a
        // test) can ask the window for.
        SendMessageW(window, WM_SETICON, ICON_BIG, GetClassLongPtrW(window, GCLP_HICON));
        SendMessageW(window, WM_SETICON, ICON_SMALL, GetClassLongPtrW(window, GCLP_HICONSM));
        // A console's Ctrl+C or close asks this window to close, as its close button does.
        directTerminationTo(window);
    }

    ~Win32MainWindow() override {
        directTerminationTo(nullptr);
        if (IsWindow(window))
            DestroyWindow(window);
    }

    void* nativeHandle() const override { return window; }

    // The system's own smallest width (a caption with its buttons) is larger than the frame of a
    // 100-pixel client area; WM_GETMINMAXINFO lowers it to that frame, so the size holds.
    void placeCentred(int width, int height) override {
        RECT frame{0, 0, width, height};
        AdjustWindowRectEx(&frame, static_cast<DWORD>(GetWindowLongW(window, GWL_STYLE)), FALSE,
                           static_cast<DWORD>(GetWindowLongW(window, GWL_EXSTYLE)));
        const int outerWidth = frame.right - frame.left;
        const int outerHeight = frame.bottom - frame.top;
        const int x = (GetSystemMetrics(SM_CXFULLSCREEN) - outerWidth) / 2;
        const int y = (GetSystemMetrics(SM_CYFULLSCREEN) - outerHeight) / 2;
        MoveWindow(window, x, y, outerWidth, outerHeight, TRUE);
    }

    void show() override {
        // As the program was asked to show its window (a shortcut's "minimised", say).
        ShowWindow(window, SW_SHOWDEFAULT);
        UpdateWindow(window);
    }

    // `closeRequest` is the POSIX signal pipe; here the termination request arrives as WM_CLOSE.
    void run(int periodMilliseconds, int, const std::function<void()>& tick) override {
        idle = &tick;
        SetTimer(window, kIdleTimer, static_cast<UINT>(periodMilliseconds), nullptr);
        MSG message{};
        while (GetMessageW(&message, nullptr, 0, 0) > 0) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        idle = nullptr;
    }

    static LRESULT CALLBACK procedure(HWND handle, UINT message, WPARAM wParam, LPARAM lParam) {
        auto* self = reinterpret_cast<Win32MainWindow*>(GetWindowLongPtrW(handle, GWLP_USERDATA));
        switch (message) {
            case WM_TIMER:
                if (self != nullptr)
                    self->runTick();
                return 0;
            case WM_GETMINMAXINFO:
                DefWindowProcW(handle, message, wParam, lParam);
                allowSmallestClient(handle, *reinterpret_cast<MINMAXINFO*>(lParam));
                return 0;
            case WM_DESTROY:
                KillTimer(handle, kIdleTimer);
                PostQuitMessage(0);
                return 0;
            default: return DefWindowProcW(handle, message, wParam, lParam);
        }
    }

private:
    // An editor smaller than the caption's buttons still gets the 100 x 100 client area the
    // program gives it, not the system's wider minimum.
    static void allowSmallestClient(HWND handle, MINMAXINFO& limits) {
        RECT frame{0, 0, kMinimumClientSide, kMinimumClientSide};
        AdjustWindowRectEx(&frame, static_cast<DWORD>(GetWindowLongW(handle, GWL_STYLE)), FALSE,
                           static_cast<DWORD>(GetWindowLongW(handle, GWL_EXSTYLE)));
        limits.ptMinTrackSize.x = frame.right - frame.left;
        limits.ptMinTrackSize.y = frame.bottom - frame.top;
    }

    void runTick() {
        if (idle == nullptr || ticking)
            return;
        ticking = true;
        (*idle)();
        ticking = false;
    }

    HWND window;
    const std::function<void()>* idle = nullptr;
    bool ticking = false;
};

bool registerWindowClass(HINSTANCE instance, const std::wstring& className) {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = &Win32MainWindow::procedure;
    windowClass.hInstance = instance;
    windowClass.hIcon = makeProgramIcon(instance);
    windowClass.hIconSm = makeProgramIcon(instance);
    windowClass.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_WINDOW + 1));
    windowClass.lpszClassName = className.c_str();
    return RegisterClassExW(&windowClass) != 0;
}

}  // namespace

std::unique_ptr<MainWindow> createMainWindow(const std::string& title, const std::string& className, std::string& why) {
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    const std::wstring classText = wide(className);
    if (!registerWindowClass(instance, classText)) {
        why = "the main window's class could not be registered (error " + std::to_string(GetLastError()) + ")";
        return nullptr;
    }
    const HWND window =
        CreateWindowExW(kExtendedStyle, classText.c_str(), wide(title).c_str(), kWindowStyle, CW_USEDEFAULT,
                        CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, instance, nullptr);
    if (window == nullptr) {
        why = "the main window could not be created (error " + std::to_string(GetLastError()) + ")";
        return nullptr;
    }
    return std::make_unique<Win32MainWindow>(window);
}

}  // namespace rimba::standalone
