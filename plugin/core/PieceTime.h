#pragma once
// The time record of a piece of a block: the render loop hands hosted plug-ins a block in
// pieces (never more frames than they were told), and each piece is given the host's record
// moved on to where the piece starts, as a host would give it for a block of its own.

#include "common/vst/VstAbi.h"

namespace rimba {

// `start` moved on by `frames` samples. Its clock (nanoseconds) always moves; its musical
// position (samples, quarter notes, bar start, the next MIDI clock) only while the transport
// plays, as a stopped host keeps it. The transport-changed flag belongs to the block's first
// piece alone. Everything else is kept.
VstTimeInfo timeAfter(const VstTimeInfo& start, double frames);

}  // namespace rimba
