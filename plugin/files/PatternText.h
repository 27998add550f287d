#pragma once
// The lexical rules that the pattern set and single pattern files share: a line runs up to '\n',
// a field is the text before each ';' (text after the last ';' of a line, such as the "\r", is
// no field), a field keeps at most its first 512 characters, integers are written as "%i" and
// reals as "%.4f".
//
// Numbers are read and written without the C locale functions: a host may switch the process to
// a locale with decimal commas, and a pattern file must read the same everywhere.
// Pure functions on bytes and strings; any thread but the audio thread.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace rimba::patterntext {

constexpr std::size_t kMaxFieldLength = 512;

// The fields of one line, as views into the data the reader was given.
using Fields = std::vector<std::string_view>;

// Walks the data line by line. Every field view lies inside the data.
class LineReader {
public:
    explicit LineReader(std::span<const std::uint8_t> data);

    // Cuts the next line into `fields`; false when no data is left.
    bool next(Fields& fields);

private:
    std::string_view text;
    std::size_t position = 0;
};

// A decimal integer from the start of the field after any blanks, with an optional sign; a field
// that starts with no number reads as 0, and numbers beyond 32 bits saturate.
std::int32_t readInteger(std::string_view field);

// A real from the start of the field after any blanks; a field that starts with no number, or a
// number beyond the range of a double, reads as 0.
double readReal(std::string_view field);

// readReal truncated toward zero, saturating at the 32-bit limits; NaN reads as 0.
std::int32_t readRealAsInteger(std::string_view field);

// The same truncation for any value about to be written as an integer.
std::int32_t truncateToInt(double value);

// A real as the state stores it: finite values beyond the float range stop at its limits.
float toStoredFloat(double value);

// Each appends one field with its ';'.
void appendText(std::string& line, std::string_view text);
void appendInteger(std::string& line, std::int64_t value);
void appendReal(std::string& line, double value);
// Ends the line with "\r\n".
void endLine(std::string& line);

}  // namespace rimba::patterntext
