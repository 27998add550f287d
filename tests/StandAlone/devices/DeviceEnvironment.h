#pragma once
// The machine the device tests see, set before any test since ALSA reads its configuration once:
// a home whose ALSA default device writes into a file (a "file" plug-in over "null": no sound
// card, not paced), and no JACK server unless tests/support/with-jack.sh named one.

#include <string>

#include <unistd.h>

#include "tests/support/Environment.h"
#include "tests/support/TempFolder.h"

namespace rimba::test {

class DeviceEnvironment {
public:
    static DeviceEnvironment& get() {
        static DeviceEnvironment environment;
        return environment;
    }
    // What the ALSA default device played: 16-bit interleaved stereo frames.
    std::string playedFile() const { return home / "played.raw"; }

private:
    DeviceEnvironment() {
        home.makeFile(".asoundrc",
                      "pcm.!default { type file slave.pcm \"null\" file \"" + playedFile() + "\" format \"raw\" }\n");
        setEnvironmentVariable("HOME", home.path());
        setEnvironmentVariable("JACK_NO_START_SERVER", "1");
        if (!environmentVariable("JACK_DEFAULT_SERVER"))
            setEnvironmentVariable("JACK_DEFAULT_SERVER", "rimba-absent-" + std::to_string(getpid()));
    }
    TempFolder home;
};

}  // namespace rimba::test
