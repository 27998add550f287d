#pragma once
// The small box that writes a control's value in the musician's units beside the control while
// the pointer is over it or drags it. One per frame, added after every other view so that it
// draws over them; it takes no mouse, so the control under it keeps its clicks. Editor thread
// only.

#include <string>

#include "plugin/editor/toolkit/DrawContext.h"
#include "plugin/editor/toolkit/View.h"

namespace rimba::controls {

class CValueReadout : public toolkit::CView {
public:
    // `bounds`: where it may show (the frame's rectangle). Built hidden.
    explicit CValueReadout(const toolkit::CRect& bounds);

    bool isTypeOf(std::string_view className) const override {
        return className == "CValueReadout" || CView::isTypeOf(className);
    }
    const char* getClassName() const override { return "CValueReadout"; }
    void draw(toolkit::CDrawContext& context) override;

    // Shows `text` for `owner` just above `near` (below it when there is no room above), kept
    // inside the bounds. A call with the same place and text changes nothing, so a drag that
    // moves no value repaints nothing.
    void show(const void* owner, const toolkit::CRect& near, std::string text);
    // Hides the box if `owner` is the one it shows for: a late exit of one control never hides
    // the value of the next.
    void hide(const void* owner);
    bool isShownFor(const void* owner) const { return isVisible() && shownFor == owner; }
    // What it shows; empty while hidden.
    std::string getText() const { return isVisible() ? text : std::string(); }

    // Where `text` would show beside `near` inside `bounds`.
    static toolkit::CRect placeBeside(const toolkit::CRect& near, const toolkit::CRect& bounds, std::string_view text);

private:
    toolkit::CRect bounds;
    std::string text;
    const void* shownFor = nullptr;
};

}  // namespace rimba::controls
