#pragma once
// The companion's command line: one CLI11 sub-command per job. Each command file adds its own
// sub-command and options to the tool; parsing picks the one job that runs.
//
// CLI11 is found by its own folder only (CLI.hpp beside the headers it includes), since the
// cross build may not search the system's include folder as a whole.

#include <CLI.hpp>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace rimba::tool {

// The chosen sub-command's work, run once the whole command line has been read. Answers the
// process status: 0 done, 1 a file refused or not written.
using Job = std::function<int()>;

// The status for a command line the tool cannot follow.
constexpr int kUsageError = 2;

// Reads the command line; the sub-command it names leaves its work in `job`. Answers the status
// to end with when reading it ends the run: 0 after --help (printed on standard output),
// kUsageError after a usage error (reported on standard error); nullopt when `job` is to run.
std::optional<int> parseCommandLine(CLI::App& tool, int argc, char** argv);

// Numbers are read as the tool has always read them: decimal digits alone for whole numbers
// (CLI11 alone would take "010" as octal, and signs and "0x"), and each validator rewrites the
// value it accepts in a form CLI11 converts back to the same number.

// A whole number of one to nine decimal digits, or nullopt.
std::optional<int> decimalDigits(std::string_view text);
// A finite number from 0 to 1 written as strtod reads it whole, or nullopt.
std::optional<float> unitNumber(const std::string& text);

// A pattern number, 0 to 15.
CLI::Validator patternNumber();
// A track count the instrument offers: 8 or 12.
CLI::Validator trackCount();
// A finite number above 0 and at most `largest`.
CLI::Validator positiveUpTo(double largest);
// Any text but the empty one: a file or folder name that names nothing is a usage error.
CLI::Validator nonEmpty();

// Every refused file and every file not written ends the run the same way: one line on standard
// error, "rimbadrums-tool: <what>: <why>". Answers the status 1.
int fail(const std::string& what, const std::string& why);

}  // namespace rimba::tool
