#include "tools/factory/DrumSounds.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <functional>

#include "tools/factory/SynthParts.h"

namespace rimba::factory {

namespace {

// A sound's shape over time: one value per sample, given the sample's time in seconds.
using Voice = std::function<double(double seconds)>;

struct Recipe {
    const char* name;
    double seconds;
    double peakDb;  // the finished sound's peak, below full scale
    double fadeOutSeconds;
    Voice voice;
};

// A raised-cosine ramp from 0 to 1 over `length` samples.
double ramp(std::size_t i, std::size_t length) {
    return 0.5 - 0.5 * std::cos(std::numbers::pi * static_cast<double>(i) / static_cast<double>(length));
}

// The first samples rise from silence and the last fall to it, so no sound starts or stops
// with a click.
void shapeEdges(std::vector<double>& x, double fadeOutSeconds) {
    constexpr std::size_t kFadeInSamples = 24;  // about half a millisecond
    const std::size_t fadeIn = std::min(kFadeInSamples, x.size());
    for (std::size_t i = 0; i < fadeIn; ++i)
        x[i] *= ramp(i, fadeIn);
    const std::size_t fadeOut = std::min(x.size(), static_cast<std::size_t>(fadeOutSeconds * kRate));
    for (std::size_t i = 0; i < fadeOut; ++i)
        x[x.size() - 1 - i] *= ramp(i, fadeOut);
}

std::vector<std::int16_t> toSixteenBits(const std::vector<double>& x, double peakDb) {
    double peak = 0.0;
    for (const double v : x)
        peak = std::max(peak, std::fabs(v));
    const double gain = peak > 0.0 ? std::pow(10.0, peakDb / 20.0) * 32767.0 / peak : 0.0;
    std::vector<std::int16_t> samples;
    samples.reserve(x.size());
    for (const double v : x)
        samples.push_back(static_cast<std::int16_t>(std::lround(std::clamp(v * gain, -32768.0, 32767.0))));
    return samples;
}

DrumSound render(const Recipe& recipe) {
    std::vector<double> x(static_cast<std::size_t>(recipe.seconds * kRate));
    for (std::size_t i = 0; i < x.size(); ++i)
        x[i] = recipe.voice(static_cast<double>(i) / kRate);
    shapeEdges(x, recipe.fadeOutSeconds);
    return {recipe.name, toSixteenBits(x, recipe.peakDb)};
}

// Soft saturation: a little weight for kicks and toms, never a hard edge.
double saturate(double x, double drive) { return std::tanh(drive * x) / std::tanh(drive); }

Voice kick() {
    return [phase = Phase{}, click = Biquad::lowPass(2500.0, 0.7), noise = Noise(101)](double t) mutable {
        const double hz = 48.0 + 112.0 * decay(t, 0.035);
        const double body = sine(phase.advance(hz)) * decay(t, 0.22);
        const double tick = click.process(noise.next()) * decay(t, 0.004) * 0.6;
        return saturate(body + tick, 1.6);
    };
}

Voice snare() {
    return [low = Phase{}, high = Phase{}, noise = Noise(202), air = Biquad::highPass(1500.0, 0.7),
            top = Biquad::lowPass(9500.0, 0.7)](double t) mutable {
        const double drop = 1.0 + 0.15 * decay(t, 0.015);
        const double tone =
            (0.55 * sine(low.advance(182.0 * drop)) + 0.3 * sine(high.advance(334.0 * drop))) * decay(t, 0.07);
        const double wires = top.process(air.process(noise.next())) * (0.75 * decay(t, 0.14) + 0.35 * decay(t, 0.02));
        return tone + wires;
    };
}

Voice rim() {
    return [wood = Phase{}, knock = Phase{}, noise = Noise(303), crack = Biquad::bandPass(3400.0, 1.5),
            ring = Biquad::bandPass(1700.0, 12.0)](double t) mutable {
        const double n = noise.next();
        const double snap = crack.process(n) * decay(t, 0.004);
        const double resonance = ring.process(n * decay(t, 0.002)) * 4.0;
        const double body =
            0.5 * sine(wood.advance(1720.0)) * decay(t, 0.016) + 0.45 * sine(knock.advance(465.0)) * decay(t, 0.03);
        return snap + resonance + body;
    };
}

// Four quick hand claps a few milliseconds apart, then the room's tail.
Voice clap() {
    return [noise = Noise(404), band = Biquad::bandPass(1150.0, 1.3),
            low = Biquad::highPass(450.0, 0.7)](double t) mutable {
        constexpr std::array<double, 4> kBursts{0.0, 0.011, 0.023, 0.034};
        double envelope = 0.0;
        for (const double at : kBursts)
            if (t >= at)
                envelope = std::max(envelope, decay(t - at, 0.0055));
        if (t >= kBursts.back())
            envelope = std::max(envelope, 0.75 * decay(t - kBursts.back(), 0.11));
        return band.process(low.process(noise.next())) * envelope;
    };
}

// Six square waves at unrelated frequencies: the metallic source of hats and cymbals.
class Metal {
public:
    explicit Metal(double scale) {
        constexpr std::array<double, 6> kFrequencies{205.3, 304.4, 369.6, 522.7, 540.0, 800.0};
        for (std::size_t i = 0; i < kFrequencies.size(); ++i)
            hz[i] = kFrequencies[i] * scale;
    }
    double next() {
        double sum = 0.0;
        for (std::size_t i = 0; i < hz.size(); ++i)
            sum += square(phases[i].advance(hz[i]));
        return sum / static_cast<double>(hz.size());
    }

private:
    std::array<double, 6> hz{};
    std::array<Phase, 6> phases{};
};

Voice hat(std::uint32_t seed, double tau) {
    return [metal = Metal(1.6), noise = Noise(seed), band = Biquad::bandPass(10000.0, 0.9),
            high = Biquad::highPass(7000.0, 0.7), tau](double t) mutable {
        const double source = 0.7 * metal.next() + 0.35 * noise.next();
        return high.process(band.process(source)) * decay(t, tau);
    };
}

Voice tom(double hz, double tau, std::uint32_t seed) {
    return [fundamental = Phase{}, overtone = Phase{}, noise = Noise(seed), stick = Biquad::lowPass(3000.0, 0.7), hz,
            tau](double t) mutable {
        const double pitch = hz * (1.0 + 0.55 * decay(t, 0.05));
        const double body = sine(fundamental.advance(pitch)) * decay(t, tau) +
                            0.3 * sine(overtone.advance(pitch * 1.58)) * decay(t, tau / 3.0);
        const double hit = stick.process(noise.next()) * decay(t, 0.008) * 0.35;
        return saturate(body + hit, 1.3);
    };
}

Voice crash() {
    return [metal = Metal(2.3), noise = Noise(505), band = Biquad::bandPass(6500.0, 0.55),
            high = Biquad::highPass(3200.0, 0.7)](double t) mutable {
        const double source = 0.55 * metal.next() + 0.5 * noise.next();
        const double envelope = (0.7 * decay(t, 0.5) + 0.3 * decay(t, 0.03)) * std::min(1.0, t / 0.002);
        return high.process(band.process(source)) * envelope;
    };
}

// A bell-like cluster of partials over a metallic wash: the ride's ping.
Voice ride() {
    return [partials = std::array<Phase, 5>{}, noise = Noise(606), metal = Metal(3.1),
            ping = Biquad::highPass(6000.0, 0.7), wash = Biquad::bandPass(8000.0, 0.7),
            shimmer = Biquad::highPass(5000.0, 0.7)](double t) mutable {
        constexpr std::array<double, 5> kHz{2980.0, 3725.0, 4410.0, 5237.0, 6119.0};
        constexpr std::array<double, 5> kLevel{0.35, 0.3, 0.22, 0.16, 0.1};
        constexpr std::array<double, 5> kTau{0.7, 0.55, 0.45, 0.35, 0.28};
        double bell = 0.0;
        for (std::size_t i = 0; i < kHz.size(); ++i)
            bell += kLevel[i] * sine(partials[i].advance(kHz[i])) * decay(t, kTau[i]);
        const double n = noise.next();
        return bell + ping.process(n) * decay(t, 0.015) * 0.6 + wash.process(n) * decay(t, 0.4) * 0.35 +
               shimmer.process(metal.next()) * decay(t, 0.5) * 0.3;
    };
}

Voice cowbell() {
    return [low = Phase{}, high = Phase{}, body = Biquad::bandPass(900.0, 1.2),
            clang = Biquad::bandPass(2600.0, 2.0)](double t) mutable {
        const double source = 0.5 * (square(low.advance(540.0)) + square(high.advance(800.0)));
        const double tone = body.process(source) + 0.3 * clang.process(source);
        return tone * (0.6 * decay(t, 0.012) + 0.4 * decay(t, 0.12));
    };
}

}  // namespace

std::vector<DrumSound> makeDrumSounds() {
    const std::array<Recipe, 12> recipes{{
        {"Kick", 0.6, -1.0, 0.06, kick()},
        {"Snare", 0.4, -1.5, 0.05, snare()},
        {"Rim", 0.15, -2.0, 0.03, rim()},
        {"Clap", 0.55, -1.5, 0.08, clap()},
        {"Closed Hat", 0.15, -2.5, 0.03, hat(707, 0.028)},
        {"Open Hat", 0.9, -2.5, 0.15, hat(808, 0.3)},
        {"Low Tom", 0.8, -1.0, 0.12, tom(95.0, 0.26, 909)},
        {"Mid Tom", 0.7, -1.0, 0.1, tom(135.0, 0.22, 1010)},
        {"High Tom", 0.6, -1.0, 0.08, tom(185.0, 0.18, 1111)},
        {"Crash", 0.99, -2.0, 0.2, crash()},
        {"Ride", 0.95, -2.5, 0.2, ride()},
        {"Cowbell", 0.45, -2.0, 0.06, cowbell()},
    }};
    std::vector<DrumSound> sounds;
    for (const Recipe& recipe : recipes)
        sounds.push_back(render(recipe));
    return sounds;
}

}  // namespace rimba::factory
