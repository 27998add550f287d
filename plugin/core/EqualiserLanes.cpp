// A sample goes through the stages of an equaliser one after the other, each waiting for the one
// before. Pipelining the stages over successive samples (stage i works on sample round - i) lets
// the stages of a round, and of the groups, overlap, while each stage still sees its samples in
// order.

#include "plugin/core/EqualiserLanes.h"

namespace rimba::batch {

namespace {

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
inline void equaliseRound(EqLanes* eq, __m128 (*carry)[kStages], Row* signal, const Row* eqInput, int round,
                          int frames) {
#pragma GCC unroll 4
    for (int g = 0; g < G; ++g) {
        EqLanes& e = eq[g];
#pragma GCC unroll 6
        for (int i = kStages - 1; i >= 0; --i) {
            const int k = round - i;
            if (!kFull && (k < 0 || k >= frames))
                continue;
            const __m128 input = i == 0 ? _mm_loadu_ps(eqInput[k] + e.column) : carry[g][i - 1];
            const __m128 output = ((kRoundParity + i) & 1) == 0 ? equaliseStage<0, kSettled>(e, i, input)
                                                                : equaliseStage<1, kSettled>(e, i, input);
            if (i == kStages - 1) {
                const __m128 dry = _mm_loadu_ps(signal[k] + e.column);
                _mm_storeu_ps(signal[k] + e.column, select(e.inUse, _mm_add_ps(dry, output), dry));
            } else {
                carry[g][i] = output;
            }
        }
    }
}

// One round at the edges of the batch, where some stages have no sample.
template <int G>
inline void partialRound(EqLanes* eq, __m128 (*carry)[kStages], Row* signal, const Row* eqInput, int round,
                         int frames) {
    if (round & 1)
        equaliseRound<G, 1, false, false>(eq, carry, signal, eqInput, round, frames);
    else
        equaliseRound<G, 0, false, false>(eq, carry, signal, eqInput, round, frames);
}

// Two full rounds from `round` on: once the parity of the first is known, so is the second's.
template <int G, bool kSettled>
inline void fullRounds(EqLanes* eq, __m128 (*carry)[kStages], Row* signal, const Row* eqInput, int round,
                       int frames) {
    if (round & 1) {
        equaliseRound<G, 1, true, kSettled>(eq, carry, signal, eqInput, round, frames);
        equaliseRound<G, 0, true, kSettled>(eq, carry, signal, eqInput, round + 1, frames);
    } else {
        equaliseRound<G, 0, true, kSettled>(eq, carry, signal, eqInput, round, frames);
        equaliseRound<G, 1, true, kSettled>(eq, carry, signal, eqInput, round + 1, frames);
    }
}

// Two full rounds while some wet share still moves, which happens only in the first samples after
// a switch. Kept out of the settled loop, so that its registers are that loop's own.
template <int G>
[[gnu::noinline]] void movingRounds(EqLanes* eq, __m128 (*carry)[kStages], Row* signal, const Row* eqInput, int round,
                                   int frames) {
    fullRounds<G, false>(eq, carry, signal, eqInput, round, frames);
}

template <int G>
bool allSettled(const EqLanes* eq) {
    for (int g = 0; g < G; ++g)
        for (int i = 0; i < kStages; ++i)
            if (!eq[g].settled[i])
                return false;
    return true;
}

template <int G>
void equaliseGroups(EqLanes* eq, Row* signal, const Row* eqInput, int frames) {
    __m128 carry[G][kStages];
    for (int g = 0; g < G; ++g)
        for (int i = 0; i < kStages; ++i)
            carry[g][i] = _mm_setzero_ps();
    const int rounds = frames + kStages - 1;
    int round = 0;
    for (; round < kStages - 1 && round < rounds; ++round)
        partialRound<G>(eq, carry, signal, eqInput, round, frames);
    bool settled = false;
    for (; round + 1 < frames; round += 2) {
        settled = settled || allSettled<G>(eq);
        if (settled)
            fullRounds<G, true>(eq, carry, signal, eqInput, round, frames);
        else
            movingRounds<G>(eq, carry, signal, eqInput, round, frames);
    }
    for (; round < rounds; ++round)
        partialRound<G>(eq, carry, signal, eqInput, round, frames);
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
    bool settled[kEqBands];   // the wet share no longer moves
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

void loadEqLanes(EqLanes& lanes, TrackBands* const (&bands)[kLanes], int column) {
    lanes.column = column;
    bool inUse[kLanes];
    for (int l = 0; l < kLanes; ++l) {
        lanes.bands[l] = bands[l];
        inUse[l] = bands[l] != nullptr;
    }
    lanes.inUse = maskOf(inUse);
    auto laneBand = [&](int l, int band) { return inUse[l] ? (*bands[l])[static_cast<std::size_t>(band)] : EqBand{}; };
    for (int band = 0; band < kEqBands; ++band) {
        EqBand b[kLanes] = {laneBand(0, band), laneBand(1, band), laneBand(2, band), laneBand(3, band)};
        lanes.b0[band] = _mm_setr_ps(b[0].coefficients.b0, b[1].coefficients.b0, b[2].coefficients.b0, b[3].coefficients.b0);
        lanes.b1[band] = _mm_setr_ps(b[0].coefficients.b1, b[1].coefficients.b1, b[2].coefficients.b1, b[3].coefficients.b1);
        lanes.b2[band] = _mm_setr_ps(b[0].coefficients.b2, b[1].coefficients.b2, b[2].coefficients.b2, b[3].coefficients.b2);
        lanes.a1[band] = _mm_setr_ps(b[0].coefficients.a1, b[1].coefficients.a1, b[2].coefficients.a1, b[3].coefficients.a1);
        lanes.a2[band] = _mm_setr_ps(b[0].coefficients.a2, b[1].coefficients.a2, b[2].coefficients.a2, b[3].coefficients.a2);
        for (std::size_t stage = 0; stage < 2; ++stage) {
            // A spare lane filters at a wet share of 1, which never moves.
            EqStage s[kLanes];
            for (int l = 0; l < kLanes; ++l)
                s[l] = inUse[l] ? b[l].stages[stage] : EqStage{.mix = 1.0f};
            const int i = band * 2 + static_cast<int>(stage);
            // Sample -1 in slot 1, sample -2 in slot 0 (see equaliseStage).
            lanes.x[i][1] = _mm_setr_ps(s[0].x1, s[1].x1, s[2].x1, s[3].x1);
            lanes.x[i][0] = _mm_setr_ps(s[0].x2, s[1].x2, s[2].x2, s[3].x2);
            lanes.y[i][1] = _mm_setr_ps(s[0].y1, s[1].y1, s[2].y1, s[3].y1);
            lanes.y[i][0] = _mm_setr_ps(s[0].y2, s[1].y2, s[2].y2, s[3].y2);
            lanes.mix[i] = _mm_setr_ps(s[0].mix, s[1].mix, s[2].mix, s[3].mix);
            lanes.dry[i] = _mm_sub_ps(_mm_set1_ps(1.0f), lanes.mix[i]);
            lanes.settled[i] = false;
        }
    }
}

void storeEqLanes(const EqLanes& lanes, int frames) {
    // The last sample, frames - 1, is in slot (frames - 1) % 2.
    const int last = (frames - 1) & 1;
    for (int i = 0; i < kStages; ++i) {
        float x1[kLanes], x2[kLanes], y1[kLanes], y2[kLanes], mix[kLanes];
        storeLanes(x1, lanes.x[i][last]);
        storeLanes(x2, lanes.x[i][1 - last]);
        storeLanes(y1, lanes.y[i][last]);
        storeLanes(y2, lanes.y[i][1 - last]);
        storeLanes(mix, lanes.mix[i]);
        for (int l = 0; l < kLanes; ++l) {
            if (lanes.bands[l] == nullptr)
                continue;
            EqStage& stage = (*lanes.bands[l])[static_cast<std::size_t>(i / 2)].stages[static_cast<std::size_t>(i % 2)];
            stage.x1 = x1[l];
            stage.x2 = x2[l];
            stage.y1 = y1[l];
            stage.y2 = y2[l];
            stage.mix = mix[l];
        }
    }
}

void equaliseLanes(EqLanes* lanes, int groups, Row* signal, const Row* eqInput, int frames) {
    switch (groups) {
        case 0:
            return;
        case 1:
            return equaliseGroups<1>(lanes, signal, eqInput, frames);
        case 2:
            return equaliseGroups<2>(lanes, signal, eqInput, frames);
        case 3:
            return equaliseGroups<3>(lanes, signal, eqInput, frames);
        default:
            return equaliseGroups<4>(lanes, signal, eqInput, frames);
    }
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
