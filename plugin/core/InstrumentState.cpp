#include "plugin/core/InstrumentState.h"

namespace rimba {

const Sound* InstrumentState::voiceSound(const TrackVoice& voice) const {
    if (voice.soundIndex < 0 || static_cast<std::size_t>(voice.soundIndex) >= soundList.size())
        return nullptr;
    return soundList[static_cast<std::size_t>(voice.soundIndex)].get();
}

}  // namespace rimba
