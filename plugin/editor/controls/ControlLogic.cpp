#include "plugin/editor/controls/ControlLogic.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace rimba::controls {

float faderShare(const toolkit::CRect& area, int handleLength, toolkit::CPoint where, FaderDirection direction) {
    const bool vertical = direction == FaderDirection::vertical;
    const int length = vertical ? area.height() : area.width();
    const int travel = length - handleLength;
    if (travel <= 0)
        return 0.0f;
    const int along = vertical ? area.bottom - handleLength / 2 - where.y : where.x - area.left - handleLength / 2;
    return std::clamp(static_cast<float>(along) / static_cast<float>(travel), 0.0f, 1.0f);
}

float faderValue(float share, float minimum, float maximum) { return minimum + share * (maximum - minimum); }

float steppedValue(float share, float minimum, float maximum, int steps) {
    if (steps < 2)
        return minimum;
    const float step = std::round(share * static_cast<float>(steps - 1));
    return minimum + step / static_cast<float>(steps - 1) * (maximum - minimum);
}

int faderHandleOffset(float value, float minimum, float maximum, int travel) {
    if (maximum == minimum || travel <= 0)
        return 0;
    const float share = std::clamp((value - minimum) / (maximum - minimum), 0.0f, 1.0f);
    return static_cast<int>(std::lround(share * static_cast<float>(travel)));
}

int switchState(float value, float minimum, float maximum, int states) {
    if (states < 2 || maximum == minimum)
        return 0;
    const float share = (value - minimum) / (maximum - minimum);
    return std::clamp(static_cast<int>(std::lround(share * static_cast<float>(states - 1))), 0, states - 1);
}

float nextSwitchValue(float value, float minimum, float maximum, int states) {
    if (states < 2)
        return minimum;
    const int next = (switchState(value, minimum, maximum, states) + 1) % states;
    return minimum + static_cast<float>(next) / static_cast<float>(states - 1) * (maximum - minimum);
}

int cellInRow(const toolkit::CRect& area, int cells, toolkit::CPoint where) {
    return cellInGrid(area, cells, 1, where);
}

int cellInGrid(const toolkit::CRect& area, int columns, int rows, toolkit::CPoint where) {
    if (!area.contains(where) || columns <= 0 || rows <= 0)
        return -1;
    const int cellWidth = area.width() / columns;
    const int cellHeight = area.height() / rows;
    if (cellWidth <= 0 || cellHeight <= 0)
        return -1;
    const int column = (where.x - area.left) / cellWidth;
    const int row = (where.y - area.top) / cellHeight;
    // The few pixels left over by the integer division belong to no cell.
    if (column >= columns || row >= rows)
        return -1;
    return row * columns + column;
}

namespace {

constexpr char kLetters[12] = {'C', 'C', 'D', 'D', 'E', 'F', 'F', 'G', 'G', 'A', 'A', 'B'};
constexpr bool kSharp[12] = {false, true, false, true, false, false, true, false, true, false, true, false};

int floorDiv(int a, int b) { return a >= 0 ? a / b : -((-a + b - 1) / b); }

}  // namespace

std::string noteName(int note) {
    const int semitone = note - 12 * floorDiv(note, 12);
    const int octave = floorDiv(note, 12) - 2;
    char text[16];
    if (kSharp[semitone])
        std::snprintf(text, sizeof text, "%c%c%i", kLetters[semitone], '#', octave);
    else
        std::snprintf(text, sizeof text, "%c%i", kLetters[semitone], octave);
    return text;
}

std::string scaleNoteName(int semitone) {
    const int s = ((semitone % 12) + 12) % 12;
    char text[4];
    std::snprintf(text, sizeof text, "%c%c", kLetters[s], kSharp[s] ? '#' : ' ');
    return text;
}

float labelValueOnMouseDown(float value) { return value != 0.0f ? 0.0f : 1.0f; }

int labelDoubleClickTime(int systemMilliseconds) { return std::max(systemMilliseconds, 250); }

std::string assignmentText(std::span<const std::string_view> formats, std::span<const int> numbers) {
    std::string text;
    const std::size_t count = std::min(formats.size(), numbers.size());
    for (std::size_t i = 0; i < count; ++i) {
        if (numbers[i] < 0)
            continue;
        // The formats are ours (one "%i" each), never the user's.
        const std::string format(formats[i]);
        char piece[64];
        std::snprintf(piece, sizeof piece, format.c_str(), numbers[i]);
        text += piece;
        text += "  ";
    }
    return text.empty() ? std::string("?") : text;
}

DensityRange densityRangeAfterRightClick(DensityRange range, int a) {
    int& lo = range.minimum;
    int& hi = range.maximum;
    if (a == lo) {
        if (hi < 0) {
            lo = -1;
        } else {
            lo = hi;
            hi = -1;
        }
    } else if (a == hi) {
        hi = -1;
    } else if (lo < 0) {
        lo = a;
    } else if (hi < 0) {
        if (a >= lo) {
            hi = a;
        } else {
            hi = lo;
            lo = a;
        }
    } else if (a < lo) {
        lo = a;
    } else if (hi < a || hi - a < a - lo) {
        hi = a;
    } else {
        lo = a;
    }
    if (lo == 0 && hi < 1)
        lo = hi = -1;
    return range;
}

int maxRollAfterDrag(int start, int dx) { return std::clamp(start + dx / 10, 0, 3); }

}  // namespace rimba::controls
