// The per-sample mix of the voices into the master, the sends and the track outputs, and the
// end-of-block work: send effects, master gain, equaliser updates, master equaliser, insert
// effects and meters.

#include <algorithm>
#include <cmath>
#include <cstring>

#include "plugin/core/VornDrums.h"

namespace rimba {

namespace {

constexpr int kExportFadeFrames = 2000;
constexpr int kMeterHoldSamples = 50000;

inline void approachMix(EqStage& stage, float target) {
    const float difference = target - stage.mix;
    if (std::fabs(difference) > 1e-6f)
        stage.mix += difference * 0.01f;
}

inline void decayPeak(float& peak) {
    if (peak > 1e-5f)
        peak *= 0.9999f;
}

void clear(float* channel, VstInt32 frames) {
    if (channel != nullptr)
        std::memset(channel, 0, sizeof(float) * static_cast<std::size_t>(frames));
}

}  // namespace

float VornDrums::equaliseTrack(int track, float input) {
    return equaliseTrackSample(trackEq[static_cast<std::size_t>(track)], input);
}

// A voice's track signal at this sample: its sample and synth parts, through the track's
// equaliser where that is on.
float VornDrums::voiceSignal(TrackVoice& voice, bool routed, VstInt32 i) {
    const int track = voice.track;
    const auto t = static_cast<std::size_t>(track);
    float synthPart = 0.0f;
    if (routed && drumSynth() != nullptr)
        synthPart = drumSynth()->outputChannel(2 + track)[i] * voiceBusGain * voice.synthGain;

    // The settings are stored on the user-interface thread, each on its own.
    float samplePart = 0.0f;
    if (voiceSound(voice) != nullptr && !voice.loading) {
        voice.rendered = 1;
        if (!routed || loadRelaxed(tracks.synthMix[t]) > 0.0f)
            samplePart = renderVoice(voice) * voiceBusGain * voice.sampleGain;
    }

    float signal = 0.0f;
    if (loadRelaxed(tracks.eqOnSample[t]) == 0.0f) {
        signal = samplePart;
        samplePart = 0.0f;
    }
    if (routed && loadRelaxed(tracks.eqOnSynth[t]) != 0.0f)
        samplePart += synthPart;
    else
        signal += synthPart;
    if (tracks.eqActive[t] != 0.0f)
        signal += equaliseTrack(track, samplePart);
    if (!stillStep(signal, trackSignal[static_cast<std::size_t>(track)]))
        trackRest[static_cast<std::size_t>(track)].still = false;
    return signal;
}

void VornDrums::mixSample(float** outputs, VstInt32 i) {
    float masterLeft = 0.0f;
    float masterRight = 0.0f;
    float send1Left = 0.0f;
    float send1Right = 0.0f;
    float send2Left = 0.0f;
    float send2Right = 0.0f;
    const bool exporting = offlineRender.load(std::memory_order_relaxed) != 0;
    const bool meteringPeaks = editorOpen();
    const bool exportFading = exporting && exportRemaining < kExportFadeFrames;
    settleRests(exportFading);
    // The solo is stored on the user-interface thread; the sample takes it once.
    const bool solo = loadRelaxed(soloSelected) != 0;
    const std::int32_t soloTrack = solo ? loadRelaxed(selectedTrack) : -1;

    for (TrackVoice& voice : voices) {
        const int track = voice.track;
        if (track >= trackCount)
            continue;
        const auto t = static_cast<std::size_t>(track);
        const bool routed = loadRelaxed(tracks.synthRoute[t]) != 0.0f;
        const float signal = trackRest[t].resting ? restSample(voice) : voiceSignal(voice, routed, i);
        trackSignal[t] = signal;


        float p = signal;
        if (exporting && exportRemaining < kExportFadeFrames) {
            p *= exportFadeGain;
            if (exportFadeGain > 1e-6f)
                exportFadeGain *= 0.995f;
        }

        if ((!solo || track == soloTrack) && loadRelaxed(tracks.mute[t]) == 0.0f) {
            const float left = p * voice.gainLeft;
            const float right = p * voice.gainRight;
            masterLeft += left;
            masterRight += right;
            send1Left += p * voice.send1Left;
            send1Right += p * voice.send1Right;
            send2Left += p * voice.send2Left;
            send2Right += p * voice.send2Right;
            voice.peakLeft = std::max(voice.peakLeft, std::fabs(left));
            voice.peakRight = std::max(voice.peakRight, std::fabs(right));
        }
        if (meteringPeaks) {
            decayPeak(voice.peakLeft);
            decayPeak(voice.peakRight);
        }
    }

    outputs[0][i] = masterLeft;
    outputs[1][i] = masterRight;
    if (multiOutput && !exporting) {
        for (int k = 0; k < trackCount; ++k)
            if (float* channel = outputs[2 + k])
                channel[i] = trackSignal[static_cast<std::size_t>(k)];
    }
    const float sends[2][2] = {{send1Left, send1Right}, {send2Left, send2Right}};
    for (int slot = 0; slot < 2; ++slot) {
        if (HostedPlugin* effect = effectIn(slot)) {
            effect->inputChannel(0)[i] = sends[slot][0];
            effect->inputChannel(1)[i] = sends[slot][1];
        }
    }
}

void VornDrums::settleRests(bool exportFading) {
    const bool check = takeRestCheck(samplesToRestCheck);
    for (const TrackVoice& voice : voices) {
        if (voice.track >= trackCount)
            continue;
        const auto t = static_cast<std::size_t>(voice.track);
        const bool mayRest = !exportFading && voiceMayRest(*this, voice, tracks.eqActive[t] != 0.0f);
        if (check)
            checkRest(trackRest[t], mayRest, trackEq[t]);
        keepOrWake(trackRest[t], mayRest, trackEq[t]);
    }
}

// A voice of a resting track: renderVoice would return 0, and only its velocity gain moves; the
// signal is the equaliser's orbit's.
float VornDrums::restSample(TrackVoice& voice) {
    const auto t = static_cast<std::size_t>(voice.track);
    if (voiceSound(voice) != nullptr && !voice.loading) {
        voice.rendered = 1;
        if (loadRelaxed(tracks.synthRoute[t]) == 0.0f || loadRelaxed(tracks.synthMix[t]) > 0.0f)
            renderVoice(voice);
    }
    return nextRestSignal(trackRest[t]);
}

void VornDrums::finishBlock(float** outputs, VstInt32 frames) {
    runSendEffects(outputs, frames);
    if (forceSampleBySample)
        applyMasterGain(outputs, frames);
    else
        applyMasterGainBatched(outputs, frames);
    filterUpdates.applyAll([this](const FilterUpdate& update) {
        const auto band = static_cast<std::size_t>(update.band);
        if (update.target == FilterUpdate::kMasterTarget)
            masterEq[band].coefficients = update.coefficients;
        else if (update.target >= 0 && update.target < kTrackSlots) {
            const auto t = static_cast<std::size_t>(update.target);
            // The orbit went on with the coefficients it had up to here.
            wake(trackRest[t], trackEq[t]);
            trackEq[t][band].coefficients = update.coefficients;
        }
    });
    if (forceSampleBySample)
        applyMasterEqualiser(outputs, frames);
    else
        applyMasterEqualiserBatched(outputs, frames);
    runInsertEffects(outputs, frames);
    if (editorOpen()) {
        updateMasterMeters(outputs, frames);
        publishEditorMeters();
    }
}

void VornDrums::runSendEffects(float** outputs, VstInt32 frames) {
    const bool separateOutputs = multiOutput && !offlineRender.load(std::memory_order_relaxed);
    for (int slot = 0; slot < 2; ++slot) {
        float* hostLeft = separateOutputs ? outputs[trackCount + 2 + 2 * slot] : nullptr;
        float* hostRight = separateOutputs ? outputs[trackCount + 3 + 2 * slot] : nullptr;
        HostedPlugin* effect = effectIn(slot);
        if (effect == nullptr) {
            clear(hostLeft, frames);
            clear(hostRight, frames);
            continue;
        }
        if (loadRelaxed(effectEnabled[static_cast<std::size_t>(slot)])) {
            effect->processBlock(frames);
        } else {
            // A switched-off send returns silence; its plug-in is not run.
            clear(effect->outputChannel(0), frames);
            clear(effect->outputChannel(1), frames);
        }
        const float* returnLeft = effect->outputChannel(0);
        const float* returnRight = effect->outputChannel(1);
        for (VstInt32 i = 0; i < frames; ++i) {
            outputs[0][i] += returnLeft[i];
            outputs[1][i] += returnRight[i];
        }
        if (hostLeft != nullptr)
            std::memcpy(hostLeft, returnLeft, sizeof(float) * static_cast<std::size_t>(frames));
        if (hostRight != nullptr)
            std::memcpy(hostRight, returnRight, sizeof(float) * static_cast<std::size_t>(frames));
    }
}

void VornDrums::applyMasterGain(float** outputs, VstInt32 frames) {
    const float target = masterGainTable[static_cast<std::size_t>(masterGainStep(loadRelaxed(settings.masterLevel)))];
    for (VstInt32 i = 0; i < frames; ++i) {
        if (std::fabs(target - masterGain) > 1e-6f)
            masterGain += (target - masterGain) * 0.0002f;
        outputs[0][i] *= masterGain;
        outputs[1][i] *= masterGain;
    }
}

void VornDrums::applyMasterEqualiser(float** outputs, VstInt32 frames) {
    const float target = loadRelaxed(masterEqOn) != 0.0f ? 1.0f : 0.0f;
    for (EqBand& band : masterEq) {
        band.targetMix = target;
        if (target == 0.0f && band.stages[0].mix <= 1e-6f)
            continue;
        EqStage& left = band.stages[0];
        EqStage& right = band.stages[1];
        for (VstInt32 i = 0; i < frames; ++i) {
            approachMix(left, target);
            outputs[0][i] = runEqStage(band.coefficients, left, outputs[0][i]);
            approachMix(right, target);
            outputs[1][i] = runEqStage(band.coefficients, right, outputs[1][i]);
        }
    }
}

void VornDrums::runInsertEffects(float** outputs, VstInt32 frames) {
    const auto bytes = sizeof(float) * static_cast<std::size_t>(frames);
    for (int slot = kFirstInsertSlot; slot < kEffectSlots; ++slot) {
        HostedPlugin* effect = effectIn(slot);
        if (effect == nullptr || !loadRelaxed(effectEnabled[static_cast<std::size_t>(slot)]))
            continue;
        std::memcpy(effect->inputChannel(0), outputs[0], bytes);
        std::memcpy(effect->inputChannel(1), outputs[1], bytes);
        effect->processBlock(frames);
        // A plug-in without outputs only listens (a meter): the master goes on as it was.
        if (effect->outputCount() == 0)
            continue;
        std::memcpy(outputs[0], effect->outputChannel(0), bytes);
        std::memcpy(outputs[1], effect->outputChannel(1), bytes);
    }
}

void VornDrums::updateMasterMeters(float** outputs, VstInt32 frames) {
    struct Side {
        float& meter;
        float& hold;
        std::int32_t& count;
        const float* samples;
    };
    for (Side side : {Side{meterLeft, holdLeft, holdCountLeft, outputs[0]},
                      Side{meterRight, holdRight, holdCountRight, outputs[1]}}) {
        for (VstInt32 i = 0; i < frames; ++i) {
            const float x = std::fabs(side.samples[i]);
            if (x > side.meter)
                side.meter = x;
            else if (side.meter > 1e-5f)
                side.meter *= 0.9999f;
            if (x > side.hold) {
                side.hold = x;
                side.count = kMeterHoldSamples;
            } else if (side.count > 0) {
                if (side.hold > 1e-5f)
                    side.hold *= 0.99999f;
                if (--side.count == 0)
                    side.hold = 0.0f;
            }
        }
    }
}

}  // namespace rimba
