// The track equalisers eight to a group, on AVX2. Only the functions between the pragmas below
// (in GCC's and in clang's spelling) use AVX2 instructions, so the rest of the binary runs on any
// x86-64 processor; the render path comes here only when the processor says it has AVX2
// (equaliserSetAvailable). No fused multiply-add: a fused product and sum is rounded once, the
// sample-by-sample path rounds twice.

#include <immintrin.h>

#include <algorithm>

#include "plugin/core/EqualiserLanes.h"

#if defined(__clang__)
#pragma clang attribute push(__attribute__((target("avx2"))), apply_to = function)
#else
#pragma GCC push_options
#pragma GCC target("avx2")
#endif

namespace rimba::batch {

namespace {

struct Avx2Lanes {
    using Vec = __m256;
    static constexpr int kWidth = 8;
    static Vec set1(float value) { return _mm256_set1_ps(value); }
    static Vec zero() { return _mm256_setzero_ps(); }
    static Vec load(const float* from) { return _mm256_loadu_ps(from); }
    static void store(float* to, Vec v) { _mm256_storeu_ps(to, v); }
    static Vec add(Vec a, Vec b) { return _mm256_add_ps(a, b); }
    static Vec sub(Vec a, Vec b) { return _mm256_sub_ps(a, b); }
    static Vec mul(Vec a, Vec b) { return _mm256_mul_ps(a, b); }
    static Vec bitAnd(Vec a, Vec b) { return _mm256_and_ps(a, b); }
    static Vec bitAndNot(Vec mask, Vec v) { return _mm256_andnot_ps(mask, v); }
    // The ordered comparisons of SSE2's cmpeq, cmple and cmpgt: false where a NaN takes part.
    static Vec equal(Vec a, Vec b) { return _mm256_cmp_ps(a, b, _CMP_EQ_OQ); }
    static Vec lessOrEqual(Vec a, Vec b) { return _mm256_cmp_ps(a, b, _CMP_LE_OS); }
    static Vec greater(Vec a, Vec b) { return _mm256_cmp_ps(a, b, _CMP_GT_OS); }
    static Vec magnitude(Vec v) { return _mm256_and_ps(v, _mm256_castsi256_ps(_mm256_set1_epi32(0x7fffffff))); }
    static Vec select(Vec mask, Vec whenSet, Vec otherwise) {
        return _mm256_or_ps(_mm256_and_ps(mask, whenSet), _mm256_andnot_ps(mask, otherwise));
    }
    static bool sameBits(Vec a, Vec b) {
        return _mm256_movemask_epi8(_mm256_cmpeq_epi32(_mm256_castps_si256(a), _mm256_castps_si256(b))) == -1;
    }
    static Vec mask(const bool (&values)[kWidth]) {
        alignas(32) int bits[kWidth];
        for (int l = 0; l < kWidth; ++l)
            bits[l] = values[l] ? -1 : 0;
        return _mm256_castsi256_ps(_mm256_load_si256(reinterpret_cast<const __m256i*>(bits)));
    }
};

#include "plugin/core/EqualiserTrackKernel.inc"

}  // namespace

void equaliseTrackColumnsAvx2(TrackBands* const* bands, int count, int column, Row* signal, const Row* eqInput,
                              int frames) {
    equaliseTrackRun<Avx2Lanes, kColumns / 8>(bands, count, column, signal, eqInput, frames);
}

}  // namespace rimba::batch

#if defined(__clang__)
#pragma clang attribute pop
#else
#pragma GCC pop_options
#endif
