#pragma once
// What the Windows GUI tests look at around the windows they make: the messages waiting for the
// test's thread, the children of a window, every window of the thread (Wine answers
// GetGuiResources with 0, so leaks are counted in windows) and a client area's size.

#include <windows.h>

#include <utility>
#include <vector>

namespace rimba::test {

inline void pumpMessages() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

inline std::vector<HWND> childrenOf(HWND parent) {
    std::vector<HWND> children;
    EnumChildWindows(
        parent,
        [](HWND child, LPARAM list) -> BOOL {
            reinterpret_cast<std::vector<HWND>*>(list)->push_back(child);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&children));
    return children;
}

// Top-level, owned and pop-up windows of this thread (a forgotten tooltip shows here).
inline std::vector<HWND> windowsOfThisThread() {
    std::vector<HWND> windows;
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND window, LPARAM list) -> BOOL {
            reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&windows));
    return windows;
}

inline std::pair<int, int> clientSize(HWND window) {
    RECT client{};
    GetClientRect(window, &client);
    return {client.right - client.left, client.bottom - client.top};
}

}  // namespace rimba::test
