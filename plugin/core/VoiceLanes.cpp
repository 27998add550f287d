// The voice lanes: loading four voices into a group, the sample-by-sample and the steady kernels,
// and the choice of kernel for each part of a stretch. The kernel for a rate of 1 is in
// UnityLanes.cpp.

#include "plugin/core/VoiceLanes.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace rimba::batch {

namespace {

constexpr float kEndGuardFrames = 3.0f;
constexpr float kFadeEndLevel = 1e-4f;

// A group's values lane by lane before they are packed.
struct LaneArrays {
    float position[kLanes];
    float velocityGain[kLanes];
    float targetGain[kLanes];
    float declick[kLanes];
    float startBound[kLanes];
    float endBound[kLanes];
    float endGuard[kLanes];
    float startFrame[kLanes];
    float newGain[kLanes];
    float rate[kLanes];
    float sampleGain[kLanes];
    float synthGain[kLanes];
    float readFrom[kLanes];
    float readBelow[kLanes];
    std::int32_t lastFrame[kLanes];
    bool fading[kLanes];
    bool restart[kLanes];
    bool gate[kLanes];
    bool oneShot[kLanes];
    bool reverse[kLanes];
    bool loop[kLanes];
    bool eqSample[kLanes];
    bool synthThroughEq[kLanes];
    bool synthPart[kLanes];
    bool spare[kLanes];
};

// A spare lane: a voice without a sound, away from the idle position, that moves by nothing and
// reads no frame.
void setSpareLane(LaneArrays& a, int l) {
    a.position[l] = -2.0f;
    a.velocityGain[l] = a.targetGain[l] = a.newGain[l] = 0.0f;
    a.rate[l] = a.sampleGain[l] = a.synthGain[l] = 0.0f;
    a.declick[l] = 1.0f;
    a.startBound[l] = a.endBound[l] = a.endGuard[l] = a.startFrame[l] = 0.0f;
    a.fading[l] = a.restart[l] = a.gate[l] = a.oneShot[l] = a.reverse[l] = a.loop[l] = false;
    a.eqSample[l] = a.synthThroughEq[l] = a.synthPart[l] = false;
    a.spare[l] = true;
    a.lastFrame[l] = -1;
    a.readFrom[l] = std::numeric_limits<float>::infinity();
    a.readBelow[l] = -std::numeric_limits<float>::infinity();
}

// renderVoice reads at a position p inside [startBound, endBound - 3) whose n = trunc(p) has
// n >= 0 and n + 1 < frameCount: for p > -1 and p < frameCount - 1, exactly, as long as
// frameCount - 1 is a float. One range holds both tests. A sound of fewer than two frames has
// nothing to interpolate, and no position reads it.
void setReadRange(LaneArrays& a, int l, const Sound& sound, bool pairs) {
    a.lastFrame[l] = pairs ? sound.frameCount - 1 : -1;
    if (!pairs) {
        a.readFrom[l] = std::numeric_limits<float>::infinity();
        a.readBelow[l] = -std::numeric_limits<float>::infinity();
        return;
    }
    const float aboveIdle = std::nextafter(-1.0f, 0.0f);
    const auto lastPair = static_cast<float>(sound.frameCount - 1);
    const float start = a.startBound[l];
    const float guard = a.endGuard[l];
    a.readFrom[l] = start > aboveIdle || std::isnan(start) ? start : aboveIdle;
    a.readBelow[l] = guard < lastPair || std::isnan(guard) ? guard : lastPair;
}

void setLane(LaneArrays& a, int l, const LaneSource& source) {
    const TrackVoice& voice = *source.voice;
    a.position[l] = voice.position;
    a.velocityGain[l] = voice.velocityGain;
    a.targetGain[l] = voice.targetVelocityGain;
    a.declick[l] = voice.declickGain;
    a.fading[l] = voice.fading != 0;
    a.restart[l] = voice.restartPending != 0;
    a.gate[l] = voice.gateOn != 0;
    a.oneShot[l] = source.oneShot;
    a.reverse[l] = source.reverse;
    a.loop[l] = source.loop;
    a.startBound[l] = voice.startBound;
    a.endBound[l] = voice.endBound;
    a.endGuard[l] = voice.endBound - kEndGuardFrames;
    a.startFrame[l] = voice.startFrame;
    a.newGain[l] = voice.newVelocityGain;
    a.rate[l] = voice.rate;
    a.sampleGain[l] = voice.sampleGain;
    a.synthGain[l] = voice.synthGain;
    a.eqSample[l] = source.eqSample;
    a.synthThroughEq[l] = source.synthThroughEq;
    a.synthPart[l] = source.synthPart;
    a.spare[l] = false;
}

// Whether the lane reads its sound: one of two frames or more.
bool readsPairs(const Sound& sound) { return sound.frameCount >= 2 && sound.samples.size() >= 2; }

// renderVoice's silence tests at `position`: the lanes that move and read this sample.
inline __m128 activeAt(const VoiceLanes& lanes, __m128 position, __m128 fading) {
    const __m128 sounding =
        _mm_and_ps(_mm_cmpge_ps(position, lanes.startBound), _mm_cmplt_ps(position, lanes.endBound));
    const __m128 playing = _mm_or_ps(_mm_or_ps(lanes.gate, fading), _mm_and_ps(lanes.oneShot, sounding));
    return _mm_andnot_ps(_mm_andnot_ps(fading, _mm_cmpeq_ps(position, _mm_set1_ps(kIdlePosition))), playing);
}

// renderVoice's move: forwards, or with kDirections backwards where a lane reverses, and back to
// the other bound where a looping lane passes one.
template <bool kDirections>
inline __m128 movedPosition(const VoiceLanes& lanes, __m128 position, __m128 rate, __m128 startBound, __m128 endBound) {
    if constexpr (kDirections) {
        __m128 forward = _mm_add_ps(position, rate);
        forward = select(_mm_and_ps(lanes.loop, _mm_cmpge_ps(forward, endBound)), startBound, forward);
        __m128 backward = _mm_sub_ps(position, rate);
        backward = select(_mm_and_ps(lanes.loop, _mm_cmplt_ps(backward, startBound)), endBound, backward);
        return select(lanes.reverse, backward, forward);
    } else {
        (void)lanes;
        (void)startBound;
        (void)endBound;
        return _mm_add_ps(position, rate);
    }
}

// Frames n and n + 1 of each lane's sound, n taken from `index`.
inline __m128i gatherPairs(const std::int16_t* const (&samples)[kLanes], __m128i index) {
    alignas(16) std::uint32_t at[kLanes];
    _mm_store_si128(reinterpret_cast<__m128i*>(at), index);
    return _mm_unpacklo_epi64(_mm_unpacklo_epi32(framePair(samples[0], at[0]), framePair(samples[1], at[1])),
                              _mm_unpacklo_epi32(framePair(samples[2], at[2]), framePair(samples[3], at[3])));
}

// renderVoice's value: the frame at the position and the next, interpolated at its fraction,
// scaled to +-1 and by the declick and velocity gains; +0 in lanes outside `take`, which read a
// harmless frame 0. kScaled: the frames are read as int16 << 16, which float holds exactly; the
// interpolation then runs on values 65536 times larger, and so exactly scaled, and 2^-31 instead
// of 1/32768 undoes it.
template <bool kScaled>
inline __m128 voiceValue(const std::int16_t* const (&samples)[kLanes], __m128 position, __m128 take, __m128 declick,
                         __m128 velocityGain) {
    const __m128i whole = _mm_cvttps_epi32(position);
    const __m128i pairs = gatherPairs(samples, _mm_and_si128(whole, _mm_castps_si128(take)));
    __m128 here;
    __m128 next;
    __m128 toUnit;
    if constexpr (kScaled) {
        here = _mm_cvtepi32_ps(_mm_slli_epi32(pairs, 16));
        next = _mm_cvtepi32_ps(_mm_and_si128(pairs, _mm_set1_epi32(static_cast<int>(0xFFFF0000u))));
        toUnit = _mm_set1_ps(1.0f / 2147483648.0f);
    } else {
        here = _mm_cvtepi32_ps(_mm_srai_epi32(_mm_slli_epi32(pairs, 16), 16));
        next = _mm_cvtepi32_ps(_mm_srai_epi32(pairs, 16));
        toUnit = _mm_set1_ps(1.0f / 32768.0f);  // exact: the same as dividing by 32768
    }
    const __m128 fraction = _mm_sub_ps(position, _mm_cvtepi32_ps(whole));
    __m128 y = _mm_add_ps(here, _mm_mul_ps(_mm_sub_ps(next, here), fraction));
    y = _mm_mul_ps(_mm_mul_ps(_mm_mul_ps(y, toUnit), declick), velocityGain);
    return _mm_and_ps(take, y);
}

// mixSample's sample and synth parts of sample k, routed into the track signal and the
// equaliser input.
template <bool kSynth, bool kSynthThroughEq>
inline void mixParts(const VoiceLanes& lanes, __m128 y, __m128 bus, __m128 sampleGain, __m128 eqSample, int k,
                     __m128& signal, __m128& eqInput) {
    const __m128 samplePart = _mm_mul_ps(_mm_mul_ps(y, bus), sampleGain);
    __m128 synthPart = _mm_setzero_ps();
    if constexpr (kSynth) {
        const __m128 raw = _mm_setr_ps(lanes.synth[0][k], lanes.synth[1][k], lanes.synth[2][k], lanes.synth[3][k]);
        synthPart = _mm_and_ps(lanes.synthPart, _mm_mul_ps(_mm_mul_ps(raw, bus), lanes.synthGain));
    }
    signal = _mm_andnot_ps(eqSample, samplePart);
    eqInput = _mm_and_ps(eqSample, samplePart);
    if constexpr (kSynthThroughEq) {
        eqInput = select(lanes.synthThroughEq, _mm_add_ps(eqInput, synthPart), eqInput);
        signal = select(lanes.synthThroughEq, signal, _mm_add_ps(signal, synthPart));
    } else {
        signal = _mm_add_ps(signal, synthPart);
    }
}

// The declick fade after a sample; where it ends, a pending restart happens and the voice gives
// 0 for that sample.
inline void fadeOneSample(VoiceLanes& lanes, __m128& y, __m128& position, __m128& declick, __m128& fading) {
    declick = select(fading, _mm_mul_ps(declick, _mm_set1_ps(0.99f)), declick);
    const __m128 ended = _mm_and_ps(fading, _mm_cmplt_ps(magnitude(y), _mm_set1_ps(kFadeEndLevel)));
    if (_mm_movemask_ps(ended) == 0)
        return;
    fading = _mm_andnot_ps(ended, fading);
    position = select(ended, _mm_set1_ps(kIdlePosition), position);
    const __m128 restarting = _mm_and_ps(ended, lanes.restart);
    if (_mm_movemask_ps(restarting) != 0) {
        lanes.restart = _mm_andnot_ps(restarting, lanes.restart);
        position = select(restarting, lanes.startFrame, position);
        declick = select(restarting, _mm_set1_ps(1.0f), declick);
        lanes.targetGain = select(restarting, lanes.newGain, lanes.targetGain);
        lanes.settled = false;
        y = _mm_andnot_ps(restarting, y);
    }
    lanes.anyFading = _mm_movemask_ps(fading) != 0;
}

// Every lane decides at every sample, as renderVoice does, so this takes any stretch: starts,
// stops, fades that end, restarts.
template <bool kDirections, bool kSynth, bool kSynthThroughEq>
void playLanesOf(VoiceLanes& lanes, const LaneRows& rows, int begin, int end) {
    // Locals, which the stores to the rows cannot touch.
    const __m128* const bus = rows.busVector;
    Row* const signalRows = rows.signal;
    Row* const eqRows = rows.eqInput;
    const int column = rows.column;
    const __m128i noFrame = _mm_set1_epi32(-1);
    __m128 position = lanes.position;
    __m128 velocityGain = lanes.velocityGain;
    __m128 declick = lanes.declick;
    __m128 fading = lanes.fading;
    for (int k = begin; k < end; ++k) {
        if (!lanes.settled) {
            const __m128 next = nextVelocityGain(velocityGain, lanes.targetGain);
            lanes.settled = sameBits(next, velocityGain);
            velocityGain = next;
        }
        // Silent voices stay where they are.
        const __m128 active = activeAt(lanes, position, fading);
        position =
            select(active, movedPosition<kDirections>(lanes, position, lanes.rate, lanes.startBound, lanes.endBound),
                   position);
        const __m128 inside = _mm_and_ps(
            active, _mm_and_ps(_mm_cmpge_ps(position, lanes.startBound), _mm_cmplt_ps(position, lanes.endGuard)));
        const __m128i whole = _mm_cvttps_epi32(position);
        const __m128i readable =
            _mm_and_si128(_mm_cmpgt_epi32(whole, noFrame), _mm_cmplt_epi32(whole, lanes.lastFrame));
        __m128 y = voiceValue<false>(lanes.samples, position, _mm_and_ps(inside, _mm_castsi128_ps(readable)), declick,
                                     velocityGain);
        if (lanes.anyFading)
            fadeOneSample(lanes, y, position, declick, fading);
        __m128 signal;
        __m128 eqInput;
        mixParts<kSynth, kSynthThroughEq>(lanes, y, bus[k], lanes.sampleGain, lanes.eqSample, k, signal, eqInput);
        _mm_store_ps(signalRows[k] + column, signal);
        _mm_store_ps(eqRows[k] + column, eqInput);
    }
    lanes.position = position;
    lanes.velocityGain = velocityGain;
    lanes.declick = declick;
    lanes.fading = fading;
}

// What can make a stretch unsteady. Released one-shots play while they stay inside their bounds,
// and a voice that is not fading falls idle when it lands on the idle position itself.
struct SteadyWatch {
    __m128 released;
    __m128 idleOnArrival;
    bool anyReleased;
};

inline SteadyWatch steadyWatch(const VoiceLanes& lanes, __m128 active) {
    const __m128 real = _mm_andnot_ps(lanes.spare, active);
    const __m128 released = _mm_andnot_ps(_mm_or_ps(lanes.gate, lanes.fading), real);
    return {released, _mm_andnot_ps(lanes.fading, real), _mm_movemask_ps(released) != 0};
}

// Released lanes that are outside their bounds at `position`.
inline __m128 outsideBounds(const SteadyWatch& watch, __m128 position, __m128 startBound, __m128 endBound) {
    return _mm_andnot_ps(_mm_and_ps(_mm_cmpge_ps(position, startBound), _mm_cmplt_ps(position, endBound)),
                         watch.released);
}

// playLanes for a control period in which no lane starts or stops: no fade ends, no released
// one-shot leaves its bounds and no voice lands on the idle position, so which lanes move is
// known from the first sample and nothing has to be decided sample by sample. When that does not
// hold it returns false and leaves the lanes as they were (the rows it wrote are written again by
// playLanes). kAllActive: every lane moves.
template <bool kDirections, bool kSynth, bool kSynthThroughEq, bool kAllActive>
bool playSteadyOf(VoiceLanes& lanes, __m128 active, const LaneRows& rows, int begin, int end) {
    const __m128 first = lanes.position;
    __m128 position = first;
    __m128 velocityGain = lanes.velocityGain;
    __m128 previousGain = velocityGain;
    __m128 declick = lanes.declick;
    const __m128 fading = lanes.fading;
    // 0.99 for a fading lane; 1 leaves the others' declick gain exactly as it is.
    const __m128 declickStep = select(fading, _mm_set1_ps(0.99f), _mm_set1_ps(1.0f));
    const __m128 startBound = lanes.startBound;
    const __m128 endBound = lanes.endBound;
    const __m128 readFrom = lanes.readFrom;
    const __m128 readBelow = lanes.readBelow;
    const __m128 rate = lanes.rate;
    const __m128 sampleGain = lanes.sampleGain;
    const __m128 eqSample = lanes.eqSample;
    const __m128 target = lanes.targetGain;
    const std::int16_t* const samples[kLanes] = {lanes.samples[0], lanes.samples[1], lanes.samples[2],
                                                 lanes.samples[3]};
    const SteadyWatch watch = steadyWatch(lanes, active);
    const __m128* const bus = rows.busVector;
    Row* const signalRows = rows.signal;
    Row* const eqRows = rows.eqInput;
    const int column = rows.column;
    const bool moving = !lanes.settled;
    const bool anyEqInput = lanes.anyEqInput;
    __m128 broken = _mm_setzero_ps();
    __m128 quietest = _mm_set1_ps(std::numeric_limits<float>::infinity());

    for (int k = begin; k < end; ++k) {
        if (moving) {
            previousGain = velocityGain;
            velocityGain = nextVelocityGain(velocityGain, target);
        }
        const __m128 moved = movedPosition<kDirections>(lanes, position, rate, startBound, endBound);
        position = kAllActive ? moved : select(active, moved, position);
        __m128 take = _mm_and_ps(_mm_cmpge_ps(position, readFrom), _mm_cmplt_ps(position, readBelow));
        if constexpr (!kAllActive)
            take = _mm_and_ps(active, take);
        if constexpr (kDirections) {
            // Looping and reversed positions do not move one way only: watch every sample.
            if (watch.anyReleased)
                broken = _mm_or_ps(broken, outsideBounds(watch, position, startBound, endBound));
            broken =
                _mm_or_ps(broken, _mm_and_ps(watch.idleOnArrival, _mm_cmpeq_ps(position, _mm_set1_ps(kIdlePosition))));
        }
        const __m128 y = voiceValue<true>(samples, position, take, declick, velocityGain);
        declick = _mm_mul_ps(declick, declickStep);
        // min(|y|, quietest) that passes over a NaN, as the fade's |y| < 1e-4 test does.
        quietest = _mm_min_ps(magnitude(y), quietest);
        __m128 signal;
        __m128 eqInput;
        mixParts<kSynth, kSynthThroughEq>(lanes, y, bus[k], sampleGain, eqSample, k, signal, eqInput);
        _mm_store_ps(signalRows[k] + column, signal);
        if (anyEqInput)
            _mm_store_ps(eqRows[k] + column, eqInput);
    }

    if constexpr (!kDirections) {
        // Forward without a loop, every lane moves one way by the same step each sample: it left
        // its bounds if it ends outside them, and it met the idle position if it ended on or
        // across it.
        const __m128 idle = _mm_set1_ps(kIdlePosition);
        if (watch.anyReleased)
            broken = outsideBounds(watch, position, startBound, endBound);
        const __m128 crossed = _mm_or_ps(_mm_xor_ps(_mm_cmpgt_ps(first, idle), _mm_cmpgt_ps(position, idle)),
                                         _mm_cmpeq_ps(position, idle));
        broken = _mm_or_ps(broken, _mm_and_ps(watch.idleOnArrival, crossed));
    }
    broken = _mm_or_ps(broken, _mm_and_ps(fading, _mm_cmplt_ps(quietest, _mm_set1_ps(kFadeEndLevel))));
    if (_mm_movemask_ps(broken) != 0)
        return false;
    lanes.position = position;
    lanes.velocityGain = velocityGain;
    lanes.declick = declick;
    // Once a step leaves the gain as it was, it stays there.
    lanes.settled = lanes.settled || (end > begin && sameBits(previousGain, velocityGain));
    return true;
}

using PlayLanes = void (*)(VoiceLanes&, const LaneRows&, int, int);
using PlaySteady = bool (*)(VoiceLanes&, __m128, const LaneRows&, int, int);

constexpr PlayLanes kPlayVariants[8] = {
    playLanesOf<false, false, false>, playLanesOf<false, false, true>, playLanesOf<false, true, false>,
    playLanesOf<false, true, true>,   playLanesOf<true, false, false>, playLanesOf<true, false, true>,
    playLanesOf<true, true, false>,   playLanesOf<true, true, true>,
};

template <bool kAllActive>
constexpr PlaySteady kSteadyVariants[8] = {
    playSteadyOf<false, false, false, kAllActive>, playSteadyOf<false, false, true, kAllActive>,
    playSteadyOf<false, true, false, kAllActive>,  playSteadyOf<false, true, true, kAllActive>,
    playSteadyOf<true, false, false, kAllActive>,  playSteadyOf<true, false, true, kAllActive>,
    playSteadyOf<true, true, false, kAllActive>,   playSteadyOf<true, true, true, kAllActive>,
};

int variantOf(const VoiceLanes& lanes) {
    return (lanes.directions ? 4 : 0) + (lanes.anySynth ? 2 : 0) + (lanes.anySynthThroughEq ? 1 : 0);
}

// The longest start of [from, end) that playUnityLanes takes, followed by the sample at which a
// fade ends, played the long way; `from` when it takes nothing.
int playUnityPart(VoiceLanes& lanes, const LaneRows& rows, int from, int end, UnityColumns& work) {
    int until = end;
    int result = playUnityLanes(lanes, rows, from, until, work);
    while (result >= 0) {
        until = from + result;
        result = until > from ? playUnityLanes(lanes, rows, from, until, work) : kUnityDone;
    }
    if (result != kUnityDone)
        return from;
    if (until < end) {
        playLanes(lanes, rows, until, until + 1);
        ++until;
    }
    return until;
}

}  // namespace

