#pragma once
// The machine the device tests see: a home of their own whose ALSA default device writes into a
// file (a "file" plug-in over "null": no sound card, not paced), and a JACK server name that no
// server answers to, unless the test runs beside a server of its own (tests/support/with-jack.sh).
// Set before any test, since ALSA reads its configuration once.

#include <filesystem>
#include <fstream>
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

    // Where the ALSA default device writes what it plays: 16-bit interleaved stereo frames.
    std::string playedFile() const { return home / "played.raw"; }

private:
    DeviceEnvironment() {
        home.makeFile(".asoundrc", "pcm.!default {\n"
                                   "    type file\n"
                                   "    slave.pcm \"null\"\n"
                                   "    file \"" + playedFile() + "\"\n"
                                   "    format \"raw\"\n"
                                   "}\n");
        setEnvironmentVariable("HOME", home.path());
        setEnvironmentVariable("JACK_NO_START_SERVER", "1");
        if (!environmentVariable("JACK_DEFAULT_SERVER"))
            setEnvironmentVariable("JACK_DEFAULT_SERVER", "rimba-absent-" + std::to_string(getpid()));
    }

    TempFolder home;
};

}  // namespace rimba::test
