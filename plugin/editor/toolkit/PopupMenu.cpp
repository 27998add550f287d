#include "plugin/editor/toolkit/PopupMenu.h"

#include <X11/Xlib.h>
#include <X11/keysym.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

#include "plugin/editor/toolkit/DialogWindow.h"

namespace rimba::toolkit {

namespace {

constexpr int kCheckColumn = 22;
constexpr int kArrowColumn = 24;
constexpr int kMinimumWidth = 80;

void drawCheckMark(CDrawContext& context, const CRect& row) {
    const double x = row.left + 6;
    const double y = row.top + row.height() / 2.0;
    context.setLineWidth(2.0);
    context.moveTo(x, y);
    context.lineTo(x + 4, y + 4);
    context.lineTo(x + 11, y - 5);
    context.stroke();
}

void drawSubmenuArrow(CDrawContext& context, const CRect& row) {
    const double x = row.right - 14;
    const double y = row.top + row.height() / 2.0;
    context.moveTo(x, y - 4);
    context.lineTo(x + 5, y);
    context.lineTo(x, y + 4);
    context.closePath();
    context.fill();
}

void drawLevel(DialogWindow& window, const MenuNavigator::Level& level, const MenuMetrics& metrics) {
    std::unique_ptr<CDrawContext> drawing = window.beginDrawing();
    CDrawContext& context = *drawing;
    const int width = level.frame.width();
    const int height = level.frame.height();
    context.setColour(0.94, 0.94, 0.94);
    context.paint();
    context.setColour(0.45, 0.45, 0.45);
    context.setLineWidth(1.0);
    context.rectangle(0.5, 0.5, width - 1, height - 1);
    context.stroke();
    const MenuModel& menu = *level.menu;
    for (int i = 0; i < menu.getNbEntries(); ++i) {
        const MenuEntry& entry = menu.getEntry(i);
        const CRect row = menuRowRect(menu, metrics, width, i);
        if (entry.separator) {
            context.setColour(0.7, 0.7, 0.7);
            const double y = std::floor(row.top + row.height() / 2.0) + 0.5;
            context.moveTo(row.left + 4, y);
            context.lineTo(row.right - 4, y);
            context.stroke();
            continue;
        }
        if (i == level.highlighted) {
            context.setColour(0.20, 0.40, 0.75);
            context.rectangle(row.left, row.top, row.width(), row.height());
            context.fill();
            context.setColour(1, 1, 1);
        } else if (entry.disabled) {
            context.setColour(0.6, 0.6, 0.6);
        } else {
            context.setColour(0, 0, 0);
        }
        if (entry.checked) {
            drawCheckMark(context, row);
        }
        if (entry.submenu) {
            drawSubmenuArrow(context, row);
        }
        drawTextInRow(context, entry.text, {row.left + kCheckColumn, row.top, row.right - kArrowColumn, row.bottom});
    }
    window.endDrawing(std::move(drawing));
}

// The open windows follow the navigator's levels: a level whose place changed, or that closed,
// loses its window; a new level gets one.
class MenuWindows {
public:
    MenuWindows(Display* connection, const MenuMetrics& rowSizes) : display(connection), metrics(rowSizes) {}

    void follow(const std::vector<MenuNavigator::Level>& levels) {
        std::size_t kept = 0;
        while (kept < windows.size() && kept < levels.size() && windows[kept]->frame() == levels[kept].frame &&
               menus[kept] == levels[kept].menu) {
            ++kept;
        }
        windows.resize(kept);
        menus.resize(kept);
        for (std::size_t i = kept; i < levels.size(); ++i) {
            windows.push_back(std::make_unique<DialogWindow>(display, DialogWindowKind::popup, levels[i].frame, 0, ""));
            menus.push_back(levels[i].menu);
        }
        for (std::size_t i = 0; i < levels.size(); ++i) {
            drawLevel(*windows[i], levels[i], metrics);
        }
    }

    bool owns(XWindowId id) const {
        return std::any_of(windows.begin(), windows.end(), [id](const auto& w) { return w->id() == id; });
    }
    DialogWindow* first() const { return windows.empty() ? nullptr : windows.front().get(); }
    void closeAll() {
        windows.clear();
        menus.clear();
    }

private:
    Display* display;
    MenuMetrics metrics;
    std::vector<std::unique_ptr<DialogWindow>> windows;
    std::vector<const MenuModel*> menus;
};

}  // namespace

int popupMenuWidth(const MenuModel& menu) {
    double widest = 0;
    for (int i = 0; i < menu.getNbEntries(); ++i) {
        widest = std::max(widest, measureDialogText(menu.getEntry(i).text));
    }
    const MenuMetrics metrics;
    return std::max(kMinimumWidth,
                    static_cast<int>(std::ceil(widest)) + kCheckColumn + kArrowColumn + 2 * metrics.border);
}

std::optional<MenuChoice> runPopupMenu(const DialogHost& host, const MenuModel& menu, CPoint where) {
    if (!host.isUsable() || menu.getNbEntries() == 0) {
        return std::nullopt;
    }
    Display* display = host.display;
    MenuNavigator navigator(menu, where, screenRect(display), MenuMetrics{}, popupMenuWidth);
    MenuWindows windows(display, navigator.metrics());
    windows.follow(navigator.levels());
    windows.first()->waitUntilMapped();
    const XWindowId grabber = windows.first()->id();
    // Without the grabs a click outside the menu would go elsewhere and the menu would never close.
    const bool pointerGrabbed =
        XGrabPointer(display, grabber, False, ButtonPressMask | ButtonReleaseMask | PointerMotionMask, GrabModeAsync,
                     GrabModeAsync, 0, 0, CurrentTime) == GrabSuccess;
    const bool keyboardGrabbed =
        XGrabKeyboard(display, grabber, False, GrabModeAsync, GrabModeAsync, CurrentTime) == GrabSuccess;

    MenuNavigator::Outcome outcome = MenuNavigator::Outcome::stillOpen;
    host.runModal(
        [&](XEvent& event) {
            switch (event.type) {
                case MotionNotify:
                    outcome = navigator.pointerMoved({event.xmotion.x_root, event.xmotion.y_root});
                    break;
                case ButtonPress:
                    // The wheel scrolls nothing here and must not close the menu.
                    if (event.xbutton.button >= 4) {
                        return true;
                    }
                    outcome = navigator.pointerPressed({event.xbutton.x_root, event.xbutton.y_root});
                    break;
                case ButtonRelease: return true;
                case KeyPress:
                    if (XLookupKeysym(&event.xkey, 0) == XK_Escape) {
                        outcome = navigator.escapePressed();
                    }
                    return true;
                case Expose:
                    if (!windows.owns(event.xexpose.window)) {
                        return false;
                    }
                    break;
                default: return windows.owns(event.xany.window);
            }
            if (outcome == MenuNavigator::Outcome::stillOpen) {
                windows.follow(navigator.levels());
            }
            return true;
        },
        [&] { return outcome != MenuNavigator::Outcome::stillOpen; });

    if (pointerGrabbed) {
        XUngrabPointer(display, CurrentTime);
    }
    if (keyboardGrabbed) {
        XUngrabKeyboard(display, CurrentTime);
    }
    windows.closeAll();
    XFlush(display);
    if (outcome == MenuNavigator::Outcome::chosen) {
        return navigator.choice();
    }
    return std::nullopt;
}

}  // namespace rimba::toolkit