void loadVoiceLanes(VoiceLanes& lanes, const LaneSource (&sources)[kLanes], const std::int16_t* silentPair,
                    const float* zeros) {
    LaneArrays a;
    lanes.directions = lanes.anySynth = lanes.anySynthThroughEq = lanes.anyEqInput = false;
    lanes.steady = true;
    for (int l = 0; l < kLanes; ++l) {
        const LaneSource& source = sources[l];
        lanes.samples[l] = silentPair;
        lanes.synth[l] = zeros;
        if (source.voice == nullptr) {
            setSpareLane(a, l);
            continue;
        }
        setLane(a, l, source);
        const bool pairs = readsPairs(*source.sound);
        setReadRange(a, l, *source.sound, pairs);
        if (pairs)
            lanes.samples[l] = source.sound->samples.data();
        if (source.synthPart)
            lanes.synth[l] = source.synth;
        lanes.directions = lanes.directions || source.reverse || source.loop;
        lanes.anySynth = lanes.anySynth || source.synthPart;
        lanes.anySynthThroughEq = lanes.anySynthThroughEq || source.synthThroughEq;
        lanes.anyEqInput = lanes.anyEqInput || source.equalised;
        // The read range is exact only while frameCount - 1 is a float.
        if (pairs)
            lanes.steady = lanes.steady && source.sound->frameCount <= (1 << 24);
    }
    lanes.position = lanesOf(a.position);
    lanes.velocityGain = lanesOf(a.velocityGain);
    lanes.targetGain = lanesOf(a.targetGain);
    lanes.declick = lanesOf(a.declick);
    lanes.startBound = lanesOf(a.startBound);
    lanes.endBound = lanesOf(a.endBound);
    lanes.endGuard = lanesOf(a.endGuard);
    lanes.startFrame = lanesOf(a.startFrame);
    lanes.newGain = lanesOf(a.newGain);
    lanes.rate = lanesOf(a.rate);
    lanes.sampleGain = lanesOf(a.sampleGain);
    lanes.synthGain = lanesOf(a.synthGain);
    lanes.readFrom = lanesOf(a.readFrom);
    lanes.readBelow = lanesOf(a.readBelow);
    lanes.fading = maskOf(a.fading);
    lanes.restart = maskOf(a.restart);
    lanes.gate = maskOf(a.gate);
    lanes.oneShot = maskOf(a.oneShot);
    lanes.reverse = maskOf(a.reverse);
    lanes.loop = maskOf(a.loop);
    lanes.eqSample = maskOf(a.eqSample);
    lanes.synthThroughEq = maskOf(a.synthThroughEq);
    lanes.synthPart = maskOf(a.synthPart);
    lanes.spare = maskOf(a.spare);
    lanes.lastFrame = _mm_loadu_si128(reinterpret_cast<const __m128i*>(a.lastFrame));
    lanes.settled = false;
    lanes.anyFading = _mm_movemask_ps(lanes.fading) != 0;
}

