// Stretches of a block in which no event fires, no MIDI waits and the export does not fade are
// rendered as a batch: the voices four at a time in SSE lanes across the stretch, then the track
// equalisers four tracks at a time, then the sums voice by voice in voice order. Each value goes
// through the same single-precision operations in the same order as in renderVoice, mixSample
// and equaliseTrack; a lane only ever holds one voice or one track, and nothing is fused or
// reassociated, so every output sample is the same to the bit as when the stretch is rendered
// sample by sample. What a batch does not cover stays with the sample-by-sample path.

#include <emmintrin.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <functional>
#include <iterator>
#include <limits>

#include "plugin/core/VornDrums.h"

namespace rimba {

namespace {

constexpr int kLanes = 4;
// The longest batch. Its rows stay in the first-level cache; longer batches gain nothing, since
// events split most of them anyway.
constexpr int kBatchFrames = 256;
// Shorter stretches cost less the long way than the set-up of a batch.
constexpr int kMinBatchFrames = 8;
constexpr int kControlPeriod = 16;
constexpr int kMaxSegments = kBatchFrames / kControlPeriod + 2;
constexpr int kColumns = kTrackSlots;
// A group of four lanes that starts at any column still lies inside its row.
constexpr int kRowWidth = kColumns + kLanes;
constexpr int kStages = kEqBands * 2;
constexpr int kControlValues = 8;  // VornDrums::kControlTargets
constexpr int kExportFadeFrames = 2000;
constexpr std::int32_t kNoCommand = -1;
constexpr float kIdlePosition = -1.0f;
constexpr float kEndGuardFrames = 3.0f;

// One control period of a batch: the samples between two control-rate updates.
struct Segment {
    int begin = 0;
    int end = 0;
    bool update = false;  // the control-rate update runs before its first sample
};

// What the batch does with one voice.
struct VoicePlan {
    bool mixed = false;        // its track is active: mixSample works on it
    bool callsRender = false;  // mixSample calls renderVoice for it
    bool plays = false;        // and renderVoice gets past its first test
    bool lane = false;         // it sounds at the start of the batch and is rendered in a lane
    bool equalised = false;
    bool eqSample = false;
    bool synthThroughEq = false;
    bool synthPart = false;
    bool heard = false;   // reaches the master and the sends (mute, solo)
    bool silent = false;  // its signal is +0 throughout, known without rendering it
    int column = -1;
};

// Four voices side by side.
struct VoiceLanes {
    // Voice state that changes from sample to sample.
    __m128 position;
    __m128 velocityGain;
    __m128 targetGain;
    __m128 declick;
    __m128 fading;  // masks
    __m128 restart;
    // Fixed for the batch.
    __m128 gate;
    __m128 oneShot;
    __m128 reverse;
    __m128 loop;
    __m128 startBound;
    __m128 endBound;
    __m128 endGuard;
    __m128 startFrame;
    __m128 newGain;
    __m128i lastFrame;
    __m128 eqSample;
    __m128 synthThroughEq;
    __m128 synthPart;
    __m128 spare;  // lanes without a voice
    // Fixed for a control period.
    __m128 rate;
    __m128 sampleGain;
    __m128 synthGain;

