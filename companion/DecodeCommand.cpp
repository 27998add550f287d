#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "common/platform/Files.h"
#include "companion/Commands.h"
#include "plugin/files/SoundReader.h"

namespace rimba::tool {
namespace {

struct DecodeRequest {
    std::string file;
    std::string rawOut;  // where the samples go as raw 16-bit little-endian bytes, when given
};

int decode(const DecodeRequest& request) {
    const Result<Sound> sound = loadSoundFile(request.file);
    if (!sound)
        return fail("the sound is refused", sound.reason());
    std::printf("frames=%d rate=%g\n", sound->frameCount, static_cast<double>(sound->sampleRate));
    if (request.rawOut.empty())
        return 0;
    std::vector<std::uint8_t> bytes;
    bytes.reserve(sound->samples.size() * 2);
    for (const std::int16_t sample : sound->samples) {
        const auto word = static_cast<std::uint16_t>(sample);
        bytes.push_back(static_cast<std::uint8_t>(word & 0xFF));
        bytes.push_back(static_cast<std::uint8_t>(word >> 8));
    }
    if (!platform::writeFileAtomically(request.rawOut, bytes))
        return fail(request.rawOut, "cannot write the file");
    return 0;
}

}  // namespace

void addDecodeCommand(CLI::App& tool, Job& job) {
    auto request = std::make_shared<DecodeRequest>();
    CLI::App* command = tool.add_subcommand("decode", "Load a sound file as a drum track does and print its length");
    command->add_option("FILE", request->file, "A WAV or AIFF file")->required()->check(nonEmpty());
    command->add_option("--raw", request->rawOut, "Write its 16-bit mono samples as raw little-endian bytes")
        ->type_name("OUT");
    command->callback([request, &job] { job = [request] { return decode(*request); }; });
}

}  // namespace rimba::tool
