#pragma once
// Which ALSA PCM names the audio output menu offers. ALSA's hints list, beside the cards, every
// PCM plug-in its configuration defines (rate converters, up- and down-mixers, "null", "oss",
// "jack"): none of them is a place a musician plays through, and "jack" would sit beside the
// program's own "JACK". A name not offered still opens when asked for by name.
// Any thread; no system call.

#include <string_view>

namespace rimba::platform {

// True for "default", a sound server's PCM ("pulse", "pipewire") and a card's playback
// interfaces as the hints spell them ("hw:CARD=PCH,DEV=0", "plughw:...", "sysdefault:CARD=PCH",
// "front:...", "hdmi:...", "iec958:..."); false for everything else.
bool isOfferedAlsaPlayback(std::string_view name);

}  // namespace rimba::platform
