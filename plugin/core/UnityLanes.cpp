// playLanes for a stretch in which every moving voice of the group plays forwards without a loop
// at a rate of exactly 1 from a whole frame, and stays inside the frames renderVoice may read.
// Its interpolation then has a fraction of exactly 0, and (here + (next - here) * 0) is `here`
// itself: a voice's samples are its frames one after the other, four of them read at once, and
// the voices are taken one at a time into columns that are turned into the batch's rows at the
// end.

#include <algorithm>
#include <cmath>
#include <functional>
#include <iterator>

#include "plugin/core/VoiceLanes.h"

namespace rimba::batch {

DeclickChain::DeclickChain() {
    float gain = 1.0f;
    for (float& value : chain) {
        value = gain;
        gain *= 0.99f;
    }
}

const float* DeclickChain::from(float gain, int length) const {
    // Strictly falling: 0.99 takes far more than half a unit off any value here.
    const float* at = std::lower_bound(std::begin(chain), std::end(chain), gain, std::greater<float>());
    if (at == std::end(chain) || !sameBits(*at, gain) || (at - chain) + length >= kLength)
        return nullptr;
    return at;
}

namespace {

constexpr float kFadeEndLevel = 1e-4f;

// One group's lanes as plain values, lane by lane.
struct LaneValues {
    alignas(16) float position[kLanes];
    alignas(16) float velocityGain[kLanes];
    alignas(16) float target[kLanes];
    alignas(16) float declick[kLanes];
    float rate[kLanes];
    float readFrom[kLanes];
    float readBelow[kLanes];
    float sampleGain[kLanes];
    float synthGain[kLanes];
    // Masks: all bits or none.
    alignas(16) std::int32_t moving[kLanes];
    alignas(16) std::int32_t fading[kLanes];
    alignas(16) std::int32_t spare[kLanes];
    alignas(16) std::int32_t reverse[kLanes];
    alignas(16) std::int32_t loop[kLanes];
    alignas(16) std::int32_t eqSample[kLanes];
    alignas(16) std::int32_t synthThroughEq[kLanes];
    alignas(16) std::int32_t synthPart[kLanes];
};

inline void storeMask(std::int32_t (&values)[kLanes], __m128 mask) {
    _mm_store_si128(reinterpret_cast<__m128i*>(values), _mm_castps_si128(mask));
}

inline void unpack(LaneValues& v, const VoiceLanes& lanes, __m128 active) {
    storeLanes(v.position, lanes.position);
    storeLanes(v.velocityGain, lanes.velocityGain);
    storeLanes(v.target, lanes.targetGain);
    storeLanes(v.declick, lanes.declick);
    storeLanes(v.rate, lanes.rate);
    storeLanes(v.readFrom, lanes.readFrom);
    storeLanes(v.readBelow, lanes.readBelow);
    storeLanes(v.sampleGain, lanes.sampleGain);
    storeLanes(v.synthGain, lanes.synthGain);
    storeMask(v.moving, active);
    storeMask(v.fading, lanes.fading);
    storeMask(v.spare, lanes.spare);
    storeMask(v.reverse, lanes.reverse);
    storeMask(v.loop, lanes.loop);
    storeMask(v.eqSample, lanes.eqSample);
    storeMask(v.synthThroughEq, lanes.synthThroughEq);
    storeMask(v.synthPart, lanes.synthPart);
}

inline bool takesStretch(const LaneValues& v, int length) {
    for (int l = 0; l < kLanes; ++l) {
        if (v.spare[l] != 0 || v.moving[l] == 0)
            continue;
        const float p = v.position[l];
        // Whole frames below 2^24 step by 1 exactly; readBelow keeps the last one below it.
        if (v.rate[l] != 1.0f || v.reverse[l] != 0 || v.loop[l] != 0 || !(p == std::trunc(p)))
            return false;
        if (!(p + 1.0f >= v.readFrom[l] && p + static_cast<float>(length) < v.readBelow[l]))
            return false;
    }
    return true;
}

// The voices of the group, fading ones first: a fade that ends within the stretch stops it before
// the others' work.
inline int voicesInOrder(const LaneValues& v, int (&order)[kLanes]) {
    int count = 0;
    for (int l = 0; l < kLanes; ++l)
        if (v.spare[l] == 0 && v.fading[l] != 0)
            order[count++] = l;
    for (int l = 0; l < kLanes; ++l)
        if (v.spare[l] == 0 && v.fading[l] == 0)
            order[count++] = l;
    return count;
}

// A voice's velocity gain over the stretch: `last` at its end, `previous` one step before, and
// `steady` when it does not move at all; otherwise `row` holds it sample by sample.
struct GainRun {
    float last;
    float previous;
    bool steady;
};

inline GainRun velocityGainRow(float gain, float target, bool settled, int length, float* row) {
    GainRun run{gain, gain, true};
    if (settled)
        return run;
    run.steady = sameBits(nextVelocityGain(gain, target), gain);
    if (run.steady)
        return run;
    // Once a step changes nothing, none does.
    int k = 0;
    for (; k < length; ++k) {
        const float next = nextVelocityGain(gain, target);
        if (sameBits(next, gain))
            break;
        run.previous = gain;
        gain = next;
        row[k] = gain;
    }
    if (k < length)
        run.previous = gain;
    std::fill(row + k, row + length, gain);
    run.last = gain;
    return run;
}

// One voice of playUnityLanes.
struct UnityVoice {
    const std::int16_t* frames;  // the frame of its first sample
    __m128 plays;  // all bits while it moves; a silent voice's value is +0
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

// Four samples at a time of one voice: renderVoice's value and fade, and mixSample's sample and
// synth parts. kGains: 0 constant velocity and declick gains, 1 per-sample ones, 2 a fade, whose
// last sample is returned, before anything of it is written (-1 while it goes on). kRouted: a
// synth part takes part.
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
            y = _mm_mul_ps(_mm_mul_ps(_mm_mul_ps(here, toUnit), _mm_loadu_ps(v.declicks + k)),
                           _mm_load_ps(v.gains + k));
        y = _mm_and_ps(y, v.plays);
        if constexpr (kGains == 2) {
            const int quiet = _mm_movemask_ps(_mm_cmplt_ps(magnitude(y), _mm_set1_ps(kFadeEndLevel)));
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

// The samples after the last whole chunk, one at a time; the sample at which a fade ends, or -1.
// `gains` is nullptr when the velocity gain stays `steadyGain`.
template <bool kSynth>
int unityTail(const UnityVoice& v, const float* gains, const LaneValues& values, int l, int from, int length,
              float steadyDeclick, float steadyGain) {
    for (int k = from; k < length; ++k) {
        float y = 0.0f;
        if (_mm_movemask_ps(v.plays) != 0) {
            y = static_cast<float>(v.frames[k]) * (1.0f / 32768.0f) *
                (values.fading[l] ? v.declicks[k] : steadyDeclick) * (gains == nullptr ? steadyGain : gains[k]);
            if (values.fading[l] && std::fabs(y) < kFadeEndLevel)
                return k;
        }
        const float samplePart = y * v.bus[k] * values.sampleGain[l];
        const float part = kSynth && values.synthPart[l] ? v.synth[k] * v.bus[k] * values.synthGain[l] : 0.0f;
        const RoutedParts routed = routeParts(samplePart, part, values.eqSample[l] != 0, values.synthThroughEq[l] != 0);
        v.signal[k] = routed.signal;
        v.eqInput[k] = routed.eqInput;
    }
    return -1;
}

// One voice of the group over the stretch, into its columns of `work`. Returns the sample at
// which its fade ends, or -1; `values` then holds its declick gain after the stretch, `gain` its
// velocity gain.
template <bool kSynth>
int playUnityVoice(const VoiceLanes& lanes, LaneValues& values, int l, const float* bus, int begin, int length,
                   UnityColumns& work, GainRun& gain) {
    gain = velocityGainRow(values.velocityGain[l], values.target[l], lanes.settled, length, work.gains);
    // The declick gain, as it is when each sample's value is taken.
    const bool fading = values.fading[l] != 0;
    float declickAfter = values.declick[l];
    const float* declicks = work.declicks;
    if (fading) {
        if (const float* chain = work.declickChain.from(declickAfter, length)) {
            declicks = chain;
            declickAfter = chain[length];
        } else {
            for (int k = 0; k < length; ++k) {
                work.declicks[k] = declickAfter;
                declickAfter *= 0.99f;
            }
        }
    }
    const bool routed = kSynth && (values.synthPart[l] || values.synthThroughEq[l]);
    const int gainKind = fading ? 2 : gain.steady ? 0 : 1;
    // Per-sample gains come from the rows: fill in the one that stays constant.
    if (gainKind != 0 && gain.steady)
        std::fill_n(work.gains, length, gain.last);
    if (gainKind != 0 && !fading)
        std::fill_n(work.declicks, length, declickAfter);
    const bool moves = values.moving[l] != 0;
    const UnityVoice voice{
        .frames = moves ? lanes.samples[l] + static_cast<std::int32_t>(values.position[l] + 1.0f) : work.silence,
        .plays = moves ? allBits() : _mm_setzero_ps(),
        .bus = bus + begin,
        .synth = lanes.synth[l] + begin,
        .declicks = declicks,
        .gains = work.gains,
        .declick = _mm_set1_ps(declickAfter),
        .gain = _mm_set1_ps(gain.last),
        .sampleGain = values.sampleGain[l],
        .synthGain = values.synthGain[l],
        .synthPart = values.synthPart[l] != 0,
        .synthThroughEq = values.synthThroughEq[l] != 0,
        .signal = work.signal[l],
        .eqInput = work.eqInput[l]};
    const int chunks = length / kLanes;
    int quiet = kUnityVariants[gainKind * 4 + (values.eqSample[l] ? 2 : 0) + (routed ? 1 : 0)](voice, chunks);
    if (quiet < 0) {
        quiet = unityTail<kSynth>(voice, gain.steady ? nullptr : work.gains, values, l, chunks * kLanes, length,
                                  declickAfter, gain.last);
    }
    values.declick[l] = declickAfter;
    return quiet;
}

// Four columns of `work` into the rows [begin, begin + length).
void storeColumns(const float (*columns)[kBatchFrames], Row* rows, int begin, int length, int column) {
    int k = 0;
    for (; k + kLanes <= length; k += kLanes) {
        __m128 r0 = _mm_load_ps(columns[0] + k);
        __m128 r1 = _mm_load_ps(columns[1] + k);
        __m128 r2 = _mm_load_ps(columns[2] + k);
        __m128 r3 = _mm_load_ps(columns[3] + k);
        transpose(r0, r1, r2, r3);
        _mm_store_ps(rows[begin + k] + column, r0);
        _mm_store_ps(rows[begin + k + 1] + column, r1);
        _mm_store_ps(rows[begin + k + 2] + column, r2);
        _mm_store_ps(rows[begin + k + 3] + column, r3);
    }
    for (; k < length; ++k)
        for (int l = 0; l < kLanes; ++l)
            rows[begin + k][column + l] = columns[l][k];
}

// The rows and the lanes after a stretch every voice played through.
inline void finishUnity(VoiceLanes& lanes, LaneValues& values, const GainRun (&gains)[kLanes], const LaneRows& rows,
                        int begin, int length, const UnityColumns& work) {
    storeColumns(work.signal, rows.signal, begin, length, rows.column);
    if (lanes.anyEqInput)
        storeColumns(work.eqInput, rows.eqInput, begin, length, rows.column);
    bool settled = true;
    for (int l = 0; l < kLanes; ++l) {
        if (values.spare[l] != 0)
            continue;
        if (values.moving[l] != 0)
            values.position[l] += static_cast<float>(length);
        settled = settled && (lanes.settled || sameBits(gains[l].previous, gains[l].last));
        values.velocityGain[l] = gains[l].last;
    }
    lanes.position = _mm_load_ps(values.position);
    lanes.velocityGain = _mm_load_ps(values.velocityGain);
    lanes.declick = _mm_load_ps(values.declick);
    lanes.settled = lanes.settled || settled;
}

template <bool kSynth>
int playUnityOf(VoiceLanes& lanes, const LaneRows& rows, int begin, int end, UnityColumns& work) {
    const int length = end - begin;
    if (length <= 0 || length > kBatchFrames)
        return kNotUnity;
    LaneValues values;
    unpack(values, lanes, activeLanes(lanes));
    if (!takesStretch(values, length))
        return kNotUnity;
    int order[kLanes];
    const int voices = voicesInOrder(values, order);
    GainRun gains[kLanes] = {};
    for (int o = 0; o < voices; ++o) {
        const int l = order[o];
        const int quiet = playUnityVoice<kSynth>(lanes, values, l, rows.busGain, begin, length, work, gains[l]);
        if (quiet >= 0)
            return quiet;
    }
    finishUnity(lanes, values, gains, rows, begin, length, work);
    return kUnityDone;
}

}  // namespace

int playUnityLanes(VoiceLanes& lanes, const LaneRows& rows, int begin, int end, UnityColumns& work) {
    return lanes.anySynth ? playUnityOf<true>(lanes, rows, begin, end, work)
                          : playUnityOf<false>(lanes, rows, begin, end, work);
}

}  // namespace rimba::batch
