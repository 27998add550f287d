#pragma once
// What the wave-out output lets its tests see: the device a name opens, and how many feeder
// threads are still alive in this process.

#include <string>

namespace rimba::standalone {

// The wave-out device id that a name opens: the first device, in device order, whose product
// name is the name, else the wave mapper (WAVE_MAPPER).
unsigned waveOutDeviceFor(const std::string& deviceName);

// Feeder threads that have not ended yet. A close waits a bounded time for its feeder; one held
// inside a plug-in that does not return is left to end by itself once the plug-in returns.
int liveWaveOutFeeders();

}  // namespace rimba::standalone