    const std::int16_t* samples[kLanes];
    const float* synth[kLanes];
    int voice[kLanes];  // -1 for a spare lane
    bool settled;       // no velocity gain moves any more
    bool anyFading;
    bool directions;  // some lane plays backwards or loops
    bool anySynth;
    bool anySynthThroughEq;
    bool anyEqInput;  // some lane's track is equalised
    bool steady;      // playSteadyLanes can take the group (see readFrom)
    // The positions at which renderVoice reads a frame and the next one: [readFrom, readBelow).
    __m128 readFrom;
    __m128 readBelow;
};

// The control-rate smoothing of four voices side by side: each gain and the value it approaches.
struct ControlLanes {
    __m128 value[kControlValues];
    __m128 target[kControlValues];
    bool settled;  // no gain moves any more
};

// Four tracks' equalisers side by side; stage i is band i / 2, stage i % 2. The history of each
// stage sits in two slots that take turns being the newer one, so a sample writes only its own
// input and output.
struct EqLanes {
    __m128 b0[kEqBands];
    __m128 b1[kEqBands];
    __m128 b2[kEqBands];
    __m128 a1[kEqBands];
    __m128 a2[kEqBands];
    __m128 x[kStages][2];
    __m128 y[kStages][2];
    __m128 mix[kStages];
    __m128 dry[kStages];  // 1 - mix
    __m128 inUse;
    int column;
    int track[kLanes];      // -1 for a spare lane
    bool settled[kStages];  // the wet share no longer moves
};

inline __m128 select(__m128 mask, __m128 whenSet, __m128 otherwise) {
    return _mm_or_ps(_mm_and_ps(mask, whenSet), _mm_andnot_ps(mask, otherwise));
}

inline bool sameBits(__m128 a, __m128 b) {
    return _mm_movemask_epi8(_mm_cmpeq_epi32(_mm_castps_si128(a), _mm_castps_si128(b))) == 0xFFFF;
}

inline bool sameBits(float a, float b) {
    std::uint32_t x = 0;
    std::uint32_t y = 0;
    std::memcpy(&x, &a, sizeof x);
    std::memcpy(&y, &b, sizeof y);
    return x == y;
}

inline __m128 maskOf(bool a, bool b, bool c, bool d) {
    return _mm_castsi128_ps(_mm_setr_epi32(a ? -1 : 0, b ? -1 : 0, c ? -1 : 0, d ? -1 : 0));
}

inline __m128 lanesOf(const float (&values)[kLanes]) { return _mm_loadu_ps(values); }

// Frames n and n + 1 of a sound as one 32-bit word.
inline __m128i framePair(const std::int16_t* samples, std::uint32_t n) {
    std::int32_t pair = 0;
    std::memcpy(&pair, samples + n, sizeof pair);
    return _mm_cvtsi32_si128(pair);
}

const __m128 kMagnitude = _mm_castsi128_ps(_mm_set1_epi32(0x7fffffff));

// The bus gain's ramp towards 1, taken before every sample, no longer moves: it is within 1e-6
// of 1, or a step changes nothing (and then no later step does).
bool busGainSettled(float gain) {
    return !(std::fabs(1.0f - gain) > 1e-6f) || sameBits(gain + (1.0f - gain) * 0.002f, gain);
}

// The bus gain for each sample of the batch, as the render loop moves it before each sample;
// returns the last one. Rows that already hold a settled gain are left alone.
float rampBusGain(float gain, float* perSample, __m128* broadcast, int frames, float& filledWith) {
    if (sameBits(gain, filledWith) && busGainSettled(gain))
        return gain;
    int k = 0;
    for (; k < frames; ++k) {
        if (!(std::fabs(1.0f - gain) > 1e-6f))
            break;
        const float next = gain + (1.0f - gain) * 0.002f;
        if (sameBits(next, gain))
            break;
        gain = next;
        perSample[k] = gain;
        broadcast[k] = _mm_set1_ps(gain);
    }
    // A gain that was settled from the start fills every row, and the next batches find it there.
    const bool settledThroughout = k == 0;
    const __m128 last = _mm_set1_ps(gain);
    for (const int fill = settledThroughout ? kBatchFrames : frames; k < fill; ++k) {
        perSample[k] = gain;
        broadcast[k] = last;
    }
    filledWith = settledThroughout ? gain : std::numeric_limits<float>::quiet_NaN();
    return gain;
}

// The control periods of a batch of `frames` samples, advancing the control counter as the
// render loop does before each sample.
int splitAtControlUpdates(std::int32_t& counter, int frames, Segment* segments) {
    const std::int64_t start = counter;
    const std::int64_t firstUpdate = start >= kControlPeriod - 1 ? 0 : kControlPeriod - 1 - start;
    if (firstUpdate >= frames) {
        segments[0] = {0, frames, false};
        counter = static_cast<std::int32_t>(start + frames);
        return 1;
    }
    int count = 0;
    if (firstUpdate > 0)
        segments[count++] = {0, static_cast<int>(firstUpdate), false};
    int lastUpdate = 0;
    for (int k = static_cast<int>(firstUpdate); k < frames; k += kControlPeriod) {
        segments[count++] = {k, std::min(k + kControlPeriod, frames), true};
        lastUpdate = k;
    }
    counter = frames - 1 - lastUpdate;
    return count;
}

// renderVoice returns 0 at once for a voice that is neither gated, fading nor a released one-shot
// inside its bounds, and for an idle one; without a command it stays that way.
bool silentVoice(const TrackVoice& voice, bool oneShot) {
    const bool sounding = voice.position >= voice.startBound && voice.position < voice.endBound;
    if (voice.gateOn == 0 && voice.fading == 0 && (!oneShot || !sounding))
        return true;
    return voice.fading == 0 && voice.position == kIdlePosition;
}

// renderVoice for the four voices of a lane group, sample by sample over [begin, end) of the
// batch, followed by mixSample's sample and synth parts; the track signal and the equaliser
// input of each sample go into the rows. Every lane decides at every sample, as renderVoice
// does, so this takes any period: starts, stops, fades that end, restarts.
template <bool kDirections, bool kSynth, bool kSynthThroughEq>
void playLanes(VoiceLanes& lane, const __m128* bus, int begin, int end, float (*rows)[kRowWidth],
               float (*eqRows)[kRowWidth], int column) {
    const __m128 zero = _mm_setzero_ps();
    const __m128 idle = _mm_set1_ps(kIdlePosition);
    const __m128 rise = _mm_set1_ps(0.01f);
    const __m128 toUnit = _mm_set1_ps(1.0f / 32768.0f);  // exact: the same as dividing by 32768
    const __m128 declickStep = _mm_set1_ps(0.99f);
    const __m128 fadeEnd = _mm_set1_ps(1e-4f);
    const __m128i noFrame = _mm_set1_epi32(-1);

    __m128 position = lane.position;
    __m128 velocityGain = lane.velocityGain;
    __m128 declick = lane.declick;
    __m128 fading = lane.fading;

    for (int k = begin; k < end; ++k) {
        // The velocity gain rises smoothly and falls at once.
        if (!lane.settled) {
            const __m128 target = lane.targetGain;
            const __m128 stepped = _mm_add_ps(velocityGain, _mm_mul_ps(_mm_sub_ps(target, velocityGain), rise));
            const __m128 next = select(_mm_cmplt_ps(velocityGain, target), stepped, target);
            lane.settled = sameBits(next, velocityGain);
            velocityGain = next;
        }

        // Silent voices stay where they are.
        const __m128 sounding =
            _mm_and_ps(_mm_cmpge_ps(position, lane.startBound), _mm_cmplt_ps(position, lane.endBound));
        const __m128 playing = _mm_or_ps(_mm_or_ps(lane.gate, fading), _mm_and_ps(lane.oneShot, sounding));
        const __m128 active = _mm_andnot_ps(_mm_andnot_ps(fading, _mm_cmpeq_ps(position, idle)), playing);

        __m128 moved;
        if constexpr (kDirections) {
            __m128 forward = _mm_add_ps(position, lane.rate);
            forward = select(_mm_and_ps(lane.loop, _mm_cmpge_ps(forward, lane.endBound)), lane.startBound, forward);
            __m128 backward = _mm_sub_ps(position, lane.rate);
            backward = select(_mm_and_ps(lane.loop, _mm_cmplt_ps(backward, lane.startBound)), lane.endBound, backward);
            moved = select(lane.reverse, backward, forward);
        } else {
            moved = _mm_add_ps(position, lane.rate);
        }
        position = select(active, moved, position);

        // Only frames inside the sound are read; the other lanes read a harmless frame 0.
        const __m128 inside = _mm_and_ps(
            active, _mm_and_ps(_mm_cmpge_ps(position, lane.startBound), _mm_cmplt_ps(position, lane.endGuard)));
        const __m128i whole = _mm_cvttps_epi32(position);
        const __m128i readable = _mm_and_si128(_mm_cmpgt_epi32(whole, noFrame), _mm_cmplt_epi32(whole, lane.lastFrame));
        const __m128 take = _mm_and_ps(inside, _mm_castsi128_ps(readable));
        const __m128i index = _mm_and_si128(whole, _mm_castps_si128(take));
        const auto low = static_cast<std::uint64_t>(_mm_cvtsi128_si64(index));
        const auto high = static_cast<std::uint64_t>(_mm_cvtsi128_si64(_mm_unpackhi_epi64(index, index)));
        const __m128i pairs =
            _mm_unpacklo_epi64(_mm_unpacklo_epi32(framePair(lane.samples[0], static_cast<std::uint32_t>(low)),
                                                  framePair(lane.samples[1], static_cast<std::uint32_t>(low >> 32))),
                               _mm_unpacklo_epi32(framePair(lane.samples[2], static_cast<std::uint32_t>(high)),
                                                  framePair(lane.samples[3], static_cast<std::uint32_t>(high >> 32))));
        const __m128 here = _mm_cvtepi32_ps(_mm_srai_epi32(_mm_slli_epi32(pairs, 16), 16));
        const __m128 next = _mm_cvtepi32_ps(_mm_srai_epi32(pairs, 16));
        const __m128 fraction = _mm_sub_ps(position, _mm_cvtepi32_ps(whole));
        __m128 y = _mm_add_ps(here, _mm_mul_ps(_mm_sub_ps(next, here), fraction));
        y = _mm_mul_ps(_mm_mul_ps(_mm_mul_ps(y, toUnit), declick), velocityGain);
        y = _mm_and_ps(take, y);

        // The declick fade; at its end a pending restart happens and the voice gives 0.
        if (lane.anyFading) {
            declick = select(fading, _mm_mul_ps(declick, declickStep), declick);
            const __m128 ended = _mm_and_ps(fading, _mm_cmplt_ps(_mm_and_ps(y, kMagnitude), fadeEnd));
            if (_mm_movemask_ps(ended) != 0) {
                fading = _mm_andnot_ps(ended, fading);
                position = select(ended, idle, position);
                const __m128 restarting = _mm_and_ps(ended, lane.restart);
                if (_mm_movemask_ps(restarting) != 0) {
                    lane.restart = _mm_andnot_ps(restarting, lane.restart);
                    position = select(restarting, lane.startFrame, position);
                    declick = select(restarting, _mm_set1_ps(1.0f), declick);
                    lane.targetGain = select(restarting, lane.newGain, lane.targetGain);
                    lane.settled = false;
                    y = _mm_andnot_ps(restarting, y);
                }
                lane.anyFading = _mm_movemask_ps(fading) != 0;
            }
        }

        // mixSample's sample and synth parts.
        const __m128 samplePart = _mm_mul_ps(_mm_mul_ps(y, bus[k]), lane.sampleGain);
        __m128 synthPart = zero;
        if constexpr (kSynth) {
            const __m128 raw = _mm_setr_ps(lane.synth[0][k], lane.synth[1][k], lane.synth[2][k], lane.synth[3][k]);
            synthPart = _mm_and_ps(lane.synthPart, _mm_mul_ps(_mm_mul_ps(raw, bus[k]), lane.synthGain));
        }
        __m128 signal = _mm_andnot_ps(lane.eqSample, samplePart);
        __m128 eqInput = _mm_and_ps(lane.eqSample, samplePart);
        if constexpr (kSynthThroughEq) {
            eqInput = select(lane.synthThroughEq, _mm_add_ps(eqInput, synthPart), eqInput);
            signal = select(lane.synthThroughEq, signal, _mm_add_ps(signal, synthPart));
        } else {
            signal = _mm_add_ps(signal, synthPart);
        }
        _mm_store_ps(rows[k] + column, signal);
        _mm_store_ps(eqRows[k] + column, eqInput);
    }

    lane.position = position;
    lane.velocityGain = velocityGain;
    lane.declick = declick;
    lane.fading = fading;
}

// playLanes for one group over a control period in which no lane starts or stops: no fade ends,
// no released one-shot leaves its bounds and no voice lands on the idle position, so which lanes
// move is known from the first sample and nothing has to be decided sample by sample. When that
// does not hold it returns false and leaves the lanes as they were (the rows it wrote are written
// again by playLanes). kAllActive: every lane moves.
template <bool kDirections, bool kSynth, bool kSynthThroughEq, bool kAllActive>
bool playSteadyLanes(VoiceLanes& lane, __m128 active, const __m128* bus, int begin, int end, float (*rows)[kRowWidth],
                     float (*eqRows)[kRowWidth], int column) {
    const __m128 zero = _mm_setzero_ps();
    const __m128 idle = _mm_set1_ps(kIdlePosition);
    const __m128 rise = _mm_set1_ps(0.01f);
    const __m128i highHalf = _mm_set1_epi32(static_cast<int>(0xFFFF0000u));
    // Frames are read as int16 << 16, which float holds exactly; the interpolation then runs on
    // values 65536 times larger, and so exactly scaled, and 2^-31 instead of 1/32768 undoes it.
    const __m128 toUnit = _mm_set1_ps(1.0f / 2147483648.0f);

    const __m128 first = lane.position;
    __m128 position = first;
    __m128 velocityGain = lane.velocityGain;
    __m128 previousGain = velocityGain;
    __m128 declick = lane.declick;
    const __m128 fading = lane.fading;
    // 0.99 for a fading lane; 1 leaves the others' declick gain exactly as it is.
    const __m128 declickStep = select(fading, _mm_set1_ps(0.99f), _mm_set1_ps(1.0f));
    const __m128 startBound = lane.startBound;
    const __m128 endBound = lane.endBound;
    const __m128 readFrom = lane.readFrom;
    const __m128 readBelow = lane.readBelow;
    const __m128 rate = lane.rate;
    const __m128 sampleGain = lane.sampleGain;
    const __m128 eqSample = lane.eqSample;
    const __m128 target = lane.targetGain;
    const std::int16_t* const samples0 = lane.samples[0];
    const std::int16_t* const samples1 = lane.samples[1];
    const std::int16_t* const samples2 = lane.samples[2];
    const std::int16_t* const samples3 = lane.samples[3];

    // Released one-shots play while they stay inside their bounds, and a voice that is not fading
    // falls idle when it lands on the idle position itself.
    const __m128 real = _mm_andnot_ps(lane.spare, active);
    const __m128 released = _mm_andnot_ps(_mm_or_ps(lane.gate, fading), real);
    const __m128 idleOnArrival = _mm_andnot_ps(fading, real);
    const bool anyReleased = _mm_movemask_ps(released) != 0;
    const bool moving = !lane.settled;
    const bool anyEqInput = lane.anyEqInput;
    __m128 broken = zero;
    __m128 quietest = _mm_set1_ps(std::numeric_limits<float>::infinity());

    for (int k = begin; k < end; ++k) {
        if (moving) {
            previousGain = velocityGain;
            const __m128 stepped = _mm_add_ps(velocityGain, _mm_mul_ps(_mm_sub_ps(target, velocityGain), rise));
            velocityGain = select(_mm_cmplt_ps(velocityGain, target), stepped, target);
        }
        __m128 moved;
        if constexpr (kDirections) {
            __m128 forward = _mm_add_ps(position, rate);
            forward = select(_mm_and_ps(lane.loop, _mm_cmpge_ps(forward, endBound)), startBound, forward);
            __m128 backward = _mm_sub_ps(position, rate);
            backward = select(_mm_and_ps(lane.loop, _mm_cmplt_ps(backward, startBound)), endBound, backward);
            moved = select(lane.reverse, backward, forward);
        } else {
            moved = _mm_add_ps(position, rate);
        }
        if constexpr (kAllActive)
            position = moved;
        else
            position = select(active, moved, position);

        __m128 take = _mm_and_ps(_mm_cmpge_ps(position, readFrom), _mm_cmplt_ps(position, readBelow));
        if constexpr (!kAllActive)
            take = _mm_and_ps(active, take);
        if constexpr (kDirections) {
            // Looping and reversed positions do not move one way only: watch every sample.
            if (anyReleased)
                broken = _mm_or_ps(broken, _mm_andnot_ps(_mm_and_ps(_mm_cmpge_ps(position, startBound),
                                                                    _mm_cmplt_ps(position, endBound)),
                                                         released));
            broken = _mm_or_ps(broken, _mm_and_ps(idleOnArrival, _mm_cmpeq_ps(position, idle)));
        }
        const __m128i whole = _mm_cvttps_epi32(position);
        alignas(16) std::uint32_t index[kLanes];
        _mm_store_si128(reinterpret_cast<__m128i*>(index), _mm_and_si128(whole, _mm_castps_si128(take)));
        const __m128i pairs =
            _mm_unpacklo_epi64(_mm_unpacklo_epi32(framePair(samples0, index[0]), framePair(samples1, index[1])),
                               _mm_unpacklo_epi32(framePair(samples2, index[2]), framePair(samples3, index[3])));
        const __m128 here = _mm_cvtepi32_ps(_mm_slli_epi32(pairs, 16));
        const __m128 next = _mm_cvtepi32_ps(_mm_and_si128(pairs, highHalf));
        const __m128 fraction = _mm_sub_ps(position, _mm_cvtepi32_ps(whole));
        __m128 y = _mm_add_ps(here, _mm_mul_ps(_mm_sub_ps(next, here), fraction));
        y = _mm_mul_ps(_mm_mul_ps(_mm_mul_ps(y, toUnit), declick), velocityGain);
        y = _mm_and_ps(take, y);

        declick = _mm_mul_ps(declick, declickStep);
        // min(|y|, quietest) that passes over a NaN, as the fade's |y| < 1e-4 test does.
        quietest = _mm_min_ps(_mm_and_ps(y, kMagnitude), quietest);

        const __m128 samplePart = _mm_mul_ps(_mm_mul_ps(y, bus[k]), sampleGain);
        __m128 synthPart = zero;
        if constexpr (kSynth) {
            const __m128 raw = _mm_setr_ps(lane.synth[0][k], lane.synth[1][k], lane.synth[2][k], lane.synth[3][k]);
            synthPart = _mm_and_ps(lane.synthPart, _mm_mul_ps(_mm_mul_ps(raw, bus[k]), lane.synthGain));
        }
        __m128 signal = _mm_andnot_ps(eqSample, samplePart);
        __m128 eqInput = _mm_and_ps(eqSample, samplePart);
        if constexpr (kSynthThroughEq) {
            eqInput = select(lane.synthThroughEq, _mm_add_ps(eqInput, synthPart), eqInput);
            signal = select(lane.synthThroughEq, signal, _mm_add_ps(signal, synthPart));
        } else {
            signal = _mm_add_ps(signal, synthPart);
        }
        _mm_store_ps(rows[k] + column, signal);
        if (anyEqInput)
            _mm_store_ps(eqRows[k] + column, eqInput);
    }

    if constexpr (!kDirections) {
        // Forward without a loop, every lane moves one way by the same step each sample: it left
        // its bounds if it ends outside them, and it met the idle position if it ended on or
        // across it.
        if (anyReleased)
            broken = _mm_andnot_ps(_mm_and_ps(_mm_cmpge_ps(position, startBound), _mm_cmplt_ps(position, endBound)),
                                   released);
        const __m128 crossed = _mm_or_ps(_mm_xor_ps(_mm_cmpgt_ps(first, idle), _mm_cmpgt_ps(position, idle)),
                                         _mm_cmpeq_ps(position, idle));
        broken = _mm_or_ps(broken, _mm_and_ps(idleOnArrival, crossed));
    }
    broken = _mm_or_ps(broken, _mm_and_ps(fading, _mm_cmplt_ps(quietest, _mm_set1_ps(1e-4f))));
    if (_mm_movemask_ps(broken) != 0)
        return false;
    lane.position = position;
    lane.velocityGain = velocityGain;
    lane.declick = declick;
    // Once a step leaves the gain as it was, it stays there.
    lane.settled = lane.settled || (end > begin && sameBits(previousGain, velocityGain));
    return true;
}

using PlaySteady = bool (*)(VoiceLanes&, __m128, const __m128*, int, int, float (*)[kRowWidth], float (*)[kRowWidth],
                            int);

template <bool kAllActive>
constexpr PlaySteady kSteadyVariants[8] = {
    playSteadyLanes<false, false, false, kAllActive>, playSteadyLanes<false, false, true, kAllActive>,
    playSteadyLanes<false, true, false, kAllActive>,  playSteadyLanes<false, true, true, kAllActive>,
    playSteadyLanes<true, false, false, kAllActive>,  playSteadyLanes<true, false, true, kAllActive>,
    playSteadyLanes<true, true, false, kAllActive>,   playSteadyLanes<true, true, true, kAllActive>,
};

// What playUnityLanes did: the whole stretch, nothing because it does not qualify, or, as a
// number from 0 on, nothing because at that sample of the stretch a fade ends.
constexpr int kUnityDone = -1;
constexpr int kNotUnity = -2;

// A fade's declick gain starts at 1 and is multiplied by 0.99 after every sample: these are its
// values in that order, made by the same multiplications. A fade that has one of them reads its
// gains from here instead of waiting on one multiplication after the other.
class DeclickChain {
public:
    DeclickChain() {
        float gain = 1.0f;
        for (float& value : chain) {
            value = gain;
            gain *= 0.99f;
        }
    }

