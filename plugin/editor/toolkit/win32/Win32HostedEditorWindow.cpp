// The tool window of a hosted plug-in's editor on Windows: a captioned tool window with a close
// box, owned by the owner's top-level window (so it stays above it and goes with it), holding two
// children: the strip along the top and the plug-in's editor window under it. Its messages come
// through the host's message loop (or our own pump below); the close box only raises a flag.

#include <windows.h>

#include <algorithm>
#include <cmath>
#include <string>

#include "plugin/editor/toolkit/HostedEditorWindow.h"

namespace rimba::toolkit {

namespace {

constexpr wchar_t kClassName[] = L"RimbaHostedEditorWindow";
constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
constexpr DWORD kExStyle = WS_EX_TOOLWINDOW;
constexpr DWORD kChildStyle = WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS;
// Sent to a window whose owner object went on another thread: only the window's own thread may
// destroy it.
constexpr UINT kDestroyYourself = WM_APP + 0x51;

// What the window procedure reaches through GWLP_USERDATA: the same for the window and its two
// children.
struct WindowState {
    HBRUSH ground = nullptr;
    HWND top = nullptr;
    bool closeAsked = false;
};

LRESULT CALLBACK windowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* state = reinterpret_cast<WindowState*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    switch (message) {
        case WM_CLOSE:
            // The owner closes the plug-in's editor before the window goes.
            if (state != nullptr && window == state->top) {
                state->closeAsked = true;
                return 0;
            }
            break;
        case WM_ERASEBKGND:
            if (state != nullptr) {
                RECT client;
                GetClientRect(window, &client);
                FillRect(reinterpret_cast<HDC>(wParam), &client, state->ground);
                return 1;
            }
            break;
        case kDestroyYourself: DestroyWindow(window); return 0;
        default: break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

// The module this code is in (the plug-in's DLL, or a test's program): its window classes are its
// own.
HINSTANCE thisModule() {
    HMODULE module = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCWSTR>(&windowProcedure), &module);
    return module;
}

// The class lives while any window of it does: a DLL's classes outlive its unloading otherwise,
// and a later copy of the library could not register its own.
int windowsOfTheClass = 0;

bool holdClass() {
    if (windowsOfTheClass == 0) {
        WNDCLASSEXW windowClass{};
        windowClass.cbSize = sizeof windowClass;
        windowClass.lpfnWndProc = windowProcedure;
        windowClass.hInstance = thisModule();
        windowClass.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
        windowClass.lpszClassName = kClassName;
        if (RegisterClassExW(&windowClass) == 0 && GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
            return false;
    }
    ++windowsOfTheClass;
    return true;
}

void releaseClass() {
    if (--windowsOfTheClass == 0)
        UnregisterClassW(kClassName, thisModule());
}

std::wstring wide(const std::string& utf8) {
    if (utf8.empty())
        return {};
    const int length = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring text(static_cast<std::size_t>(std::max(length, 0)), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), text.data(), length);
    return text;
}

// The outer size of a window of ours whose client area is `width` x `height`.
SIZE outerSizeFor(int width, int height) {
    RECT rect{0, 0, width, height};
    AdjustWindowRectEx(&rect, kStyle, FALSE, kExStyle);
    return {rect.right - rect.left, rect.bottom - rect.top};
}

CRect rectOf(const RECT& rect) { return {rect.left, rect.top, rect.right, rect.bottom}; }

class Win32HostedEditorWindow final : public HostedEditorWindow {
public:
    Win32HostedEditorWindow(int stripHeight, int minimumWidth) : stripHeight(stripHeight), minimumWidth(minimumWidth) {}

