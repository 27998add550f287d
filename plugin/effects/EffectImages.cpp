#include "plugin/effects/EffectImages.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdio>
#include <limits>
#include <optional>

#include "plugin/effects/PluginLimits.h"
#include "plugin/files/ByteFields.h"

namespace rimba {

namespace {

constexpr std::size_t kCountOffset = 24;
// Names and product strings are asked into a buffer far larger than the published limits,
// since plug-ins are known to write past those.
constexpr std::size_t kAnswerBufferBytes = 256;

constexpr auto kBankType = static_cast<VstInt32>(fx::kRegularBank);
constexpr auto kChunkBankType = static_cast<VstInt32>(fx::kChunkBank);
constexpr auto kPresetType = static_cast<VstInt32>(fx::kRegularProgram);
constexpr auto kChunkPresetType = static_cast<VstInt32>(fx::kChunkProgram);

// --- calls into the plug-in ---------------------------------------------------------------------

VstIntPtr dispatch(AEffect& effect, VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0, void* ptr = nullptr) {
    return effect.dispatcher(&effect, opcode, index, value, ptr, 0.0f);
}

bool hasChunks(const AEffect& effect) { return (effect.flags & effFlagsProgramChunks) != 0; }

// A count the plug-in declares; a negative one counts as none.
std::int32_t declared(std::int32_t count) { return std::max(count, 0); }

// The text of a zero-filled answer buffer: up to its first zero, and at most `longest` characters.
std::string answerText(const std::array<char, kAnswerBufferBytes>& buffer, std::size_t longest) {
    const auto end = std::find(buffer.begin(), buffer.begin() + static_cast<std::ptrdiff_t>(longest), '\0');
    return std::string(buffer.begin(), end);
}

// The current program's name, cut to the 28-byte field with room for its terminating zero.
std::string programName(AEffect& effect) {
    std::array<char, kAnswerBufferBytes> buffer{};
    dispatch(effect, effGetProgramName, 0, 0, buffer.data());
    return answerText(buffer, fx::kNameBytes - 1);
}

void setProgramName(AEffect& effect, const std::string& name) {
    std::array<char, kAnswerBufferBytes> buffer{};
    std::copy_n(name.begin(), std::min(name.size(), buffer.size() - 1), buffer.begin());
    dispatch(effect, effSetProgramName, 0, 0, buffer.data());
}

// The plug-in's chunk (index 0 its bank, 1 its current program), copied at once: the plug-in
// owns the memory it points to only until its next call. A plug-in that gives none, an empty one
// or one too large for an image's 32-bit size field has no image: an image with an empty chunk
// would be written as if saved and then refused by every loader, this one included.
Result<std::vector<std::uint8_t>> chunkOf(AEffect& effect, VstInt32 index) {
    const char* what = index == 0 ? "bank" : "program";
    void* data = nullptr;
    const VstIntPtr size = dispatch(effect, effGetChunk, index, 0, &data);
    if (data == nullptr || size <= 0)
        return Refusal{"the plug-in gave no " + std::string(what) + " chunk (" + std::to_string(size) + " bytes" +
                       (data == nullptr ? ", no data" : "") + ")"};
    if (size > std::numeric_limits<std::int32_t>::max())
        return Refusal{"the plug-in's " + std::string(what) + " chunk of " + std::to_string(size) +
                       " bytes is too large for a file"};
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    return std::vector<std::uint8_t>(bytes, bytes + size);
}

void setChunk(AEffect& effect, VstInt32 index, std::span<const std::uint8_t> chunk) {
    // The plug-in is handed a copy of its own: its setChunk takes a pointer it may keep or touch.
    std::vector<std::uint8_t> copy(chunk.begin(), chunk.end());
    dispatch(effect, effBeginSetProgram);
    dispatch(effect, effSetChunk, index, static_cast<VstIntPtr>(copy.size()), copy.data());
    dispatch(effect, effEndSetProgram);
}

// --- writing ------------------------------------------------------------------------------------

void writeBigEndian(ChunkWriter& out, std::size_t at, std::int32_t value) {
    out.u32BigEndian(at, static_cast<std::uint32_t>(value));
}

// The fields every image begins with, at `at` of `image`; the byte count is left 0.
void writeCommonHeader(std::vector<std::uint8_t>& image, std::size_t at, const AEffect& effect, VstInt32 type,
                       std::int32_t count) {
    fx::Header header;
    header.type = static_cast<std::uint32_t>(type);
    header.pluginId = effect.uniqueID;
    header.pluginVersion = effect.version;
    header.count = count;
    fx::writeHeader(image, at, header);
}

// The current program's name and values into a program (or preset) at `at`, its values from
// `valuesAt` on.
void writeProgram(std::vector<std::uint8_t>& image, std::size_t at, std::size_t valuesAt, AEffect& effect) {
    ChunkWriter out(image);
    out.text(at + fx::kNameOffset, programName(effect), fx::kNameBytes);
    const std::int32_t parameters = declared(effect.numParams);
    for (std::int32_t p = 0; p < parameters; ++p)
        out.u32BigEndian(valuesAt + 4 * static_cast<std::size_t>(p),
                         std::bit_cast<std::uint32_t>(effect.getParameter(&effect, p)));
}

std::size_t programStride(std::int32_t parameters) {
    return fx::kBankProgramHeaderBytes + 4 * static_cast<std::size_t>(parameters);
}

// --- reading ------------------------------------------------------------------------------------

std::string tagText(std::uint32_t tag) {
    std::string text;
    for (int shift = 24; shift >= 0; shift -= 8) {
        const auto c = static_cast<unsigned char>(tag >> shift);
        if (c < 0x20 || c > 0x7E) {
            char hex[16];
            std::snprintf(hex, sizeof hex, "0x%08X", static_cast<unsigned>(tag));
            return hex;
        }
        text += static_cast<char>(c);
    }
    return "\"" + text + "\"";
}

std::uint32_t bigEndianAt(std::span<const std::uint8_t> image, std::size_t at) {
    ChunkReader in(image);
    in.seek(at);
    return in.u32BigEndian();
}

std::int32_t signedAt(std::span<const std::uint8_t> image, std::size_t at) {
    return static_cast<std::int32_t>(bigEndianAt(image, at));
}

std::string nameAt(std::span<const std::uint8_t> image, std::size_t at) {
    ChunkReader in(image);
    in.seek(at);
    return in.text(fx::kNameBytes);
}

// `count` big-endian floats from `at`, the caller having checked that they are inside.
std::vector<float> valuesAt(std::span<const std::uint8_t> image, std::size_t at, std::int32_t count) {
    ChunkReader in(image);
    in.seek(at);
    std::vector<float> values(static_cast<std::size_t>(count));
    for (float& value : values)
        value = in.f32BigEndian();
    return values;
}

// What every image must be before its type is looked at: "CcnK" in either byte order, format
// version 1, and one of `ids`. Answers the image's type.
Result<VstInt32> readCommonHeader(std::span<const std::uint8_t> image, const char* what,
                                  std::initializer_list<VstInt32> ids, VstInt32 ownId) {
    const std::optional<fx::Header> header = fx::readHeader(image);
    if (!header)
        return Refusal{"a " + std::string(what) + " image of " + std::to_string(image.size()) +
                       " bytes is shorter than its header"};
    if (!fx::isMagic(header->magic))
        return Refusal{"not a " + std::string(what) + " image (it begins with " + tagText(header->magic) +
                       ", not \"CcnK\")"};
    if (header->formatVersion != fx::kFormatVersion)
        return Refusal{"a " + std::string(what) + " image of format version " + std::to_string(header->formatVersion) +
                       "; only version 1 is taken"};
    if (std::find(ids.begin(), ids.end(), header->pluginId) == ids.end())
        return Refusal{"a " + std::string(what) + " of another plug-in (ID " +
                       tagText(static_cast<std::uint32_t>(header->pluginId)) + "; this plug-in's is " +
                       tagText(static_cast<std::uint32_t>(ownId)) + ")"};
    return static_cast<VstInt32>(header->type);
}

// A chunk whose size stands at `sizeAt` and whose bytes follow it, all inside the image.
Result<std::span<const std::uint8_t>> chunkAt(std::span<const std::uint8_t> image, std::size_t sizeAt,
                                              const char* what) {
    if (image.size() < sizeAt + 4)
        return Refusal{"a " + std::string(what) + " image of " + std::to_string(image.size()) +
                       " bytes ends before its chunk's size"};
    const std::int32_t size = signedAt(image, sizeAt);
    const std::size_t present = image.size() - (sizeAt + 4);
    if (size <= 0)
        return Refusal{"a " + std::string(what) + " image whose chunk size is " + std::to_string(size)};
    if (static_cast<std::size_t>(size) > present)
        return Refusal{"a " + std::string(what) + " image's chunk of " + std::to_string(size) +
                       " bytes runs past its end (" + std::to_string(present) + " bytes follow)"};
    return image.subspan(sizeAt + 4, static_cast<std::size_t>(size));
}

// One program of a regular bank or preset, as far as the plug-in takes it: its values cut to
// the plug-in's parameters.
struct ProgramValues {
    std::string name;
    std::vector<float> values;
};

// What a checked image does to the plug-in; made before the first call into it.
struct BankPlan {
    std::optional<std::span<const std::uint8_t>> chunk;
    std::vector<ProgramValues> programs;
};

struct PresetPlan {
    std::string name;
    std::optional<std::span<const std::uint8_t>> chunk;
    std::vector<float> values;
};

Result<BankPlan> readRegularBank(std::span<const std::uint8_t> image, const AEffect& effect) {
    const std::int32_t programs = signedAt(image, kCountOffset);
    if (programs < 0)
        return Refusal{"a bank of " + std::to_string(programs) + " programs"};
    if (image.size() < fx::kBankHeaderBytes)
        return Refusal{"a bank of " + std::to_string(image.size()) + " bytes is shorter than its 156-byte header"};
    BankPlan plan;
    if (programs == 0)
        return plan;
    // Every program is as long as the first: its count of values sets the stride.
    if (image.size() < fx::kBankHeaderBytes + fx::kBankProgramHeaderBytes)
        return Refusal{"a bank of " + std::to_string(programs) + " programs ends inside its first program"};
    const std::int32_t strideValues = signedAt(image, fx::kBankHeaderBytes + kCountOffset);
    if (strideValues < 0)
        return Refusal{"a bank whose first program has " + std::to_string(strideValues) + " values"};
    const std::size_t stride = programStride(strideValues);
    const std::size_t room = (image.size() - fx::kBankHeaderBytes) / stride;
    if (static_cast<std::size_t>(programs) > room)
        return Refusal{"a bank of " + std::to_string(programs) + " programs of " + std::to_string(stride) +
                       " bytes holds only " + std::to_string(room) + " of them"};
    const std::int32_t taken = std::min(programs, declared(effect.numPrograms));
    const std::int32_t parameters = declared(effect.numParams);
    for (std::int32_t i = 0; i < programs; ++i) {
        const std::size_t at = fx::kBankHeaderBytes + static_cast<std::size_t>(i) * stride;
        const std::int32_t values = signedAt(image, at + kCountOffset);
        // A program of more values than the stride gives room for would run into the next one.
        if (values < 0 || values > strideValues)
            return Refusal{"program " + std::to_string(i) + " of the bank claims " + std::to_string(values) +
                           " values; its programs have room for " + std::to_string(strideValues)};
        if (i < taken)
            plan.programs.push_back({nameAt(image, at + fx::kNameOffset),
                                     valuesAt(image, at + fx::kBankProgramHeaderBytes, std::min(values, parameters))});
    }
    return plan;
}

Result<BankPlan> readBank(std::span<const std::uint8_t> image, const AEffect& effect) {
    const Result<VstInt32> type = readCommonHeader(image, "bank", {effect.uniqueID}, effect.uniqueID);
    if (!type)
        return type.refusal();
    if (*type == kBankType)
        return readRegularBank(image, effect);
    if (*type != kChunkBankType)
        return Refusal{"a bank of type " + tagText(static_cast<std::uint32_t>(*type)) +
                       "; banks are \"FxBk\" or \"FBCh\""};
    if (signedAt(image, kCountOffset) < 0)
        return Refusal{"a bank of " + std::to_string(signedAt(image, kCountOffset)) + " programs"};
    const Result<std::span<const std::uint8_t>> chunk = chunkAt(image, fx::kBankChunkSizeOffset, "bank");
    if (!chunk)
        return chunk.refusal();
    if (!hasChunks(effect))
        return Refusal{"a chunk bank, and this plug-in's programs are not chunks"};
    BankPlan plan;
    plan.chunk = *chunk;
    return plan;
}

Result<PresetPlan> readPreset(std::span<const std::uint8_t> image, const AEffect& effect) {
    const Result<VstInt32> type =
        readCommonHeader(image, "preset", {effect.uniqueID, fx::kAnyPluginId}, effect.uniqueID);
    if (!type)
        return type.refusal();
    if (*type != kPresetType && *type != kChunkPresetType)
        return Refusal{"a preset of type " + tagText(static_cast<std::uint32_t>(*type)) +
                       "; presets are \"FxCk\" or \"FPCh\""};
    if (image.size() < fx::kPresetHeaderBytes)
        return Refusal{"a preset of " + std::to_string(image.size()) + " bytes is shorter than its 60-byte header"};
    PresetPlan plan;
    plan.name = nameAt(image, fx::kNameOffset);
    if (*type == kChunkPresetType) {
        const Result<std::span<const std::uint8_t>> chunk = chunkAt(image, fx::kProgramChunkSizeOffset, "preset");
        if (!chunk)
            return chunk.refusal();
        plan.chunk = *chunk;
        return plan;
    }
    const std::int32_t values = signedAt(image, kCountOffset);
    if (values < 0)
        return Refusal{"a preset of " + std::to_string(values) + " values"};
    const std::size_t room = (image.size() - fx::kPresetHeaderBytes) / 4;
    if (static_cast<std::size_t>(values) > room)
        return Refusal{"a preset of " + std::to_string(values) + " values holds only " + std::to_string(room)};
    plan.values = valuesAt(image, fx::kPresetHeaderBytes, std::min(values, declared(effect.numParams)));
    return plan;
}

void setValues(AEffect& effect, const std::vector<float>& values) {
    for (std::size_t p = 0; p < values.size(); ++p)
        effect.setParameter(&effect, static_cast<VstInt32>(p), values[p]);
}

}  // namespace

Result<std::vector<std::uint8_t>> buildBankImage(AEffect& effect, bool withHeader) {
    if (const Result<> counts = checkDeclaredCounts(effect); !counts)
        return counts.refusal();
    const std::int32_t programs = declared(effect.numPrograms);
    if (hasChunks(effect)) {
        Result<std::vector<std::uint8_t>> chunk = chunkOf(effect, 0);
        if (!chunk || !withHeader)
            return chunk;
        std::vector<std::uint8_t> image(fx::kBankChunkOffset + chunk->size(), 0);
        writeCommonHeader(image, 0, effect, kChunkBankType, programs);
        ChunkWriter out(image);
        writeBigEndian(out, fx::kBankChunkSizeOffset, static_cast<std::int32_t>(chunk->size()));
        out.bytes(fx::kBankChunkOffset, *chunk);
        return image;
    }
    const std::int32_t parameters = declared(effect.numParams);
    const std::size_t stride = programStride(parameters);
    std::vector<std::uint8_t> image(fx::kBankHeaderBytes + static_cast<std::size_t>(programs) * stride, 0);
    writeCommonHeader(image, 0, effect, kBankType, programs);
    const VstIntPtr current = dispatch(effect, effGetProgram);
    for (std::int32_t i = 0; i < programs; ++i) {
        dispatch(effect, effSetProgram, 0, i);
        const std::size_t at = fx::kBankHeaderBytes + static_cast<std::size_t>(i) * stride;
        writeCommonHeader(image, at, effect, kPresetType, parameters);
        writeProgram(image, at, at + fx::kBankProgramHeaderBytes, effect);
    }
    dispatch(effect, effSetProgram, 0, current);
    return image;
}

Result<std::vector<std::uint8_t>> buildPresetImage(AEffect& effect, bool withHeader) {
    if (const Result<> counts = checkDeclaredCounts(effect); !counts)
        return counts.refusal();
    const std::int32_t parameters = declared(effect.numParams);
    if (hasChunks(effect)) {
        Result<std::vector<std::uint8_t>> chunk = chunkOf(effect, 1);
        if (!chunk || !withHeader)
            return chunk;
        std::vector<std::uint8_t> image(fx::kPresetHeaderBytes + chunk->size(), 0);
        writeCommonHeader(image, 0, effect, kChunkPresetType, parameters);
        ChunkWriter out(image);
        out.text(fx::kNameOffset, programName(effect), fx::kNameBytes);
        writeBigEndian(out, fx::kProgramChunkSizeOffset, static_cast<std::int32_t>(chunk->size()));
        out.bytes(fx::kPresetHeaderBytes, *chunk);
        return image;
    }
    std::vector<std::uint8_t> image(fx::kPresetHeaderBytes + 4 * static_cast<std::size_t>(parameters), 0);
    writeCommonHeader(image, 0, effect, kPresetType, parameters);
    writeProgram(image, 0, fx::kPresetHeaderBytes, effect);
    return image;
}

Result<> applyBankImage(AEffect& effect, std::span<const std::uint8_t> image) {
    const Result<BankPlan> plan = readBank(image, effect);
    if (!plan)
        return plan.refusal();
    if (plan->chunk) {
        setChunk(effect, 0, *plan->chunk);
        return {};
    }
    const VstIntPtr current = dispatch(effect, effGetProgram);
    for (std::size_t i = 0; i < plan->programs.size(); ++i) {
        dispatch(effect, effSetProgram, 0, static_cast<VstIntPtr>(i));
        setProgramName(effect, plan->programs[i].name);
        setValues(effect, plan->programs[i].values);
    }
    dispatch(effect, effSetProgram, 0, current);
    return {};
}

Result<> applyPresetImage(AEffect& effect, std::span<const std::uint8_t> image) {
    const Result<PresetPlan> plan = readPreset(image, effect);
    if (!plan)
        return plan.refusal();
    if (plan->chunk) {
        if (!hasChunks(effect))
            return {};
        setChunk(effect, 1, *plan->chunk);
    } else {
        setValues(effect, plan->values);
    }
    setProgramName(effect, plan->name);
    return {};
}

std::string effectProductString(AEffect& effect) {
    std::array<char, kAnswerBufferBytes> buffer{};
    dispatch(effect, effGetProductString, 0, 0, buffer.data());
    return answerText(buffer, buffer.size() - 1);
}

}  // namespace rimba
