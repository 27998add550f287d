// The frame's Windows half: a child window of the host's window, of a class of this module's own,
// painted from the frame's offscreen picture, its mouse and keyboard handed to the frame as the
// X11 half hands them. The host's message loop delivers the messages; its effEditIdle drives the
// frame's idle (the redraw), so there is nothing to pump.

#include "plugin/editor/toolkit/win32/Win32Window.h"
// After the Windows API itself (Win32Window.h), which it builds on.
#include <windowsx.h>

#include <optional>
#include <vector>

#include "plugin/editor/toolkit/FrameWindow.h"
#include "plugin/editor/toolkit/KeyCodes.h"
#include "plugin/editor/toolkit/win32/OleDragDrop.h"
#include "plugin/editor/toolkit/win32/Win32Keys.h"

namespace rimba::toolkit {

namespace {

unsigned modifiersOf(WPARAM keyState) {
    unsigned result = 0;
    if (keyState & MK_SHIFT)
        result |= kShift;
    if (keyState & MK_CONTROL)
        result |= kControl;
    if (GetKeyState(VK_MENU) < 0)
        result |= kAlt;
    return result;
}

unsigned heldButtonsOf(WPARAM keyState) {
    unsigned result = 0;
    if (keyState & MK_LBUTTON)
        result |= kLButton;
    if (keyState & MK_MBUTTON)
        result |= kMButton;
    if (keyState & MK_RBUTTON)
        result |= kRButton;
    return result;
}

constexpr unsigned kHeldMask = MK_LBUTTON | MK_MBUTTON | MK_RBUTTON;

LPCWSTR systemCursorOf(CursorShape shape) {
    switch (shape) {
        case CursorShape::hand: return reinterpret_cast<LPCWSTR>(IDC_HAND);
        case CursorShape::sizeAll: return reinterpret_cast<LPCWSTR>(IDC_SIZEALL);
        case CursorShape::sizeHorizontal: return reinterpret_cast<LPCWSTR>(IDC_SIZEWE);
        case CursorShape::sizeVertical: return reinterpret_cast<LPCWSTR>(IDC_SIZENS);
        case CursorShape::text: return reinterpret_cast<LPCWSTR>(IDC_IBEAM);
        case CursorShape::wait: return reinterpret_cast<LPCWSTR>(IDC_WAIT);
        case CursorShape::arrow: break;
    }
    return reinterpret_cast<LPCWSTR>(IDC_ARROW);
}

CPoint pointOf(LPARAM lParam) { return {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}; }

class Win32FrameWindow final : public FrameWindow {
public:
    Win32FrameWindow(CFrame& frame, HWND parentWindow)
        : frame(frame), parentHandle(parentWindow), windowClass(L"Frame", &Win32FrameWindow::procedure) {}

    ~Win32FrameWindow() override {
        dropTarget.reset();  // revoking needs the window
        // A host may have destroyed its window, and ours with it, before it closes the editor.
        if (handle && IsWindow(handle))
            DestroyWindow(handle);
    }

    bool create() {
        if (!windowClass.registered())
            return false;
        ole = std::make_unique<win32::OleThread>();  // before any drop target or drag
        handle =
            CreateWindowExW(0, windowClass.name(), L"", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, 0, 0, frame.getWidth(),
                            frame.getHeight(), parentHandle, nullptr, windowClass.module(), this);
        return handle != nullptr;
    }

    void blit(const COffscreen& picture, const CRect& rect) override {
        if (!handle || rect.isEmpty())
            return;
        HDC device = GetDC(handle);
        if (!device)
            return;
        win32::copyPicture(device, picture, rect);
        ReleaseDC(handle, device);
    }

    void finishBlits() override { GdiFlush(); }

    void pumpEvents() override {}

    void setCursor(CursorShape shape) override {
        cursor = LoadCursorW(nullptr, systemCursorOf(shape));
        POINT pointer{};
        if (handle && GetCursorPos(&pointer) && WindowFromPoint(pointer) == handle)
            SetCursor(cursor);
    }

    void grabKeyboardFocus() override {
        if (handle && IsWindowVisible(handle))
            SetFocus(handle);
    }

