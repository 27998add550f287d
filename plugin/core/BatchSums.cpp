// Each sample's outputs are written in the order mixSample writes them (master, tracks, then the
// send inputs), so that buffers a host or plug-in shares between channels end up as they would
// sample by sample. Four samples at a time where a stretch of gains allows, otherwise one.

#include "plugin/core/BatchSums.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

#include "plugin/core/VornDrums.h"

namespace rimba {

namespace batch {

namespace {

constexpr int kZeroColumn = kColumns;  // a signal of +0 throughout
constexpr int kStale = -1;  // a track output without a voice keeps the signal it had
constexpr int kMaxOutputs = 6;  // master, send 1 and send 2, each left and right
constexpr int kGainLeft = VornDrums::kTargetGainLeft;
constexpr int kGainRight = VornDrums::kTargetGainRight;

// Where the sums of one batch take their samples from: a column of the rows, kZeroColumn, or for
// a track output without a voice (kStale) the track signal it had.
struct SumPlan {
    int outputCount = 2;  // 6 when a send takes the sums
    // The voices that reach the sums, in voice order.
    int summed = 0;
    int voice[kTrackSlots];
    int column[kTrackSlots];
    float peakLeft[kTrackSlots];
    float peakRight[kTrackSlots];
    // The track outputs that are written.
    int channels = 0;
    float* channel[kTrackSlots];
    int channelColumn[kTrackSlots];
    float stale[kTrackSlots];
    int columnGroups = 0;
};

inline float signalAt(const BatchScratch& s, int column, int k) {
    return column == kZeroColumn ? 0.0f : s.rows[k][column];
}

// A silent voice adds nothing and raises no peak when its gains are finite: +0 times finite gains.
bool addsNothing(const InstrumentState& state, const BatchScratch& s, int v, int outputCount) {
    const TrackVoice& voice = state.voices[static_cast<std::size_t>(v)];
    if (!s.plans[v].silent || voice.peakLeft < 0.0f || voice.peakRight < 0.0f)
        return false;
    for (int span = 0; span < s.spanCount; ++span) {
        const float(*control)[kTrackSlots] = s.control[s.spanTable[span]];
        for (int o = 0; o < outputCount; ++o)
            if (!std::isfinite(control[kGainLeft + o][v]))
                return false;
    }
    return true;
}

void chooseSummed(SumPlan& p, const InstrumentState& state, const BatchScratch& s) {
    for (int v = 0; v < kTrackSlots; ++v) {
        const VoicePlan& plan = s.plans[v];
        if (!plan.mixed || !plan.heard || addsNothing(state, s, v, p.outputCount))
            continue;
        const TrackVoice& voice = state.voices[static_cast<std::size_t>(v)];
        p.voice[p.summed] = v;
        p.column[p.summed] = plan.silent ? kZeroColumn : plan.column;
        p.peakLeft[p.summed] = voice.peakLeft;
        p.peakRight[p.summed] = voice.peakRight;
        ++p.summed;
    }
}

void chooseChannels(SumPlan& p, const InstrumentState& state, const BatchScratch& s, const BatchOutputs& out) {
    if (!out.trackOutputs)
        return;
    for (int t = 0; t < state.trackCount; ++t) {
        float* channel = out.outputs[2 + t];
        if (channel == nullptr)
            continue;
        const int v = s.voiceOfTrack[t];
        const int c = p.channels++;
        p.channel[c] = channel + out.at;
        p.channelColumn[c] = v < 0 ? kStale : s.plans[v].silent ? kZeroColumn : s.plans[v].column;
        p.stale[c] = state.trackSignal[static_cast<std::size_t>(t)];
    }
}

// Four samples of mixSample's master sums (and with kOutputs 6 its send sums): each voice's
// share added in voice order, as mixSample adds them sample by sample. `magnitude` keeps each
// voice's greatest |sample| for its meter (see foldPeak).
template <int kOutputs>
inline void sumBlock(int summed, const __m128* const* source, const __m128 (*gain)[kMaxOutputs], __m128* magnitude,
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
        magnitude[i] = _mm_max_ps(batch::magnitude(p), magnitude[i]);
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
    float lanes[kLanes];
    storeLanes(lanes, magnitude);
    float greatest = lanes[0];
    for (int l = 1; l < kLanes; ++l)
        greatest = std::max(greatest, lanes[l]);
    peakLeft = std::max(peakLeft, greatest * std::fabs(gainLeft));
    peakRight = std::max(peakRight, greatest * std::fabs(gainRight));
}

// Samples k to k + 3, with k a multiple of 4 and all four in one stretch of gains. The block comes
// with its size, from which the compiler knows how many groups there can be and unrolls them.
inline void sumFour(const SumPlan& p, BatchScratch& s, __m128 (&block)[kColumns + 1], const __m128* const* source,
                    const __m128 (*gain)[kMaxOutputs], __m128* magnitude, const __m128* const* channelSource,
                    float* left, float* right, int k) {
    for (int group = 0; group < p.columnGroups; ++group) {
        __m128 r0 = _mm_load_ps(s.rows[k] + group * kLanes);
        __m128 r1 = _mm_load_ps(s.rows[k + 1] + group * kLanes);
        __m128 r2 = _mm_load_ps(s.rows[k + 2] + group * kLanes);
        __m128 r3 = _mm_load_ps(s.rows[k + 3] + group * kLanes);
        transpose(r0, r1, r2, r3);
        block[group * kLanes] = r0;
        block[group * kLanes + 1] = r1;
        block[group * kLanes + 2] = r2;
        block[group * kLanes + 3] = r3;
    }
    if (p.outputCount == kMaxOutputs)
        sumBlock<kMaxOutputs>(p.summed, source, gain, magnitude, left + k, right + k, s.sums, k);
    else
        sumBlock<2>(p.summed, source, gain, magnitude, left + k, right + k, s.sums, k);
    for (int c = 0; c < p.channels; ++c)
        _mm_storeu_ps(p.channel[c] + k, *channelSource[c]);
}

// A single sample at the edge of a stretch of gains, as mixSample sums it.
void sumOne(SumPlan& p, BatchScratch& s, const float (*control)[kTrackSlots], float* left, float* right, int k) {
    float sum[kMaxOutputs] = {};
    for (int i = 0; i < p.summed; ++i) {
        const float signal = signalAt(s, p.column[i], k);
        const int v = p.voice[i];
        const float toLeft = signal * control[kGainLeft][v];
        const float toRight = signal * control[kGainRight][v];
        sum[0] += toLeft;
        sum[1] += toRight;
        for (int o = 2; o < p.outputCount; ++o)
            sum[o] += signal * control[kGainLeft + o][v];
        p.peakLeft[i] = std::max(p.peakLeft[i], std::fabs(toLeft));
        p.peakRight[i] = std::max(p.peakRight[i], std::fabs(toRight));
    }
    left[k] = sum[0];
    right[k] = sum[1];
    for (int o = 2; o < p.outputCount; ++o)
        s.sums[o][k] = sum[o];
    for (int c = 0; c < p.channels; ++c) {
        const int column = p.channelColumn[c];
        p.channel[c][k] = column == kStale ? p.stale[c] : signalAt(s, column, k);
    }
}

// One stretch of gains. The vectors its samples are summed from, the gains and the greatest
// magnitudes are locals, which the stores to the outputs cannot touch.
void sumSpan(SumPlan& p, BatchScratch& s, int span, const BatchOutputs& out) {
    const Segment& period = s.spans[span];
    const float(*control)[kTrackSlots] = s.control[s.spanTable[span]];
    __m128 block[kColumns + 1];
    block[kZeroColumn] = _mm_setzero_ps();
    const __m128* source[kTrackSlots];
    __m128 gain[kTrackSlots][kMaxOutputs];
    __m128 magnitude[kTrackSlots];
    for (int i = 0; i < p.summed; ++i) {
        source[i] = &block[p.column[i]];
        for (int o = 0; o < p.outputCount; ++o)
            gain[i][o] = _mm_set1_ps(control[kGainLeft + o][p.voice[i]]);
        magnitude[i] = _mm_set1_ps(-std::numeric_limits<float>::infinity());
    }
    __m128 stale[kTrackSlots];
    const __m128* channelSource[kTrackSlots];
    for (int c = 0; c < p.channels; ++c) {
        stale[c] = _mm_set1_ps(p.stale[c]);
        channelSource[c] = p.channelColumn[c] == kStale ? &stale[c] : &block[p.channelColumn[c]];
    }
    float* const left = out.outputs[0] + out.at;
    float* const right = out.outputs[1] + out.at;
    for (int k = period.begin; k < period.end;) {
        if ((k & (kLanes - 1)) == 0 && k + kLanes <= period.end) {
            sumFour(p, s, block, source, gain, magnitude, channelSource, left, right, k);
            k += kLanes;
        } else {
            sumOne(p, s, control, left, right, k);
            ++k;
        }
    }
    if (!out.metering) {
        for (int i = 0; i < p.summed; ++i) {
            const int v = p.voice[i];
            foldPeak(magnitude[i], control[kGainLeft][v], control[kGainRight][v], p.peakLeft[i], p.peakRight[i]);
        }
    }
}

inline void decayPeak(float& peak) {
    if (peak > 1e-5f)
        peak *= 0.9999f;
}

// With the editor open the peaks decay after every sample, so they are followed sample by sample.
void followPeaks(TrackVoice& voice, const VoicePlan& plan, int v, const BatchScratch& s) {
    for (int span = 0; span < s.spanCount; ++span) {
        const Segment& period = s.spans[span];
        const float(*control)[kTrackSlots] = s.control[s.spanTable[span]];
        for (int k = period.begin; k < period.end; ++k) {
            if (plan.heard) {
                const float signal = plan.silent ? 0.0f : signalAt(s, plan.column, k);
                voice.peakLeft = std::max(voice.peakLeft, std::fabs(signal * control[kGainLeft][v]));
                voice.peakRight = std::max(voice.peakRight, std::fabs(signal * control[kGainRight][v]));
            }
            decayPeak(voice.peakLeft);
            decayPeak(voice.peakRight);
        }
    }
}

// The peaks, each voice's last track signal and the send plug-ins' inputs after the batch.
void finishVoices(InstrumentState& state, const SumPlan& p, const BatchScratch& s, const BatchOutputs& out) {
    if (!out.metering) {
        // The peaks only took greater values, in whatever order, so they are where the
        // sample-by-sample maximum arrives.
        for (int i = 0; i < p.summed; ++i) {
            TrackVoice& voice = state.voices[static_cast<std::size_t>(p.voice[i])];
            voice.peakLeft = p.peakLeft[i];
            voice.peakRight = p.peakRight[i];
        }
    }
    for (int v = 0; v < kTrackSlots; ++v) {
        const VoicePlan& plan = s.plans[v];
        if (!plan.mixed)
            continue;
        TrackVoice& voice = state.voices[static_cast<std::size_t>(v)];
        if (out.metering)
            followPeaks(voice, plan, v, s);
        state.trackSignal[static_cast<std::size_t>(voice.track)] =
            plan.silent ? 0.0f : signalAt(s, plan.column, out.frames - 1);
    }
    const auto bytes = sizeof(float) * static_cast<std::size_t>(out.frames);
    for (int slot = 0; slot < 2; ++slot) {
        if (HostedPlugin* effect = state.effectIn(slot)) {
            std::memcpy(effect->inputChannel(0) + out.at, s.sums[2 + 2 * slot], bytes);
            std::memcpy(effect->inputChannel(1) + out.at, s.sums[3 + 2 * slot], bytes);
        }
    }
}

}  // namespace

void mixBatch(InstrumentState& state, BatchScratch& scratch, const BatchOutputs& out) {
    SumPlan plan;
    const bool anySend = state.effectIn(0) != nullptr || state.effectIn(1) != nullptr;
    plan.outputCount = anySend ? kMaxOutputs : 2;
    plan.columnGroups = (scratch.layout.count + kLanes - 1) / kLanes;
    chooseSummed(plan, state, scratch);
    chooseChannels(plan, state, scratch, out);
    for (int span = 0; span < scratch.spanCount; ++span)
        sumSpan(plan, scratch, span, out);
    finishVoices(state, plan, scratch, out);
}

}  // namespace batch

void VornDrums::applyMasterGainBatched(float** outputs, VstInt32 frames) {
    const float target = masterGainTable[static_cast<std::size_t>(masterGainStep(loadRelaxed(settings.masterLevel)))];
    VstInt32 i = 0;
    // While the gain moves, sample by sample; a step that changes nothing is the last.
    for (; i < frames && std::fabs(target - masterGain) > 1e-6f; ++i) {
        const float next = masterGain + (target - masterGain) * 0.0002f;
        if (batch::sameBits(next, masterGain))
            break;
        masterGain = next;
        outputs[0][i] *= masterGain;
        outputs[1][i] *= masterGain;
    }
    const __m128 gain = _mm_set1_ps(masterGain);
    for (; i + batch::kLanes <= frames; i += batch::kLanes) {
        _mm_storeu_ps(outputs[0] + i, _mm_mul_ps(_mm_loadu_ps(outputs[0] + i), gain));
        _mm_storeu_ps(outputs[1] + i, _mm_mul_ps(_mm_loadu_ps(outputs[1] + i), gain));
    }
    for (; i < frames; ++i) {
        outputs[0][i] *= masterGain;
        outputs[1][i] *= masterGain;
    }
}

void VornDrums::applyMasterEqualiserBatched(float** outputs, VstInt32 frames) {
    batch::equaliseMaster(masterEq, loadRelaxed(masterEqOn) != 0.0f ? 1.0f : 0.0f, outputs[0], outputs[1], frames);
}

}  // namespace rimba
