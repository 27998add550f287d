#include "plugin/model/EditHistory.h"

#include <bit>
#include <type_traits>
#include <utility>

namespace rimba {

namespace {

template <typename Part>
void collectChanged(const std::vector<Part>& before, const std::vector<Part>& after,
                    std::vector<std::pair<std::size_t, Part>>& was, std::vector<std::pair<std::size_t, Part>>& became) {
    for (std::size_t i = 0; i < before.size(); ++i) {
        if (before[i] == after[i])
            continue;
        was.emplace_back(i, before[i]);
        became.emplace_back(i, after[i]);
    }
}

// The parts are records of 32-bit values (and whole 4-byte groups of path characters) without
// padding, so they are compared and merged word by word.
template <typename Part>
constexpr std::size_t kWords = sizeof(Part) / sizeof(std::uint32_t);

template <typename Part>
void checkWords() {
    static_assert(std::is_trivially_copyable_v<Part> && sizeof(Part) % sizeof(std::uint32_t) == 0);
}

template <typename Part>
Part movedWords(const Part& now, const Part& from, const Part& to) {
    checkWords<Part>();
    using Words = std::array<std::uint32_t, kWords<Part>>;
    auto result = std::bit_cast<Words>(now);
    const auto was = std::bit_cast<Words>(from);
    const auto becomes = std::bit_cast<Words>(to);
    for (std::size_t i = 0; i < result.size(); ++i)
        if (was[i] != becomes[i])
            result[i] = becomes[i];
    return std::bit_cast<Part>(result);
}

}  // namespace

// A sound path moves whole: a path half from one file and half from another names neither.
TrackEdit moved(const TrackEdit& now, const TrackEdit& from, const TrackEdit& to) {
    TrackEdit part = movedWords(now, from, to);
    part.soundPath = from.soundPath == to.soundPath ? now.soundPath : to.soundPath;
    return part;
}

PatternEdit moved(const PatternEdit& now, const PatternEdit& from, const PatternEdit& to) {
    return movedWords(now, from, to);
}

GlobalEdit moved(const GlobalEdit& now, const GlobalEdit& from, const GlobalEdit& to) {
    return movedWords(now, from, to);
}

std::optional<EditStep> stepBetween(const EditState& before, const EditState& after) {
    if (before.tracks.size() != after.tracks.size() || before.patterns.size() != after.patterns.size())
        return std::nullopt;
    EditStep step;
    collectChanged(before.tracks, after.tracks, step.before.tracks, step.after.tracks);
    collectChanged(before.patterns, after.patterns, step.before.patterns, step.after.patterns);
    if (!(before.globals == after.globals)) {
        step.before.globals = before.globals;
        step.after.globals = after.globals;
    }
    if (step.before.empty())
        return std::nullopt;
    return step;
}

bool EditHistory::record(const EditState& before, const EditState& after) {
    std::optional<EditStep> step = stepBetween(before, after);
    if (!step)
        return false;
    done.push_back(std::move(*step));
    if (done.size() > kDepth)
        done.pop_front();
    undone.clear();
    return true;
}

const EditStep* EditHistory::undo() {
    if (done.empty())
        return nullptr;
    undone.push_back(std::move(done.back()));
    done.pop_back();
    return &undone.back();
}

const EditStep* EditHistory::redo() {
    if (undone.empty())
        return nullptr;
    done.push_back(std::move(undone.back()));
    undone.pop_back();
    return &done.back();
}

}  // namespace rimba
