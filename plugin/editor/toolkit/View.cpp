#include "plugin/editor/toolkit/View.h"

#include <algorithm>

#include "plugin/editor/toolkit/Frame.h"

namespace rimba::toolkit {

CView::CView(const CRect& size) : size(size) {}

CView::~CView() {
    // A view destroyed while its frame still points at it (capture, focus) must not leave a
    // dangling pointer behind.
    if (frame)
        frame->forget(this);
}

MouseResult CView::onMouseDown(CPoint, unsigned) { return MouseResult::notHandled; }
MouseResult CView::onMouseMoved(CPoint, unsigned) { return MouseResult::notHandled; }
MouseResult CView::onMouseUp(CPoint, unsigned) { return MouseResult::notHandled; }
bool CView::onKeyDown(unsigned, std::string_view) { return false; }

void CView::setViewSize(const CRect& newSize) {
    if (newSize == size)
        return;
    // The place it leaves shows what lies under it again.
    if (frame && visible)
        frame->invalidate(size);
    size = newSize;
    invalid();
}

void CView::setVisible(bool shown) {
    if (shown == visible)
        return;
    visible = shown;
    if (frame)
        frame->invalidate(size);
    dirty = shown;
}

void CView::invalid() { dirty = true; }

void CView::setCursor(CursorShape shape) {
    if (frame)
        frame->setCursor(shape);
}

CControl::CControl(const CRect& size, CControlListener* listener, long tag, std::shared_ptr<CBitmap> background)
    : CView(size), listener(listener), tag(tag), background(std::move(background)) {}

void CControl::setValue(float newValue) {
    newValue = std::clamp(newValue, std::min(minimum, maximum), std::max(minimum, maximum));
    if (newValue == value)
        return;
    value = newValue;
    setDirty();
}

void CControl::bounceValue() { value = std::clamp(value, std::min(minimum, maximum), std::max(minimum, maximum)); }

void CControl::reportValue() {
    if (listener)
        listener->valueChanged(this);
}

}  // namespace rimba::toolkit
