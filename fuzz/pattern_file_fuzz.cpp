// Any bytes at all as a pattern set and as a single pattern file, read to values without an
// instrument (of 12 tracks or of 8, by the parity of the length): every value the readers hand
// on lies inside the range the instrument gives it. Seeded with files of every line form
// (fuzz/corpus/pattern_file).
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <variant>
#include <vector>

#include "plugin/files/PatternFile.h"

namespace {

void check(bool inRange) {
    if (!inRange)
        std::abort();
}

// A set's line names its pattern; a single pattern file's line fills the pattern it is loaded
// into, whatever it names.
void checkLine(const rimba::PatternLine& line, int trackCount, bool namesItsPattern) {
    check(!namesItsPattern || (line.pattern >= 0 && line.pattern < rimba::kPatternCount));
    check(line.steps >= rimba::kMinSteps && line.steps <= rimba::kMaxSteps);
    check(line.triples.size() <= static_cast<std::size_t>(std::max(trackCount, 8)));
    for (const rimba::PatternNote& note : line.notes) {
        check(note.track >= 0 && note.track < rimba::kTrackSlots);
        check(note.step >= 0 && note.step < rimba::kMaxSteps);
        check(note.velocity >= 0.0f && note.velocity <= static_cast<float>(rimba::kMaxVelocity));
        check(std::isfinite(note.hold) && std::isfinite(note.roll));
    }
}

void checkHeader(const rimba::PatternHeader& header) {
    check(header.playMode >= 0 && header.playMode <= 2);
    check(header.swing >= 0 && header.swing <= rimba::kMaxSwing);
    check(!header.fillAttenuation ||
          (*header.fillAttenuation >= 0 && *header.fillAttenuation <= rimba::kMaxFillAttenuation));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> input(data, size);
    const int tracks = size % 2 == 0 ? rimba::kDefaultTrackCount : rimba::kSmallTrackCount;
    for (const rimba::PatternSetLine& line : rimba::readPatternSet(input, tracks)) {
        if (const auto* header = std::get_if<rimba::PatternHeader>(&line))
            checkHeader(*header);
        else
            checkLine(std::get<rimba::PatternLine>(line), tracks, true);
    }
    for (const rimba::PatternLine& line : rimba::readSinglePattern(input, tracks))
        checkLine(line, tracks, false);
    return 0;
}
