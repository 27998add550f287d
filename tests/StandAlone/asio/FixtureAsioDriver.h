#pragma once
// What the fixture ASIO driver (fixture_asio_driver.cpp) is and answers, for its tests.

#include "common/asio/AsioAbi.h"

namespace rimba::test {

// {6E3F1C52-9A0B-4D7E-8C21-5B4A3F907D18}
constexpr const char* kFixtureAsioClassIdText = "{6E3F1C52-9A0B-4D7E-8C21-5B4A3F907D18}";
constexpr asio::Guid kFixtureAsioClassId = {0x6E3F1C52, 0x9A0B, 0x4D7E, {0x8C, 0x21, 0x5B, 0x4A, 0x3F, 0x90, 0x7D, 0x18}};

constexpr const char* kFixtureAsioDriverName = "Rimba Fixture";
constexpr asio::Int32 kFixtureAsioDriverVersion = 3;
constexpr asio::Int32 kFixtureAsioOutputs = 2;
constexpr asio::Int32 kFixtureAsioBlockSize = 256;
constexpr asio::SampleType kFixtureAsioSampleType = asio::sample_type::kInt16LSB;

}  // namespace rimba::test
