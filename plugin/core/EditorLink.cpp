// What the editor shows of the instrument: the meters the render loop publishes, the progress of
// a load and the played steps due for display.

#include <algorithm>
#include <cstdint>

#include "plugin/core/VornDrums.h"

namespace rimba {

void VornDrums::publishEditorMeters() {
    for (int t = 0; t < trackCount; ++t) {
        const TrackVoice& voice = voices[static_cast<std::size_t>(t)];
        editorTrackLevels[static_cast<std::size_t>(t)].store(std::max(voice.peakLeft, voice.peakRight),
                                                             std::memory_order_relaxed);
    }
    editorMasterLeft.store(meterLeft, std::memory_order_relaxed);
    editorMasterRight.store(meterRight, std::memory_order_relaxed);
}

float VornDrums::trackLevel(int track) const {
    if (!isActiveTrack(track))
        return 0.0f;
    return editorTrackLevels[static_cast<std::size_t>(track)].load(std::memory_order_relaxed);
}

float VornDrums::loadProgress() const {
    if (trackCount <= 0)
        return 1.0f;
    int loaded = 0;
    for (int t = 0; t < trackCount; ++t)
        if (std::atomic_ref<const std::uint8_t>(voices[static_cast<std::size_t>(t)].loading).load() == 0)
            ++loaded;
    return static_cast<float>(loaded) / static_cast<float>(trackCount);
}

std::optional<StepDisplay> VornDrums::takeDueStep(std::uint32_t nowMs) {
    std::optional<StepDisplay> oldest = stepDisplay.peek();
    if (!oldest)
        return std::nullopt;
    // Display times come from the same wrapping tick: compare by difference, as ticks are.
    const double dueIn = oldest->timeMilliseconds - static_cast<double>(nowMs);
    const double wrapped = dueIn > 2147483648.0    ? dueIn - 4294967296.0
                           : dueIn < -2147483648.0 ? dueIn + 4294967296.0
                                                   : dueIn;
    if (wrapped > 0.0)
        return std::nullopt;
    return stepDisplay.pop();
}

void VornDrums::startPlaying() {
    if (playing.load() != 0)
        restartRequested.store(true);
    setPlaying(1);
}

void VornDrums::stopPlaying() {
    setPlaying(0);
    requestReleaseAllVoices();
}

void VornDrums::padNote(int track, int velocity) {
    if (!isActiveTrack(track))
        return;
    editorNotes.push({track, std::clamp(velocity, 0, 127)});
}

void VornDrums::takeVoiceRequests() {
    if (releaseAllRequested.exchange(false))
        releaseAllVoices();
    if (const std::uint32_t moved = boundsRequests.exchange(0); moved != 0)
        for (int t = 0; t < kTrackSlots; ++t)
            if (moved & (1u << t))
                recomputeBounds(t);
    takeEditorNotes();
}

void VornDrums::takeEditorNotes() {
    while (const std::optional<EditorNote> note = editorNotes.pop()) {
        if (note->velocity > 0)
            soundTrack(note->track,
                       static_cast<int>(loadRelaxed(settings.trackKey[static_cast<std::size_t>(note->track)])),
                       note->velocity);
        else
            releaseTrack(note->track);
    }
}

}  // namespace rimba
