// Any bytes at all as a kit file, read to a value without an instrument: the reader stays inside
// the bytes, takes 1 to 16 records with finite settings, and a kit it accepts is written and
// read back to the same bytes. Seeded with a file of each of the four forms
// (fuzz/corpus/kit_file).
#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <span>
#include <vector>

#include "plugin/files/KitFile.h"

namespace {

bool settingsAreNumbers(const rimba::KitRecord& record) {
    return std::all_of(record.settings.begin(), record.settings.end(), [](float v) { return std::isfinite(v); });
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const rimba::Result<rimba::KitFile> kit = rimba::readKitFile(std::span(data, size));
    if (!kit)
        return 0;
    if (kit->records.empty() || kit->records.size() > static_cast<std::size_t>(rimba::kTrackSlots) ||
        !std::all_of(kit->records.begin(), kit->records.end(), settingsAreNumbers))
        std::abort();
    const std::vector<std::uint8_t> written = rimba::writeKitFile(*kit);
    const rimba::Result<rimba::KitFile> again = rimba::readKitFile(written);
    if (!again || again->records.size() != kit->records.size())
        std::abort();
    if (rimba::writeKitFile(*again) != written)
        std::abort();
    return 0;
}
