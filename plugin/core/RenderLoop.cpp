// The frame of one block: the load handshake, the clock, the step sequencer and the per-sample
// walk that fires pending events and runs the voices and the mixer.

#include <algorithm>
#include <cmath>
#include <cstring>

#include "common/platform/Clock.h"
#include "plugin/core/DenormalGuard.h"
#include "plugin/core/PieceTime.h"
#include "plugin/core/RandomKeystrokes.h"
#include "plugin/core/SettingLaws.h"
#include "plugin/core/VornDrums.h"

namespace rimba {

namespace {

constexpr VstInt32 kAllTimeInfoFields = 0xffff;
constexpr std::uint8_t kNoteOn = 0x90;
constexpr std::uint8_t kNoteOff = 0x80;

// A velocity as a MIDI data byte; values outside 0..127 only come from damaged data. Roll factors
// are whole numbers over at most 512^3, so a roll velocity never lies within 1e-9 below a whole
// number unless it is that number: a product that falls just short of one (0.9999999999999999 * v
// for the full hit of a roll) is the factor's rounding error, not a softer hit.
constexpr double kRoundingAllowance = 1e-9;
std::uint8_t velocityByte(double velocity) {
    return static_cast<std::uint8_t>(std::clamp(std::trunc(velocity + kRoundingAllowance), 0.0, 127.0));
}

std::uint8_t keyByte(float key) { return static_cast<std::uint8_t>(std::clamp(std::trunc(key), 0.0f, 127.0f)); }

}  // namespace

void VornDrums::renderBlock(float** outputs, VstInt32 frames) {
    if (outputs == nullptr || frames <= 0)
        return;
    DenormalGuard flushDenormals;
    // Marked active before the counter is read, so a loader either sees this block or this block
    // sees the loader.
    RenderScope active(handshake);
    const std::uint32_t now = platform::tickMilliseconds();
    lastBlockBegan.store(now);
    anyBlockBegan.store(true);
    if (handshake.loadsInProgress.load() < 1)
        lastIdleTick = now;
    else if (now - lastIdleTick > kLoadWaitMilliseconds && now - handshake.lastLoadBegan.load() > kLoadWaitMilliseconds)
        handshake.loadsInProgress.store(0);  // a loader that never finished cannot silence us for good

    // The audio export hands over its own two channels, not the host's outputs.
    const VstInt32 channels = offlineRender.load() ? 2 : cEffect.numOutputs;
    const VstTimeInfo* time = getTimeInfo(kAllTimeInfoFields);
    if (time == nullptr || handshake.loadsInProgress.load() >= 1) {
        for (VstInt32 c = 0; c < channels; ++c)
            if (outputs[c] != nullptr)
                std::memset(outputs[c], 0, sizeof(float) * static_cast<std::size_t>(frames));
        return;
    }
    takeVoiceRequests();
    takeRandomRequests(*this);
    takeStepEdits();
    const VstTimeInfo& inForce = clockForBlock(*time);
    // A hosted plug-in is never handed more frames than it was told, so a longer block (the
    // audio export's) is rendered in pieces, each with the time at which it starts.
    std::array<float*, kTrackSlots + 6> pieceOutputs{};
    for (VstInt32 done = 0; done < frames;) {
        const VstInt32 piece = std::min<VstInt32>(frames - done, pluginBlockFrames);
        for (VstInt32 c = 0; c < channels; ++c)
            pieceOutputs[static_cast<std::size_t>(c)] = outputs[c] ? outputs[c] + done : nullptr;
        renderChunk(pieceOutputs.data(), piece, publishPieceTime(inForce, done));
        done += piece;
    }
}

// The record a plug-in's audioMasterGetTime answers stays whole while the next piece's is
// written: the two records take turns.
const VstTimeInfo& VornDrums::publishPieceTime(const VstTimeInfo& blockTime, VstInt32 offset) {
    pieceTimeTurn ^= 1;
    VstTimeInfo& record = pieceTimes[pieceTimeTurn];
    record = timeAfter(blockTime, offset);
    timeForPlugins.store(&record);
    return record;
}

const VstTimeInfo& VornDrums::clockForBlock(const VstTimeInfo& hostTime) {
    const VstTimeInfo* host = &hostTime;
    // The user-interface thread stores the tempo; the block takes it once.
    const std::int32_t chosenTempo = standalone ? loadRelaxed(tempo) : 0;
    currentTempo = standalone ? static_cast<double>(chosenTempo) : hostTime.tempo;
    if (standalone) {
        if (previousTempo != chosenTempo && chosenTempo != 0) {
            // The musical position survives a tempo change.
            standalonePos *= static_cast<double>(previousTempo) / chosenTempo;
            previousTempo = chosenTempo;
        }
        standaloneTime.sampleRate = host->sampleRate;
        standaloneTime.nanoSeconds = host->nanoSeconds;
        standaloneTime.ppqPos = host->ppqPos;
        standaloneTime.timeSigNumerator = host->timeSigNumerator;
        standaloneTime.timeSigDenominator = host->timeSigDenominator;
        standaloneTime.samplePos = standalonePos;
        standaloneTime.tempo = chosenTempo;
        if (std::isfinite(host->sampleRate) && host->sampleRate >= 1.0 && host->sampleRate <= 1e7)
            clockRate = static_cast<std::int32_t>(host->sampleRate);
        const std::int32_t on = playing.load();
        standaloneTime.flags = on ? (host->flags | kVstTransportPlaying) : 0;
        running = on;
        return standaloneTime;
    }
    running = (host->flags & kVstTransportPlaying) != 0 && playing != 0;
    return hostTime;
}

void VornDrums::renderChunk(float** outputs, VstInt32 frames, const VstTimeInfo& time) {
    if (running || offlineRender.load())
        runSequencer(time, frames);

    if (HostedPlugin* synth = drumSynth()) {
        synth->deliverQueuedMidi();
        synth->processBlock(frames);
    }

    // Stretches in which nothing fires are rendered as a batch; the samples around events go
    // one at a time.
    for (VstInt32 i = 0; i < frames;) {
        if (const VstInt32 batch = batchLength(i, frames); batch > 0) {
            renderBatch(outputs, i, batch);
            i += batch;
        } else {
            renderSample(outputs, i);
            ++i;
        }
    }
    finishBlock(outputs, frames);
    delaySeparateOutputs(outputs, frames);
}

// The host holds every output back by the latency the inserts give the master; the outputs that
// do not pass through the inserts are held back as much here, so they stay in time with it.
void VornDrums::delaySeparateOutputs(float** outputs, VstInt32 frames) {
    if (separateOutputDelay.frames() == 0 || !multiOutput || offlineRender.load(std::memory_order_relaxed))
        return;
    for (VstInt32 c = 2; c < cEffect.numOutputs; ++c)
        separateOutputDelay.delay(c - 2, outputs[c], frames);
}

void VornDrums::renderSample(float** outputs, VstInt32 i) {
    if (++controlCounter > 15) {
        controlCounter = 0;
        for (TrackVoice& voice : voices)
            controlUpdate(voice);
    }
    drainOneMidiEntry();
    if (std::fabs(1.0f - voiceBusGain) > 1e-6f)
        voiceBusGain += (1.0f - voiceBusGain) * 0.002f;
    pendingEvents.countDownAndFire([this](const PendingEvent& event) { handleEvent(event); });
    mixSample(outputs, i);
}

void VornDrums::drainOneMidiEntry() {
    const std::optional<MidiInputEntry> entry = midiInput.pop();
    if (!entry)
        return;
    // A key-learn field of the editor takes the next note-on instead of the drums, once the
    // editor exists.
    pendingEvents.append({.countdown = entry->deltaFrames,
                          .status = entry->midi[0],
                          .data1 = entry->midi[1],
                          .data2 = entry->midi[2],
                          .fromSequencer = 0});
}

void VornDrums::takeStepEdits() {
    rimba::takeStepEdits(playedSteps, patterns, stepEdits, handshake.loadsEnded.load(), trackCount);
}

void VornDrums::runSequencer(const VstTimeInfo& time, VstInt32 frames) {
    const double blockLength = frames;
    double position = 0.0;
    if (offlineRender.load()) {
        position = exportPos;
        exportPos += blockLength;
    } else if (standalone) {
        if (restartRequested.exchange(false)) {
            standalonePos = 0.0;
            expectedStep = -1;
        }
        position = standalonePos;
        standalonePos += blockLength;
    } else {
        position = time.samplePos;
    }
    // A host that reports no usable tempo or rate gets no steps rather than a division by zero.
    if (!(time.tempo > 0.0) || !(time.sampleRate > 0.0) || !std::isfinite(position))
        return;
    secondsPerStep = 60.0 / time.tempo * 0.25;
    const double samplesPerStep = time.sampleRate * secondsPerStep;
    auto step = static_cast<std::int64_t>(position / samplesPerStep);
    double offset = static_cast<double>(step) * samplesPerStep - position;
    double displayTime = platform::tickMilliseconds() + (blockLength + offset) * 1000.0 / time.sampleRate;
    while (offset < blockLength) {
        if (offset >= 0.0 && step >= 0)
            playStep(step, offset, displayTime, samplesPerStep);
        ++step;
        offset += samplesPerStep;
        displayTime += samplesPerStep * 1000.0 / time.sampleRate;
    }
}

// The sequencer settings are stored on the user-interface thread, each on its own.
bool VornDrums::patternStart() {
    if (playingPattern == currentPattern) {
        const std::int32_t mode = loadRelaxed(playMode);
        if (mode == 1) {
            for (int move = 1; move <= kPatternCount; ++move) {
                const int candidate = (currentPattern + move) % kPatternCount;
                if (loadRelaxed(chainEnabled[static_cast<std::size_t>(candidate)])) {
                    choosePattern(candidate);
                    break;
                }
            }
        } else if (mode == 2) {
            for (int draw = 0; draw < kPatternCount; ++draw) {
                const int candidate = random.next() % kPatternCount;
                if (loadRelaxed(chainEnabled[static_cast<std::size_t>(candidate)])) {
                    choosePattern(candidate);
                    break;
                }
            }
        }
    }
    playingPattern = currentPattern;
    if (loadRelaxed(randomAuto))
        regenerateAllRandom(*this);
    return true;
}

void VornDrums::playStep(std::int64_t step, double offset, double displayTime, double samplesPerStep) {
    const bool patternValid = playingPattern >= 0 && playingPattern < kPatternCount;
    const std::int32_t length = patternValid ? loadRelaxed(patternSteps[static_cast<std::size_t>(playingPattern)]) : 0;
    if (length > 0)
        currentStep = stepInPattern(step, length);
    expectedStep = step + 1;
    if (currentStep == 0)
        patternStart();
    if (editorOpen() && !offlineRender.load())
        stepDisplay.push({.step = currentStep, .timeMilliseconds = displayTime});

    auto start = static_cast<std::int32_t>(offset);
    const std::int32_t swingSetting = loadRelaxed(swing);
    if (swingSetting > 0 && (currentStep & 1))
        start += static_cast<std::int32_t>(swingDelaySteps(swingSetting) * samplesPerStep);

    // Only patterns and steps inside the planes can be played; damaged numbers play nothing.
    const bool stepValid =
        playingPattern >= 0 && playingPattern < kPatternCount && currentStep >= 0 && currentStep < kMaxSteps;
    const auto p = static_cast<std::size_t>(std::clamp(playingPattern, 0, kPatternCount - 1));
    const auto s = static_cast<std::size_t>(std::clamp(currentStep, 0, kMaxSteps - 1));
    for (int t = 0; t < trackCount; ++t) {
        const TrackPatterns& planes = patterns[static_cast<std::size_t>(t)];
        const PlayedTrack& played = playedSteps.track(static_cast<std::size_t>(t));
        const float velocity = stepValid ? played.velocity[p][s] : 0.0f;
        if (velocity != 0.0f) {
            playHit(t, velocity, played.roll[p][s], start, samplesPerStep);
        } else if (stepValid && planes.randomHit[s] != 0.0f) {
            playHit(t, planes.randomVelocity[s], planes.randomRoll[s], start, samplesPerStep);
        } else if (const bool routed = loadRelaxed(tracks.synthRoute[static_cast<std::size_t>(t)]) != 0.0f;
                   routed || voices[static_cast<std::size_t>(t)].noteSent) {
            voices[static_cast<std::size_t>(t)].noteSent = 0;
            pendingEvents.append({.countdown = start,
                                  .status = kNoteOff,
                                  .data1 = keyByte(loadRelaxed(settings.trackKey[static_cast<std::size_t>(t)])),
                                  .data2 = 0,
                                  .fromSequencer = 1});
            if (routed)
                queueSynthNote(start, kNoteOff, t, 0);
        }
    }
}

// While the clock runs on, a pattern plays through its own length and the next one starts at its
// step 0, so chained patterns of different lengths each play whole. After a jump (a start, a
// locate, a host's loop) the step follows the song position as a pattern of this length would
// have reached it, which keeps the sequencer locked to the host's timeline.
std::int32_t VornDrums::stepInPattern(std::int64_t step, std::int32_t length) const {
    if (step != expectedStep || currentStep < 0)
        return static_cast<std::int32_t>(step % length);
    return currentStep + 1 < length ? currentStep + 1 : 0;
}

void VornDrums::playHit(int track, float velocity, float roll, std::int32_t offset, double samplesPerStep) {
    const RollShape shape = rollShape(loadRelaxed(fillAttenuation), roll);
    const double rolls = std::trunc(static_cast<double>(roll));
    double gain = shape.firstGain;
    const double factor = shape.factor;
    if (rolls < 0.0 || !std::isfinite(rolls))
        return;
    const auto t = static_cast<std::size_t>(track);
    const std::uint8_t key = keyByte(loadRelaxed(settings.trackKey[t]));
    const bool routed = loadRelaxed(tracks.synthRoute[t]) != 0.0f;
    const auto lastHit = static_cast<int>(std::min(rolls, 64.0));
    for (int k = 0; k <= lastHit; ++k) {
        const auto countdown = offset + static_cast<std::int32_t>(k * samplesPerStep / 4.0);
        const std::uint8_t hitVelocity = velocityByte(gain * velocity);
        voices[t].noteSent = 1;
        pendingEvents.append(
            {.countdown = countdown, .status = kNoteOn, .data1 = key, .data2 = hitVelocity, .fromSequencer = 1});
        if (routed)
            queueSynthNote(countdown, kNoteOn, track, hitVelocity);
        gain *= factor;
    }
}

void VornDrums::queueSynthNote(std::int32_t deltaFrames, std::uint8_t status, int track, std::uint8_t velocity) {
    if (HostedPlugin* synth = drumSynth())
        synth->queueMidi(deltaFrames, status, static_cast<std::uint8_t>(36 + track), velocity);
}

}  // namespace rimba
