// The ALSA names the audio output menu offers, as snd_device_name_hint spells them on machines
// with cards, sound servers and ALSA's plug-in package.

#include "common/platform/posix/AlsaDeviceNames.h"

#include <gtest/gtest.h>

#include <string>

namespace rimba::platform {
namespace {

struct Hinted {
    const char* name;
    bool offered;
};

class AlsaPlaybackNames : public ::testing::TestWithParam<Hinted> {};

TEST_P(AlsaPlaybackNames, OfferCardsServersAndTheDefaultOnly) {
    EXPECT_EQ(isOfferedAlsaPlayback(GetParam().name), GetParam().offered) << GetParam().name;
}

INSTANTIATE_TEST_SUITE_P(
    Names, AlsaPlaybackNames,
    ::testing::Values(Hinted{"default", true}, Hinted{"pulse", true}, Hinted{"pipewire", true},
                      Hinted{"hw:CARD=PCH,DEV=0", true}, Hinted{"plughw:CARD=PCH,DEV=0", true},
                      Hinted{"sysdefault:CARD=Audio", true}, Hinted{"front:CARD=Audio,DEV=0", true},
                      Hinted{"hdmi:CARD=HDMI,DEV=1", true}, Hinted{"iec958:CARD=PCH,DEV=0", true},
                      Hinted{"hw:0,0", true},
                      // ALSA's plug-ins and the card interfaces that are no stereo output of their own.
                      Hinted{"null", false}, Hinted{"jack", false}, Hinted{"JACK", false}, Hinted{"oss", false},
                      Hinted{"lavrate", false}, Hinted{"samplerate", false}, Hinted{"speexrate", false},
                      Hinted{"speex", false}, Hinted{"upmix", false}, Hinted{"vdownmix", false}, Hinted{"a52", false},
                      Hinted{"surround51:CARD=PCH,DEV=0", false}, Hinted{"dmix:CARD=PCH,DEV=0", false},
                      Hinted{"usbstream:CARD=Audio", false},
                      // Near misses: a prefix alone, a whole name with more after it, case.
                      Hinted{"hw:", false}, Hinted{"plughw", false}, Hinted{"defaults", false},
                      Hinted{"Default", false}, Hinted{"pulse:foo", false}, Hinted{"", false}),
    [](const auto& info) {
        std::string name;
        for (const char c : std::string(info.param.name))
            name += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
        return (name.empty() ? std::string("empty") : name) + std::to_string(info.index);
    });

}  // namespace
}  // namespace rimba::platform
