// The tooltip's X11 window: an override-redirect pop-up of the dialogs' kind on the frame's
// display, drawn once when shown.

#include "plugin/editor/toolkit/DialogWindow.h"
#include "plugin/editor/toolkit/Tooltip.h"

namespace rimba::toolkit {

namespace {

class X11TooltipWindow final : public TooltipWindow {
public:
    X11TooltipWindow(Display* display, const CRect& place) : window(display, DialogWindowKind::popup, place, 0, "") {}

    WindowId id() const override { return window.id(); }
    DialogWindow& dialogWindow() { return window; }

private:
    DialogWindow window;
};

}  // namespace

CRect tooltipScreenArea(const TooltipSystem& system, CPoint) { return screenRect(system.display); }

std::unique_ptr<TooltipWindow> showTooltipWindow(const TooltipSystem& system, const CRect& place,
                                                 const std::function<void(CDrawContext&)>& draw) {
    auto shown = std::make_unique<X11TooltipWindow>(system.display, place);
    std::unique_ptr<CDrawContext> drawing = shown->dialogWindow().beginDrawing();
    draw(*drawing);
    shown->dialogWindow().endDrawing(std::move(drawing));
    return shown;
}

}  // namespace rimba::toolkit