void setLaneControl(VoiceLanes& lanes, const float (&rate)[kLanes], const float (&sampleGain)[kLanes],
                    const float (&synthGain)[kLanes]) {
    lanes.rate = lanesOf(rate);
    lanes.sampleGain = lanesOf(sampleGain);
    lanes.synthGain = lanesOf(synthGain);
}

void storeVoiceLanes(const VoiceLanes& lanes, TrackVoice* const (&voices)[kLanes]) {
    float position[kLanes], velocityGain[kLanes], targetGain[kLanes], declick[kLanes];
    storeLanes(position, lanes.position);
    storeLanes(velocityGain, lanes.velocityGain);
    storeLanes(targetGain, lanes.targetGain);
    storeLanes(declick, lanes.declick);
    for (int l = 0; l < kLanes; ++l) {
        TrackVoice* voice = voices[l];
        if (voice == nullptr)
            continue;
        voice->position = position[l];
        voice->velocityGain = velocityGain[l];
        voice->targetVelocityGain = targetGain[l];
        voice->declickGain = declick[l];
        // A fade that ended and a restart that happened set these to 0; the others keep their
        // values.
        if (!laneSet(lanes.fading, l))
            voice->fading = 0;
        if (!laneSet(lanes.restart, l))
            voice->restartPending = 0;
    }
}

