#pragma once
// Views that record what reaches them.

#include <cstdint>
#include <string>
#include <vector>

#include "plugin/editor/toolkit/Frame.h"
#include "plugin/editor/toolkit/View.h"

namespace rimba::test {

// A view filled with one colour that records every call it gets.
class RecordingView : public toolkit::CControl {
public:
    RecordingView(const toolkit::CRect& size, std::uint32_t colour, bool takesMouse = true)
        : CControl(size, nullptr, 0), colour(colour), takesMouse(takesMouse) {}

    void draw(toolkit::CDrawContext& context) override {
        ++draws;
        context.setColour(((colour >> 16) & 0xff) / 255.0, ((colour >> 8) & 0xff) / 255.0, (colour & 0xff) / 255.0);
        // Paints everything it may: the frame must hold it to its own rectangle.
        context.paint();
    }
    toolkit::MouseResult onMouseDown(toolkit::CPoint where, unsigned buttons) override {
        log.push_back("down " + describe(where, buttons));
        if (focusOnClick)
            getFrame()->setFocusView(this);
        return takesMouse ? toolkit::MouseResult::handled : toolkit::MouseResult::notHandled;
    }
    toolkit::MouseResult onMouseMoved(toolkit::CPoint where, unsigned buttons) override {
        log.push_back("move " + describe(where, buttons));
        return toolkit::MouseResult::handled;
    }
    toolkit::MouseResult onMouseUp(toolkit::CPoint where, unsigned buttons) override {
        log.push_back("up " + describe(where, buttons));
        return toolkit::MouseResult::handled;
    }
    bool onKeyDown(unsigned keySymbol, std::string_view text) override {
        log.push_back("key " + std::to_string(keySymbol) + " '" + std::string(text) + "'");
        return true;
    }
    void onMouseEntered() override { crossings.push_back("entered"); }
    void onMouseExited() override { crossings.push_back("exited"); }
    void takeFocus() override { log.push_back("takeFocus"); }
    void looseFocus() override { log.push_back("looseFocus"); }
    void onIdle() override { ++idles; }

    bool isTypeOf(std::string_view name) const override { return name == "RecordingView" || CControl::isTypeOf(name); }
    const char* getClassName() const override { return "RecordingView"; }

    static std::string describe(toolkit::CPoint where, unsigned buttons) {
        return std::to_string(where.x) + "," + std::to_string(where.y) + " " + std::to_string(buttons);
    }

    std::uint32_t colour;
    bool takesMouse;
    bool focusOnClick = false;
    int draws = 0;
    int idles = 0;
    std::vector<std::string> log;
    std::vector<std::string> crossings;  // the pointer's entries and exits, apart from `log`
};

}  // namespace rimba::test
