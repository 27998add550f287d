// The tooltip's Windows window: a topmost pop-up of a class of this module's own that never takes
// the activation nor the mouse, painted from an offscreen picture drawn once when shown.

#include "plugin/editor/toolkit/Tooltip.h"
#include "plugin/editor/toolkit/win32/Win32Window.h"

namespace rimba::toolkit {

namespace {

class Win32TooltipWindow final : public TooltipWindow {
public:
    explicit Win32TooltipWindow(const CRect& place)
        : windowClass(L"Tooltip", &Win32TooltipWindow::procedure), picture(place.width(), place.height()) {}

    ~Win32TooltipWindow() override {
        if (handle && IsWindow(handle))
            DestroyWindow(handle);
    }

    bool create(const CRect& place) {
        if (!windowClass.registered())
            return false;
        handle = CreateWindowExW(WS_EX_TOPMOST | WS_EX_NOACTIVATE | WS_EX_TOOLWINDOW, windowClass.name(), L"", WS_POPUP,
                                 place.left, place.top, place.width(), place.height(), nullptr, nullptr,
                                 windowClass.module(), this);
        return handle != nullptr;
    }

    COffscreen& canvas() { return picture; }

    void show() {
        ShowWindow(handle, SW_SHOWNOACTIVATE);
        UpdateWindow(handle);
    }

    WindowId id() const override { return reinterpret_cast<WindowId>(handle); }

private:
    static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == WM_NCCREATE) {
            auto* created = reinterpret_cast<const CREATESTRUCTW*>(lParam);
            SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(created->lpCreateParams));
        }
        auto* self = reinterpret_cast<Win32TooltipWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
        switch (message) {
            case WM_NCDESTROY:
                SetWindowLongPtrW(window, GWLP_USERDATA, 0);
                if (self)
                    self->handle = nullptr;
                break;
            case WM_PAINT:
                if (self) {
                    PAINTSTRUCT painting;
                    HDC device = BeginPaint(window, &painting);
                    const RECT& r = painting.rcPaint;
                    if (device)
                        win32::copyPicture(device, self->picture, {r.left, r.top, r.right, r.bottom});
                    EndPaint(window, &painting);
                    return 0;
                }
                break;
            case WM_ERASEBKGND: return 1;
            case WM_MOUSEACTIVATE: return MA_NOACTIVATE;
            case WM_NCHITTEST: return HTTRANSPARENT;  // the pointer goes through to the frame
            default: break;
        }
        return DefWindowProcW(window, message, wParam, lParam);
    }

    win32::WindowClassUse windowClass;
    COffscreen picture;
    HWND handle = nullptr;
};

}  // namespace

CRect tooltipScreenArea(const TooltipSystem&, CPoint point) {
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    if (!GetMonitorInfoW(MonitorFromPoint({point.x, point.y}, MONITOR_DEFAULTTONEAREST), &monitor))
        return rectOfSize(0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
    const RECT& r = monitor.rcMonitor;
    return {r.left, r.top, r.right, r.bottom};
}

std::unique_ptr<TooltipWindow> showTooltipWindow(const TooltipSystem&, const CRect& place,
                                                 const std::function<void(CDrawContext&)>& draw) {
    auto shown = std::make_unique<Win32TooltipWindow>(place);
    if (!shown->create(place))
        return nullptr;
    {
        std::unique_ptr<CDrawContext> drawing = shown->canvas().beginDrawing();
        draw(*drawing);
    }
    shown->show();
    return shown;
}

}  // namespace rimba::toolkit
