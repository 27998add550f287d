#pragma once
// The backends behind AudioOutput. A device's destructor stops its thread or client and releases
// it; while a device exists it may call AudioOutput::processBlock from its own thread.

#include <memory>
#include <string>

#include "StandAlone/devices/AudioOutput.h"

namespace rimba::standalone {

struct AudioOutput::Device {
    virtual ~Device() = default;
    virtual bool isJack() const { return false; }
    // Any thread: set from the JACK client's shutdown notice once its server has gone.
    virtual bool lostServer() const { return false; }
};

// JACK writes a few lines on standard error whenever a client finds no server, which is the
// ordinary case of every device listing on a machine without one: this program keeps them quiet.
// Any thread; the first call installs the quiet handlers.
void quietenJack();

// Null when no JACK server answers or the client cannot be made and started.
std::unique_ptr<AudioOutput::Device> openJackOutput(AudioOutput& output);

// The ALSA PCM whose name (or listed name) equals deviceName, else "default"; null on failure.
std::unique_ptr<AudioOutput::Device> openAlsaOutput(AudioOutput& output, const std::string& deviceName, int blockSize,
                                                    int sampleRate);

// The ALSA name that a device name opens: the first playback device called so, else "default".
std::string alsaDeviceFor(const std::string& deviceName);

}  // namespace rimba::standalone
