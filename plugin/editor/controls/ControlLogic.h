#pragma once
// What the controls compute from a pointer position or a click, as plain functions, so that each
// formula is testable without a display.

#include <span>
#include <string>
#include <string_view>

#include "plugin/editor/toolkit/Geometry.h"

namespace rimba::controls {

// Faders. The handle's centre travels from one end of the area to the other, half a handle in
// from each edge; a vertical fader has its maximum at the top.
enum class FaderDirection { horizontal, vertical };
float faderShare(const toolkit::CRect& area, int handleLength, toolkit::CPoint where, FaderDirection direction);
float faderValue(float share, float minimum, float maximum);
// A stepped fader stops on `steps` values from minimum to maximum (steps >= 2).
float steppedValue(float share, float minimum, float maximum, int steps);
// The handle's offset along the travel for a value (the inverse of faderValue).
int faderHandleOffset(float value, float minimum, float maximum, int travel);

// An n-state switch: the value a click moves to (the next state, after the last the first).
float nextSwitchValue(float value, float minimum, float maximum, int states);
int switchState(float value, float minimum, float maximum, int states);

// A row (or grid) of equal cells: the cell under the pointer, or -1 outside.
int cellInRow(const toolkit::CRect& area, int cells, toolkit::CPoint where);
int cellInGrid(const toolkit::CRect& area, int columns, int rows, toolkit::CPoint where);

// Note names: letter, optional sharp sign, octave, with middle C (note 60) as "C3".
std::string noteName(int note);
// The tune scale's semitone names, two characters: "C ", "C#", ...
std::string scaleNoteName(int semitone);

// The label: mouse down reports 1, or 0 when the value was not 0; mouse up reports 0 when the
// label reports releases.
float labelValueOnMouseDown(float value);
// The double-click time the label keeps: the system's, but never below 250 ms.
int labelDoubleClickTime(int systemMilliseconds);

// The assignment display: each number of 0 or more written with its format and two spaces;
// "?" when no number is written.
std::string assignmentText(std::span<const std::string_view> formats, std::span<const int> numbers);

// The random amount's range of density cells (-1 unset) after a right click on cell a (1..6).
struct DensityRange {
    int minimum = -1;
    int maximum = -1;
    friend bool operator==(const DensityRange&, const DensityRange&) = default;
};
DensityRange densityRangeAfterRightClick(DensityRange range, int cell);
// The max roll after a right drag of dx pixels from where it was `start`: one per 10 pixels.
int maxRollAfterDrag(int start, int dx);

}  // namespace rimba::controls
