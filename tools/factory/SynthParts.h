#pragma once
// The small parts the factory sounds are built from: a repeatable noise source, biquad filters,
// oscillators with a running phase and exponential envelopes. Each sound owns its own parts, so
// the same seed always makes the same samples.

#include <cmath>
#include <cstdint>
#include <numbers>

namespace rimba::factory {

constexpr double kRate = 44100.0;
constexpr double kTwoPi = 2.0 * std::numbers::pi;

// xorshift32: tiny, and the same on every machine and compiler, unlike rand().
class Noise {
public:
    explicit Noise(std::uint32_t seed) : state(seed != 0 ? seed : 0x9E3779B9u) {}
    // Uniform in -1..1.
    double next() {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        return static_cast<double>(state) / 2147483648.0 - 1.0;
    }

private:
    std::uint32_t state;
};

// One second-order section (the audio cookbook's forms), direct form I.
class Biquad {
public:
    static Biquad lowPass(double hz, double q) { return design(hz, q, Shape::kLowPass); }
    static Biquad highPass(double hz, double q) { return design(hz, q, Shape::kHighPass); }
    static Biquad bandPass(double hz, double q) { return design(hz, q, Shape::kBandPass); }

    double process(double x) {
        const double y = b0 * x + b1 * x1 + b2 * x2 - a1 * y1 - a2 * y2;
        x2 = x1;
        x1 = x;
        y2 = y1;
        y1 = y;
        return y;
    }

private:
    enum class Shape { kLowPass, kHighPass, kBandPass };

    static Biquad design(double hz, double q, Shape shape) {
        const double w0 = kTwoPi * hz / kRate;
        const double cosW0 = std::cos(w0);
        const double alpha = std::sin(w0) / (2.0 * q);
        const double a0 = 1.0 + alpha;
        Biquad f;
        switch (shape) {
            case Shape::kLowPass:
                f.b0 = f.b2 = (1.0 - cosW0) / 2.0 / a0;
                f.b1 = (1.0 - cosW0) / a0;
                break;
            case Shape::kHighPass:
                f.b0 = f.b2 = (1.0 + cosW0) / 2.0 / a0;
                f.b1 = -(1.0 + cosW0) / a0;
                break;
            case Shape::kBandPass:  // constant 0 dB peak gain
                f.b0 = alpha / a0;
                f.b1 = 0.0;
                f.b2 = -alpha / a0;
                break;
        }
        f.a1 = -2.0 * cosW0 / a0;
        f.a2 = (1.0 - alpha) / a0;
        return f;
    }

    double b0 = 1.0, b1 = 0.0, b2 = 0.0, a1 = 0.0, a2 = 0.0;
    double x1 = 0.0, x2 = 0.0, y1 = 0.0, y2 = 0.0;
};

// A phase that follows a frequency which may change every sample (pitch sweeps).
class Phase {
public:
    // Advances by one sample at `hz` and answers the phase before the step, in cycles 0..1.
    double advance(double hz) {
        const double now = cycles;
        cycles += hz / kRate;
        cycles -= std::floor(cycles);
        return now;
    }

private:
    double cycles = 0.0;
};

inline double sine(double cycles) { return std::sin(kTwoPi * cycles); }
inline double square(double cycles) { return cycles < 0.5 ? 1.0 : -1.0; }

// exp(-t / tau): the decay of struck things.
inline double decay(double seconds, double tau) { return std::exp(-seconds / tau); }

}  // namespace rimba::factory