__m128 activeLanes(const VoiceLanes& lanes) {
    return _mm_or_ps(activeAt(lanes, lanes.position, lanes.fading), lanes.spare);
}

void playLanes(VoiceLanes& lanes, const LaneRows& rows, int begin, int end) {
    kPlayVariants[variantOf(lanes)](lanes, rows, begin, end);
}

bool playSteadyLanes(VoiceLanes& lanes, const LaneRows& rows, int begin, int end) {
    const __m128 active = activeLanes(lanes);
    const PlaySteady steady = _mm_movemask_ps(active) == 0xF ? kSteadyVariants<true>[variantOf(lanes)]
                                                             : kSteadyVariants<false>[variantOf(lanes)];
    return steady(lanes, active, rows, begin, end);
}

void playVoiceGroup(VoiceLanes& lanes, const LaneRows& rows, int begin, int end, UnityColumns& work) {
    for (int from = begin; from < end;) {
        if (!lanes.directions) {
            const int until = playUnityPart(lanes, rows, from, end, work);
            if (until > from) {
                from = until;
                continue;
            }
        }
        // Not at a rate of 1: the steady lanes if nothing starts or stops, otherwise a control
        // period sample by sample.
        const int until = std::min(end, from + kControlPeriod);
        if (!lanes.steady || !playSteadyLanes(lanes, rows, from, until))
            playLanes(lanes, rows, from, until);
        from = until;
    }
}

}  // namespace rimba::batch
