#pragma once
// The plug-in's float samples as an ASIO driver's buffer wants them. Every integer type and the
// double type clamp to [-1, 1] first; the float type copies unclamped. Integers: 16-bit values
// as the wave-out path makes them (toSample16), 24 significant bits as truncate(x * 8388608 - 0.5)
// in single precision, narrower or wider containers that value shifted into place. MSB types
// are the same values with their bytes reversed. Not-a-number writes 0 to integer buffers and
// passes through to float and double ones. Pure functions: the driver's audio thread calls
// them, so they never allocate.

#include <cstdint>

#include "common/asio/AsioAbi.h"

namespace rimba::standalone {

// The 24 significant bits of a sample, in the low bits of the result (sign extended).
std::int32_t toSample24(float value);

// Bytes one sample of the type takes in the driver's buffer; 0 for a type this host does not
// write (the DSD types and any code the table does not know).
int asioSampleBytes(asio::SampleType type);

// Writes `frames` samples of `source` into `destination` in the type's layout; writes nothing and
// answers false for a type asioSampleBytes answers 0 for.
bool writeAsioSamples(asio::SampleType type, const float* source, void* destination, int frames);

}  // namespace rimba::standalone
