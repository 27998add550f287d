#include "tools/factory/Grooves.h"

#include <array>
#include <optional>
#include <vector>

#include "plugin/core/PatternSets.h"

namespace rimba::factory {

namespace {

struct Row {
    FactoryTrack track;
    const char* grid;  // kGrooveSteps cells; spaces only group the beats for the reader
};

struct Groove {
    const char* name;
    std::vector<Row> rows;
};

struct Cell {
    float velocity = 0.0f;
    float roll = 0.0f;
};

// '.' rest; 'X' accent, 'x' hit, 'o' soft, 'g' ghost note; 'R' a four-stroke roll, 'r' a
// two-stroke one (the roll value counts the strokes after the first).
std::optional<Cell> cellOf(char c) {
    switch (c) {
        case '.': return Cell{};
        case 'X': return Cell{120.0f, 0.0f};
        case 'x': return Cell{100.0f, 0.0f};
        case 'o': return Cell{76.0f, 0.0f};
        case 'g': return Cell{40.0f, 0.0f};
        case 'R': return Cell{112.0f, 3.0f};
        case 'r': return Cell{88.0f, 1.0f};
        default: return std::nullopt;
    }
}

std::optional<std::vector<Cell>> parseGrid(const char* grid) {
    std::vector<Cell> cells;
    for (const char* c = grid; *c != 0; ++c) {
        if (*c == ' ')
            continue;
        const std::optional<Cell> cell = cellOf(*c);
        if (!cell)
            return std::nullopt;
        cells.push_back(*cell);
    }
    if (cells.size() != kGrooveSteps)
        return std::nullopt;
    return cells;
}

// clang-format off
const std::array<Groove, kPatternCount>& song() {
    static const std::array<Groove, kPatternCount> grooves{{
        {"intro", {
            {kClosedHat, "x.o.x.o.x.o.x.o. x.o.x.o.x.o.x.oo"},
            {kRim,       "....x.......x... ....x.......x.x."},
            {kKick,      "x.........x..... x.........x....."}}},
        {"rock", {
            {kCrash,     "x............... ................"},
            {kClosedHat, "X.x.X.x.X.x.X.x. X.x.X.x.X.x.X.x."},
            {kSnare,     "....x.......x... ....x.......x..."},
            {kKick,      "x.......x.x..... x.......x.x....."}}},
        {"rock with open hat", {
            {kClosedHat, "X.x.X.x.X.x.X.x. X.x.X.x.X.x....."},
            {kOpenHat,   "................ ............x..."},
            {kSnare,     "....x.......x... ....x.......x..g"},
            {kKick,      "x.......x.x...x. x.x.....x.x....."}}},
        {"rock fill", {
            {kClosedHat, "X.x.X.x.X.x.X.x. X.x.X.x........."},
            {kSnare,     "....x.......x... ....x...R.xo...."},
            {kHighTom,   "................ ............xo.."},
            {kMidTom,    "................ ..............x."},
            {kLowTom,    "................ ...............x"},
            {kKick,      "x.......x.x..... x.......x......x"}}},
        {"funk", {
            {kCrash,     "x............... ................"},
            {kClosedHat, "XoxoXoxoXoxoXoxo XoxoXoxoXoxoXo.."},
            {kOpenHat,   "................ ..............x."},
            {kSnare,     "....X..g.g..X..g ....X..g.g..X.g."},
            {kKick,      "x.x.......x..x.. x.x.......x....x"}}},
        {"funk with cowbell", {
            {kClosedHat, "XoxoXoxoXoxo.oxo XoxoXoxoXoxo.oxo"},
            {kOpenHat,   "............x... ............x..."},
            {kCowbell,   "o...o...o...o... o...o...o...o.o."},
            {kSnare,     "....X..g.g..X..g ....X..g.g..X..g"},
            {kKick,      "x..x..x...x..x.. x..x..x...x.x..."}}},
        {"half-time shuffle", {
            {kClosedHat, "XgxgXgxgXgxgXgxg XgxgXgxgXgxgXgxg"},
            {kSnare,     ".g.g.g..X..g.g.g .g.g.g..X..g.gg."},
            {kKick,      "x.....x...x..... x.....x...x.x..."}}},
        {"shuffle on the ride", {
            {kRide,      "X.xgX.xgX.xgX.xg X.xgX.xgX.xg...."},
            {kSnare,     ".g.g.g..X..g.g.g .g.g.g..X..gR.R."},
            {kKick,      "x.....x...x..... x.....x...x....x"}}},
        {"hip-hop", {
            {kCrash,     "o............... ................"},
            {kClosedHat, "x.xox.xox.xox.xo x.xox.xox.xox.xo"},
            {kOpenHat,   "................ ..............x."},
            {kSnare,     "....X.......X... ....X.......X..."},
            {kClap,      "....o.......o... ....o.......o..."},
            {kKick,      "x......x..x..... x.x....x..x....."}}},
        {"hip-hop with rim", {
            {kClosedHat, "x.xox.xox.xox.xo x.xox.xox.xox..."},
            {kOpenHat,   "................ ............x..."},
            {kRim,       "..........o..... ..........o....o"},
            {kSnare,     "....X.......X... ....X.......X..."},
            {kClap,      "....o.......o... ....o.......o..."},
            {kKick,      "x......x..x..... x.x....x..x...x."}}},
        {"house", {
            {kCrash,     "x............... ................"},
            {kClosedHat, "x..gx..gx..gx..g x..gx..gx..gx..g"},
            {kOpenHat,   "..x...x...x...x. ..x...x...x...x."},
            {kClap,      "....x.......x... ....x.......x..."},
            {kKick,      "x...x...x...x... x...x...x...x..."}}},
        {"house with ride and cowbell", {
            {kRide,      "o.o.o.o.o.o.o.o. o.o.o.o.o.o.o.o."},
            {kOpenHat,   "..x...x...x...x. ..x...x...x...x."},
            {kCowbell,   "...o.....o...... ...o.....o..o..."},
            {kClap,      "....x.......x... ....x.......x.x."},
            {kKick,      "x...x...x...x... x...x...x...x..."}}},
        {"breakbeat", {
            {kCrash,     "x............... ................"},
            {kClosedHat, "x.x.x.x.x.x.x.x. x.x.x.x.x.x.x.x."},
            {kSnare,     "....X..g.g..X..g ....X..g.g....X."},
            {kKick,      "x.x.......xx.... x.x.......x....."}}},
        {"breakbeat with a roll", {
            {kClosedHat, "x.x.x.x.x.x.x.x. x.x.x.x.x.x....."},
            {kOpenHat,   "................ ..............x."},
            {kSnare,     "....X..g.g..X..g .g..X..g.g..X.R."},
            {kKick,      "x.x.......xx.... ..xx......x....."}}},
        {"big fill", {
            {kClosedHat, "x.x.x.x.x.x.x.x. ................"},
            {kSnare,     "....x.......x... R.r......r...R.R"},
            {kHighTom,   "................ ....x.xo........"},
            {kMidTom,    "................ ........x.xo...."},
            {kLowTom,    "................ ............x.x."},
            {kKick,      "x.......x.x..... x...x...x...x..."}}},
        {"ending", {
            {kClosedHat, "x.x.x.x.x.x.x... ................"},
            {kSnare,     "....x.......x.R. ................"},
            {kCrash,     "................ X..............."},
            {kLowTom,    "................ x..............."},
            {kKick,      "x.......x.x..... X..............."}}},
    }};
    return grooves;
}
// clang-format on

bool writeGroove(InstrumentState& state, int pattern, const Groove& groove, std::string& problem) {
    const auto p = static_cast<std::size_t>(pattern);
    for (const Row& row : groove.rows) {
        const std::optional<std::vector<Cell>> cells = parseGrid(row.grid);
        if (!cells) {
            problem = std::string("groove \"") + groove.name + "\" has a malformed row: " + row.grid;
            return false;
        }
        TrackPatterns& planes = state.patterns[static_cast<std::size_t>(row.track)];
        for (std::size_t s = 0; s < cells->size(); ++s) {
            planes.stepVelocity[p][s] = (*cells)[s].velocity;
            planes.stepRoll[p][s] = (*cells)[s].roll;
            planes.stepHold[p][s] = 1.0f;
        }
    }
    state.patternSteps[p] = kGrooveSteps;
    state.chainEnabled[p] = 1;
    return true;
}

}  // namespace

bool writeSong(InstrumentState& state, std::string& problem) {
    resetPatterns(state);
    for (int p = 0; p < kPatternCount; ++p)
        if (!writeGroove(state, p, song()[static_cast<std::size_t>(p)], problem))
            return false;
    state.choosePattern(0);
    state.playMode = 1;
    state.swing = kSongSwing;
    state.fillAttenuation = kSongFillAttenuation;
    return true;
}

}  // namespace rimba::factory
