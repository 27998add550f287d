#pragma once
// The private link between the plug-in and the standalone program that runs it. The program
// reaches the plug-in only through the library it loads, so what both sides must agree on lives
// here, below both: the program's signature, the parameter indexes outside the plug-in's range
// through which the program reads the audio and MIDI settings the plug-in holds, and the name
// the program finds the plug-in by.

#include <cstdint>

namespace rimba {

// The plug-in's name: its library's file name without the extension, and the key of its
// settings in the per-user store, where it records the folder it was loaded from.
constexpr const char* kProductName = "RimbaDrums_64";

// The standalone host answers audioMasterVersion with this value; the plug-in then declares two
// outputs and another unique id, and the private indexes below link the two.
constexpr std::int32_t kStandaloneHostSignature = 0x35323249;
constexpr std::int32_t kStandaloneSampleRate = 0x20000;
constexpr std::int32_t kStandaloneBufferSize = 0x20001;
constexpr std::int32_t kStandaloneAudioDevice = 0x20002;
constexpr std::int32_t kStandaloneMidiDevice = 0x20003;
constexpr std::int32_t kStandalonePlayToggle = 0x20004;
// The standalone host's messages for the musician: effVendorSpecific with this index and a
// StandaloneMessage as its pointer. The program is a module of its own: only the plug-in's side
// knows the editor's message box. Answered 1 when the editor showed the message.
constexpr std::int32_t kStandaloneShowMessage = 0x20005;
struct StandaloneMessage {
    const char* text;
    const char* caption;
};

}  // namespace rimba
