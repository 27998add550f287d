// The track equalisers on SSE2 (EqualiserTrackKernel.inc), the choice of the instruction set, and
// the master equaliser.

#include "plugin/core/EqualiserLanes.h"

#include <algorithm>

namespace rimba::batch {

namespace {

#include "plugin/core/EqualiserTrackKernel.inc"

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
    return _mm_andnot_ps(_mm_cmple_ps(magnitude(y), _mm_set1_ps(1e-10f)), y);
}

bool processorHasAvx2() {
#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2");
#else
    return false;
#endif
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
    EqBand* band[kEqBands];  // where each running band comes from
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
            const __m128 moved = approachLanes(m.mix[r], m.goal);
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

// In the sample-by-sample path a band runs over the whole block before the next; here band r
// works on sample round - r, so the bands of a round overlap, and each still sees its samples in
// order.
template <int kCount>
void equaliseMasterBands(MasterBands& m, float* left, float* right, int frames) {
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

void loadMasterBand(MasterBands& m, int r, EqBand& band, float target) {
    const EqCoefficients& c = band.coefficients;
    const EqStage& left = band.stages[0];
    const EqStage& right = band.stages[1];
    m.band[r] = &band;
    m.b0[r] = _mm_set1_ps(c.b0);
    m.b1[r] = _mm_set1_ps(c.b1);
    m.b2[r] = _mm_set1_ps(c.b2);
    m.a1[r] = _mm_set1_ps(c.a1);
    m.a2[r] = _mm_set1_ps(c.a2);
    m.x1[r] = _mm_setr_ps(left.x1, right.x1, 0.0f, 0.0f);
    m.x2[r] = _mm_setr_ps(left.x2, right.x2, 0.0f, 0.0f);
    m.y1[r] = _mm_setr_ps(left.y1, right.y1, 0.0f, 0.0f);
    m.y2[r] = _mm_setr_ps(left.y2, right.y2, 0.0f, 0.0f);
    m.mix[r] = _mm_setr_ps(left.mix, right.mix, target, target);
    m.settled[r] = false;
}

void storeMasterBand(const MasterBands& m, int r) {
    float x1[kLanes], x2[kLanes], y1[kLanes], y2[kLanes], mix[kLanes];
    storeLanes(x1, m.x1[r]);
    storeLanes(x2, m.x2[r]);
    storeLanes(y1, m.y1[r]);
    storeLanes(y2, m.y2[r]);
    storeLanes(mix, m.mix[r]);
    for (int side = 0; side < 2; ++side) {
        EqStage& stage = m.band[r]->stages[static_cast<std::size_t>(side)];
        stage.x1 = x1[side];
        stage.x2 = x2[side];
        stage.y1 = y1[side];
        stage.y2 = y2[side];
        stage.mix = mix[side];
    }
}

}  // namespace

bool equaliserSetAvailable(EqualiserSet set) {
    static const bool avx2 = processorHasAvx2();
    return set == EqualiserSet::Sse2 || avx2;
}

void equaliseTrackColumnsWith(EqualiserSet set, TrackBands* const* bands, int count, int column, Row* signal,
                              const Row* eqInput, int frames) {
    // Eight to a group while five or more are left: a group with spare lanes still costs less than
    // two of four. The last group's spare lanes must lie within the rows.
    int wide = 0;
    if (set == EqualiserSet::Avx2)
        wide = std::min(count, (count / 8 + (count % 8 >= 5 ? 1 : 0)) * 8);
    equaliseTrackColumnsAvx2(bands, wide, column, signal, eqInput, frames);
    equaliseTrackRun<Sse2Lanes, kColumns / kLanes>(bands + wide, count - wide, column + wide, signal, eqInput, frames);
}

void equaliseTrackColumns(TrackBands* const* bands, int count, int column, Row* signal, const Row* eqInput,
                          int frames) {
    static const EqualiserSet best =
        equaliserSetAvailable(EqualiserSet::Avx2) ? EqualiserSet::Avx2 : EqualiserSet::Sse2;
    equaliseTrackColumnsWith(best, bands, count, column, signal, eqInput, frames);
}

void equaliseMaster(std::array<EqBand, kEqBands>& bands, float target, float* left, float* right, int frames) {
    MasterBands m{};
    int count = 0;
    for (EqBand& band : bands) {
        band.targetMix = target;
        // A band that is off and has faded out is passed over.
        if (target == 0.0f && band.stages[0].mix <= 1e-6f)
            continue;
        loadMasterBand(m, count++, band, target);
    }
    if (count == 0 || frames <= 0)
        return;
    m.goal = _mm_set1_ps(target);
    if (count == 1)
        equaliseMasterBands<1>(m, left, right, frames);
    else if (count == 2)
        equaliseMasterBands<2>(m, left, right, frames);
    else
        equaliseMasterBands<3>(m, left, right, frames);
    for (int r = 0; r < count; ++r)
        storeMasterBand(m, r);
}

}  // namespace rimba::batch
