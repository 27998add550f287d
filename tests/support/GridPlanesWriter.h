#pragma once
// A step grid's writer over planes a test owns: each change lands in the planes as the
// instrument's own functions would put it there, and the keystrokes the grid asks away are kept
// in order (the planes' layer is the render loop's, so they stay).

#include <vector>

#include "plugin/editor/controls/GridGestures.h"
#include "plugin/model/PatternPlanes.h"

namespace rimba::test {

class GridPlanesWriter final : public controls::GridWriter {
public:
    explicit GridPlanesWriter(TrackPatterns& planes) : planes(planes) {}

    void setStep(int pattern, int step, const PatternStep& values) override {
        const auto p = static_cast<std::size_t>(pattern);
        const auto s = static_cast<std::size_t>(step);
        planes.stepVelocity[p][s] = values.velocity;
        planes.stepRoll[p][s] = values.roll;
        planes.stepHold[p][s] = values.hold;
        ++writes;
    }
    void setStepTune(int step, float semitones) override {
        planes.stepTune[static_cast<std::size_t>(step)] = semitones;
        ++writes;
    }
    void removeKeystroke(int step) override { keystrokesRemoved.push_back(step); }

    std::vector<int> keystrokesRemoved;
    int writes = 0;

private:
    TrackPatterns& planes;
};

}  // namespace rimba::test
