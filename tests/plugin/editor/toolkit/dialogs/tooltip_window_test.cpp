// The tooltip's window on a real X server (run under tests/support/with-xvfb.sh).
#include "plugin/editor/toolkit/Tooltip.h"

#include <gtest/gtest.h>
// After gtest: Xlib's None macro would break its headers.
#include <X11/Xlib.h>

namespace rimba::toolkit {
namespace {

struct Labelled : CView {
    using CView::CView;
    void draw(CDrawContext&) override {}
};

bool isViewable(Display* display, unsigned long window) {
    XWindowAttributes attributes{};
    return window != 0 && XGetWindowAttributes(display, window, &attributes) != 0 && attributes.map_state == IsViewable;
}

TEST(TooltipPresenter, ShowsAMultiLineWindowBesideThePointerAfterTheRestAndRemovesIt) {
    Display* display = XOpenDisplay(nullptr);
    ASSERT_NE(display, nullptr) << "run under tests/support/with-xvfb.sh";
    Labelled view(rectOfSize(0, 0, 40, 40));
    view.setTooltipText("Pour modifier la vélocité de la frappe,\r\n déplacez la souris verticalement");
    {
        std::uint32_t now = 5000;
        TooltipPresenter tooltip(
            display,
            [](CPoint where) {
                return CPoint{where.x + 100, where.y + 200};
            },
            [&now] { return now; });
        tooltip.onMouseMoved(&view, {10, 10});
        now += kTooltipDelayMs - 1;
        tooltip.onIdle();
        EXPECT_FALSE(tooltip.isShown());
        now += 1;
        tooltip.onIdle();
        ASSERT_TRUE(tooltip.isShown());
        const unsigned long shown = tooltip.windowId();
        XSync(display, False);
        EXPECT_TRUE(isViewable(display, shown));
        XWindowAttributes attributes{};
        XGetWindowAttributes(display, shown, &attributes);
        EXPECT_EQ(attributes.x, 110 + 12);
        EXPECT_EQ(attributes.y, 210 + 20);
        EXPECT_GE(attributes.height, 2 * 16);  // two lines
        tooltip.onMouseMoved(nullptr, {100, 100});
        EXPECT_FALSE(tooltip.isShown());
        XSync(display, False);
    }
    XCloseDisplay(display);
}

}  // namespace
}  // namespace rimba::toolkit
