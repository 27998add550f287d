#include "StandAlone/ProgramIcon.h"

#include <algorithm>
#include <cmath>

namespace rimba::standalone {

namespace {

struct Colour {
    float red, green, blue;
};

constexpr Colour kTile{0.13f, 0.15f, 0.17f};
constexpr Colour kShell{0.55f, 0.16f, 0.12f};
constexpr Colour kHead{0.93f, 0.89f, 0.80f};
constexpr Colour kStick{0.85f, 0.66f, 0.38f};

constexpr float kCentre = kProgramIconSide / 2.0f;
constexpr float kShellRadius = 14.0f;
constexpr float kHeadRadius = 11.0f;
// Four by four samples per pixel smooth the edges of a picture this small.
constexpr int kSamplesPerSide = 4;

Colour mix(Colour under, Colour over, float amount) {
    return {under.red + (over.red - under.red) * amount, under.green + (over.green - under.green) * amount,
            under.blue + (over.blue - under.blue) * amount};
}

float distanceToSegment(float x, float y, float x0, float y0, float x1, float y1) {
    const float dx = x1 - x0, dy = y1 - y0;
    const float along = std::clamp(((x - x0) * dx + (y - y0) * dy) / (dx * dx + dy * dy), 0.0f, 1.0f);
    return std::hypot(x - (x0 + along * dx), y - (y0 + along * dy));
}

// The colour at one point of the picture: tile, shell ring, head, and a stick across the head.
Colour sample(float x, float y) {
    const float fromCentre = std::hypot(x - kCentre, y - kCentre);
    Colour colour = kTile;
    if (fromCentre <= kShellRadius)
        colour = kShell;
    if (fromCentre <= kHeadRadius)
        colour = mix(kHead, kShell, std::max(0.0f, fromCentre - 8.0f) / 6.0f);  // the rim's shade
    if (distanceToSegment(x, y, 6.0f, 5.0f, 21.0f, 18.0f) <= 1.4f)
        colour = kStick;
    return colour;
}

std::uint32_t opaquePixel(Colour colour) {
    const auto channel = [](float value) {
        return static_cast<std::uint32_t>(std::lround(std::clamp(value, 0.0f, 1.0f) * 255.0f));
    };
    return 0xFF000000u | channel(colour.red) << 16 | channel(colour.green) << 8 | channel(colour.blue);
}

}  // namespace

std::array<std::uint32_t, kProgramIconSide * kProgramIconSide> drawProgramIcon() {
    std::array<std::uint32_t, kProgramIconSide * kProgramIconSide> pixels{};
    constexpr float kStep = 1.0f / kSamplesPerSide;
    for (int row = 0; row < kProgramIconSide; ++row) {
        for (int column = 0; column < kProgramIconSide; ++column) {
            Colour sum{0.0f, 0.0f, 0.0f};
            for (int sy = 0; sy < kSamplesPerSide; ++sy) {
                for (int sx = 0; sx < kSamplesPerSide; ++sx) {
                    const Colour at = sample(column + (sx + 0.5f) * kStep, row + (sy + 0.5f) * kStep);
                    sum = {sum.red + at.red, sum.green + at.green, sum.blue + at.blue};
                }
            }
            constexpr float kSamples = kSamplesPerSide * kSamplesPerSide;
            pixels[static_cast<std::size_t>(row * kProgramIconSide + column)] =
                opaquePixel({sum.red / kSamples, sum.green / kSamples, sum.blue / kSamples});
        }
    }
    return pixels;
}

}  // namespace rimba::standalone