    // The chain from `gain` on, with at least `length` + 1 values, or nullptr.
    const float* from(float gain, int length) const {
        // Strictly falling: 0.99 takes far more than half a unit off any value here.
        const float* at = std::lower_bound(std::begin(chain), std::end(chain), gain, std::greater<float>());
        if (at == std::end(chain) || !sameBits(*at, gain) || (at - chain) + length >= kLength)
            return nullptr;
        return at;
    }

private:
    // Longer than any fade of a voice at a normal level takes to fall below 1e-4.
    static constexpr int kLength = 2048 + kBatchFrames;
    float chain[kLength];
};

// Working columns of playUnityLanes: four voices' samples one after the other.
struct UnityColumns {
    alignas(16) float signal[kLanes][kBatchFrames];
    alignas(16) float eqInput[kLanes][kBatchFrames];
    alignas(16) float gains[kBatchFrames];
    alignas(16) float declicks[kBatchFrames];
    std::int16_t silence[kBatchFrames + kLanes];  // the frames of a voice that does not move
    DeclickChain declickChain;
};

// Stores four columns into the rows [begin, begin + length).
inline void storeColumns(const float (*columns)[kBatchFrames], float (*rows)[kRowWidth], int begin, int length,
                         int column) {
    int k = 0;
    for (; k + kLanes <= length; k += kLanes) {
        __m128 r0 = _mm_load_ps(columns[0] + k);
        __m128 r1 = _mm_load_ps(columns[1] + k);
        __m128 r2 = _mm_load_ps(columns[2] + k);
        __m128 r3 = _mm_load_ps(columns[3] + k);
        _MM_TRANSPOSE4_PS(r0, r1, r2, r3);
        _mm_store_ps(rows[begin + k] + column, r0);
        _mm_store_ps(rows[begin + k + 1] + column, r1);
        _mm_store_ps(rows[begin + k + 2] + column, r2);
        _mm_store_ps(rows[begin + k + 3] + column, r3);
    }
    for (; k < length; ++k)
        for (int l = 0; l < kLanes; ++l)
            rows[begin + k][column + l] = columns[l][k];
}

// One voice of playUnityLanes.
struct UnityVoice {
    const std::int16_t* frames;  // the frame of its first sample
    __m128 plays;                // all bits while it moves; a silent voice's value is +0
    const float* bus;
    const float* synth;
    const float* declicks;  // per sample, unless constant; not aligned
    const float* gains;
    __m128 declick;  // when constant
    __m128 gain;
    float sampleGain;
    float synthGain;
    bool synthPart;
    bool synthThroughEq;
    float* signal;
    float* eqInput;
};

// Four samples at a time of one voice of playUnityLanes: renderVoice's value and fade, and
// mixSample's sample and synth parts. kGains: 0 constant velocity and declick gains, 1 per-sample
// ones, 2 a fade, whose last sample is returned, before anything of it is written (-1 while it
// goes on). kRouted: a synth part takes part.
template <int kGains, bool kEqSample, bool kRouted>
int unityChunks(const UnityVoice& v, int chunks) {
    const __m128 toUnit = _mm_set1_ps(1.0f / 32768.0f);  // exact: the same as dividing by 32768
    const __m128 sampleGain = _mm_set1_ps(v.sampleGain);
    const __m128 synthGain = _mm_set1_ps(v.synthGain);
    for (int c = 0; c < chunks; ++c) {
        const int k = c * kLanes;
        std::int64_t four = 0;
        std::memcpy(&four, v.frames + k, sizeof four);
        const __m128i frames = _mm_cvtsi64_si128(four);
        const __m128 here = _mm_cvtepi32_ps(_mm_srai_epi32(_mm_unpacklo_epi16(frames, frames), 16));
        __m128 y;
        if constexpr (kGains == 0)
            y = _mm_mul_ps(_mm_mul_ps(_mm_mul_ps(here, toUnit), v.declick), v.gain);
        else
            y = _mm_mul_ps(_mm_mul_ps(_mm_mul_ps(here, toUnit), _mm_loadu_ps(v.declicks + k)), _mm_load_ps(v.gains + k));
        y = _mm_and_ps(y, v.plays);
        if constexpr (kGains == 2) {
            const int quiet = _mm_movemask_ps(_mm_cmplt_ps(_mm_and_ps(y, kMagnitude), _mm_set1_ps(1e-4f)));
            if (quiet != 0)
                return k + __builtin_ctz(static_cast<unsigned>(quiet));
        }
        const __m128 bus = _mm_loadu_ps(v.bus + k);
        const __m128 samplePart = _mm_mul_ps(_mm_mul_ps(y, bus), sampleGain);
        __m128 part = _mm_setzero_ps();
        if constexpr (kRouted) {
            if (v.synthPart)
                part = _mm_mul_ps(_mm_mul_ps(_mm_loadu_ps(v.synth + k), bus), synthGain);
        }
        __m128 signal = kEqSample ? _mm_setzero_ps() : samplePart;
        __m128 eqInput = kEqSample ? samplePart : _mm_setzero_ps();
        if (kRouted && v.synthThroughEq)
            eqInput = _mm_add_ps(eqInput, part);
        else
            signal = _mm_add_ps(signal, part);
        _mm_store_ps(v.signal + k, signal);
        _mm_store_ps(v.eqInput + k, eqInput);
    }
    return -1;
}

using UnityChunks = int (*)(const UnityVoice&, int);
constexpr UnityChunks kUnityVariants[12] = {
    unityChunks<0, false, false>, unityChunks<0, false, true>, unityChunks<0, true, false>, unityChunks<0, true, true>,
    unityChunks<1, false, false>, unityChunks<1, false, true>, unityChunks<1, true, false>, unityChunks<1, true, true>,
    unityChunks<2, false, false>, unityChunks<2, false, true>, unityChunks<2, true, false>, unityChunks<2, true, true>,
};

const __m128 kAllBits = _mm_castsi128_ps(_mm_set1_epi32(-1));

// playLanes for a stretch in which every moving voice of the group plays forwards without a loop
// at a rate of exactly 1 from a whole frame, and stays inside the frames renderVoice may read.
// Its interpolation then has a fraction of exactly 0, and (here + (next - here) * 0) is `here`
// itself: a voice's samples are its frames one after the other, four of them read at once, and
// the voices are taken one at a time. Returns kUnityDone, kNotUnity (nothing done), or the
// sample of the stretch at which a fade ends (nothing done either).
template <bool kSynth>
int playUnityLanes(VoiceLanes& lane, __m128 active, const float* bus, int begin, int end, float (*rows)[kRowWidth],
                   float (*eqRows)[kRowWidth], int column, UnityColumns& work) {
    const int length = end - begin;
    if (length <= 0 || length > kBatchFrames)
        return kNotUnity;
    alignas(16) float position[kLanes], velocityGain[kLanes], target[kLanes], declick[kLanes], rate[kLanes],
        readFrom[kLanes], readBelow[kLanes], sampleGain[kLanes], synthGain[kLanes];
    alignas(16) std::int32_t moving[kLanes], fading[kLanes], spare[kLanes], reverse[kLanes], loop[kLanes],
        eqSample[kLanes], synthThroughEq[kLanes], synthPart[kLanes];
    _mm_store_ps(position, lane.position);
    _mm_store_ps(velocityGain, lane.velocityGain);
    _mm_store_ps(target, lane.targetGain);
    _mm_store_ps(declick, lane.declick);
    _mm_store_ps(rate, lane.rate);
    _mm_store_ps(readFrom, lane.readFrom);
    _mm_store_ps(readBelow, lane.readBelow);
    _mm_store_ps(sampleGain, lane.sampleGain);
    _mm_store_ps(synthGain, lane.synthGain);
    auto bits = [](std::int32_t* out, __m128 mask) {
        _mm_store_si128(reinterpret_cast<__m128i*>(out), _mm_castps_si128(mask));
    };
    bits(moving, active);
    bits(fading, lane.fading);
    bits(spare, lane.spare);
    bits(reverse, lane.reverse);
    bits(loop, lane.loop);
    bits(eqSample, lane.eqSample);
    bits(synthThroughEq, lane.synthThroughEq);
    bits(synthPart, lane.synthPart);

    for (int l = 0; l < kLanes; ++l) {
        if (spare[l] != 0 || moving[l] == 0)
            continue;
        const float p = position[l];
        // Whole frames below 2^24 step by 1 exactly; readBelow keeps the last one below it.
        if (rate[l] != 1.0f || reverse[l] != 0 || loop[l] != 0 || !(p == std::trunc(p)))
            return kNotUnity;
        if (!(p + 1.0f >= readFrom[l] && p + static_cast<float>(length) < readBelow[l]))
            return kNotUnity;
    }

    float(*signal)[kBatchFrames] = work.signal;
    float(*eqInput)[kBatchFrames] = work.eqInput;
    float* gains = work.gains;
    float* declicks = work.declicks;
    float lastGain[kLanes];
    float previousGain[kLanes];
    // Fading voices first: a fade that ends within the stretch stops it before the others' work.
    int order[kLanes];
    int ordered = 0;
    for (int l = 0; l < kLanes; ++l)
        if (spare[l] == 0 && fading[l] != 0)
            order[ordered++] = l;
    for (int l = 0; l < kLanes; ++l)
        if (spare[l] == 0 && fading[l] == 0)
            order[ordered++] = l;
    for (int o = 0; o < ordered; ++o) {
        const int l = order[o];
        // The velocity gain, sample by sample while it still moves; once a step changes nothing,
        // none does.
        float gain = velocityGain[l];
        previousGain[l] = gain;
        bool steadyGain = true;
        if (!lane.settled) {
            const float first = target[l] > gain ? gain + (target[l] - gain) * 0.01f : target[l];
            steadyGain = sameBits(first, gain);
            if (!steadyGain) {
                int k = 0;
                for (; k < length; ++k) {
                    const float next = target[l] > gain ? gain + (target[l] - gain) * 0.01f : target[l];
                    if (sameBits(next, gain))
                        break;
                    previousGain[l] = gain;
                    gain = next;
                    gains[k] = gain;
                }
                if (k < length)
                    previousGain[l] = gain;
                std::fill(gains + k, gains + length, gain);
            }
        }
        lastGain[l] = gain;
        // The declick gain, as it is when each sample's value is taken.
        float gainNow = declick[l];
        const float* declickRow = declicks;
        if (fading[l] != 0) {
            if (const float* chain = work.declickChain.from(gainNow, length)) {
                declickRow = chain;
                gainNow = chain[length];
            } else {
                for (int k = 0; k < length; ++k) {
                    declicks[k] = gainNow;
                    gainNow *= 0.99f;
                }
            }
        }
        const bool steadyDeclick = fading[l] == 0;
        const __m128 constantGain = _mm_set1_ps(gain);
        const __m128 constantDeclick = _mm_set1_ps(gainNow);
        const std::int16_t* frames =
            moving[l] != 0 ? lane.samples[l] + static_cast<std::int32_t>(position[l] + 1.0f) : nullptr;
        const float* synth = lane.synth[l] + begin;
        const bool routed = kSynth && (synthPart[l] != 0 || synthThroughEq[l] != 0);
        const int gainKind = fading[l] != 0 ? 2 : steadyGain ? 0 : 1;
        // Per-sample gains come from the arrays: fill in the one that stays constant.
        if (gainKind != 0 && steadyGain)
            std::fill_n(gains, length, gain);
        if (gainKind != 0 && steadyDeclick)
            std::fill_n(declicks, length, gainNow);
        const UnityVoice voice{.frames = frames != nullptr ? frames : work.silence,
                               .plays = frames != nullptr ? kAllBits : _mm_setzero_ps(),
                               .bus = bus + begin,
                               .synth = synth,
                               .declicks = declickRow,
                               .gains = gains,
                               .declick = constantDeclick,
                               .gain = constantGain,
                               .sampleGain = sampleGain[l],
                               .synthGain = synthGain[l],
                               .synthPart = synthPart[l] != 0,
                               .synthThroughEq = synthThroughEq[l] != 0,
                               .signal = signal[l],
                               .eqInput = eqInput[l]};
        const int chunks = length / kLanes;
        const int quiet = kUnityVariants[gainKind * 4 + (eqSample[l] != 0 ? 2 : 0) + (routed ? 1 : 0)](voice, chunks);
        if (quiet >= 0)
            return quiet;
        for (int k = chunks * kLanes; k < length; ++k) {
            float y = 0.0f;
            if (frames != nullptr) {
                y = static_cast<float>(frames[k]) * (1.0f / 32768.0f) * (steadyDeclick ? gainNow : declickRow[k]) *
                    (steadyGain ? gain : gains[k]);
                if (fading[l] != 0 && std::fabs(y) < 1e-4f)
                    return k;
            }
            float samplePart = y * bus[begin + k] * sampleGain[l];
            const float part = kSynth && synthPart[l] != 0 ? synth[k] * bus[begin + k] * synthGain[l] : 0.0f;
            float lineSignal = 0.0f;
            if (eqSample[l] == 0) {
                lineSignal = samplePart;
                samplePart = 0.0f;
            }
            if (synthThroughEq[l] != 0)
                samplePart += part;
            else
                lineSignal += part;
            signal[l][k] = lineSignal;
            eqInput[l][k] = samplePart;
        }
        declick[l] = gainNow;
    }

    storeColumns(signal, rows, begin, length, column);
    if (lane.anyEqInput)
        storeColumns(eqInput, eqRows, begin, length, column);
    bool settled = true;
    for (int l = 0; l < kLanes; ++l) {
        if (spare[l] != 0)
            continue;
        if (moving[l] != 0)
            position[l] += static_cast<float>(length);
        settled = settled && (lane.settled || sameBits(previousGain[l], lastGain[l]));
        velocityGain[l] = lastGain[l];
    }
    lane.position = _mm_load_ps(position);
    lane.velocityGain = _mm_load_ps(velocityGain);
    lane.declick = _mm_load_ps(declick);
    lane.settled = lane.settled || settled;
    return kUnityDone;
}

// Which lanes move at the first sample of a stretch (renderVoice's silence tests); spare lanes
// count as moving, by nothing.
__m128 activeLanes(const VoiceLanes& lane) {
    const __m128 position = lane.position;
    const __m128 sounding = _mm_and_ps(_mm_cmpge_ps(position, lane.startBound), _mm_cmplt_ps(position, lane.endBound));
    const __m128 playing = _mm_or_ps(_mm_or_ps(lane.gate, lane.fading), _mm_and_ps(lane.oneShot, sounding));
    const __m128 active =
        _mm_andnot_ps(_mm_andnot_ps(lane.fading, _mm_cmpeq_ps(position, _mm_set1_ps(kIdlePosition))), playing);
    return _mm_or_ps(active, lane.spare);
}

using PlayLanes = void (*)(VoiceLanes&, const __m128*, int, int, float (*)[kRowWidth], float (*)[kRowWidth], int);

constexpr PlayLanes kPlayVariants[8] = {
    playLanes<false, false, false>, playLanes<false, false, true>, playLanes<false, true, false>,
    playLanes<false, true, true>,   playLanes<true, false, false>, playLanes<true, false, true>,
    playLanes<true, true, false>,   playLanes<true, true, true>,
};

int variantOf(const VoiceLanes& lanes) {
    return (lanes.directions ? 4 : 0) + (lanes.anySynth ? 2 : 0) + (lanes.anySynthThroughEq ? 1 : 0);
}

// The denormal guard of runStage: an input of exactly 0 (either sign) becomes 1e-5, which is
// what adding 1e-5 to it gives; adding +0 leaves every other input as it is.
inline __m128 guardZero(__m128 m) {
    return _mm_add_ps(m, _mm_and_ps(_mm_cmpeq_ps(m, _mm_setzero_ps()), _mm_set1_ps(1e-5f)));
}

// The biquad of runStage; y1 and y2 are the outputs of the last two samples, x1 and x2 the inputs.
inline __m128 biquad(__m128 x, __m128 b0, __m128 b1, __m128 b2, __m128 a1, __m128 a2, __m128 x1, __m128 x2, __m128 y1,
                     __m128 y2) {
    __m128 y = _mm_add_ps(_mm_mul_ps(b0, x), _mm_mul_ps(b1, x1));
    y = _mm_add_ps(y, _mm_mul_ps(b2, x2));
    y = _mm_sub_ps(y, _mm_mul_ps(a1, y1));
    y = _mm_sub_ps(y, _mm_mul_ps(a2, y2));
    return _mm_andnot_ps(_mm_cmple_ps(_mm_and_ps(y, kMagnitude), _mm_set1_ps(1e-10f)), y);
}

// One stage of equaliseTrack for four tracks, working on sample k of the batch, where kParity is
// k % 2: slot 1 - kParity of the stage's history holds sample k - 1, slot kParity sample k - 2,
// which this sample's values replace. kSettled: no wet share moves any more.
template <int kParity, bool kSettled>
inline __m128 equaliseStage(EqLanes& e, int i, __m128 m) {
    const __m128 one = _mm_set1_ps(1.0f);
    const int band = i / 2;
    if (!kSettled && !e.settled[i]) {
        const __m128 remaining = _mm_sub_ps(one, e.mix[i]);
        const __m128 moved = select(_mm_cmpgt_ps(remaining, _mm_set1_ps(1e-6f)),
                                    _mm_add_ps(e.mix[i], _mm_mul_ps(remaining, _mm_set1_ps(0.01f))), e.mix[i]);
        e.settled[i] = sameBits(moved, e.mix[i]);
        e.mix[i] = moved;
        e.dry[i] = _mm_sub_ps(one, moved);
    }
    const __m128 x = guardZero(m);
    const __m128 y = biquad(x, e.b0[band], e.b1[band], e.b2[band], e.a1[band], e.a2[band], e.x[i][1 - kParity],
                            e.x[i][kParity], e.y[i][1 - kParity], e.y[i][kParity]);
    e.x[i][kParity] = x;
    e.y[i][kParity] = y;
    return _mm_add_ps(_mm_mul_ps(e.dry[i], x), _mm_mul_ps(e.mix[i], y));
}

// Round `round` of the pipelined equaliser: stage i works on sample round - i, for the stages
// whose sample lies in [0, frames) (all of them when kFull). Stage i takes what stage i - 1 left
// in carry[i - 1] in the round before, so the stages go from last to first.
template <int G, int kRoundParity, bool kFull, bool kSettled>
inline void equaliseRound(EqLanes* eq, __m128 (*carry)[kStages], float (*rows)[kRowWidth],
                          const float (*eqRows)[kRowWidth], int round, int frames) {
#pragma GCC unroll 4
    for (int g = 0; g < G; ++g) {
        EqLanes& e = eq[g];
#pragma GCC unroll 6
        for (int i = kStages - 1; i >= 0; --i) {
            const int k = round - i;
            if (!kFull && (k < 0 || k >= frames))
                continue;
            const __m128 input = i == 0 ? _mm_loadu_ps(eqRows[k] + e.column) : carry[g][i - 1];
            const __m128 output = ((kRoundParity + i) & 1) == 0 ? equaliseStage<0, kSettled>(e, i, input)
                                                                : equaliseStage<1, kSettled>(e, i, input);
            if (i == kStages - 1) {
                const __m128 signal = _mm_loadu_ps(rows[k] + e.column);
                _mm_storeu_ps(rows[k] + e.column, select(e.inUse, _mm_add_ps(signal, output), signal));
            } else {
                carry[g][i] = output;
            }
        }
    }
}

template <int G>
bool allSettled(const EqLanes* eq) {
    for (int g = 0; g < G; ++g)
        for (int i = 0; i < kStages; ++i)
            if (!eq[g].settled[i])
                return false;
    return true;
}

// equaliseTrack for G groups of four tracks over the samples of a batch. A sample goes through six
// stages one after the other, each waiting for the one before; pipelining them over successive
// samples lets the stages of a round, and of the groups, overlap. Each stage still sees its
// samples in order.
template <int G>
void equaliseLanes(EqLanes* eq, float (*rows)[kRowWidth], const float (*eqRows)[kRowWidth], int frames) {
    __m128 carry[G][kStages];
    for (int g = 0; g < G; ++g)
        for (int i = 0; i < kStages; ++i)
            carry[g][i] = _mm_setzero_ps();
    const int rounds = frames + kStages - 1;
    int round = 0;
    for (; round < kStages - 1 && round < rounds; ++round) {
        if (round & 1)
            equaliseRound<G, 1, false, false>(eq, carry, rows, eqRows, round, frames);
        else
            equaliseRound<G, 0, false, false>(eq, carry, rows, eqRows, round, frames);
    }
    bool settled = false;
    for (; round + 1 < frames; round += 2) {
        settled = settled || allSettled<G>(eq);
        if (settled) {
            if (round & 1) {
                equaliseRound<G, 1, true, true>(eq, carry, rows, eqRows, round, frames);
                equaliseRound<G, 0, true, true>(eq, carry, rows, eqRows, round + 1, frames);
            } else {
                equaliseRound<G, 0, true, true>(eq, carry, rows, eqRows, round, frames);
                equaliseRound<G, 1, true, true>(eq, carry, rows, eqRows, round + 1, frames);
            }
        } else if (round & 1) {
            equaliseRound<G, 1, true, false>(eq, carry, rows, eqRows, round, frames);
            equaliseRound<G, 0, true, false>(eq, carry, rows, eqRows, round + 1, frames);
        } else {
            equaliseRound<G, 0, true, false>(eq, carry, rows, eqRows, round, frames);
            equaliseRound<G, 1, true, false>(eq, carry, rows, eqRows, round + 1, frames);
        }
    }
    for (; round < rounds; ++round) {
        if (round & 1)
            equaliseRound<G, 1, false, false>(eq, carry, rows, eqRows, round, frames);
        else
            equaliseRound<G, 0, false, false>(eq, carry, rows, eqRows, round, frames);
    }
}

using EqualiseLanes = void (*)(EqLanes*, float (*)[kRowWidth], const float (*)[kRowWidth], int);

EqualiseLanes equaliseLanesFor(int groups) {
    switch (groups) {
        case 1:
            return equaliseLanes<1>;
        case 2:
            return equaliseLanes<2>;
        case 3:
            return equaliseLanes<3>;
        default:
            return equaliseLanes<4>;
    }
}

// The running bands of the master equaliser, left channel in lane 0, right in lane 1.
struct MasterBands {
    __m128 b0[kEqBands];
    __m128 b1[kEqBands];
    __m128 b2[kEqBands];
    __m128 a1[kEqBands];
    __m128 a2[kEqBands];
    __m128 x1[kEqBands];
    __m128 x2[kEqBands];
    __m128 y1[kEqBands];
    __m128 y2[kEqBands];
    __m128 mix[kEqBands];
    __m128 goal;
    bool settled[kEqBands];  // the wet share no longer moves
};

// Round `round` of the pipelined master equaliser: band r works on sample round - r.
template <int kCount, bool kFull, bool kSettled>
inline void masterRound(MasterBands& m, __m128 (&carry)[kEqBands], float* left, float* right, int round, int frames) {
    const __m128 one = _mm_set1_ps(1.0f);
#pragma GCC unroll 3
    for (int r = kCount - 1; r >= 0; --r) {
        const int i = round - r;
        if (!kFull && (i < 0 || i >= frames))
            continue;
        const __m128 input = r == 0 ? _mm_unpacklo_ps(_mm_load_ss(left + i), _mm_load_ss(right + i)) : carry[r - 1];
        if (!kSettled && !m.settled[r]) {
            // approachMix in Mixer.cpp.
            const __m128 difference = _mm_sub_ps(m.goal, m.mix[r]);
            const __m128 moved = select(_mm_cmpgt_ps(_mm_and_ps(difference, kMagnitude), _mm_set1_ps(1e-6f)),
                                        _mm_add_ps(m.mix[r], _mm_mul_ps(difference, _mm_set1_ps(0.01f))), m.mix[r]);
            m.settled[r] = sameBits(moved, m.mix[r]);
            m.mix[r] = moved;
        }
        const __m128 x = guardZero(input);
        const __m128 y = biquad(x, m.b0[r], m.b1[r], m.b2[r], m.a1[r], m.a2[r], m.x1[r], m.x2[r], m.y1[r], m.y2[r]);
        m.x2[r] = m.x1[r];
        m.x1[r] = x;
        m.y2[r] = m.y1[r];
        m.y1[r] = y;
        const __m128 output = _mm_add_ps(_mm_mul_ps(_mm_sub_ps(one, m.mix[r]), x), _mm_mul_ps(m.mix[r], y));
        if (r == kCount - 1) {
            _mm_store_ss(left + i, output);
            _mm_store_ss(right + i, _mm_shuffle_ps(output, output, _MM_SHUFFLE(1, 1, 1, 1)));
        } else {
            carry[r] = output;
        }
    }
}

// The master equaliser over a block. In the sample-by-sample path a band runs over the whole
// block before the next; here band r works on sample round - r, so the bands of a round overlap,
// and each still sees its samples in order.
template <int kCount>
void equaliseMaster(MasterBands& m, float* left, float* right, int frames) {
    __m128 carry[kEqBands] = {_mm_setzero_ps(), _mm_setzero_ps(), _mm_setzero_ps()};
    int round = 0;
    for (; round < kCount - 1 && round < frames + kCount - 1; ++round)
        masterRound<kCount, false, false>(m, carry, left, right, round, frames);
    bool settled = false;
    for (; round < frames; ++round) {
        if (!settled) {
            settled = true;
            for (int r = 0; r < kCount; ++r)
                settled = settled && m.settled[r];
        }
        if (settled)
            masterRound<kCount, true, true>(m, carry, left, right, round, frames);
        else
            masterRound<kCount, true, false>(m, carry, left, right, round, frames);
    }
    for (; round < frames + kCount - 1; ++round)
        masterRound<kCount, false, false>(m, carry, left, right, round, frames);
}

// Four samples of mixSample's master sums (and with kOutputs 6 its send sums): each voice's
// share added in voice order, as mixSample adds them sample by sample. `magnitude` keeps each
// voice's greatest |sample| for its meter (see foldPeak).
template <int kOutputs>
inline void sumBlock(int summed, const __m128* const* source, const __m128 (*gain)[6], __m128* magnitude,
                     float* left, float* right, float (*sends)[kBatchFrames], int k) {
    __m128 sum[kOutputs];
    for (int o = 0; o < kOutputs; ++o)
        sum[o] = _mm_setzero_ps();
    for (int i = 0; i < summed; ++i) {
        const __m128 p = *source[i];
        sum[0] = _mm_add_ps(sum[0], _mm_mul_ps(p, gain[i][0]));
        sum[1] = _mm_add_ps(sum[1], _mm_mul_ps(p, gain[i][1]));
        for (int o = 2; o < kOutputs; ++o)
            sum[o] = _mm_add_ps(sum[o], _mm_mul_ps(p, gain[i][o]));
        // maxps(x, m) keeps m when x is NaN, as the meter passes NaN over.
        magnitude[i] = _mm_max_ps(_mm_and_ps(p, kMagnitude), magnitude[i]);
    }
    _mm_storeu_ps(left, sum[0]);
    _mm_storeu_ps(right, sum[1]);
    for (int o = 2; o < kOutputs; ++o)
        _mm_store_ps(sends[o] + k, sum[o]);
}

// The meter takes max(peak, |p * g|) sample by sample. Rounding is symmetric in sign and never
// reverses an order, so over samples sharing one gain the greatest |p * g| is the greatest |p|
// times |g|, rounded once; a NaN sample or gain is passed over either way. `magnitude` starts at
// -infinity, which scales to -infinity or NaN and so adds nothing when no sample was taken.
inline void foldPeak(__m128 magnitude, float gainLeft, float gainRight, float& peakLeft, float& peakRight) {
    alignas(16) float lanes[kLanes];
    _mm_store_ps(lanes, magnitude);
    float greatest = lanes[0];
    for (int l = 1; l < kLanes; ++l)
        greatest = std::max(greatest, lanes[l]);
    peakLeft = std::max(peakLeft, greatest * std::fabs(gainLeft));
    peakRight = std::max(peakRight, greatest * std::fabs(gainRight));
}

}  // namespace

struct VornDrums::BatchScratch {
    alignas(16) float busGain[kBatchFrames];
    __m128 busVector[kBatchFrames];
    alignas(16) float rows[kBatchFrames][kRowWidth];    // track signal, one column per voice
    alignas(16) float eqRows[kBatchFrames][kRowWidth];  // equaliser input
    alignas(16) float zeros[kBatchFrames];
    alignas(16) float sums[6][kBatchFrames];  // send 1 and send 2, left and right, from index 2
    // The smoothed gains of each control period, voice by voice (VornDrums::ControlTarget order).
    alignas(16) float control[kMaxSegments][kControlValues][kTrackSlots];
    ControlLanes controlLanes[kTrackSlots / kLanes];
    Segment segments[kMaxSegments];
    VoicePlan plans[kTrackSlots];
    int columnVoice[kColumns];
    VoiceLanes lanes[kColumns / kLanes];
    EqLanes eq[kColumns / kLanes];
    UnityColumns unity;
    std::int16_t silentPair[2];
    // 2^(semitones / 12) for the semitones of each voice's last pitch.
    bool pitchKnown[kTrackSlots];
    double pitchSemitones[kTrackSlots];
    double pitchFactor[kTrackSlots];
    // The settled bus gain every entry of busGain and busVector holds, or NaN.
    float busFilledWith = std::numeric_limits<float>::quiet_NaN();
    // Stretches of consecutive control periods that share the gains of period `table`.
    Segment spans[kMaxSegments];
    int spanTable[kMaxSegments];
};

void VornDrums::BatchScratchDeleter::operator()(BatchScratch* scratch) const { delete scratch; }

std::unique_ptr<VornDrums::BatchScratch, VornDrums::BatchScratchDeleter> VornDrums::makeBatchScratch() {
    return std::unique_ptr<BatchScratch, BatchScratchDeleter>(new BatchScratch{});
}

VstInt32 VornDrums::batchLength(VstInt32 at, VstInt32 frames) const {
    if (forceSampleBySample || trackCount > kTrackSlots)
        return 0;
    // The export fade couples the tracks through one gain.
    if (offlineRender.load(std::memory_order_relaxed) != 0 && exportRemaining < kExportFadeFrames)
        return 0;
    if (!midiInput.empty())
        return 0;
    std::int64_t length = std::min<std::int64_t>(frames - at, kBatchFrames);
    if (!pendingEvents.empty())
        length = std::min<std::int64_t>(length, static_cast<std::int64_t>(pendingEvents.soonestCountdown()) - 1);
    if (length < kMinBatchFrames)
        return 0;

    // Voices that share a track share its signal and equaliser from sample to sample.
    std::uint32_t tracksSeen = 0;
    for (const TrackVoice& voice : voices) {
        if (voice.track >= trackCount)
            continue;
        if (voice.track < 0)
            return 0;
        const std::uint32_t bit = 1u << voice.track;
        if ((tracksSeen & bit) != 0)
            return 0;
        tracksSeen |= bit;
        if (voice.command == kNoCommand || voice.loading)
            continue;
        const auto t = static_cast<std::size_t>(voice.track);
        const Sound* sound = voiceSound(voice);
        const bool callsRender = sound != nullptr && (tracks.synthRoute[t] == 0.0f || tracks.synthMix[t] > 0.0f);
        if (callsRender && !sound->samples.empty())
            return 0;  // the command is taken at this sample
    }

    // A track's equaliser switches on or off at the next control-rate update; the batch ends
    // there unless that update is its first sample.
    const std::int64_t firstUpdate =
        controlCounter >= kControlPeriod - 1 ? 0 : kControlPeriod - 1 - static_cast<std::int64_t>(controlCounter);
    if (firstUpdate > 0 && firstUpdate < length) {
        for (const TrackVoice& voice : voices) {
            if (voice.track >= trackCount)
                continue;
            const auto t = static_cast<std::size_t>(voice.track);
            const bool now = tracks.eqActive[t] != 0.0f;
            const bool then = tracks.eqOnSample[t] + tracks.eqOnSynth[t] != 0.0f;
            if (now != then) {
                length = firstUpdate;
                break;
            }
        }
    }
    return length < kMinBatchFrames ? 0 : static_cast<VstInt32>(length);
}

void VornDrums::renderBatch(float** outputs, VstInt32 at, VstInt32 frames) {
    static_assert(kControlValues == kControlTargets);
    BatchScratch& s = *batchScratch;
    const int n = frames;
    batchedFrames += n;
    const bool exporting = offlineRender.load(std::memory_order_relaxed) != 0;
    const bool metering = editorOpen();

    // The bus gain and the pending events for the whole batch; the MIDI ring is empty.
    const bool busFinite = std::isfinite(voiceBusGain);
    voiceBusGain = rampBusGain(voiceBusGain, s.busGain, s.busVector, n, s.busFilledWith);
    pendingEvents.countDownWithoutFiring(n);
    const int segmentCount = splitAtControlUpdates(controlCounter, n, s.segments);
    // When the first sample runs the control-rate update, the equaliser switches follow the
    // settings from the start; otherwise they keep their values through the batch.
    const bool eqFromSettings = s.segments[0].update;

    // --- which voice goes where --------------------------------------------------------------
    int voiceOfTrack[kTrackSlots];
    std::fill(std::begin(voiceOfTrack), std::end(voiceOfTrack), -1);
    for (int v = 0; v < kTrackSlots; ++v) {
        VoicePlan& plan = s.plans[v];
        plan = VoicePlan{};
        TrackVoice& voice = voices[static_cast<std::size_t>(v)];
        if (voice.track >= trackCount)
            continue;
        const auto t = static_cast<std::size_t>(voice.track);
        voiceOfTrack[t] = v;
        plan.mixed = true;
        const bool routed = tracks.synthRoute[t] != 0.0f;
        const Sound* sound = voiceSound(voice);
        if (sound != nullptr && !voice.loading) {
            voice.rendered = 1;
            plan.callsRender = !routed || tracks.synthMix[t] > 0.0f;
            plan.plays = plan.callsRender && !sound->samples.empty();
        }
        plan.lane = plan.plays && !silentVoice(voice, tracks.oneShot[t] != 0.0f);
        plan.eqSample = tracks.eqOnSample[t] != 0.0f;
        plan.synthThroughEq = routed && tracks.eqOnSynth[t] != 0.0f;
        plan.synthPart = routed && drumSynthPlugin != nullptr;
        plan.equalised =
            eqFromSettings ? tracks.eqOnSample[t] + tracks.eqOnSynth[t] != 0.0f : tracks.eqActive[t] != 0.0f;
        plan.heard = (!soloSelected || voice.track == selectedTrack) && tracks.mute[t] == 0.0f;
    }
    // Columns: voices in lanes first, those with an equaliser in the middle, so that the lanes and
    // the equalised tracks each take one run of columns.
    int columnCount = 0;
    auto takeColumns = [&](bool lane, bool equalised) {
        for (int v = 0; v < kTrackSlots; ++v) {
            VoicePlan& plan = s.plans[v];
            if (plan.mixed && plan.lane == lane && plan.equalised == equalised) {
                s.columnVoice[columnCount] = v;
                plan.column = columnCount++;
            }
        }
    };
    takeColumns(true, false);
    const int eqBegin = columnCount;
    takeColumns(true, true);
    const int laneCount = columnCount;
    takeColumns(false, true);
    const int eqEnd = columnCount;
    takeColumns(false, false);

    // --- the voices in lanes -----------------------------------------------------------------
    const int groupCount = (laneCount + kLanes - 1) / kLanes;
    for (int g = 0; g < groupCount; ++g) {
        VoiceLanes& lanes = s.lanes[g];
        float position[kLanes], velocityGain[kLanes], targetGain[kLanes], declick[kLanes], startBound[kLanes],
            endBound[kLanes], endGuard[kLanes], startFrame[kLanes], newGain[kLanes];
        bool fading[kLanes], restart[kLanes], gate[kLanes], oneShot[kLanes], reverse[kLanes], loop[kLanes],
            eqSample[kLanes], synthThroughEq[kLanes], synthPart[kLanes];
        std::int32_t lastFrame[kLanes];
        lanes.directions = lanes.anySynth = lanes.anySynthThroughEq = lanes.anyEqInput = false;
        lanes.steady = true;
        float readFrom[kLanes], readBelow[kLanes];
        for (int l = 0; l < kLanes; ++l) {
            const int column = g * kLanes + l;
            const int v = column < laneCount ? s.columnVoice[column] : -1;
            lanes.voice[l] = v;
            if (v < 0) {
                // A spare lane: a voice without a sound, away from the idle position, that
                // moves by nothing.
                position[l] = -2.0f;
                velocityGain[l] = targetGain[l] = newGain[l] = 0.0f;
                declick[l] = 1.0f;
                startBound[l] = endBound[l] = endGuard[l] = startFrame[l] = 0.0f;
                fading[l] = restart[l] = gate[l] = oneShot[l] = reverse[l] = loop[l] = false;
                eqSample[l] = synthThroughEq[l] = synthPart[l] = false;
                lastFrame[l] = -1;
                readFrom[l] = std::numeric_limits<float>::infinity();
                readBelow[l] = -std::numeric_limits<float>::infinity();
                lanes.samples[l] = s.silentPair;
                lanes.synth[l] = s.zeros;
                continue;
            }
            const TrackVoice& voice = voices[static_cast<std::size_t>(v)];
            const VoicePlan& plan = s.plans[v];
            const auto t = static_cast<std::size_t>(voice.track);
            const Sound* sound = voiceSound(voice);
            position[l] = voice.position;
            velocityGain[l] = voice.velocityGain;
            targetGain[l] = voice.targetVelocityGain;
            declick[l] = voice.declickGain;
            fading[l] = voice.fading != 0;
            restart[l] = voice.restartPending != 0;
            gate[l] = voice.gateOn != 0;
            oneShot[l] = tracks.oneShot[t] != 0.0f;
            reverse[l] = tracks.reverse[t] != 0.0f;
            loop[l] = tracks.loop[t] != 0.0f;
            startBound[l] = voice.startBound;
            endBound[l] = voice.endBound;
            endGuard[l] = voice.endBound - kEndGuardFrames;
            startFrame[l] = voice.startFrame;
            newGain[l] = voice.newVelocityGain;
            // A sound of fewer than two frames has nothing to interpolate; frame 0 of the
            // silent pair stands in for it.
            const bool pairs = sound->frameCount >= 2 && sound->samples.size() >= 2;
            lastFrame[l] = pairs ? sound->frameCount - 1 : -1;
            lanes.samples[l] = pairs ? sound->samples.data() : s.silentPair;
            eqSample[l] = plan.eqSample;
            synthThroughEq[l] = plan.synthThroughEq;
            synthPart[l] = plan.synthPart;
            lanes.synth[l] = plan.synthPart ? drumSynthPlugin->outputChannel(2 + voice.track) + at : s.zeros;
            lanes.directions = lanes.directions || reverse[l] || loop[l];
            lanes.anySynth = lanes.anySynth || synthPart[l];
            lanes.anySynthThroughEq = lanes.anySynthThroughEq || synthThroughEq[l];
            lanes.anyEqInput = lanes.anyEqInput || plan.equalised;
            // renderVoice reads at a position p inside [startBound, endBound - 3) whose n = trunc(p)
            // has n >= 0 and n + 1 < frameCount: for p > -1 and p < frameCount - 1, exactly, as
            // long as frameCount - 1 is a float. One range holds both tests.
            if (!pairs) {
                readFrom[l] = std::numeric_limits<float>::infinity();
                readBelow[l] = -std::numeric_limits<float>::infinity();
            } else {
                const float aboveIdle = std::nextafter(-1.0f, 0.0f);
                const auto lastPair = static_cast<float>(sound->frameCount - 1);
                readFrom[l] = startBound[l] > aboveIdle || std::isnan(startBound[l]) ? startBound[l] : aboveIdle;
                readBelow[l] = endGuard[l] < lastPair || std::isnan(endGuard[l]) ? endGuard[l] : lastPair;
                lanes.steady = lanes.steady && sound->frameCount <= (1 << 24);
            }
        }
        lanes.position = lanesOf(position);
        lanes.velocityGain = lanesOf(velocityGain);
        lanes.targetGain = lanesOf(targetGain);
        lanes.declick = lanesOf(declick);
        lanes.startBound = lanesOf(startBound);
        lanes.endBound = lanesOf(endBound);
        lanes.endGuard = lanesOf(endGuard);
        lanes.startFrame = lanesOf(startFrame);
        lanes.newGain = lanesOf(newGain);
        lanes.fading = maskOf(fading[0], fading[1], fading[2], fading[3]);
        lanes.restart = maskOf(restart[0], restart[1], restart[2], restart[3]);
        lanes.gate = maskOf(gate[0], gate[1], gate[2], gate[3]);
        lanes.oneShot = maskOf(oneShot[0], oneShot[1], oneShot[2], oneShot[3]);
        lanes.reverse = maskOf(reverse[0], reverse[1], reverse[2], reverse[3]);
        lanes.loop = maskOf(loop[0], loop[1], loop[2], loop[3]);
        lanes.eqSample = maskOf(eqSample[0], eqSample[1], eqSample[2], eqSample[3]);
        lanes.synthThroughEq = maskOf(synthThroughEq[0], synthThroughEq[1], synthThroughEq[2], synthThroughEq[3]);
        lanes.synthPart = maskOf(synthPart[0], synthPart[1], synthPart[2], synthPart[3]);
        lanes.spare = maskOf(lanes.voice[0] < 0, lanes.voice[1] < 0, lanes.voice[2] < 0, lanes.voice[3] < 0);
        lanes.lastFrame = _mm_setr_epi32(lastFrame[0], lastFrame[1], lastFrame[2], lastFrame[3]);
        lanes.readFrom = lanesOf(readFrom);
        lanes.readBelow = lanesOf(readBelow);
        lanes.settled = false;
        lanes.anyFading = _mm_movemask_ps(lanes.fading) != 0;
    }

    // --- control-rate updates: the gains of all sixteen voices approach their targets in lanes;
    // the targets, the rate and the equaliser switch stay as the first update sets them, since
    // nothing they depend on changes within a batch.
    bool anyUpdate = false;
    for (int segment = 0; segment < segmentCount; ++segment)
        anyUpdate = anyUpdate || s.segments[segment].update;
    float rateBefore[kTrackSlots];
    float rateAfter[kTrackSlots];
    {
        alignas(16) float values[kControlTargets][kTrackSlots];
        alignas(16) float targets[kControlTargets][kTrackSlots];
        for (int v = 0; v < kTrackSlots; ++v) {
            TrackVoice& voice = voices[static_cast<std::size_t>(v)];
            values[kTargetSampleGain][v] = voice.sampleGain;
            values[kTargetSynthGain][v] = voice.synthGain;
            values[kTargetGainLeft][v] = voice.gainLeft;
            values[kTargetGainRight][v] = voice.gainRight;
            values[kTargetSend1Left][v] = voice.send1Left;
            values[kTargetSend1Right][v] = voice.send1Right;
            values[kTargetSend2Left][v] = voice.send2Left;
            values[kTargetSend2Right][v] = voice.send2Right;
            rateBefore[v] = rateAfter[v] = voice.rate;
            const bool controlled = voice.track >= 0 && voice.track < kTrackSlots;
            if (anyUpdate && controlled) {
                float target[kControlTargets];
                controlTargets(voice, target);
                for (int i = 0; i < kControlTargets; ++i)
                    targets[i][v] = target[i];
                // The pitch only changes with a new note or setting: the last factor is kept.
                const double semitones = controlSemitones(voice);
                if (!s.pitchKnown[v] || !(s.pitchSemitones[v] == semitones)) {
                    s.pitchFactor[v] = std::pow(2.0, semitones / 12.0);
                    s.pitchSemitones[v] = semitones;
                    s.pitchKnown[v] = true;
                }
                rateAfter[v] = controlRate(voice, s.pitchFactor[v]);
                const auto t = static_cast<std::size_t>(voice.track);
                tracks.eqActive[t] = tracks.eqOnSample[t] + tracks.eqOnSynth[t];
            } else {
                // A value that is its own target never moves.
                for (int i = 0; i < kControlTargets; ++i)
                    targets[i][v] = values[i][v];
            }
        }
        for (int g = 0; g < kTrackSlots / kLanes; ++g) {
            ControlLanes& control = s.controlLanes[g];
            for (int i = 0; i < kControlTargets; ++i) {
                control.value[i] = _mm_load_ps(values[i] + g * kLanes);
                control.target[i] = _mm_load_ps(targets[i] + g * kLanes);
            }
            control.settled = !anyUpdate;
        }
    }

    bool newRates = false;
    for (int v = 0; v < kTrackSlots; ++v)
        newRates = newRates || !sameBits(rateBefore[v], rateAfter[v]);
    // Periods whose gains and rates are those of an earlier period share its table, and its
    // lanes keep their parameters: the voices play such stretches in one go.
    auto playStretch = [&](int begin, int end) {
        for (int g = 0; g < groupCount; ++g) {
            VoiceLanes& lanes = s.lanes[g];
            const int column = g * kLanes;
            const int variant = variantOf(lanes);
            const auto unity = [&](int a, int b) {
                return (lanes.anySynth ? playUnityLanes<true> : playUnityLanes<false>)(lanes, activeLanes(lanes),
                                                                                       s.busGain, a, b, s.rows,
                                                                                       s.eqRows, column, s.unity);
            };
            for (int from = begin; from < end;) {
                const __m128 active = activeLanes(lanes);
                if (!lanes.directions) {
                    int until = end;
                    int result = unity(from, until);
                    // A fade ends at from + result: everything before it in one go, that sample
                    // the long way.
                    while (result >= 0) {
                        until = from + result;
                        result = until > from ? unity(from, until) : kUnityDone;
                    }
                    if (result == kUnityDone) {
                        if (until < end) {
                            kPlayVariants[variant](lanes, s.busVector, until, until + 1, s.rows, s.eqRows, column);
                            ++until;
                        }
                        from = until;
                        continue;
                    }
                }
                // Not at a rate of 1: the steady lanes if nothing starts or stops, otherwise a
                // control period sample by sample.
                const int until = std::min(end, from + kControlPeriod);
                const PlaySteady steady =
                    _mm_movemask_ps(active) == 0xF ? kSteadyVariants<true>[variant] : kSteadyVariants<false>[variant];
                if (!lanes.steady || !steady(lanes, active, s.busVector, from, until, s.rows, s.eqRows, column))
                    kPlayVariants[variant](lanes, s.busVector, from, until, s.rows, s.eqRows, column);
                from = until;
            }
        }
    };
    int stretchBegin = 0;
    bool updated = false;
    int table = -1;
    int spanCount = 0;
    for (int segment = 0; segment < segmentCount; ++segment) {
        const Segment& period = s.segments[segment];
        bool changed = table < 0;
        if (period.update) {
            changed = changed || (!updated && newRates);  // the first update brings the new rates
            updated = true;
            const __m128 closeEnough = _mm_set1_ps(1e-6f);
            const __m128 step = _mm_set1_ps(0.01f);
            for (int g = 0; g < kTrackSlots / kLanes; ++g) {
                ControlLanes& lanes = s.controlLanes[g];
                if (lanes.settled)
                    continue;
                // approach() in TrackState.cpp.
                bool settled = true;
                for (int i = 0; i < kControlTargets; ++i) {
                    const __m128 difference = _mm_sub_ps(lanes.target[i], lanes.value[i]);
                    const __m128 moved =
                        select(_mm_cmpgt_ps(_mm_and_ps(difference, kMagnitude), closeEnough),
                               _mm_add_ps(lanes.value[i], _mm_mul_ps(difference, step)), lanes.value[i]);
                    settled = settled && sameBits(moved, lanes.value[i]);
                    lanes.value[i] = moved;
                }
                lanes.settled = settled;
                changed = changed || !settled;  // an update that moved nothing keeps the table
            }
        }
        if (changed) {
            // The voices play up to here with the parameters they had.
            playStretch(stretchBegin, period.begin);
            stretchBegin = period.begin;
            table = segment;
            float(*control)[kTrackSlots] = s.control[segment];
            for (int g = 0; g < kTrackSlots / kLanes; ++g)
                for (int i = 0; i < kControlTargets; ++i)
                    _mm_store_ps(control[i] + g * kLanes, s.controlLanes[g].value[i]);
            const float* rate = updated ? rateAfter : rateBefore;
            for (int g = 0; g < groupCount; ++g) {
                VoiceLanes& lanes = s.lanes[g];
                float laneRate[kLanes], sampleGain[kLanes], synthGain[kLanes];
                for (int l = 0; l < kLanes; ++l) {
                    const int v = lanes.voice[l];
                    laneRate[l] = v < 0 ? 0.0f : rate[v];
                    sampleGain[l] = v < 0 ? 0.0f : control[kTargetSampleGain][v];
                    synthGain[l] = v < 0 ? 0.0f : control[kTargetSynthGain][v];
                }
                lanes.rate = lanesOf(laneRate);
                lanes.sampleGain = lanesOf(sampleGain);
                lanes.synthGain = lanesOf(synthGain);
            }
        }
        if (spanCount > 0 && s.spanTable[spanCount - 1] == table) {
            s.spans[spanCount - 1].end = period.end;
        } else {
            s.spans[spanCount] = period;
            s.spanTable[spanCount++] = table;
        }
    }
    playStretch(stretchBegin, n);
    if (anyUpdate) {
        float(*control)[kTrackSlots] = s.control[table];
        for (int v = 0; v < kTrackSlots; ++v) {
            TrackVoice& voice = voices[static_cast<std::size_t>(v)];
            if (voice.track < 0 || voice.track >= kTrackSlots)
                continue;
            voice.sampleGain = control[kTargetSampleGain][v];
            voice.synthGain = control[kTargetSynthGain][v];
            voice.gainLeft = control[kTargetGainLeft][v];
            voice.gainRight = control[kTargetGainRight][v];
            voice.send1Left = control[kTargetSend1Left][v];
            voice.send1Right = control[kTargetSend1Right][v];
            voice.send2Left = control[kTargetSend2Left][v];
            voice.send2Right = control[kTargetSend2Right][v];
            voice.rate = rateAfter[v];
        }
    }

    for (int g = 0; g < groupCount; ++g) {
        const VoiceLanes& lanes = s.lanes[g];
        alignas(16) float position[kLanes], velocityGain[kLanes], targetGain[kLanes], declick[kLanes];
        alignas(16) std::int32_t fading[kLanes], restart[kLanes];
        _mm_store_ps(position, lanes.position);
        _mm_store_ps(velocityGain, lanes.velocityGain);
        _mm_store_ps(targetGain, lanes.targetGain);
        _mm_store_ps(declick, lanes.declick);
        _mm_store_si128(reinterpret_cast<__m128i*>(fading), _mm_castps_si128(lanes.fading));
        _mm_store_si128(reinterpret_cast<__m128i*>(restart), _mm_castps_si128(lanes.restart));
        for (int l = 0; l < kLanes; ++l) {
            if (lanes.voice[l] < 0)
                continue;
            TrackVoice& voice = voices[static_cast<std::size_t>(lanes.voice[l])];
            voice.position = position[l];
            voice.velocityGain = velocityGain[l];
            voice.targetVelocityGain = targetGain[l];
            voice.declickGain = declick[l];
            // A fade that ended and a restart that happened set these to 0; the others keep
            // their values.
            if (fading[l] == 0)
                voice.fading = 0;
            if (restart[l] == 0)
                voice.restartPending = 0;
        }
    }

    // --- the voices outside the lanes: silent throughout, only their velocity gain moves -----
    for (int v = 0; v < kTrackSlots; ++v) {
        VoicePlan& plan = s.plans[v];
        if (!plan.mixed || plan.lane)
            continue;
        TrackVoice& voice = voices[static_cast<std::size_t>(v)];
        if (plan.plays) {
            float gain = voice.velocityGain;
            const float target = voice.targetVelocityGain;
            for (int k = 0; k < n; ++k) {
                const float next = target > gain ? gain + (target - gain) * 0.01f : target;
                if (sameBits(next, gain))
                    break;
                gain = next;
            }
            voice.velocityGain = gain;
        }
        // The sample part is +0 or -0 (0 times finite gains) and the synth part +0, so the signal
        // is +0 unless a gain is not finite or a part bypasses the sum.
        bool finiteGains = busFinite;
        for (int span = 0; span < spanCount && finiteGains; ++span)
            finiteGains = std::isfinite(s.control[s.spanTable[span]][kTargetSampleGain][v]);
        plan.silent = !plan.synthPart && !plan.synthThroughEq && !plan.equalised && (!plan.callsRender || finiteGains);
        if (plan.silent)
            continue;
        const float* synth = plan.synthPart ? drumSynthPlugin->outputChannel(2 + voice.track) + at : nullptr;
        const int c = plan.column;
        for (int span = 0; span < spanCount; ++span) {
            const Segment& period = s.spans[span];
            const float sampleGain = s.control[s.spanTable[span]][kTargetSampleGain][v];
            const float synthGain = s.control[s.spanTable[span]][kTargetSynthGain][v];
            // Without a synth part, 0 times a bus gain that is neither negative nor -0 nor
            // infinite is +0, and +0 times a finite sample gain the same zero throughout.
            const bool steadyParts =
                !plan.synthPart && busFinite && !std::signbit(s.busGain[period.begin]) && std::isfinite(sampleGain);
            for (int k = period.begin; k < period.end; ++k) {
                float samplePart = plan.callsRender ? 0.0f * s.busGain[k] * sampleGain : 0.0f;
                const float synthPart = plan.synthPart ? synth[k] * s.busGain[k] * synthGain : 0.0f;
                float signal = 0.0f;
                if (!plan.eqSample) {
                    signal = samplePart;
                    samplePart = 0.0f;
                }
                if (plan.synthThroughEq)
                    samplePart += synthPart;
                else
                    signal += synthPart;
                s.rows[k][c] = signal;
                s.eqRows[k][c] = samplePart;
                if (steadyParts) {
                    for (++k; k < period.end; ++k) {
                        s.rows[k][c] = signal;
                        s.eqRows[k][c] = samplePart;
                    }
                }
            }
        }
    }

    // --- the track equalisers ------------------------------------------------------------------
    const int eqGroups = (eqEnd - eqBegin + kLanes - 1) / kLanes;
    for (int q = 0; q < eqGroups; ++q) {
        EqLanes& eq = s.eq[q];
        eq.column = eqBegin + q * kLanes;
        bool inUse[kLanes];
        for (int l = 0; l < kLanes; ++l) {
            inUse[l] = eq.column + l < eqEnd;
            eq.track[l] = inUse[l] ? voices[static_cast<std::size_t>(s.columnVoice[eq.column + l])].track : -1;
        }
        eq.inUse = maskOf(inUse[0], inUse[1], inUse[2], inUse[3]);
        for (int band = 0; band < kEqBands; ++band) {
            float b0[kLanes], b1[kLanes], b2[kLanes], a1[kLanes], a2[kLanes];
            for (int l = 0; l < kLanes; ++l) {
                const EqCoefficients c =
                    inUse[l]
                        ? trackEq[static_cast<std::size_t>(eq.track[l])][static_cast<std::size_t>(band)].coefficients
                        : EqCoefficients{};
                b0[l] = c.b0;
                b1[l] = c.b1;
                b2[l] = c.b2;
                a1[l] = c.a1;
                a2[l] = c.a2;
            }
            eq.b0[band] = lanesOf(b0);
            eq.b1[band] = lanesOf(b1);
            eq.b2[band] = lanesOf(b2);
            eq.a1[band] = lanesOf(a1);
            eq.a2[band] = lanesOf(a2);
            for (int stage = 0; stage < 2; ++stage) {
                float x1[kLanes], x2[kLanes], y1[kLanes], y2[kLanes], mix[kLanes];
                for (int l = 0; l < kLanes; ++l) {
                    const EqStage st =
                        inUse[l] ? trackEq[static_cast<std::size_t>(eq.track[l])][static_cast<std::size_t>(band)]
                                       .stages[static_cast<std::size_t>(stage)]
                                 : EqStage{.mix = 1.0f};
                    x1[l] = st.x1;
                    x2[l] = st.x2;
                    y1[l] = st.y1;
                    y2[l] = st.y2;
                    mix[l] = st.mix;
                }
                const int i = band * 2 + stage;
                // Sample -1 in slot 1, sample -2 in slot 0 (see equaliseStage).
                eq.x[i][1] = lanesOf(x1);
                eq.x[i][0] = lanesOf(x2);
                eq.y[i][1] = lanesOf(y1);
                eq.y[i][0] = lanesOf(y2);
                eq.mix[i] = lanesOf(mix);
                eq.dry[i] = _mm_sub_ps(_mm_set1_ps(1.0f), eq.mix[i]);
                eq.settled[i] = false;
            }
        }
    }
    if (eqGroups > 0)
        equaliseLanesFor(eqGroups)(s.eq, s.rows, s.eqRows, n);
    for (int q = 0; q < eqGroups; ++q) {
        const EqLanes& eq = s.eq[q];
        for (int band = 0; band < kEqBands; ++band) {
            for (int stage = 0; stage < 2; ++stage) {
                const int i = band * 2 + stage;
                float x1[kLanes], x2[kLanes], y1[kLanes], y2[kLanes], mix[kLanes];
                // The last sample, n - 1, is in slot (n - 1) % 2.
                const int last = (n - 1) & 1;
                _mm_storeu_ps(x1, eq.x[i][last]);
                _mm_storeu_ps(x2, eq.x[i][1 - last]);
                _mm_storeu_ps(y1, eq.y[i][last]);
                _mm_storeu_ps(y2, eq.y[i][1 - last]);
                _mm_storeu_ps(mix, eq.mix[i]);
                for (int l = 0; l < kLanes; ++l) {
                    if (eq.track[l] < 0)
                        continue;
                    EqStage& st = trackEq[static_cast<std::size_t>(eq.track[l])][static_cast<std::size_t>(band)]
                                      .stages[static_cast<std::size_t>(stage)];
                    st.x1 = x1[l];
                    st.x2 = x2[l];
                    st.y1 = y1[l];
                    st.y2 = y2[l];
                    st.mix = mix[l];
                }
            }
        }
    }

    // --- the sums, in voice order, and the track outputs ------------------------------------------
    // Each sample's outputs are written in the order mixSample writes them (master, tracks, then
    // the send inputs), so that buffers a host or plug-in shares between channels end up as they
    // would sample by sample.
    float* const masterLeft = outputs[0] + at;
    float* const masterRight = outputs[1] + at;
    float* sends[4] = {};
    for (int slot = 0; slot < 2; ++slot) {
        if (effectSlots[static_cast<std::size_t>(slot)] != nullptr) {
            sends[2 * slot] = s.sums[2 + 2 * slot];
            sends[2 * slot + 1] = s.sums[3 + 2 * slot];
        }
    }
    const bool anySend = sends[0] != nullptr || sends[2] != nullptr;
    const int outputCount = anySend ? 6 : 2;
    constexpr int kZeroColumn = kColumns;  // a signal of +0 throughout

    // The voices that reach the sums, in voice order.
    int summed = 0;
    int summedVoice[kTrackSlots];
    int summedColumn[kTrackSlots];
    for (int v = 0; v < kTrackSlots; ++v) {
        const VoicePlan& plan = s.plans[v];
        if (!plan.mixed || !plan.heard)
            continue;
        const TrackVoice& voice = voices[static_cast<std::size_t>(v)];
        if (plan.silent && !(voice.peakLeft < 0.0f) && !(voice.peakRight < 0.0f)) {
            // +0 times finite gains adds nothing and raises no peak.
            bool finiteGains = true;
            for (int span = 0; span < spanCount && finiteGains; ++span) {
                const float(*control)[kTrackSlots] = s.control[s.spanTable[span]];
                for (int o = 0; o < outputCount; ++o)
                    finiteGains = finiteGains && std::isfinite(control[kTargetGainLeft + o][v]);
            }
            if (finiteGains)
                continue;
        }
        summedVoice[summed] = v;
        summedColumn[summed++] = plan.silent ? kZeroColumn : plan.column;
    }
    float tailPeakLeft[kTrackSlots], tailPeakRight[kTrackSlots];
    for (int i = 0; i < summed; ++i) {
        const TrackVoice& voice = voices[static_cast<std::size_t>(summedVoice[i])];
        tailPeakLeft[i] = voice.peakLeft;
        tailPeakRight[i] = voice.peakRight;
    }

    // What each track output carries: its voice's column, +0, or the track signal it had.
    const bool trackOutputs = multiOutput && !exporting;
    int outputColumn[kTrackSlots];
    for (int t = 0; t < trackCount; ++t) {
        const int v = voiceOfTrack[t];
        outputColumn[t] = v < 0 ? -1 : s.plans[v].silent ? kZeroColumn : s.plans[v].column;
    }

    const int columnGroups = (columnCount + kLanes - 1) / kLanes;
    auto signalAt = [&](int c, int k) { return c == kZeroColumn ? 0.0f : s.rows[k][c]; };
    // Four samples of every column, and of nothing, turned from the rows into one vector per
    // column; the track outputs copy them from here.
    __m128 block[kColumns + 1];
    block[kZeroColumn] = _mm_setzero_ps();
    __m128 staleSignal[kTrackSlots];
    float* outputChannel[kTrackSlots];
    const __m128* outputSource[kTrackSlots];
    int outputs4 = 0;
    if (trackOutputs) {
        for (int t = 0; t < trackCount; ++t) {
            if (float* channel = outputs[2 + t]) {
                staleSignal[t] = _mm_set1_ps(trackSignal[static_cast<std::size_t>(t)]);
                outputChannel[outputs4] = channel + at;
                outputSource[outputs4++] = outputColumn[t] < 0 ? &staleSignal[t] : &block[outputColumn[t]];
            }
        }
    }
    const __m128* summedSource[kTrackSlots];
    for (int i = 0; i < summed; ++i)
        summedSource[i] = &block[summedColumn[i]];

    for (int span = 0; span < spanCount; ++span) {
        const Segment& period = s.spans[span];
        const float(*control)[kTrackSlots] = s.control[s.spanTable[span]];
        __m128 gain[kTrackSlots][6];
        __m128 magnitude[kTrackSlots];
        for (int i = 0; i < summed; ++i) {
            for (int o = 0; o < outputCount; ++o)
                gain[i][o] = _mm_set1_ps(control[kTargetGainLeft + o][summedVoice[i]]);
            magnitude[i] = _mm_set1_ps(-std::numeric_limits<float>::infinity());
        }
        for (int k = period.begin; k < period.end;) {
            if ((k & (kLanes - 1)) == 0 && k + kLanes <= period.end) {
                for (int g = 0; g < columnGroups; ++g) {
                    __m128 r0 = _mm_load_ps(s.rows[k] + g * kLanes);
                    __m128 r1 = _mm_load_ps(s.rows[k + 1] + g * kLanes);
                    __m128 r2 = _mm_load_ps(s.rows[k + 2] + g * kLanes);
                    __m128 r3 = _mm_load_ps(s.rows[k + 3] + g * kLanes);
                    _MM_TRANSPOSE4_PS(r0, r1, r2, r3);
                    block[g * kLanes] = r0;
                    block[g * kLanes + 1] = r1;
                    block[g * kLanes + 2] = r2;
                    block[g * kLanes + 3] = r3;
                }
                if (anySend) {
                    sumBlock<6>(summed, summedSource, gain, magnitude, masterLeft + k, masterRight + k,
                                s.sums, k);
                } else {
                    sumBlock<2>(summed, summedSource, gain, magnitude, masterLeft + k, masterRight + k,
                                s.sums, k);
                }
                for (int i = 0; i < outputs4; ++i)
                    _mm_storeu_ps(outputChannel[i] + k, *outputSource[i]);
                k += kLanes;
            } else {
                // A single sample at the edge of a stretch of gains, as mixSample sums it.
                float sum[6] = {};
                for (int i = 0; i < summed; ++i) {
                    const float p = signalAt(summedColumn[i], k);
                    const int v = summedVoice[i];
                    const float left = p * control[kTargetGainLeft][v];
                    const float right = p * control[kTargetGainRight][v];
                    sum[0] += left;
                    sum[1] += right;
                    if (anySend)
                        for (int o = 2; o < 6; ++o)
                            sum[o] += p * control[kTargetGainLeft + o][v];
                    tailPeakLeft[i] = std::max(tailPeakLeft[i], std::fabs(left));
                    tailPeakRight[i] = std::max(tailPeakRight[i], std::fabs(right));
                }
                masterLeft[k] = sum[0];
                masterRight[k] = sum[1];
                for (int o = 2; o < outputCount; ++o)
                    s.sums[o][k] = sum[o];
                if (trackOutputs) {
                    for (int t = 0; t < trackCount; ++t) {
                        if (float* channel = outputs[2 + t]) {
                            const int c = outputColumn[t];
                            channel[at + k] = c < 0 ? trackSignal[static_cast<std::size_t>(t)] : signalAt(c, k);
                        }
                    }
                }
                ++k;
            }
        }
        if (!metering) {
            for (int i = 0; i < summed; ++i) {
                const int v = summedVoice[i];
                foldPeak(magnitude[i], control[kTargetGainLeft][v], control[kTargetGainRight][v], tailPeakLeft[i],
                         tailPeakRight[i]);
            }
        }
    }

    if (!metering) {
        // The peaks only took greater values, in whatever order, so they are where the
        // sample-by-sample maximum arrives.
        for (int i = 0; i < summed; ++i) {
            TrackVoice& voice = voices[static_cast<std::size_t>(summedVoice[i])];
            voice.peakLeft = tailPeakLeft[i];
            voice.peakRight = tailPeakRight[i];
        }
    }

    for (int v = 0; v < kTrackSlots; ++v) {
        const VoicePlan& plan = s.plans[v];
        if (!plan.mixed)
            continue;
        TrackVoice& voice = voices[static_cast<std::size_t>(v)];
        if (metering) {
            // The peaks decay after every sample, so they are followed sample by sample.
            for (int span = 0; span < spanCount; ++span) {
                const Segment& period = s.spans[span];
                const float(*control)[kTrackSlots] = s.control[s.spanTable[span]];
                for (int k = period.begin; k < period.end; ++k) {
                    if (plan.heard) {
                        const float p = plan.silent ? 0.0f : signalAt(plan.column, k);
                        voice.peakLeft = std::max(voice.peakLeft, std::fabs(p * control[kTargetGainLeft][v]));
                        voice.peakRight = std::max(voice.peakRight, std::fabs(p * control[kTargetGainRight][v]));
                    }
                    if (voice.peakLeft > 1e-5f)
                        voice.peakLeft *= 0.9999f;
                    if (voice.peakRight > 1e-5f)
                        voice.peakRight *= 0.9999f;
                }
            }
        }
        trackSignal[static_cast<std::size_t>(voice.track)] = plan.silent ? 0.0f : signalAt(plan.column, n - 1);
    }

    const auto bytes = sizeof(float) * static_cast<std::size_t>(n);
    for (int slot = 0; slot < 2; ++slot) {
        if (HostedPlugin* effect = effectSlots[static_cast<std::size_t>(slot)]) {
            std::memcpy(effect->inputChannel(0) + at, sends[2 * slot], bytes);
            std::memcpy(effect->inputChannel(1) + at, sends[2 * slot + 1], bytes);
        }
    }
}

void VornDrums::applyMasterGainBatched(float** outputs, VstInt32 frames) {
    const float target = masterGainTable[static_cast<std::size_t>(masterGainStep(settings.masterLevel))];
    VstInt32 i = 0;
    for (; i < frames; ++i) {
        if (std::fabs(target - masterGain) > 1e-6f) {
            const float next = masterGain + (target - masterGain) * 0.0002f;
            if (sameBits(next, masterGain))
                break;  // a step that changes nothing is the last
            masterGain = next;
        } else {
            break;
        }
        outputs[0][i] *= masterGain;
        outputs[1][i] *= masterGain;
    }
    const __m128 gain = _mm_set1_ps(masterGain);
    for (; i + kLanes <= frames; i += kLanes) {
        _mm_storeu_ps(outputs[0] + i, _mm_mul_ps(_mm_loadu_ps(outputs[0] + i), gain));
        _mm_storeu_ps(outputs[1] + i, _mm_mul_ps(_mm_loadu_ps(outputs[1] + i), gain));
    }
    for (; i < frames; ++i) {
        outputs[0][i] *= masterGain;
        outputs[1][i] *= masterGain;
    }
}

void VornDrums::applyMasterEqualiserBatched(float** outputs, VstInt32 frames) {
    const float target = masterEqOn != 0.0f ? 1.0f : 0.0f;
    // The bands that run, left in lane 0 and right in lane 1.
    int running[kEqBands];
    int count = 0;
    for (int band = 0; band < kEqBands; ++band) {
        EqBand& eqBand = masterEq[static_cast<std::size_t>(band)];
        eqBand.targetMix = target;
        if (target == 0.0f && eqBand.stages[0].mix <= 1e-6f)
            continue;
        running[count++] = band;
    }
    if (count == 0 || frames <= 0)
        return;
    __m128 b0[kEqBands], b1[kEqBands], b2[kEqBands], a1[kEqBands], a2[kEqBands];
    __m128 x1[kEqBands], x2[kEqBands], y1[kEqBands], y2[kEqBands], mix[kEqBands];
    bool settled[kEqBands];
    for (int r = 0; r < count; ++r) {
        const EqBand& band = masterEq[static_cast<std::size_t>(running[r])];
        const EqCoefficients& c = band.coefficients;
        b0[r] = _mm_set1_ps(c.b0);
        b1[r] = _mm_set1_ps(c.b1);
        b2[r] = _mm_set1_ps(c.b2);
        a1[r] = _mm_set1_ps(c.a1);
        a2[r] = _mm_set1_ps(c.a2);
        const EqStage& left = band.stages[0];
        const EqStage& right = band.stages[1];
        x1[r] = _mm_setr_ps(left.x1, right.x1, 0.0f, 0.0f);
        x2[r] = _mm_setr_ps(left.x2, right.x2, 0.0f, 0.0f);
        y1[r] = _mm_setr_ps(left.y1, right.y1, 0.0f, 0.0f);
        y2[r] = _mm_setr_ps(left.y2, right.y2, 0.0f, 0.0f);
        mix[r] = _mm_setr_ps(left.mix, right.mix, target, target);
        settled[r] = false;
    }
    MasterBands bands{};
    for (int r = 0; r < count; ++r) {
        bands.b0[r] = b0[r];
        bands.b1[r] = b1[r];
        bands.b2[r] = b2[r];
        bands.a1[r] = a1[r];
        bands.a2[r] = a2[r];
        bands.x1[r] = x1[r];
        bands.x2[r] = x2[r];
        bands.y1[r] = y1[r];
        bands.y2[r] = y2[r];
        bands.mix[r] = mix[r];
        bands.settled[r] = settled[r];
    }
    bands.goal = _mm_set1_ps(target);
    if (count == 1)
        equaliseMaster<1>(bands, outputs[0], outputs[1], frames);
    else if (count == 2)
        equaliseMaster<2>(bands, outputs[0], outputs[1], frames);
    else
        equaliseMaster<3>(bands, outputs[0], outputs[1], frames);
    for (int r = 0; r < count; ++r) {
        x1[r] = bands.x1[r];
        x2[r] = bands.x2[r];
        y1[r] = bands.y1[r];
        y2[r] = bands.y2[r];
        mix[r] = bands.mix[r];
    }
    for (int r = 0; r < count; ++r) {
        EqBand& band = masterEq[static_cast<std::size_t>(running[r])];
        alignas(16) float values[5][kLanes];
        _mm_store_ps(values[0], x1[r]);
        _mm_store_ps(values[1], x2[r]);
        _mm_store_ps(values[2], y1[r]);
        _mm_store_ps(values[3], y2[r]);
        _mm_store_ps(values[4], mix[r]);
        for (int side = 0; side < 2; ++side) {
            EqStage& stage = band.stages[static_cast<std::size_t>(side)];
            stage.x1 = values[0][side];
            stage.x2 = values[1][side];
            stage.y1 = values[2][side];
            stage.y2 = values[3][side];
            stage.mix = values[4][side];
        }
    }
}

}  // namespace rimba