    void setDropAware(bool aware) override {
        if (!aware) {
            dropTarget.reset();
        } else if (!dropTarget && handle) {
            // The frame's own handler, which setDropHandler changes in place.
            dropTarget = win32::FileDropTarget::registerOn(handle, frame.getDropHandler());
        }
    }

    DragResult dragFile(const std::string& uriList) override {
        const std::vector<std::string> paths = pathsOfUriList(uriList);
        if (!handle || paths.empty())
            return {};
        const win32::FileDragResult drag = win32::dragFileOut(handle, paths.front());
        return {drag.accepted, drag.tookRelease, drag.releasedAt};
    }

    WindowId window() const override { return reinterpret_cast<WindowId>(handle); }
    WindowId parent() const override { return reinterpret_cast<WindowId>(parentHandle); }

    CPoint origin() const override {
        POINT topLeft{0, 0};
        if (handle)
            ClientToScreen(handle, &topLeft);
        return {topLeft.x, topLeft.y};
    }

private:
    static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == WM_NCCREATE) {
            auto* created = reinterpret_cast<const CREATESTRUCTW*>(lParam);
            SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(created->lpCreateParams));
        }
        auto* self = reinterpret_cast<Win32FrameWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
        if (!self)
            return DefWindowProcW(window, message, wParam, lParam);
        if (message == WM_NCDESTROY) {
            SetWindowLongPtrW(window, GWLP_USERDATA, 0);
            self->handle = nullptr;
            return DefWindowProcW(window, message, wParam, lParam);
        }
        return self->handle_(window, message, wParam, lParam);
    }

    LRESULT handle_(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        switch (message) {
            case WM_PAINT: paint(window); return 0;
            case WM_ERASEBKGND: return 1;  // the picture covers every pixel
            case WM_LBUTTONDOWN: buttonDown(kLButton, wParam, lParam); return 0;
            case WM_RBUTTONDOWN: buttonDown(kRButton, wParam, lParam); return 0;
            case WM_MBUTTONDOWN: buttonDown(kMButton, wParam, lParam); return 0;
            case WM_LBUTTONUP: buttonUp(kLButton, wParam, lParam); return 0;
            case WM_RBUTTONUP: buttonUp(kRButton, wParam, lParam); return 0;
            case WM_MBUTTONUP: buttonUp(kMButton, wParam, lParam); return 0;
            case WM_MOUSEMOVE: moved(wParam, lParam); return 0;
            case WM_MOUSELEAVE:
                trackingLeave = false;
                lastMove.reset();
                // The view that holds the capture keeps the pointer (the frame knows).
                frame.mouseExitedWindow();
                return 0;
            // The X11 half takes the wheel's buttons and passes them to no view: the same here,
            // without the parent scrolling under the editor.
            case WM_MOUSEWHEEL:
            case WM_MOUSEHWHEEL: return 0;
            case WM_SETCURSOR:
                if (LOWORD(lParam) == HTCLIENT) {
                    SetCursor(cursor);
                    return TRUE;
                }
                break;
            case WM_GETDLGCODE: return DLGC_WANTALLKEYS | DLGC_WANTCHARS | DLGC_WANTARROWS;
            case WM_KEYDOWN: keyDown(wParam, lParam); return 0;
            case WM_CHAR: character(wParam); return 0;
            default: break;
        }
        return DefWindowProcW(window, message, wParam, lParam);
    }

    void paint(HWND window) {
        PAINTSTRUCT painting;
        HDC device = BeginPaint(window, &painting);
        if (device) {
            const RECT& r = painting.rcPaint;
            win32::copyPicture(device, frame.getPicture(), {r.left, r.top, r.right, r.bottom});
        }
        EndPaint(window, &painting);
    }

    void buttonDown(unsigned button, WPARAM wParam, LPARAM lParam) {
        const CPoint where = pointOf(lParam);
        // Held until the last button comes up, wherever the pointer goes meanwhile.
        if (GetCapture() != handle)
            SetCapture(handle);
        // A press gives the editor the keyboard, so its shortcuts (undo, redo) and its views'
        // keys reach it: Windows sends keys to the focused window only, where X11 sends them to
        // the editor under the pointer.
        if (GetFocus() != handle)
            SetFocus(handle);
        unsigned buttons = button | modifiersOf(wParam);
        if (clicks.press(where, button, static_cast<unsigned long>(GetMessageTime())))
            buttons |= kDoubleClick;
        frame.mouseDown(where, buttons);
    }

    void buttonUp(unsigned button, WPARAM wParam, LPARAM lParam) {
        if ((wParam & kHeldMask) == 0 && GetCapture() == handle)
            ReleaseCapture();
        frame.mouseUp(pointOf(lParam), button | modifiersOf(wParam));
    }

    void moved(WPARAM wParam, LPARAM lParam) {
        if (!trackingLeave) {
            TRACKMOUSEEVENT tracking{sizeof tracking, TME_LEAVE, handle, 0};
            trackingLeave = TrackMouseEvent(&tracking) != 0;
        }
        // Windows repeats a move where the pointer did not move (a window shown or hidden under
        // it); X11 does not, and a repeat would restart a tooltip's rest.
        const CPoint where = pointOf(lParam);
        const unsigned buttons = heldButtonsOf(wParam) | modifiersOf(wParam);
        if (lastMove && lastMove->where.x == where.x && lastMove->where.y == where.y && lastMove->buttons == buttons)
            return;
        lastMove = Move{where, buttons};
        frame.mouseMoved(where, buttons);
    }

    void keyDown(WPARAM virtualKey, LPARAM lParam) {
        if (controlLetter(virtualKey))
            return;
        const bool extended = (lParam & (1 << 24)) != 0;
        const std::optional<unsigned> code = win32::keyCodeOfVirtualKey(static_cast<unsigned>(virtualKey), extended);
        if (!code)
            return;
        if (*code == keys::kKeypadEnter)
            keypadEnterChar = true;
        frame.keyDown(*code, {});
    }

    // A letter key with Control down goes to the frame's shortcuts; the control character
    // that follows it (WM_CHAR) is then dropped, as X11 gives none to the views for a shortcut.
    bool controlLetter(WPARAM virtualKey) {
        if (GetKeyState(VK_CONTROL) >= 0 || virtualKey < 'A' || virtualKey > 'Z')
            return false;
        unsigned modifiers = kControl;
        if (GetKeyState(VK_SHIFT) < 0)
            modifiers |= kShift;
        if (GetKeyState(VK_MENU) < 0)
            modifiers |= kAlt;
        const bool used = frame.shortcut(static_cast<unsigned>(virtualKey - 'A' + 'a'), modifiers);
        shortcutCharPending = used;
        return used;
    }

    void character(WPARAM unit) {
        if (shortcutCharPending && unit < 0x20) {
            shortcutCharPending = false;
            return;
        }
        shortcutCharPending = false;
        if (keypadEnterChar && unit == L'\r') {
            keypadEnterChar = false;  // taken already as the keypad's Enter
            return;
        }
        keypadEnterChar = false;
        const std::optional<win32::TypedKey> typed = characters.take(static_cast<wchar_t>(unit));
        if (typed)
            frame.keyDown(typed->code, typed->text);
    }

    struct Move {
        CPoint where;
        unsigned buttons = 0;
    };

    CFrame& frame;
    bool shortcutCharPending = false;
    HWND parentHandle;
    // OLE outlives the window and its drop target: declared before them, it goes after them.
    std::unique_ptr<win32::OleThread> ole;
    win32::WindowClassUse windowClass;
    HWND handle = nullptr;
    HCURSOR cursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    DoubleClickDetector clicks;
    win32::CharacterJoiner characters;
    std::optional<Move> lastMove;
    bool trackingLeave = false;
    bool keypadEnterChar = false;
    std::unique_ptr<win32::FileDropTarget> dropTarget;
};

}  // namespace

std::unique_ptr<FrameWindow> openFrameWindow(CFrame& frame, void* parentWindow) {
    auto parent = static_cast<HWND>(parentWindow);
    if (!parent || !IsWindow(parent) || frame.getWidth() <= 0 || frame.getHeight() <= 0)
        return nullptr;
    auto window = std::make_unique<Win32FrameWindow>(frame, parent);
    if (!window->create())
        return nullptr;
    return window;
}

}  // namespace rimba::toolkit
