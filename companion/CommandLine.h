#pragma once
// Small option readers shared by the companion's commands.

#include <optional>
#include <string>

namespace rimba::tool {

// A whole decimal number of at most `maxDigits` digits and nothing else.
inline std::optional<int> wholeNumber(const std::string& text, std::size_t maxDigits = 4) {
    if (text.empty() || text.size() > maxDigits)
        return std::nullopt;
    int value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + (c - '0');
    }
    return value;
}

}  // namespace rimba::tool
