#include "plugin/tools/MidiExport.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <span>

#include "common/platform/Files.h"

namespace rimba {
namespace {

constexpr std::uint8_t kNoteOnChannel1 = 0x90;
// A roll count beyond what the editor offers only comes from damaged data; the sequencer plays
// at most this many repeats, and so does the export.
constexpr int kMaxRoll = 64;
// Roll factors are ratios of small whole numbers; a product just short of a whole number is the
// rounding of the power, not a softer hit.
constexpr double kRoundingAllowance = 1e-9;
constexpr std::uint32_t kLargestQuantity = 0x0FFFFFFF;  // four bytes of seven bits

struct NoteEvent {
    std::int64_t tick = 0;
    std::uint8_t note = 0;
    std::uint8_t velocity = 0;
};

// Events in time order. Among events of equal time the one made last comes first, as the
// instrument has always written them.
class EventList {
public:
    void insert(const NoteEvent& event) {
        const auto at = std::lower_bound(events.begin(), events.end(), event.tick,
                                         [](const NoteEvent& e, std::int64_t tick) { return e.tick < tick; });
        events.insert(at, event);
    }
    const std::vector<NoteEvent>& all() const { return events; }

private:
    std::vector<NoteEvent> events;
};

std::uint8_t dataByte(double value) {
    if (std::isnan(value))
        return 0;
    return static_cast<std::uint8_t>(std::clamp(std::trunc(value), 0.0, 127.0));
}

// The patterns exported: the chain when the sequencer plays one, else the current pattern.
std::vector<std::size_t> exportedPatterns(const InstrumentState& state) {
    std::vector<std::size_t> patterns;
    if (state.playMode != 0) {
        for (std::size_t p = 0; p < kPatternCount; ++p) {
            if (state.chainEnabled[p] != 0)
                patterns.push_back(p);
        }
    }
    if (patterns.empty() && state.currentPattern >= 0 && state.currentPattern < kPatternCount)
        patterns.push_back(static_cast<std::size_t>(state.currentPattern));
    return patterns;
}

int swingTicks(const InstrumentState& state) {
    const int swing = std::clamp(state.swing, 0, kMaxSwing);
    return static_cast<int>(swing / 128.0 * kMidiTicksPerStep);
}

// The roll's velocity shape, as the sequencer plays it: below a fill attenuation of 64 the hits
// rise towards the last, full one; from 64 up they fall from the first, full one.
double rollGain(int hit, int rolls, double fillAttenuation) {
    if (rolls <= 0)
        return 1.0;
    const double spread = rolls / 8.0;
    if (fillAttenuation < 64.0) {
        const double a = fillAttenuation / 64.0;
        const double factor = 1.0 / (a - (a - 1.0) * spread);
        return std::pow(factor, hit - rolls);
    }
    const double first = (128.0 - fillAttenuation) / 64.0;
    const double factor = first - spread * (first - 1.0);
    return std::pow(factor, hit);
}

// The whole number of repeats of a roll plane value; -1 when nothing is to be played.
int rollCount(float roll) {
    if (!std::isfinite(roll) || roll < 0.0f)
        return -1;
    return static_cast<int>(std::min(roll, static_cast<float>(kMaxRoll)));
}

struct Hit {
    float velocity = 0.0f;
    int rolls = 0;
    int spacing = kMidiTicksPerStep;  // ticks between the hits of the roll
};

void addHit(EventList& events, std::int64_t tick, std::uint8_t note, const Hit& hit, double fillAttenuation) {
    for (int i = 0; i <= hit.rolls; ++i) {
        const double velocity = rollGain(i, hit.rolls, fillAttenuation) * hit.velocity + kRoundingAllowance;
        const std::int64_t at = tick + static_cast<std::int64_t>(i) * hit.spacing;
        events.insert({.tick = at, .note = note, .velocity = dataByte(velocity)});
    }
}

// A step's hit on one track: the pattern's own, or else the track's random keystroke. The
// spacing of a roll always follows the pattern's roll plane.
std::optional<Hit> hitAt(const TrackPatterns& planes, std::size_t p, std::size_t s) {
    const int spacingRolls = std::max(rollCount(planes.stepRoll[p][s]), 0);
    const int spacing = kMidiTicksPerStep / (spacingRolls + 1);
    const float velocity = planes.stepVelocity[p][s];
    if (velocity != 0.0f)
        return Hit{.velocity = velocity, .rolls = rollCount(planes.stepRoll[p][s]), .spacing = spacing};
    if (loadRelaxed(planes.randomHit[s]) != 0.0f)
        return Hit{.velocity = loadRelaxed(planes.randomVelocity[s]),
                   .rolls = rollCount(loadRelaxed(planes.randomRoll[s])),
                   .spacing = spacing};
    return std::nullopt;
}

void addStep(EventList& events, const InstrumentState& state, std::size_t p, std::size_t s, std::int64_t tick) {
    for (int t = 0; t < state.trackCount && t < kTrackSlots; ++t) {
        const auto track = static_cast<std::size_t>(t);
        const std::optional<Hit> hit = hitAt(state.patterns[track], p, s);
        if (hit && hit->rolls >= 0)
            addHit(events, tick, dataByte(state.settings.trackKey[track]), *hit, state.fillAttenuation);
    }
}

EventList collectEvents(const InstrumentState& state) {
    EventList events;
    const int swing = swingTicks(state);
    std::int64_t tick = 0;
    for (const std::size_t p : exportedPatterns(state)) {
        const int steps = std::clamp(state.patternSteps[p], 0, kMaxSteps);
        for (int k = 0; k < steps; ++k) {
            const int late = (k & 1) ? swing : 0;
            addStep(events, state, p, static_cast<std::size_t>(k), tick + late);
            tick += kMidiTicksPerStep;
        }
    }
    return events;
}

// ---- Encoding ------------------------------------------------------------------------------

void putText(std::vector<std::uint8_t>& out, const char (&text)[5]) {
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<std::uint8_t>(text[i]));
}

void putBigEndian(std::vector<std::uint8_t>& out, std::uint32_t value, int bytes) {
    for (int shift = 8 * (bytes - 1); shift >= 0; shift -= 8)
        out.push_back(static_cast<std::uint8_t>((value >> shift) & 0xFF));
}

// Seven bits a byte, the most significant group first, bit 7 set on every byte but the last.
void putQuantity(std::vector<std::uint8_t>& out, std::uint32_t value) {
    value = std::min(value, kLargestQuantity);
    int groups = 1;
    while (groups < 4 && (value >> (7 * groups)) != 0)
        ++groups;
    for (int g = groups - 1; g >= 0; --g) {
        const auto bits = static_cast<std::uint8_t>((value >> (7 * g)) & 0x7F);
        out.push_back(g > 0 ? static_cast<std::uint8_t>(bits | 0x80) : bits);
    }
}

std::vector<std::uint8_t> encodeTrack(const EventList& events) {
    std::vector<std::uint8_t> track;
    std::int64_t previous = 0;
    for (const NoteEvent& event : events.all()) {
        const std::int64_t delta = std::clamp<std::int64_t>(event.tick - previous, 0, kLargestQuantity);
        putQuantity(track, static_cast<std::uint32_t>(delta));
        track.insert(track.end(), {kNoteOnChannel1, event.note, event.velocity});
        previous = event.tick;
    }
    track.insert(track.end(), {0x00, 0xFF, 0x2F, 0x00});
    return track;
}

}  // namespace

std::vector<std::uint8_t> buildMidiFile(const InstrumentState& state) {
    const std::vector<std::uint8_t> track = encodeTrack(collectEvents(state));
    std::vector<std::uint8_t> file;
    file.reserve(22 + track.size());
    putText(file, "MThd");
    putBigEndian(file, 6, 4);
    putBigEndian(file, 0, 2);  // format 0
    putBigEndian(file, 1, 2);  // one track
    putBigEndian(file, kMidiTicksPerQuarter, 2);
    putText(file, "MTrk");
    putBigEndian(file, static_cast<std::uint32_t>(track.size()), 4);
    file.insert(file.end(), track.begin(), track.end());
    return file;
}

std::int32_t exportMidiFile(const InstrumentState& state, const std::string& path) {
    const std::vector<std::uint8_t> bytes = buildMidiFile(state);
    return platform::writeFileAtomically(path, bytes) ? 0 : -1;
}

}  // namespace rimba
