#include "StandAlone/DeviceWatch.h"

#include "StandAlone/HostCallback.h"
#include "StandAlone/devices/AudioOutput.h"
#include "StandAlone/devices/MidiInputPort.h"
#include "common/platform/Clock.h"
#include "common/platform/DeviceNames.h"
#include "common/platform/MessageBox.h"

namespace rimba::standalone {

namespace {

constexpr const char* kCaption = "RimbaDrums";
constexpr const char* kServerLost = "Lost the JACK server: no sound or MIDI through JACK until it runs again.";
constexpr const char* kServerBack = "Reconnected to the JACK server.";

}  // namespace

DeviceWatch::DeviceWatch(AEffect* plugin, AudioOutput& audio, MidiInputPort& midi)
    : plugin(plugin), audio(audio), midi(midi) {}

void DeviceWatch::attend() {
    closeLostJackClients();
    reconnectWhenTheServerAnswers();
    midi.attend();
}

void DeviceWatch::closeLostJackClients() {
    if (!audio.lostJackServer() && !midi.lostJackServer())
        return;
    // One server serves every client of the process: the other client's notice may only be a
    // moment behind, and libjack is rebuilt only once both are closed.
    if (audio.playsThroughJack()) {
        audio.close();
        audioWaits = true;
    }
    if (midi.takesJackMidi()) {
        midi.close();
        midiWaits = true;
    }
    lastPoll = platform::tickMilliseconds();
    reconnectionSaid = false;
    platform::showMessage(kServerLost, kCaption);
}

void DeviceWatch::reconnectWhenTheServerAnswers() {
    if (!audioWaits && !midiWaits)
        return;
    const std::uint32_t now = platform::tickMilliseconds();
    if (now - lastPoll < kServerPollMilliseconds)
        return;
    lastPoll = now;
    if (!jackServerAnswers())
        return;
    if (audioWaits) {
        audioWaits = false;
        // The musician may have chosen another output meanwhile; that one stays.
        if (readLinkedAudioSettings(plugin).deviceName == platform::kJackDeviceName && !audio.playsThroughJack())
            reopenAudioOutput(plugin, audio);
    }
    if (midiWaits) {
        // The source's own program may start again later than the server: asked for again at
        // every poll until it is there. An input chosen meanwhile stays.
        midiWaits = !midi.isStarted() && midi.reopen() == MidiInputPort::OpenResult::noSuchDevice;
    }
    if (!reconnectionSaid && (audio.playsThroughJack() || midi.takesJackMidi())) {
        reconnectionSaid = true;
        platform::showMessage(kServerBack, kCaption);
    }
}

void attendDevices() {
    if (DeviceWatch* watch = hostRecord().watch.load(std::memory_order_acquire); watch != nullptr)
        watch->attend();
}

}  // namespace rimba::standalone
