#pragma once
// What the fixture ASIO driver (fixture_asio_driver.cpp) is and answers, for its tests.
//
// Each class id the driver serves reads its settings from values of its own registry key,
// HKCR\CLSID\{...} (DWORD values unless said), when the driver object is made:
//   Inputs, Outputs, SampleType, BufferSize (the preferred size), SampleRate (Hz), FailInit (1:
//   init answers false), Blocks (buffer switches its own thread plays after start, alternating
//   halves 0 and 1), LogFile (text: every call, one line each), RecordFile (text: after each
//   switch, the played half of every output buffer, outputs in order), PlayedEvent (text: the
//   name of an event set once the blocks are played).
// Missing values keep the defaults below; with no LogFile nothing is logged.

#include "common/asio/AsioAbi.h"

namespace rimba::test {

// {6E3F1C52-9A0B-4D7E-8C21-5B4A3F907D18}
constexpr const char* kFixtureAsioClassIdText = "{6E3F1C52-9A0B-4D7E-8C21-5B4A3F907D18}";
constexpr asio::Guid kFixtureAsioClassId = {
    0x6E3F1C52, 0x9A0B, 0x4D7E, {0x8C, 0x21, 0x5B, 0x4A, 0x3F, 0x90, 0x7D, 0x18}};
// A second class served by the same file, so that tests can set it up without disturbing the
// first one's registration.
constexpr const char* kPlayingFixtureAsioClassIdText = "{6E3F1C52-9A0B-4D7E-8C21-5B4A3F907D19}";
constexpr asio::Guid kPlayingFixtureAsioClassId = {
    0x6E3F1C52, 0x9A0B, 0x4D7E, {0x8C, 0x21, 0x5B, 0x4A, 0x3F, 0x90, 0x7D, 0x19}};

constexpr const char* kFixtureAsioDriverName = "Rimba Fixture";
constexpr asio::Int32 kFixtureAsioDriverVersion = 3;
constexpr asio::Int32 kFixtureAsioOutputs = 2;
constexpr asio::Int32 kFixtureAsioBlockSize = 256;
constexpr asio::SampleType kFixtureAsioSampleType = asio::sample_type::kInt16LSB;
constexpr int kFixtureAsioRate = 44100;

// What the buffers hold before a host writes anything into them.
constexpr unsigned char kFixtureAsioUntouchedByte = 0xA5;
// The largest sample the buffers are made for (double); the record holds each type's own size.
constexpr int kFixtureAsioLargestSample = 8;

}  // namespace rimba::test
