#pragma once
// What a reader or loader answers: the value it made, or why it refused its input ("kit has 17
// tracks; 1 to 16 allowed"). A refused input changes nothing. The reason is written for people
// (the companion's output, a host's standard error), never parsed by code.
//
// Result<T> reads like std::optional<T> where a value is there; Result<> is the answer of an
// operation that makes no value.

#include <string>
#include <type_traits>
#include <utility>
#include <variant>

namespace rimba {

struct Refusal {
    std::string reason;
};

template <typename T = std::monostate>
class [[nodiscard]] Result {
public:
    Result() requires std::is_same_v<T, std::monostate> : outcome(T{}) {}
    Result(T value) : outcome(std::move(value)) {}
    Result(Refusal refusal) : outcome(std::move(refusal)) {}

    bool ok() const { return std::holds_alternative<T>(outcome); }
    bool has_value() const { return ok(); }
    explicit operator bool() const { return ok(); }

    // Only where ok(): the value.
    T& operator*() { return std::get<T>(outcome); }
    const T& operator*() const { return std::get<T>(outcome); }
    T* operator->() { return &std::get<T>(outcome); }
    const T* operator->() const { return &std::get<T>(outcome); }

    // Why the input was refused; empty where the value is there.
    const std::string& reason() const {
        static const std::string none;
        const Refusal* refusal = std::get_if<Refusal>(&outcome);
        return refusal != nullptr ? refusal->reason : none;
    }

    // The same refusal for a result of another kind, with `context` in front of its reason
    // ("track 3: ..."), for a loader that passes on what a reader refused.
    Refusal refusal(const std::string& context = {}) const {
        return Refusal{context.empty() ? reason() : context + ": " + reason()};
    }

private:
    std::variant<T, Refusal> outcome;
};

}  // namespace rimba
