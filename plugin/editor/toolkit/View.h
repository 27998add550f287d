#pragma once
// Views and controls: the toolkit's drawing and mouse model, free of any window system so the
// controls' logic is testable without a display. A frame (Frame.h) owns the views, gives them a
// drawing context (DrawContext.h) to draw into (a picture later copied to the window) and routes the
// mouse to them. Editor thread only.

#include <memory>
#include <string>
#include <string_view>

#include "plugin/editor/toolkit/DrawContext.h"
#include "plugin/editor/toolkit/Geometry.h"

// Xlib's X.h names a constant CursorShape. A file that needs both includes the X11 headers
// first; the constant (a request class of XQueryBestSize) gives way to our enum.
#ifdef CursorShape
#undef CursorShape
#endif

namespace rimba::toolkit {

class CFrame;
class CBitmap;
class CControl;

enum MouseButtons : unsigned {
    kNoButton = 0,
    kLButton = 1u << 0,
    kRButton = 1u << 1,
    kMButton = 1u << 2,
    kShift = 1u << 3,
    kControl = 1u << 4,
    kAlt = 1u << 5,
    kDoubleClick = 1u << 6,
};

enum class MouseResult { handled, notHandled };

enum class CursorShape { arrow, hand, sizeAll, sizeHorizontal, sizeVertical, text, wait };

class CControlListener {
public:
    virtual ~CControlListener() = default;
    virtual void valueChanged(CControl* control) = 0;
};

class CView {
public:
    explicit CView(const CRect& size);
    virtual ~CView();
    CView(const CView&) = delete;
    CView& operator=(const CView&) = delete;

    virtual void draw(CDrawContext& context) = 0;
    virtual MouseResult onMouseDown(CPoint where, unsigned buttons);
    virtual MouseResult onMouseMoved(CPoint where, unsigned buttons);
    virtual MouseResult onMouseUp(CPoint where, unsigned buttons);
    virtual bool onKeyDown(unsigned keySymbol, std::string_view text);  // true when used
    // The pointer came over the view, or left it (CFrame: a view that has the mouse captured
    // keeps the pointer until the buttons are released).
    virtual void onMouseEntered() {}
    virtual void onMouseExited() {}
    virtual void onIdle() {}
    virtual void looseFocus() {}
    virtual void takeFocus() {}

    // The toolkit's type test: true for this class's own name and every base's ("CControl",
    // "CView").
    virtual bool isTypeOf(std::string_view className) const { return className == "CView"; }
    virtual const char* getClassName() const { return "CView"; }

    const CRect& getViewSize() const { return size; }
    void setViewSize(const CRect& newSize);
    bool isVisible() const { return visible; }
    void setVisible(bool shown);
    bool getMouseEnabled() const { return mouseEnabled; }
    void setMouseEnabled(bool enabled) { mouseEnabled = enabled; }
    const std::string& getTooltipText() const { return tooltip; }
    void setTooltipText(std::string text) { tooltip = std::move(text); }

    void invalid();  // marks the whole view for the next redraw
    void setDirty(bool value = true) { dirty = value; }
    bool isDirty() const { return dirty; }

    CFrame* getFrame() const { return frame; }
    void attached(CFrame* owner) { frame = owner; }
    void setCursor(CursorShape shape);  // through the frame; nothing without one

private:
    CRect size;
    CFrame* frame = nullptr;
    std::string tooltip;
    bool visible = true;
    bool mouseEnabled = true;
    bool dirty = false;
};

class CControl : public CView {
public:
    CControl(const CRect& size, CControlListener* listener, long tag, std::shared_ptr<CBitmap> background = nullptr);

    bool isTypeOf(std::string_view className) const override {
        return className == "CControl" || CView::isTypeOf(className);
    }
    const char* getClassName() const override { return "CControl"; }

    long getTag() const { return tag; }
    CControlListener* getListener() const { return listener; }
    void setListener(CControlListener* newListener) { listener = newListener; }

    float getValue() const { return value; }
    void setValue(float newValue);  // limited to [min, max]; marks dirty when it changes
    float getMin() const { return minimum; }
    float getMax() const { return maximum; }
    void setMin(float v) { minimum = v; }
    void setMax(float v) { maximum = v; }
    float getDefaultValue() const { return defaultValue; }
    void setDefaultValue(float v) { defaultValue = v; }
    void bounceValue();  // limits the value to [min, max]

    const std::shared_ptr<CBitmap>& getBackground() const { return background; }
    void setBackground(std::shared_ptr<CBitmap> bitmap) { background = std::move(bitmap); }

    // Reports the value to the listener (a user's change).
    void reportValue();

private:
    CControlListener* listener;
    long tag;
    std::shared_ptr<CBitmap> background;
    float value = 0.0f;
    float minimum = 0.0f;
    float maximum = 1.0f;
    float defaultValue = 0.0f;
};

}  // namespace rimba::toolkit
