#pragma once
// What the ALSA sequencer input hands to the MIDI queue: the short message a sequencer event
// carries, or nothing for an event the plug-in does not take (system exclusive, whole or in
// pieces, and events with no MIDI bytes). The MIDI thread of the sequencer input.

#include <alsa/asoundlib.h>

#include <cstdint>
#include <optional>

namespace rimba::standalone {

struct ShortMessage {
    std::uint8_t status;
    std::uint8_t data1;
    std::uint8_t data2;
    bool operator==(const ShortMessage&) const = default;
};

// `decoder` is one made without running status (snd_midi_event_no_status), so every message
// decodes with its status byte.
std::optional<ShortMessage> sequencerShortMessage(snd_midi_event_t* decoder, const snd_seq_event_t& event);

}  // namespace rimba::standalone