    ~Win32HostedEditorWindow() override {
        if (top != nullptr) {
            // The window procedure must not reach the state once it is gone.
            SetWindowLongPtrW(top, GWLP_USERDATA, 0);
            SetWindowLongPtrW(strip, GWLP_USERDATA, 0);
            SetWindowLongPtrW(editor, GWLP_USERDATA, 0);
            if (GetWindowThreadProcessId(top, nullptr) == GetCurrentThreadId())
                DestroyWindow(top);
            else
                PostMessageW(top, kDestroyYourself, 0, 0);
        }
        if (state.ground != nullptr)
            DeleteObject(state.ground);
        if (classHeld)
            releaseClass();
    }

    bool create(const HostedEditorWindowRequest& request) {
        const HWND owner = GetAncestor(reinterpret_cast<HWND>(request.owner), GA_ROOT);
        if (owner == nullptr || !IsWindow(owner) || !(classHeld = holdClass()))
            return false;
        const auto shade = static_cast<BYTE>(std::lround(std::clamp(request.groundShade, 0.0, 1.0) * 255.0));
        state.ground = CreateSolidBrush(RGB(shade, shade, shade));

        RECT ownerRect;
        GetWindowRect(owner, &ownerRect);
        const int width = std::max(request.editorWidth, minimumWidth);
        const SIZE outer = outerSizeFor(width, request.editorHeight + stripHeight);
        const CRect place = request.place(rectOf(ownerRect), outer.cx, outer.cy);
        const HINSTANCE module = thisModule();
        top = CreateWindowExW(kExStyle, kClassName, wide(request.title).c_str(), kStyle, place.left, place.top,
                              outer.cx, outer.cy, owner, nullptr, module, nullptr);
        if (top == nullptr)
            return false;
        state.top = top;
        SetWindowLongPtrW(top, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&state));
        strip =
            CreateWindowExW(0, kClassName, L"", kChildStyle, 0, 0, width, stripHeight, top, nullptr, module, nullptr);
        // A plug-in that tells its size only once open gets a window of 1 pixel, resized later.
        editor = CreateWindowExW(0, kClassName, L"", kChildStyle, 0, stripHeight, std::max(request.editorWidth, 1),
                                 std::max(request.editorHeight, 1), top, nullptr, module, nullptr);
        if (strip == nullptr || editor == nullptr)
            return false;
        SetWindowLongPtrW(strip, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&state));
        SetWindowLongPtrW(editor, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&state));
        return true;
    }

    std::uintptr_t window() const override { return reinterpret_cast<std::uintptr_t>(top); }
    std::uintptr_t editorParent() const override { return reinterpret_cast<std::uintptr_t>(editor); }
    std::uintptr_t stripParent() const override { return reinterpret_cast<std::uintptr_t>(strip); }

    void show() override {
        ShowWindow(top, SW_SHOW);
        UpdateWindow(top);
    }

    void followEditorSize(int width, int height) override {
        if (width <= 0 || height <= 0)
            return;
        const SIZE outer = outerSizeFor(std::max(width, minimumWidth), height + stripHeight);
        SetWindowPos(editor, nullptr, 0, stripHeight, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
        SetWindowPos(top, nullptr, 0, 0, outer.cx, outer.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        // The ground beside a narrowed editor shows again.
        InvalidateRect(top, nullptr, TRUE);
    }

    std::optional<CRect> outerRect() const override {
        RECT rect;
        if (!GetWindowRect(top, &rect))
            return std::nullopt;
        return rectOf(rect);
    }

    bool pumpEvents() override {
        MSG message;
        while (PeekMessageW(&message, top, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        const bool asked = state.closeAsked;
        state.closeAsked = false;
        return asked;
    }

private:
    int stripHeight;
    int minimumWidth;
    bool classHeld = false;
    WindowState state;
    HWND top = nullptr;
    HWND strip = nullptr;
    HWND editor = nullptr;
};

}  // namespace

std::unique_ptr<HostedEditorWindow> openHostedEditorWindow(const HostedEditorWindowRequest& request) {
    auto window = std::make_unique<Win32HostedEditorWindow>(request.stripHeight, request.minimumWidth);
    if (!window->create(request))
        return nullptr;
    return window;
}

}  // namespace rimba::toolkit
