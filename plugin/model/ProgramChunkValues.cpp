#include "plugin/model/ProgramChunkValues.h"

namespace rimba {

const char* chunkFormName(ChunkForm form) {
    switch (form) {
        case ChunkForm::Oldest: return "oldest (no header)";
        case ChunkForm::Plain: return "plain (size only)";
        case ChunkForm::Text122: return "text 1.22";
        case ChunkForm::Text1x: return "text 1.x";
        case ChunkForm::NumberedBefore1300: return "numbered before 1300";
        case ChunkForm::Numbered1300: return "numbered 1300 to 1450";
        case ChunkForm::Current: break;
    }
    return "current (1451 to 1480)";
}

ChunkTrack emptyChunkTrack() {
    ChunkTrack track;
    track.randomMinDensity.fill(-1);
    track.randomMaxDensity.fill(-1);
    track.randomMaxRoll.fill(0);
    track.scaleNotes.fill(1);
    for (auto& pattern : track.hold)
        pattern.fill(1);
    track.settings = resetStoredSettings();
    return track;
}

}  // namespace rimba
