#pragma once
// Renders the current pattern, or the whole pattern chain, offline through the instrument's own
// render loop (VornDrums::renderOffline) and writes the master output as a 16-bit stereo WAV file.
// User-interface thread; the host's own processing outputs silence meanwhile.

#include <cstdint>
#include <string>

namespace rimba {

class VornDrums;

// One master sample as it is written: clamped to -1..1, 1.0 gives 32767 and -1.0 gives -32768.
std::int16_t exportSample(float value);

// 0 on success, -1 when the file cannot be written (nothing of the instrument changes then, or
// it is restored).
std::int32_t exportAudioFile(VornDrums& drums, const std::string& path);

}  // namespace rimba
