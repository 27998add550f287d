// Notes and MIDI messages at their sample: drum hits, releases and chokes, the pattern-trigger
// keys, all-notes-off and program changes.

#include "common/platform/Clock.h"
#include "plugin/core/VornDrums.h"

namespace rimba {

namespace {

constexpr std::int32_t kCommandRelease = 0;
constexpr std::int32_t kCommandChoke = 2;
constexpr std::uint8_t kAllNotesOffController = 123;
constexpr std::int32_t kSynthChokeParameter = 0x10030;

}  // namespace

void VornDrums::handleEvent(const PendingEvent& event) {
    const std::uint8_t kind = event.status & 0xF0;
    if (kind == 0x80 || kind == 0x90) {
        const int key = event.data1;
        const int velocity = event.data2;
        const bool noteOn = kind == 0x90 && velocity > 0;

        // The settings are stored on the user-interface thread, each on its own.
        const std::int32_t firstTriggerKey = loadRelaxed(settings.patternTriggerMidiKey);
        if (!event.fromSequencer && firstTriggerKey != -1) {
            const int pattern = key - firstTriggerKey;
            if (pattern >= 0 && pattern < kPatternCount) {
                const bool muteKeys = loadRelaxed(settings.muteMidiKey) != 0;
                if (noteOn) {
                    if (muteKeys && ++heldTriggerKeys == 1)
                        setPlaying(1);
                    choosePattern(pattern);
                    playingPattern = pattern;  // at once; the step count goes on
                } else if (muteKeys && heldTriggerKeys > 0 && --heldTriggerKeys == 0) {
                    setPlaying(0);
                }
                return;
            }
        }

        int track = -1;
        for (int t = 0; t < trackCount && track < 0; ++t)
            if (static_cast<int>(loadRelaxed(settings.trackKey[static_cast<std::size_t>(t)])) == key)
                track = t;
        if (track < 0)
            return;
        if (noteOn)
            soundTrack(track, key, velocity);
        else
            voices[static_cast<std::size_t>(track)].command = kCommandRelease;
    } else if (kind == 0xB0) {
        if (event.data1 != kAllNotesOffController)
            return;
        releaseAllVoices();
        if (loadRelaxed(settings.muteMidiKey)) {
            heldTriggerKeys = 0;
            setPlaying(0);
        }
    } else if (kind == 0xC0) {
        if (loadRelaxed(settings.enableMidiProgramChange))
            programChanges.push(event.data1);
    }
}

void VornDrums::soundTrack(int track, int key, int velocity) {
    TrackVoice& voice = voices[static_cast<std::size_t>(track)];
    voice.key = key;
    voice.startTick = static_cast<std::int32_t>(platform::tickMilliseconds());
    startVoice(voice, velocity);
    if (loadRelaxed(tracks.choke[static_cast<std::size_t>(track)]) == 0.0f)
        return;
    const bool routed = loadRelaxed(tracks.synthRoute[static_cast<std::size_t>(track)]) != 0.0f;
    for (int other = 0; other < trackCount; ++other) {
        if (other == track || loadRelaxed(tracks.choke[static_cast<std::size_t>(other)]) == 0.0f)
            continue;
        voices[static_cast<std::size_t>(other)].command = kCommandChoke;
        if (routed && drumSynth() != nullptr)
            drumSynth()->setParameter(kSynthChokeParameter + other, 0.0f);
    }
}

void VornDrums::releaseTrack(int track) { voices[static_cast<std::size_t>(track)].command = kCommandRelease; }

void VornDrums::releaseAllVoices() {
    for (int t = 0; t < kTrackSlots; ++t)
        if (loadRelaxed(tracks.synthRoute[static_cast<std::size_t>(t)]) != 0.0f)
            queueSynthNote(0, 0x80, t, 0);
    for (TrackVoice& voice : voices)
        voice.command = kCommandRelease;
}

void VornDrums::auditionStart(int track, int velocity, bool toSynth) {
    if (track < 0 || track >= kTrackSlots)
        return;
    if (toSynth && tracks.synthRoute[static_cast<std::size_t>(track)] != 0.0f)
        queueSynthNote(0, 0x90, track, static_cast<std::uint8_t>(velocity & 0x7F));
    startVoice(voices[static_cast<std::size_t>(track)], velocity);
}

void VornDrums::auditionStop(int track, bool toSynth) {
    if (track < 0 || track >= kTrackSlots)
        return;
    if (toSynth && tracks.synthRoute[static_cast<std::size_t>(track)] != 0.0f)
        queueSynthNote(0, 0x80, track, 0);
    voices[static_cast<std::size_t>(track)].command = kCommandRelease;
}

}  // namespace rimba
