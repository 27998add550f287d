#pragma once
// Four floats side by side in one SSE2 register, and the few operations the batched render path
// builds its lanes from. A lane only ever holds one voice, one track or one channel, and every
// operation here is the single-precision operation the scalar code does, so what a lane computes
// is what the scalar code computes for it, to the bit.

#include <emmintrin.h>

#include <cstdint>
#include <cstring>

namespace rimba::batch {

constexpr int kLanes = 4;

// whenSet where the mask has all bits, otherwise elsewhere.
inline __m128 select(__m128 mask, __m128 whenSet, __m128 otherwise) {
    return _mm_or_ps(_mm_and_ps(mask, whenSet), _mm_andnot_ps(mask, otherwise));
}

inline bool sameBits(__m128 a, __m128 b) {
    return _mm_movemask_epi8(_mm_cmpeq_epi32(_mm_castps_si128(a), _mm_castps_si128(b))) == 0xFFFF;
}

// Smoothed values settle when a step no longer changes their bits; == would also call -0 and +0
// the same, and a NaN never settled.
inline bool sameBits(float a, float b) {
    std::uint32_t x = 0;
    std::uint32_t y = 0;
    std::memcpy(&x, &a, sizeof x);
    std::memcpy(&y, &b, sizeof y);
    return x == y;
}

inline __m128 allBits() { return _mm_castsi128_ps(_mm_set1_epi32(-1)); }

// |v| lane by lane, as std::fabs takes it: the sign bit cleared, NaNs kept.
inline __m128 magnitude(__m128 v) { return _mm_and_ps(v, _mm_castsi128_ps(_mm_set1_epi32(0x7fffffff))); }

inline __m128 lanesOf(const float (&values)[kLanes]) { return _mm_loadu_ps(values); }

inline __m128 maskOf(const bool (&values)[kLanes]) {
    return _mm_castsi128_ps(
        _mm_setr_epi32(values[0] ? -1 : 0, values[1] ? -1 : 0, values[2] ? -1 : 0, values[3] ? -1 : 0));
}

inline void storeLanes(float (&values)[kLanes], __m128 lanes) { _mm_storeu_ps(values, lanes); }

// Masks hold all bits or none in each lane, so the sign bit tells.
inline bool laneSet(__m128 mask, int lane) { return ((_mm_movemask_ps(mask) >> lane) & 1) != 0; }

// The step of a smoothed gain towards its target: 1% of the way while it is more than 1e-6 away
// (approach() of the control-rate update and approachMix of the master equaliser).
inline __m128 approachLanes(__m128 value, __m128 target) {
    const __m128 difference = _mm_sub_ps(target, value);
    return select(_mm_cmpgt_ps(magnitude(difference), _mm_set1_ps(1e-6f)),
                  _mm_add_ps(value, _mm_mul_ps(difference, _mm_set1_ps(0.01f))), value);
}

// Frames n and n + 1 of a sound as one 32-bit word.
inline __m128i framePair(const std::int16_t* samples, std::uint32_t n) {
    std::int32_t pair = 0;
    std::memcpy(&pair, samples + n, sizeof pair);
    return _mm_cvtsi32_si128(pair);
}

// Four rows of four lanes turned into four columns: sample k of four voices becomes four samples
// of voice l.
inline void transpose(__m128& r0, __m128& r1, __m128& r2, __m128& r3) { _MM_TRANSPOSE4_PS(r0, r1, r2, r3); }

// The operations the track equalisers' kernel (EqualiserTrackKernel.inc) is written in, on the
// four lanes of SSE2; EqualiserLanesAvx2.cpp has their eight-lane twins.
struct Sse2Lanes {
    using Vec = __m128;
    static constexpr int kWidth = kLanes;
    static Vec set1(float value) { return _mm_set1_ps(value); }
    static Vec zero() { return _mm_setzero_ps(); }
    static Vec load(const float* from) { return _mm_loadu_ps(from); }
    static void store(float* to, Vec v) { _mm_storeu_ps(to, v); }
    static Vec add(Vec a, Vec b) { return _mm_add_ps(a, b); }
    static Vec sub(Vec a, Vec b) { return _mm_sub_ps(a, b); }
    static Vec mul(Vec a, Vec b) { return _mm_mul_ps(a, b); }
    static Vec bitAnd(Vec a, Vec b) { return _mm_and_ps(a, b); }
    static Vec bitAndNot(Vec mask, Vec v) { return _mm_andnot_ps(mask, v); }
    static Vec equal(Vec a, Vec b) { return _mm_cmpeq_ps(a, b); }
    static Vec lessOrEqual(Vec a, Vec b) { return _mm_cmple_ps(a, b); }
    static Vec greater(Vec a, Vec b) { return _mm_cmpgt_ps(a, b); }
    static Vec magnitude(Vec v) { return batch::magnitude(v); }
    static Vec select(Vec mask, Vec whenSet, Vec otherwise) { return batch::select(mask, whenSet, otherwise); }
    static bool sameBits(Vec a, Vec b) { return batch::sameBits(a, b); }
    static Vec mask(const bool (&values)[kLanes]) { return maskOf(values); }
};

}  // namespace rimba::batch
