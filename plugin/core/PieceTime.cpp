#include "plugin/core/PieceTime.h"

#include <cmath>

namespace rimba {

namespace {

constexpr double kClocksPerQuarter = 24.0;

bool has(const VstTimeInfo& time, VstInt32 flag) { return (time.flags & flag) != 0; }

// Bars are counted from barStartPos on; a position a whole number of bars later starts a bar.
void moveBarStart(VstTimeInfo& time) {
    if (!has(time, kVstBarsValid) || !has(time, kVstTimeSigValid) || time.timeSigNumerator <= 0 ||
        time.timeSigDenominator <= 0)
        return;
    const double barQuarters = 4.0 * time.timeSigNumerator / time.timeSigDenominator;
    const double barsPassed = std::floor((time.ppqPos - time.barStartPos) / barQuarters);
    if (barsPassed > 0.0)
        time.barStartPos += barsPassed * barQuarters;
}

// The nearest MIDI clock (24 a quarter note), before or after, in samples.
void moveNextClock(VstTimeInfo& time) {
    if (!has(time, kVstClockValid))
        return;
    const double clocks = time.ppqPos * kClocksPerQuarter;
    const double samplesPerClock = 60.0 / time.tempo * time.sampleRate / kClocksPerQuarter;
    time.samplesToNextClock = static_cast<VstInt32>(std::lround((std::round(clocks) - clocks) * samplesPerClock));
}

}  // namespace

VstTimeInfo timeAfter(const VstTimeInfo& start, double frames) {
    VstTimeInfo time = start;
    if (frames == 0.0)
        return time;
    time.flags &= ~kVstTransportChanged;
    if (!(start.sampleRate > 0.0) || !std::isfinite(frames))
        return time;
    const double seconds = frames / start.sampleRate;
    if (has(start, kVstNanosValid))
        time.nanoSeconds += seconds * 1e9;
    if (!has(start, kVstTransportPlaying))
        return time;
    time.samplePos += frames;
    if (has(start, kVstPpqPosValid) && has(start, kVstTempoValid) && start.tempo > 0.0) {
        time.ppqPos += seconds * start.tempo / 60.0;
        moveBarStart(time);
        moveNextClock(time);
    }
    return time;
}

}  // namespace rimba
