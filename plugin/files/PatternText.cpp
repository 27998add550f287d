#include "plugin/files/PatternText.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <limits>

namespace rimba::patterntext {
namespace {

constexpr std::int64_t kIntMax = std::numeric_limits<std::int32_t>::max();
constexpr std::int64_t kIntMin = std::numeric_limits<std::int32_t>::min();

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }

bool isDigit(char c) { return c >= '0' && c <= '9'; }

std::string_view skipBlanks(std::string_view field) {
    std::size_t i = 0;
    while (i < field.size() && isBlank(field[i]))
        ++i;
    return field.substr(i);
}

// The fields of one line; the text after its last ';' is left out.
void cutFields(std::string_view line, Fields& fields) {
    fields.clear();
    std::size_t start = 0;
    for (std::size_t end = line.find(';'); end != std::string_view::npos; end = line.find(';', start)) {
        fields.push_back(line.substr(start, std::min(end - start, kMaxFieldLength)));
        start = end + 1;
    }
}

}  // namespace

LineReader::LineReader(std::span<const std::uint8_t> data)
    : text(reinterpret_cast<const char*>(data.data()), data.size()) {}

bool LineReader::next(Fields& fields) {
    if (position >= text.size())
        return false;
    const std::size_t newline = text.find('\n', position);
    const std::size_t end = newline == std::string_view::npos ? text.size() : newline;
    cutFields(text.substr(position, end - position), fields);
    position = end == text.size() ? end : end + 1;
    return true;
}

std::int32_t readInteger(std::string_view field) {
    field = skipBlanks(field);
    std::size_t i = 0;
    bool negative = false;
    if (i < field.size() && (field[i] == '+' || field[i] == '-')) {
        negative = field[i] == '-';
        ++i;
    }
    std::int64_t magnitude = 0;
    for (; i < field.size() && isDigit(field[i]); ++i)
        magnitude = std::min(magnitude * 10 + (field[i] - '0'), kIntMax + 1);
    const std::int64_t value = negative ? -magnitude : magnitude;
    return static_cast<std::int32_t>(std::clamp(value, kIntMin, kIntMax));
}

double readReal(std::string_view field) {
    field = skipBlanks(field);
    // from_chars takes a '-' but not a '+'; a '+' may stand before the number, not before a '-'.
    if (!field.empty() && field[0] == '+') {
        field.remove_prefix(1);
        if (!field.empty() && field[0] == '-')
            return 0.0;
    }
    double value = 0.0;
    const auto [end, error] = std::from_chars(field.data(), field.data() + field.size(), value);
    (void)end;
    return error == std::errc{} ? value : 0.0;
}

std::int32_t truncateToInt(double value) {
    if (std::isnan(value))
        return 0;
    if (value >= static_cast<double>(kIntMax))
        return static_cast<std::int32_t>(kIntMax);
    if (value <= static_cast<double>(kIntMin))
        return static_cast<std::int32_t>(kIntMin);
    return static_cast<std::int32_t>(value);
}

std::int32_t readRealAsInteger(std::string_view field) { return truncateToInt(readReal(field)); }

float toStoredFloat(double value) {
    constexpr double kLimit = std::numeric_limits<float>::max();
    if (std::isfinite(value))
        value = std::clamp(value, -kLimit, kLimit);
    return static_cast<float>(value);
}

void appendText(std::string& line, std::string_view text) {
    line += text;
    line += ';';
}

void appendInteger(std::string& line, std::int64_t value) {
    std::array<char, 24> digits{};
    const auto result = std::to_chars(digits.data(), digits.data() + digits.size(), value);
    appendText(line, std::string_view(digits.data(), static_cast<std::size_t>(result.ptr - digits.data())));
}

void appendReal(std::string& line, double value) {
    // Room for the largest double in fixed notation with four decimals.
    std::array<char, 400> digits{};
    const auto result = std::to_chars(digits.data(), digits.data() + digits.size(), value, std::chars_format::fixed, 4);
    appendText(line, std::string_view(digits.data(), static_cast<std::size_t>(result.ptr - digits.data())));
}

void endLine(std::string& line) { line += "\r\n"; }

}  // namespace rimba::patterntext
