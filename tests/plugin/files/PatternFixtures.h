#pragma once
// Helpers for the pattern file, pattern edit and MIDI export tests: instruments made directly
// with 12 or 8 tracks, and text lines put together field by field as the pattern file layout
// says (every field followed by ';', every line ended by "\r\n"), so the files a test reads are
// written by the test itself and never by the writer under test.

#include <cstdint>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "plugin/core/VornDrums.h"
#include "tests/support/InstrumentProbe.h"

namespace rimba::test::patterns {

inline VstIntPtr patternTestHost(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float) {
    return opcode == audioMasterVersion ? 2400 : 0;
}

// An instrument in a host, from its defaults, with `tracks` tracks.
inline std::unique_ptr<VornDrums> makeDrums(int tracks) {
    return std::make_unique<VornDrums>(patternTestHost, [tracks](InstrumentSettings& settings, bool) {
        settings.channelNumber = tracks;
        return false;
    });
}

// One line of a pattern file: each field followed by ';', the line ended by "\r\n".
inline std::string line(std::initializer_list<std::string> fields) {
    std::string text;
    for (const std::string& field : fields)
        text += field + ";";
    return text + "\r\n";
}

// `times` copies of the fields, each followed by ';' (no line end), for the repeated parts of a
// line such as the random triples.
inline std::string repeated(const std::string& fields, int times) {
    std::string text;
    for (int i = 0; i < times; ++i)
        text += fields;
    return text;
}

inline void writeText(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary);
    out << text;
    if (!out)
        throw std::runtime_error("cannot write " + path);
}

inline std::string readText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The lines of a text cut at "\r\n", without it.
inline std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end = text.find("\r\n"); end != std::string::npos; end = text.find("\r\n", start)) {
        lines.push_back(text.substr(start, end - start));
        start = end + 2;
    }
    if (start < text.size())
        lines.push_back(text.substr(start));
    return lines;
}

// The ';'-ended fields of one line.
inline std::vector<std::string> fieldsOf(const std::string& line) {
    std::vector<std::string> fields;
    std::size_t start = 0;
    for (std::size_t end = line.find(';'); end != std::string::npos; end = line.find(';', start)) {
        fields.push_back(line.substr(start, end - start));
        start = end + 1;
    }
    return fields;
}

inline float velocityAt(const VornDrums& drums, int track, int pattern, int step) {
    return test::stateOf(drums)
        .patterns[static_cast<std::size_t>(track)]
        .stepVelocity[static_cast<std::size_t>(pattern)][static_cast<std::size_t>(step)];
}

inline float holdAt(const VornDrums& drums, int track, int pattern, int step) {
    return test::stateOf(drums).patterns[static_cast<std::size_t>(track)].stepHold[static_cast<std::size_t>(pattern)]
                                                                                  [static_cast<std::size_t>(step)];
}

inline float rollAt(const VornDrums& drums, int track, int pattern, int step) {
    return test::stateOf(drums).patterns[static_cast<std::size_t>(track)].stepRoll[static_cast<std::size_t>(pattern)]
                                                                                  [static_cast<std::size_t>(step)];
}

// How many hits the track has in the pattern.
inline int hitCount(const VornDrums& drums, int track, int pattern) {
    int hits = 0;
    for (int s = 0; s < kMaxSteps; ++s)
        hits += velocityAt(drums, track, pattern, s) != 0.0f ? 1 : 0;
    return hits;
}

inline std::size_t at(int index) { return static_cast<std::size_t>(index); }

// Every step of every pattern of every active track a hit, with rolls and holds, and every
// value a set carries away from its reset value.
inline void fillEverything(VornDrums& drums) {
    for (int t = 0; t < test::stateOf(drums).trackCount; ++t) {
        TrackPatterns& planes = test::stateOf(drums).patterns[at(t)];
        for (int p = 0; p < kPatternCount; ++p) {
            for (int s = 0; s < kMaxSteps; ++s) {
                planes.stepVelocity[at(p)][at(s)] = static_cast<float>(1 + (t * 7 + p * 13 + s * 3) % 127);
                planes.stepHold[at(p)][at(s)] = static_cast<float>((s + t + p) % 8 + 1) * 0.25f;
                planes.stepRoll[at(p)][at(s)] = static_cast<float>((s + p) % 4);
            }
            planes.randomMinDensity[at(p)] = static_cast<float>((t + p) % 7 - 1);
            planes.randomMaxDensity[at(p)] = static_cast<float>((t + 2 * p) % 7 - 1);
            planes.randomMaxRoll[at(p)] = static_cast<float>((t * p) % 4);
        }
    }
    for (int p = 0; p < kPatternCount; ++p) {
        test::stateOf(drums).patternSteps[at(p)] = 1 + (p * 5) % 64;
        test::stateOf(drums).chainEnabled[at(p)] = p % 2;
    }
    test::stateOf(drums).playMode = 2;
    test::stateOf(drums).swing = 37;
    test::stateOf(drums).randomAuto = 1;
    test::stateOf(drums).randomPerPattern = 1;
    test::stateOf(drums).randomGraphVisible = 1;
    for (int k = 0; k < 8; ++k)
        test::stateOf(drums).patternSetReserved[at(k)] = 0.5f * static_cast<float>(k) - 1.0f;
    test::stateOf(drums).fillAttenuation = 99;
    test::stateOf(drums).currentPattern = 7;
}

}  // namespace rimba::test::patterns
