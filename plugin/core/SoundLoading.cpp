// Giving a track its sound: one shared Sound per distinct path, replaced only while the audio
// thread is held off.

#include <cstring>
#include <memory>
#include <string>

#include "plugin/core/VornDrums.h"
#include "plugin/files/SoundReader.h"
#include "plugin/files/WaveWriter.h"

namespace rimba {

namespace {

// The index of the Sound already read from exactly this path (byte for byte), or -1.
std::int32_t findSound(const std::vector<std::unique_ptr<Sound>>& soundList, const std::string& path) {
    for (std::size_t i = 0; i < soundList.size(); ++i)
        if (soundPathText(soundList[i]->path) == path)
            return static_cast<std::int32_t>(i);
    return -1;
}

}  // namespace

void VornDrums::loadTrackSound(int track) {
    if (track < 0 || track >= kTrackSlots)
        return;
    const auto t = static_cast<std::size_t>(track);
    TrackVoice& voice = voices[t];
    {
        // The voice is marked only once the audio thread is held off: the render loop reads the
        // mark, and outside the handshake the two would race.
        LoadGuard hold(handshake);
        voice.loading = 1;
        const std::string path = soundPathText(tracks.soundPath[t]);
        std::int32_t index = findSound(soundList, path);
        if (index < 0) {
            if (Result<Sound> sound = loadSoundFile(path)) {
                soundList.push_back(std::make_unique<Sound>(std::move(*sound)));
                index = static_cast<std::int32_t>(soundList.size() - 1);
            } else {
                // A track whose file failed keeps no path, so a later save stores none for it.
                tracks.soundPath[t].fill(0);
            }
        }
        voice.soundIndex = index;
        keepEndAfterStart(track);
        recomputeBounds(track);
        voice.position = -1.0f;
        voice.loading = 0;
    }
}

std::int32_t VornDrums::writeTrackWave(int track, const std::string& path) {
    if (!isActiveTrack(track))
        return -1;
    const auto t = static_cast<std::size_t>(track);
    const Sound* sound = voiceSound(voices[t]);
    if (sound == nullptr)
        return -1;  // a track without a sound has nothing to write
    const FrameRange range = selectedFrameRange(sound->frameCount, tracks.start[t], tracks.end[t]);
    if (range.count <= 0)
        return -1;
    const std::span<const std::int16_t> selected(sound->samples.data() + range.first,
                                                 static_cast<std::size_t>(range.count));
    return writeMonoWave16(path, selected, sampleRate);
}

}  // namespace rimba
