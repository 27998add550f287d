#pragma once
// The random generator's controls: the per-track density row and the range graph.

#include <array>

#include "plugin/editor/controls/ControlLogic.h"
#include "plugin/editor/controls/VornControlEx.h"

namespace rimba::controls {

// Seven density cells. A left click picks a cell (the value becomes the cell and is reported
// every time, since each pick generates anew); a right click edits the range of cells; a right
// drag that starts on cell 0 edits the max roll. What the last report was about is in
// getLastGesture().
class CVornPatternRandom : public CVornControlEx {
public:
    static constexpr int kCells = 7;
    enum class Gesture { none, pickCell, range, maxRoll };

    CVornPatternRandom(const toolkit::CRect& size, toolkit::CControlListener* listener, long tag);
    bool isTypeOf(std::string_view className) const override {
        return className == "CVornPatternRandom" || CVornControlEx::isTypeOf(className);
    }
    const char* getClassName() const override { return "CVornPatternRandom"; }

    DensityRange getRange() const { return range; }
    void setRange(DensityRange newRange);
    int getMaxRoll() const { return maxRoll; }
    void setMaxRoll(int roll);
    Gesture getLastGesture() const { return lastGesture; }

protected:
    void drawControl(toolkit::CDrawContext& context) override;
    toolkit::MouseResult mouseDown(toolkit::CPoint where, unsigned buttons) override;
    toolkit::MouseResult mouseMoved(toolkit::CPoint where, unsigned buttons) override;
    toolkit::MouseResult mouseUp(toolkit::CPoint where, unsigned buttons) override;

private:
    void report(Gesture gesture);

    FilmStrip strip;
    DensityRange range;
    int maxRoll = 0;
    int rollDragStart = -1;  // the max roll when a right drag began on cell 0, else -1
    int rollDragX = 0;
    Gesture lastGesture = Gesture::none;
};

// The range graph: two rectangles in 0..1 of the graph's width (density cells) and height
// (tracks). A press within 5 pixels of an edge or corner resizes, a press inside moves; the
// value reports which rectangle changed (0 or 1).
struct GraphRect {
    float x0 = 0.0f, x1 = 0.0f, y0 = 0.0f, y1 = 0.0f;
    friend bool operator==(const GraphRect&, const GraphRect&) = default;
};

// Where the rectangles start: the first over the lower densities of the first half of the
// tracks (kicks and snares), the second over the higher densities of the other half (hats and
// percussion). They apply nothing until a musician moves one.
inline constexpr std::array<GraphRect, 2> kDefaultGraphRects{GraphRect{0.0f, 0.45f, 0.0f, 0.45f},
                                                             GraphRect{0.5f, 1.0f, 0.55f, 1.0f}};
// The smallest side of a rectangle in pixels: wider than the reach of an edge on both sides.
inline constexpr int kGraphMinimumPixels = 12;

// The parts of a rectangle a press can take, as flags; 0 outside.
enum GraphGrip : unsigned {
    kGripNone = 0,
    kGripLeft = 1,
    kGripRight = 2,
    kGripTop = 4,
    kGripBottom = 8,
    kGripMove = 16
};
unsigned graphGripAt(const GraphRect& rect, const toolkit::CRect& area, toolkit::CPoint where);
// The rectangle after the pointer moved by (dx, dy) pixels holding `grip`; kept inside 0..1 and
// never smaller than kGraphMinimumPixels on either side.
GraphRect dragGraphRect(GraphRect rect, unsigned grip, const toolkit::CRect& area, int dx, int dy);

class CVornRandomGraphCtrl : public CVornControlEx {
public:
    CVornRandomGraphCtrl(const toolkit::CRect& size, toolkit::CControlListener* listener, long tag);
    bool isTypeOf(std::string_view className) const override {
        return className == "CVornRandomGraphCtrl" || CVornControlEx::isTypeOf(className);
    }
    const char* getClassName() const override { return "CVornRandomGraphCtrl"; }

    const GraphRect& getRect(int index) const { return rects[static_cast<std::size_t>(index & 1)]; }
    void setRect(int index, const GraphRect& rect);

protected:
    void drawControl(toolkit::CDrawContext& context) override;
    toolkit::MouseResult mouseDown(toolkit::CPoint where, unsigned buttons) override;
    toolkit::MouseResult mouseMoved(toolkit::CPoint where, unsigned buttons) override;
    toolkit::MouseResult mouseUp(toolkit::CPoint where, unsigned buttons) override;

private:
    FilmStrip background;
    std::array<GraphRect, 2> rects;
    int held = -1;
    unsigned grip = kGripNone;
    toolkit::CPoint pressedAt{};
    GraphRect pressedRect{};
};

}  // namespace rimba::controls
