#pragma once
// renderVoice for four voices side by side, followed by mixSample's sample and synth parts: a
// group of voice lanes plays a stretch of a batch and leaves each voice's track signal and
// equaliser input in the batch's rows. Each lane goes through the operations of renderVoice and
// mixSample in their order, so its samples are theirs to the bit.
//
// Three kernels play a stretch. playLanes decides everything at every sample and takes any
// stretch; playSteadyLanes takes a stretch in which no lane starts or stops; playUnityLanes takes
// one in which every moving voice steps through whole frames at a rate of exactly 1.
// playVoiceGroup gives each part of a stretch to the fastest kernel that takes it.

#include <emmintrin.h>

#include <cstdint>

#include "plugin/core/BatchRows.h"
#include "plugin/core/TrackVoice.h"
#include "plugin/model/Sound.h"

namespace rimba::batch {

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
    bool settled;  // no velocity gain moves any more
    bool anyFading;
    bool directions;  // some lane plays backwards or loops
    bool anySynth;
    bool anySynthThroughEq;
    bool anyEqInput;  // some lane's track is equalised
    bool steady;  // playSteadyLanes can take the group (see readFrom)
    // The positions at which renderVoice reads a frame and the next one: [readFrom, readBelow).
    __m128 readFrom;
    __m128 readBelow;
};

// What one lane is loaded from: a voice with its sound and its track's settings, or nothing for
// a spare lane. The rate and the sample and synth gains are the voice's own until
// setLaneControl gives others.
struct LaneSource {
    const TrackVoice* voice = nullptr;
    const Sound* sound = nullptr;  // the voice's sound, which has samples
    bool oneShot = false;
    bool reverse = false;
    bool loop = false;
    bool eqSample = false;  // the sample part goes through the equaliser
    bool synthThroughEq = false;  // and so does the synth part
    bool synthPart = false;  // a synth part is mixed in
    bool equalised = false;  // the track's equaliser runs
    const float* synth = nullptr;  // the synth's output from the batch's first sample on
};

// `silentPair` stands in for the frames of a sound too short to interpolate and of spare lanes;
// `zeros` (a row of kBatchFrames) for the synth output of lanes without a synth part.
void loadVoiceLanes(VoiceLanes& lanes, const LaneSource (&sources)[kLanes], const std::int16_t* silentPair,
                    const float* zeros);
// The rate and gains of a control period, lane by lane (spare lanes take 0).
void setLaneControl(VoiceLanes& lanes, const float (&rate)[kLanes], const float (&sampleGain)[kLanes],
                    const float (&synthGain)[kLanes]);
// Gives each voice (nullptr for a spare lane) the state its lane has reached.
void storeVoiceLanes(const VoiceLanes& lanes, TrackVoice* const (&voices)[kLanes]);

// A fade's declick gain starts at 1 and is multiplied by 0.99 after every sample: these are its
// values in that order, made by the same multiplications. A fade that has one of them reads its
// gains from here instead of waiting on one multiplication after the other.
class DeclickChain {
public:
    DeclickChain();
    // The chain from `gain` on, with at least `length` + 1 values, or nullptr.
    const float* from(float gain, int length) const;

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

// The kernels play samples [begin, end) of the batch. playSteadyLanes returns false, and
// playUnityLanes kNotUnity or the sample of the stretch at which a fade ends, when they do not
// take the stretch; the lanes are then as they were.
void playLanes(VoiceLanes& lanes, const LaneRows& rows, int begin, int end);
bool playSteadyLanes(VoiceLanes& lanes, const LaneRows& rows, int begin, int end);
constexpr int kUnityDone = -1;
constexpr int kNotUnity = -2;
int playUnityLanes(VoiceLanes& lanes, const LaneRows& rows, int begin, int end, UnityColumns& work);
void playVoiceGroup(VoiceLanes& lanes, const LaneRows& rows, int begin, int end, UnityColumns& work);

// Which lanes move at the first sample of a stretch (renderVoice's silence tests); spare lanes
// count as moving, by nothing.
__m128 activeLanes(const VoiceLanes& lanes);

// renderVoice's velocity gain after one sample: it rises smoothly and falls at once.
inline float nextVelocityGain(float gain, float target) {
    return target > gain ? gain + (target - gain) * 0.01f : target;
}

inline __m128 nextVelocityGain(__m128 gain, __m128 target) {
    const __m128 stepped = _mm_add_ps(gain, _mm_mul_ps(_mm_sub_ps(target, gain), _mm_set1_ps(0.01f)));
    return select(_mm_cmplt_ps(gain, target), stepped, target);
}

// mixSample's routing of one voice's sample and synth parts into its track signal and its
// equaliser input.
struct RoutedParts {
    float signal;
    float eqInput;
};

inline RoutedParts routeParts(float samplePart, float synthPart, bool eqSample, bool synthThroughEq) {
    float signal = 0.0f;
    if (!eqSample) {
        signal = samplePart;
        samplePart = 0.0f;
    }
    if (synthThroughEq)
        samplePart += synthPart;
    else
        signal += synthPart;
    return {signal, samplePart};
}

}  // namespace rimba::batch
