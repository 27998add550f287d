#pragma once
// Bank and preset images of a hosted VST 2.4 plug-in: the bytes of its ".fxb" and ".fxp" files,
// made and taken through its dispatcher, setParameter and getParameter alone.
//
// Header integers are big-endian; the values of regular images are big-endian floats. Every
// image starts "CcnK", a byte size written as 0 (and ignored on reading), the image type, format
// version 1, the plug-in's unique ID, its version and a count (programs in a bank, parameters in
// a preset):
//   "FxBk" regular bank: 128 zero bytes up to offset 156, then one program per program, each
//          56 + 4 x numParams bytes ("CcnK", 0, "FxCk", 1, ID, version, numParams, the name in
//          28 bytes, the values from 56 of the program).
//   "FBCh" chunk bank: the same 156 bytes, the chunk's size at 156 and the plug-in's bank chunk
//          (effGetChunk, index 0) from 160.
//   "FxCk" regular preset: the name at 28 (28 bytes), a zero word at 56 and the values from 60,
//          60 + 4 x numParams bytes in all. (Inside a bank a program's values start at 56; a
//          preset of this program keeps them 4 bytes later.)
//   "FPCh" chunk preset: the name at 28, the chunk's size at 56 and the plug-in's program chunk
//          (effGetChunk, index 1) from 60.
// The regular forms are made when the plug-in's programs are not chunks (effFlagsProgramChunks
// clear), the chunk forms when they are.
//
// An image is taken only when it is whole: it is checked from end to end, every value and chunk
// it claims inside its bytes, before the first call into the plug-in, so a refused image changes
// nothing. Where an image and the plug-in disagree on counts, only what both have is applied:
// never a parameter or program the plug-in does not declare. A count below zero, a program of a
// regular bank longer than the bank's stride, and a chunk that is empty or longer than the bytes
// after its size are refused.
//
// User-interface thread: the plug-in's programs and chunks are its main-thread calls.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "common/vst/VstAbi.h"
#include "plugin/files/FxContainer.h"
#include "plugin/model/Result.h"

namespace rimba {

namespace fx {
// A preset of this ID is taken by any plug-in, whatever its own ID.
constexpr VstInt32 kAnyPluginId = fourCharCode('4', '5', '1', 't');
}  // namespace fx

// The plug-in's programs as a bank image. With the header: the whole ".fxb" image. Without it:
// for a plug-in whose programs are chunks, its raw bank chunk; a regular bank has no form apart
// from its header (the program names and counts live there), so it is the whole image either way.
// Passes through every program (effSetProgram) and returns to the current one.
// Refused, with nothing asked of the plug-in's programs, when it declares more programs or
// parameters than PluginLimits.h hosts; refused when its programs are chunks and effGetChunk gives
// none (no data, 0 bytes) or more than 2 GB, since a loader refuses such an image.
Result<std::vector<std::uint8_t>> buildBankImage(AEffect& effect, bool withHeader);

// The current program as a preset image. With the header: the whole ".fxp" image. Without it:
// for a plug-in whose programs are chunks, its raw program chunk; a regular preset is the whole
// image either way, as for banks. Refused as buildBankImage is.
Result<std::vector<std::uint8_t>> buildPresetImage(AEffect& effect, bool withHeader);

// Takes a whole bank image (with its header) of this plug-in: its ID must be the plug-in's own.
// A regular bank gives its programs to the plug-in's first programs and returns to the current
// program; a bank of more programs than the plug-in has gives it as many as it has (the rest
// are checked but left out). A chunk bank into a plug-in whose programs are not chunks is
// refused, since nothing of it could be taken.
Result<> applyBankImage(AEffect& effect, std::span<const std::uint8_t> image);

// Takes a whole preset image (with its header) into the current program: its ID must be the
// plug-in's own or "451t". Its name becomes the program's name. A chunk preset into a plug-in
// whose programs are not chunks is accepted and changes nothing.
Result<> applyPresetImage(AEffect& effect, std::span<const std::uint8_t> image);

// The plug-in's answer to effGetProductString; empty when it gives none.
std::string effectProductString(AEffect& effect);

}  // namespace rimba
