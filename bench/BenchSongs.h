#pragma once
// The two songs the render benchmark plays, each a one-bar pattern of 16 steps at 120 BPM
// repeated for two minutes on twelve drum sounds made with sox: "busy", all twelve tracks on
// every step, and "groove", fourteen hits a bar on five of them. The same songs are written as
// Hydrogen songs (.h2song), so that Hydrogen's command-line renderer can play them beside us.

#include <cstdio>
#include <string>
#include <vector>

namespace rimba::bench {

constexpr int kSongTracks = 12;
constexpr int kStepsPerBar = 16;
constexpr int kSongTempo = 120;
constexpr int kSongSeconds = 120;
constexpr int kSongBars = kSongSeconds * kSongTempo / 60 / 4;
constexpr int kSongRate = 44100;
constexpr int kHitVelocity = 100;  // of 127

struct DrumSound {
    const char* name;
    const char* synth;  // what follows `sox -R -n -r 44100 -b 16 -c 1 FILE` (-R: the same noise every time)
};

inline constexpr DrumSound kDrumSounds[kSongTracks] = {
    {"kick", "synth 0.35 sine 150-45 fade q 0.002 0.35 0.3 gain -3"},
    {"snare", "synth 0.25 pinknoise synth 0.25 sine mix 190 fade q 0.001 0.25 0.22 gain -4"},
    {"closed-hat", "synth 0.08 whitenoise highpass 7000 fade q 0.001 0.08 0.07 gain -6"},
    {"open-hat", "synth 0.45 whitenoise highpass 6000 fade q 0.001 0.45 0.4 gain -8"},
    {"clap", "synth 0.2 pinknoise bandpass 1200 400 fade q 0.001 0.2 0.18 gain -2"},
    {"rim", "synth 0.06 square 820 fade q 0.001 0.06 0.05 gain -10"},
    {"low-tom", "synth 0.4 sine 120-70 fade q 0.002 0.4 0.35 gain -3"},
    {"mid-tom", "synth 0.35 sine 180-110 fade q 0.002 0.35 0.3 gain -3"},
    {"high-tom", "synth 0.3 sine 260-160 fade q 0.002 0.3 0.26 gain -3"},
    {"cowbell", "synth 0.25 square 560 square 845 fade q 0.001 0.25 0.22 gain -12"},
    {"ride", "synth 0.8 whitenoise bandpass 5000 2000 fade q 0.001 0.8 0.75 gain -10"},
    {"crash", "synth 1.2 whitenoise highpass 3000 fade q 0.001 1.2 1.15 gain -9"},
};

enum class Song { Busy, Groove };

inline const char* songName(Song song) { return song == Song::Busy ? "busy" : "groove"; }

struct Hit {
    int track;
    int step;
};

inline std::vector<Hit> songHits(Song song) {
    std::vector<Hit> hits;
    if (song == Song::Busy) {
        for (int step = 0; step < kStepsPerBar; ++step)
            for (int track = 0; track < kSongTracks; ++track)
                hits.push_back({track, step});
        return hits;
    }
    for (int step : {0, 7, 10})
        hits.push_back({0, step});  // kick
    for (int step : {4, 12})
        hits.push_back({1, step});  // snare
    for (int step = 0; step < 14; step += 2)
        hits.push_back({2, step});  // closed hat
    hits.push_back({3, 14});  // open hat
    hits.push_back({4, 12});  // clap
    return hits;
}

// The sounds as WAV files in `folder`; false when sox fails.
inline bool makeDrumSounds(const std::string& folder) {
    for (const DrumSound& sound : kDrumSounds) {
        const std::string command =
            "sox -R -n -r 44100 -b 16 -c 1 '" + folder + "/" + sound.name + ".wav' " + sound.synth + " 2>/dev/null";
        if (std::system(command.c_str()) != 0)
            return false;
    }
    return true;
}

inline std::string soundPath(const std::string& folder, int track) {
    return folder + "/" + kDrumSounds[track].name + ".wav";
}

// The song for Hydrogen (its 1.2 song format): one instrument per sound (the sample's path,
// centre pan, full volume, velocity applied), one pattern of 192 ticks (12 to a step), played
// kSongBars times.
inline std::string h2songXml(Song song, const std::string& folder) {
    std::string xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<song>\n";
    xml += " <version>1.2.0</version>\n <bpm>" + std::to_string(kSongTempo) + "</bpm>\n";
    xml += " <volume>0.8</volume>\n <metronomeVolume>0</metronomeVolume>\n";
    xml += " <name>" + std::string(songName(song)) + "</name>\n <author>render_bench</author>\n";
    xml += " <notes></notes>\n <license></license>\n <loopEnabled>false</loopEnabled>\n";
    xml += " <patternModeMode>true</patternModeMode>\n <mode>song</mode>\n";
    xml += " <humanize_time>0</humanize_time>\n <humanize_velocity>0</humanize_velocity>\n";
    xml += " <swing_factor>0</swing_factor>\n";
    xml += " <componentList>\n  <drumkitComponent>\n   <id>0</id>\n   <name>Main</name>\n";
    xml += "   <volume>1</volume>\n  </drumkitComponent>\n </componentList>\n <instrumentList>\n";
    for (int t = 0; t < kSongTracks; ++t) {
        xml += "  <instrument>\n   <id>" + std::to_string(t) + "</id>\n   <name>" + kDrumSounds[t].name + "</name>\n";
        xml += "   <volume>1</volume>\n   <isMuted>false</isMuted>\n   <isSoloed>false</isSoloed>\n";
        xml += "   <pan>0</pan>\n   <gain>1</gain>\n   <applyVelocity>true</applyVelocity>\n";
        xml += "   <filterActive>false</filterActive>\n   <filterCutoff>1</filterCutoff>\n";
        xml += "   <filterResonance>0</filterResonance>\n   <Attack>0</Attack>\n   <Decay>0</Decay>\n";
        xml += "   <Sustain>1</Sustain>\n   <Release>1000</Release>\n   <muteGroup>-1</muteGroup>\n";
        xml += "   <instrumentComponent>\n    <component_id>0</component_id>\n    <gain>1</gain>\n";
        xml += "    <layer>\n     <filename>" + soundPath(folder, t) + "</filename>\n";
        xml += "     <min>0</min>\n     <max>1</max>\n     <gain>1</gain>\n     <pitch>0</pitch>\n    </layer>\n";
        xml += "   </instrumentComponent>\n  </instrument>\n";
    }
    xml += " </instrumentList>\n <patternList>\n  <pattern>\n   <name>bar</name>\n";
    xml += "   <category></category>\n   <size>192</size>\n   <denominator>4</denominator>\n   <noteList>\n";
    char velocity[16];
    std::snprintf(velocity, sizeof velocity, "%.4f", kHitVelocity / 127.0);
    for (const Hit& hit : songHits(song)) {
        xml += "    <note>\n     <position>" + std::to_string(hit.step * 12) + "</position>\n";
        xml += "     <leadlag>0</leadlag>\n     <velocity>" + std::string(velocity) + "</velocity>\n";
        xml += "     <pan>0</pan>\n     <pitch>0</pitch>\n     <probability>1</probability>\n";
        xml += "     <key>C0</key>\n     <length>-1</length>\n     <instrument>" + std::to_string(hit.track);
        xml += "</instrument>\n     <note_off>false</note_off>\n    </note>\n";
    }
    xml += "   </noteList>\n  </pattern>\n </patternList>\n <patternSequence>\n";
    for (int bar = 0; bar < kSongBars; ++bar)
        xml += "  <group>\n   <patternID>bar</patternID>\n  </group>\n";
    xml += " </patternSequence>\n</song>\n";
    return xml;
}

}  // namespace rimba::bench
