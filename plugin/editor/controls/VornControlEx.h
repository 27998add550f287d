#pragma once
// The common base of the instrument's controls: a toolkit control that draws itself from a film
// strip of our artwork, turns gestures into a value and reports changes to the editor, and that
// shows its host-automation assignments while the editor is in assignment mode. Editor thread
// only.

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "plugin/editor/toolkit/Bitmap.h"
#include "plugin/editor/toolkit/DrawContext.h"
#include "plugin/editor/toolkit/View.h"

namespace rimba::controls {

class CVornControlEx;
class CValueReadout;

// A control's value in the musician's units ("-6.0 dB", "30 L", "+3 st").
using ValueFormatter = std::function<std::string(float)>;

// A bitmap cut into equal frames stacked from top to bottom. Its frame size is the artwork's
// even when the image itself is missing, so a control measures the same either way.
struct FilmStrip {
    std::shared_ptr<toolkit::CBitmap> bitmap;
    int frames = 1;
    int width = 0;
    int height = 0;

    // The named artwork with its frame count; an empty strip when the artwork lacks the name.
    static FilmStrip load(std::string_view name);
    bool isEmpty() const { return !bitmap; }
    int frameWidth() const { return width; }
    int frameHeight() const { return height; }
    void draw(toolkit::CDrawContext& context, toolkit::CPoint where, int frame) const;
};

// The controls that share one selection in assignment mode (a page of the editor).
struct AssignmentGroup {
    CVornControlEx* selected = nullptr;
};

// Text in DejaVu Sans, as every control writes it.
enum class TextAlign { left, centre, right };
void drawText(toolkit::CDrawContext& context, const toolkit::CRect& box, std::string_view text, double size,
              TextAlign align, double red, double green, double blue);
void fillRect(toolkit::CDrawContext& context, const toolkit::CRect& box, double red, double green, double blue,
              double alpha = 1.0);
// An outline of `lineWidth` pixels drawn just inside the box.
void strokeRect(toolkit::CDrawContext& context, const toolkit::CRect& box, double lineWidth, double red, double green,
                double blue);

class CVornControlEx : public toolkit::CControl {
public:
    CVornControlEx(const toolkit::CRect& size, toolkit::CControlListener* listener, long tag,
                   std::shared_ptr<toolkit::CBitmap> background = nullptr);
    ~CVornControlEx() override;

    bool isTypeOf(std::string_view className) const override {
        return className == "CVornControlEx" || CControl::isTypeOf(className);
    }
    const char* getClassName() const override { return "CVornControlEx"; }

    // Draws the control, then the assignment box over it while in assignment mode.
    void draw(toolkit::CDrawContext& context) final;
    // In assignment mode a click selects the control (or clears its selection) instead.
    toolkit::MouseResult onMouseDown(toolkit::CPoint where, unsigned buttons) final;
    toolkit::MouseResult onMouseMoved(toolkit::CPoint where, unsigned buttons) final;
    toolkit::MouseResult onMouseUp(toolkit::CPoint where, unsigned buttons) final;

    // Assignment mode: the numbers assigned to the control's handles (-1 for none).
    void setAssignmentMode(bool on);
    bool isAssignmentMode() const { return assignmentMode; }
    void setAssignments(std::vector<int> numbers);
    const std::vector<int>& getAssignments() const { return assignments; }
    void setAssignmentGroup(AssignmentGroup* group) { assignmentGroup = group ? group : &ownGroup; }
    bool isAssignmentSelected() const { return assignmentGroup->selected == this; }
    std::string assignmentDisplay() const;

    // A change made by the user: store, report to the listener, redraw; the value readout, when
    // it shows this control, follows.
    void changeValueByUser(float newValue);

    // While the pointer is over the control or drags it, `readout` writes `formatter` of its
    // value beside it. The control never reaches the readout on its way out, since the frame
    // that owns both may have destroyed the readout (added last, removed first) already.
    void setValueReadout(CValueReadout* readout, ValueFormatter formatter);
    // The value in the musician's units; empty without a formatter.
    std::string valueReadoutText() const;
    void onMouseEntered() override;
    void onMouseExited() override;

protected:
    virtual void drawControl(toolkit::CDrawContext& context) = 0;
    virtual toolkit::MouseResult mouseDown(toolkit::CPoint where, unsigned buttons);
    virtual toolkit::MouseResult mouseMoved(toolkit::CPoint where, unsigned buttons);
    virtual toolkit::MouseResult mouseUp(toolkit::CPoint where, unsigned buttons);
    // One "%i" format per handle; most controls have one handle.
    virtual std::vector<std::string_view> assignmentFormats() const { return {"%i"}; }

private:
    void drawAssignment(toolkit::CDrawContext& context) const;
    void toggleAssignmentSelection();
    void showValueReadout();

    CValueReadout* valueReadout = nullptr;
    ValueFormatter valueFormatter;

    std::vector<int> assignments;
    AssignmentGroup ownGroup;  // a control outside every group is selected on its own
    AssignmentGroup* assignmentGroup = &ownGroup;
    bool assignmentMode = false;
    bool assignmentClick = false;
};

// The frame of a value in a film strip of `frames` frames (0 at the minimum).
int frameOfValue(float value, float minimum, float maximum, int frames);

}  // namespace rimba::controls
