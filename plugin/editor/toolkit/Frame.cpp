#include "plugin/editor/toolkit/Frame.h"

#include <algorithm>

#include "plugin/editor/toolkit/Bitmap.h"
#include "plugin/editor/toolkit/FrameWindow.h"
#include "plugin/editor/toolkit/Tooltip.h"

namespace rimba::toolkit {

namespace {

constexpr unsigned kButtonBits = kLButton | kRButton | kMButton;

}  // namespace

CFrame::CFrame(const CRect& size, std::shared_ptr<CBitmap> background)
    : size(size), background(std::move(background)), picture(size.width(), size.height()) {
    invalidateAll();
}

CFrame::~CFrame() {
    close();
    removeAll();
}

bool CFrame::open(void* parentWindow) {
    if (window)
        return true;
    window = openFrameWindow(*this, parentWindow);
    if (!window)
        return false;
    tooltips = std::make_unique<TooltipPresenter>(*this);
    window->setDropAware(static_cast<bool>(dropHandler.drop));
    invalidateAll();
    window->setCursor(cursor);
    return true;
}

void CFrame::close() {
    // A capture or focus does not survive the window: the next open starts clean.
    if (focus)
        setFocusView(nullptr);
    capture = nullptr;
    heldButtons = 0;
    endPressIfReleased();
    hoverOver(nullptr);
    tooltips.reset();
    window.reset();
}

bool CFrame::isOpen() const { return window != nullptr; }

void CFrame::setBackground(std::shared_ptr<CBitmap> bitmap) {
    background = std::move(bitmap);
    invalidateAll();
}

CView* CFrame::addView(std::unique_ptr<CView> view) {
    if (!view)
        return nullptr;
    CView* raw = view.get();
    raw->attached(this);
    raw->setDirty(true);
    views.push_back(std::move(view));
    return raw;
}

bool CFrame::removeView(CView* view) {
    auto it = std::find_if(views.begin(), views.end(), [view](const auto& owned) { return owned.get() == view; });
    if (it == views.end())
        return false;
    // Taken out of the list before it is destroyed, so that nothing it does on the way out
    // (looseFocus, a listener) finds it still among the views.
    std::unique_ptr<CView> leaving = std::move(*it);
    views.erase(it);
    dropPointersTo(leaving.get());
    if (tooltips)
        tooltips->onViewRemoved(leaving.get());
    if (leaving->isVisible())
        invalidate(leaving->getViewSize());
    leaving->attached(nullptr);
    return true;
}

void CFrame::removeAll() {
    while (!views.empty())
        removeView(views.back().get());
}

CView* CFrame::getView(std::size_t index) const { return index < views.size() ? views[index].get() : nullptr; }

bool CFrame::isChild(const CView* view) const {
    return std::any_of(views.begin(), views.end(), [view](const auto& owned) { return owned.get() == view; });
}

CView* CFrame::getViewAt(CPoint where) const {
    for (auto it = views.rbegin(); it != views.rend(); ++it) {
        CView* view = it->get();
        if (view->isVisible() && view->getMouseEnabled() && view->getViewSize().contains(where))
            return view;
    }
    return nullptr;
}

void CFrame::invalidate(const CRect& rect) { pending.add(rect.intersection(size)); }

void CFrame::collectDirtyViews() {
    for (const auto& view : views) {
        if (!view->isDirty())
            continue;
        view->setDirty(false);
        if (view->isVisible())
            invalidate(view->getViewSize());
    }
}

void CFrame::paintRect(CDrawContext& context, const CRect& rect) {
    context.save();
    context.rectangle(rect.left, rect.top, rect.width(), rect.height());
    context.clip();
    context.setColour(0, 0, 0);
    context.paint();
    if (background)
        background->draw(context, {0, 0});
    for (const auto& view : views) {
        if (!view->isVisible())
            continue;
        CRect area = view->getViewSize().intersection(rect);
        if (area.isEmpty())
            continue;
        // A view draws inside its own rectangle only, whatever it asks for.
        context.save();
        context.rectangle(area.left, area.top, area.width(), area.height());
        context.clip();
        view->draw(context);
        context.restore();
    }
    context.restore();
}

std::vector<CRect> CFrame::redraw() {
    collectDirtyViews();
    std::vector<CRect> painted = pending.getRects();
    pending.clear();
    if (painted.empty())
        return painted;
    {
        std::unique_ptr<CDrawContext> context = picture.beginDrawing();
        for (const CRect& rect : painted)
            paintRect(*context, rect);
    }
    if (window) {
        for (const CRect& rect : painted)
            window->blit(picture, rect);
        window->finishBlits();
    }
    return painted;
}

void CFrame::drawAll() {
    for (const auto& view : views)
        view->setDirty(false);
    pending.clear();
    std::unique_ptr<CDrawContext> context = picture.beginDrawing();
    paintRect(*context, size);
}

void CFrame::mouseDown(CPoint where, unsigned buttons) {
    if (tooltips)
        tooltips->onMouseDown();
    if (!pressOpen && (buttons & kButtonBits) != 0) {
        pressOpen = true;
        if (pressBegins)
            pressBegins();
    }
    heldButtons |= buttons & kButtonBits;
    releaseTakenByDrag.reset();
    if (capture) {
        // A second button while the first is held belongs to the view that has the mouse.
        CView* holder = capture;
        holder->onMouseDown(where, buttons);
        endDragOf(holder);
        endPressIfReleased();
        return;
    }
    CView* target = getViewAt(where);
    hoverOver(target);
    if (focus && focus != target)
        setFocusView(nullptr);
    const int modalRunsBefore = modalRuns;
    const bool handled = target && target->onMouseDown(where, buttons) == MouseResult::handled;
    if (modalRuns != modalRunsBefore) {
        endPressTakenByModal(target, where, buttons);
        endDragOf(target);
        endPressIfReleased();
        return;
    }
    if (handled && isChild(target) && (heldButtons & kButtonBits) != 0)
        capture = target;
    endDragOf(target);
    endPressIfReleased();
}

void CFrame::endPressIfReleased() {
    if (!pressOpen || (heldButtons & kButtonBits) != 0)
        return;
    pressOpen = false;
    if (pressEnds)
        pressEnds();
}

void CFrame::setPressHandlers(std::function<void()> begins, std::function<void()> ends) {
    pressBegins = std::move(begins);
    pressEnds = std::move(ends);
}

// A pop-up menu opened by a press grabs the pointer, and its loop takes the release (after a
// choice, or after Escape): the frame would wait for that release forever and hand the next
// click to the view that opened the menu. The press ends where the menu closed instead.
void CFrame::endPressTakenByModal(CView* target, CPoint where, unsigned buttons) {
    const unsigned pressed = buttons & kButtonBits;
    if ((heldButtons & pressed) == 0)
        return;  // the release came through the modal loop
    heldButtons &= ~pressed;
    if (heldButtons == 0)
        capture = nullptr;
    if (target && isChild(target))
        target->onMouseUp(where, buttons);
}

void CFrame::mouseMoved(CPoint where, unsigned buttons) {
    if (tooltips)
        tooltips->onMouseMoved(getViewAt(where), where);
    releaseTakenByDrag.reset();
    if (!capture)
        hoverOver(getViewAt(where));
    CView* target = capture ? capture : getViewAt(where);
    if (!target)
        return;
    target->onMouseMoved(where, buttons);
    endDragOf(target);
    endPressIfReleased();
}

// A drag out of the window ends with the button's release, which the drag's own loop took: the
// view whose handler started the drag gets it now, so that a pressed button comes back up.
void CFrame::endDragOf(CView* view) {
    if (!releaseTakenByDrag)
        return;
    const CPoint where = *releaseTakenByDrag;
    releaseTakenByDrag.reset();
    if (heldButtons == 0)
        capture = nullptr;
    if (view && isChild(view))
        view->onMouseUp(where, kLButton);
}

void CFrame::mouseUp(CPoint where, unsigned buttons) {
    heldButtons &= ~(buttons & kButtonBits);
    CView* target = capture ? capture : getViewAt(where);
    if (heldButtons == 0)
        capture = nullptr;
    if (target)
        target->onMouseUp(where, buttons);
    // A drag that ended away from its view hands the pointer to whatever lies under it now.
    if (!capture)
        hoverOver(getViewAt(where));
    endPressIfReleased();
}

void CFrame::mouseExitedWindow() {
    if (!capture)
        hoverOver(nullptr);
}

// Tells the view the pointer leaves, then the one it comes over; either may be none. Done after
// the old one's exit so that a view reacting to both sees them in order.
void CFrame::hoverOver(CView* view) {
    if (view == hover)
        return;
    CView* old = hover;
    hover = view;
    if (old)
        old->onMouseExited();
    if (view && hover == view)
        view->onMouseEntered();
}

bool CFrame::shortcut(unsigned letter, unsigned modifiers) {
    return shortcutHandler && shortcutHandler(letter, modifiers);
}

bool CFrame::keyDown(unsigned keySymbol, std::string_view text) {
    return focus != nullptr && focus->onKeyDown(keySymbol, text);
}

void CFrame::setFocusView(CView* view) {
    if (view == focus)
        return;
    if (view && !isChild(view))
        return;
    CView* old = focus;
    focus = view;
    if (old)
        old->looseFocus();
    if (focus) {
        grabKeyboardFocus();
        focus->takeFocus();
    }
}

void CFrame::grabKeyboardFocus() {
    if (window)
        window->grabKeyboardFocus();
}

void CFrame::setCursor(CursorShape shape) {
    if (shape == cursor)
        return;
    cursor = shape;
    if (window)
        window->setCursor(shape);
}

void CFrame::setDropHandler(DropHandler handler) {
    dropHandler = std::move(handler);
    if (window)
        window->setDropAware(static_cast<bool>(dropHandler.drop));
}

bool CFrame::startFileDrag(const std::string& path) {
    if (!window || path.empty())
        return false;
    const FrameWindow::DragResult drag = window->dragFile(fileUriList(path));
    if (drag.tookRelease) {
        heldButtons &= ~static_cast<unsigned>(kLButton);
        releaseTakenByDrag = drag.releasedAt;
    }
    return drag.accepted;
}

void CFrame::idle() {
    if (nativeModalDepth > 0) {
        // A host's idle call from inside the system's modal loop: the views' handler that opened
        // it is still running, so only the picture is brought up to date.
        redraw();
        return;
    }
    if (window)
        window->pumpEvents();
    redraw();
    if (tooltips)
        tooltips->onIdle();
    // By index: a view's idle work may add views behind it.
    for (std::size_t i = 0; i < views.size(); ++i)
        views[i]->onIdle();
}

WindowId CFrame::getWindow() const { return window ? window->window() : 0; }
WindowId CFrame::getParentWindow() const { return window ? window->parent() : 0; }

CPoint CFrame::localToScreen(CPoint where) const {
    CPoint origin = window ? window->origin() : CPoint{};
    return {origin.x + where.x, origin.y + where.y};
}

CRect CFrame::getScreenRect(const CView& view) const {
    CPoint topLeft = localToScreen({view.getViewSize().left, view.getViewSize().top});
    return rectOfSize(topLeft.x, topLeft.y, view.getViewSize().width(), view.getViewSize().height());
}

void CFrame::runNativeModal(const std::function<void()>& body) {
    ++modalRuns;
    ++nativeModalDepth;
    if (tooltips)
        tooltips->onMouseDown();  // a tooltip would stay over the system's pop-up
    body();
    --nativeModalDepth;
}

#if RIMBA_TOOLKIT_X11
Display* CFrame::getDisplay() const { return window ? window->display() : nullptr; }
int CFrame::getScreen() const { return window ? window->screen() : 0; }

void CFrame::runModal(const std::function<bool(XEvent&)>& filter, const std::function<bool()>& finished, int waitMs) {
    ++modalRuns;
    // A lost server ends the loop unfinished, as closing the window would: nothing can finish it.
    while (window && !finished() && !window->connectionLost()) {
        window->pumpEvents(filter);
        redraw();
        if (finished())
            break;
        if (window)
            window->waitForEvent(waitMs);
    }
}

bool CFrame::dispatchEvent(XEvent& event) { return window && window->dispatch(event); }
#endif

void CFrame::forget(const CView* view) {
    dropPointersTo(view);
    if (tooltips)
        tooltips->onViewRemoved(view);
}

void CFrame::dropPointersTo(const CView* view) {
    if (capture == view) {
        capture = nullptr;
        heldButtons = 0;
    }
    if (focus == view)
        focus = nullptr;
    if (hover == view)
        hover = nullptr;
}

}  // namespace rimba::toolkit
