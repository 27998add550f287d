#include "plugin/files/KitFile.h"

#include <algorithm>
#include <cmath>

#include "plugin/files/ByteFields.h"
#include "plugin/model/ProgramChunkValues.h"

namespace rimba {

namespace {

// Stored positions of the current record's 29 floats, in file order.
constexpr std::array<int, kit::kRecordSettings> kRecordPositions{
    stored::kLevel,         stored::kPan,          stored::kSend1,       stored::kSend2,       stored::kTune,
    stored::kLevelVelocity, stored::kTuneVelocity, stored::kOneShot,     stored::kReverse,     stored::kLoop,
    stored::kStart,         stored::kEnd,          stored::kMute,        stored::kChoke,       stored::kTuneScale,
    stored::kSynthRoute,    stored::kEqOnSample,   stored::kEqBands,     stored::kEqBands + 1, stored::kEqBands + 2,
    stored::kEqBands + 3,   stored::kEqBands + 4,  stored::kEqBands + 5, stored::kEqBands + 6, stored::kEqBands + 7,
    stored::kEqBands + 8,   stored::kSynthMix,     stored::kEqOnSynth,   stored::kPhaseInvert};

// The older records hold the first 15 of them and one float nobody reads.
constexpr std::size_t kOldRecordPositions = 15;

struct FormLayout {
    std::size_t headerBytes;
    std::size_t recordBytes;
    bool currentRecord;
    bool tuneInOldUnits;  // 0..1 around 0.5 for +-12 semitones
};

constexpr FormLayout layoutOf(KitForm form) {
    switch (form) {
        case KitForm::Oldest: return {0, kit::kOldestRecordBytes, false, true};
        case KitForm::Short: return {4, kit::kShortRecordBytes, false, false};
        case KitForm::Plain: return {4, kit::kRecordBytes, true, false};
        case KitForm::Current: break;
    }
    return {kit::kHeaderBytes, kit::kRecordBytes, true, false};
}

struct FormAndCount {
    KitForm form;
    std::size_t records;
};

std::string bytes(std::size_t count) { return std::to_string(count) + (count == 1 ? " byte" : " bytes"); }

// The form as the header tells it, before any record is looked at.
Result<FormAndCount> decideForm(std::span<const std::uint8_t> file) {
    ChunkReader header(file);
    const std::uint32_t size = header.u32();
    if (!header.ok())
        return Refusal{"a file of " + bytes(file.size()) + " is too short to be a kit"};
    if (file.size() == kit::kOldestFormBytes && size != file.size())
        return FormAndCount{KitForm::Oldest, kit::kOldRecordCount};
    if (size != file.size())
        return Refusal{"the kit says it holds " + bytes(size) + " but the file holds " + bytes(file.size())};
    if (file.size() == kit::kShortFormBytes)
        return FormAndCount{KitForm::Short, kit::kOldRecordCount};

    const auto count = static_cast<std::int32_t>(header.u32());
    const auto version = static_cast<std::int32_t>(header.u32());
    const auto swapped = static_cast<std::int32_t>(header.u32BigEndian());
    const bool numbered = header.ok() && version >= kit::kFirstCountedVersion && version == swapped;
    if (!numbered)
        return FormAndCount{KitForm::Plain, kit::kOldRecordCount};
    // Older builds wrote only 8 or 12 records; other counts up to the instrument's 16 tracks are
    // read as they are written rather than as misaligned plain records.
    if (count < 1 || count > kTrackSlots)
        return Refusal{"kit has " + std::to_string(count) + " tracks; 1 to " + std::to_string(kTrackSlots) +
                       " allowed"};
    return FormAndCount{KitForm::Current, static_cast<std::size_t>(count)};
}

bool allFinite(const std::array<float, chunk::kSettingCount>& values) {
    return std::all_of(values.begin(), values.end(), [](float v) { return std::isfinite(v); });
}

KitRecord readRecord(ChunkReader& in, const FormLayout& layout) {
    KitRecord record;
    record.path = in.text(kit::kPathBytes);
    record.settings = emptyChunkTrack().settings;
    record.settings[stored::kRandomMinDensity] = 0.0f;
    record.settings[stored::kRandomMaxDensity] = 0.0f;
    record.settings[stored::kRandomMaxRoll] = 0.0f;
    if (layout.currentRecord) {
        for (const int position : kRecordPositions)
            record.settings[static_cast<std::size_t>(position)] = in.f32();
        in.take(kit::kScaleNotesOffset - kit::kPathBytes - 4 * kit::kRecordSettings);
    } else {
        for (std::size_t i = 0; i < kOldRecordPositions; ++i)
            record.settings[static_cast<std::size_t>(kRecordPositions[i])] = in.f32();
        in.take(4 * (kit::kOldRecordSettings - kOldRecordPositions));
    }
    if (layout.tuneInOldUnits) {
        float& tune = record.settings[stored::kTune];
        tune = (tune - 0.5f) * 24.0f;
        record.scaleNotes.fill(1);
    } else {
        for (std::int32_t& note : record.scaleNotes)
            note = in.i32();
    }
    return record;
}

}  // namespace

Result<KitFile> readKitFile(std::span<const std::uint8_t> file) {
    const Result<FormAndCount> decided = decideForm(file);
    if (!decided)
        return decided.refusal();
    const FormLayout layout = layoutOf(decided->form);
    const std::size_t fixedBytes = layout.headerBytes + decided->records * layout.recordBytes;
    if (fixedBytes > file.size())
        return Refusal{std::to_string(decided->records) + " records of " + bytes(layout.recordBytes) +
                       " run past the end of a file of " + bytes(file.size())};

    KitFile kit;
    kit.form = decided->form;
    const std::span<const std::uint8_t> state = file.subspan(layout.headerBytes, file.size() - fixedBytes);
    kit.synthState.assign(state.begin(), state.end());

    ChunkReader in(file);
    in.seek(layout.headerBytes + state.size());
    kit.records.reserve(decided->records);
    for (std::size_t r = 0; r < decided->records; ++r) {
        const std::size_t recordStart = in.position();
        kit.records.push_back(readRecord(in, layout));
        if (!allFinite(kit.records.back().settings))
            return Refusal{"track " + std::to_string(r + 1) + " has a setting that is not a number"};
        in.seek(recordStart + layout.recordBytes);
    }
    if (!in.ok())
        return Refusal{"the records run past the end of the file"};
    return kit;
}

std::vector<std::uint8_t> writeKitFile(const KitFile& kit) {
    const std::size_t size = kit::kHeaderBytes + kit.synthState.size() + kit.records.size() * kit::kRecordBytes;
    std::vector<std::uint8_t> bytes(size, 0);
    ChunkWriter out(bytes);
    out.u32(0, static_cast<std::uint32_t>(size));
    out.u32(4, static_cast<std::uint32_t>(kit.records.size()));
    out.i32(8, chunk::kVersion);
    out.u32BigEndian(12, static_cast<std::uint32_t>(chunk::kVersion));
    out.bytes(kit::kHeaderBytes, kit.synthState);

    std::size_t at = kit::kHeaderBytes + kit.synthState.size();
    for (const KitRecord& record : kit.records) {
        out.text(at, record.path, kit::kPathBytes);
        for (std::size_t i = 0; i < kit::kRecordSettings; ++i)
            out.f32(at + kit::kPathBytes + 4 * i, record.settings[static_cast<std::size_t>(kRecordPositions[i])]);
        for (std::size_t n = 0; n < record.scaleNotes.size(); ++n)
            out.i32(at + kit::kScaleNotesOffset + 4 * n, record.scaleNotes[n]);
        at += kit::kRecordBytes;
    }
    return bytes;
}

}  // namespace rimba
