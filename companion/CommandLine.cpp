#include "companion/CommandLine.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <utility>
#include <vector>

#include "plugin/model/Constants.h"

namespace rimba::tool {

// Up to nine digits: more could not be a value any option takes, and nine cannot overflow.
std::optional<int> decimalDigits(std::string_view text) {
    if (text.empty() || text.size() > 9)
        return std::nullopt;
    int value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + (c - '0');
    }
    return value;
}

std::optional<float> unitNumber(const std::string& text) {
    char* end = nullptr;
    const double value = text.empty() ? 0.0 : std::strtod(text.c_str(), &end);
    if (end == nullptr || *end != 0 || !std::isfinite(value) || value < 0.0 || value > 1.0)
        return std::nullopt;
    return static_cast<float>(value);
}

namespace {

template <typename Allowed>
CLI::Validator wholeNumber(const std::string& description, Allowed allowed) {
    return CLI::Validator(
        [description, allowed](std::string& text) -> std::string {
            const std::optional<int> value = decimalDigits(text);
            if (!value || !allowed(*value))
                return "\"" + text + "\" is not " + description;
            text = std::to_string(*value);
            return {};
        },
        "");
}

std::string joined(const std::vector<std::string>& words, const char* between) {
    std::string text;
    for (const std::string& word : words)
        text += (text.empty() ? "" : between) + word;
    return text;
}

// Who reports a usage error and what it says. Arguments the tool does not know come first, since
// CLI11 checks requirements before it complains about them, and "--out is required" would hide
// a misspelt "--outt".
std::pair<std::string, std::string> usageProblem(const CLI::App& tool, const CLI::ParseError& error) {
    if (const std::vector<std::string> unknown = tool.remaining(); !unknown.empty())
        return {tool.get_name(), "not a command or option: " + joined(unknown, " ")};
    const std::vector<CLI::App*> chosen = tool.get_subcommands();
    if (chosen.empty()) {
        std::vector<std::string> commands;
        for (const CLI::App* command : tool.get_subcommands([](const CLI::App*) { return true; }))
            commands.push_back(command->get_name());
        return {tool.get_name(), "a command is required: " + joined(commands, ", ")};
    }
    const std::string name = tool.get_name() + " " + chosen.back()->get_name();
    if (const std::vector<std::string> unknown = chosen.back()->remaining(); !unknown.empty())
        return {name, "not an option or argument it takes: " + joined(unknown, " ")};
    return {name, error.what()};
}

}  // namespace

std::optional<int> parseCommandLine(CLI::App& tool, int argc, char** argv) {
    try {
        tool.parse(argc, argv);
        return std::nullopt;
    } catch (const CLI::ParseError& error) {
        if (error.get_exit_code() == static_cast<int>(CLI::ExitCodes::Success))
            return tool.exit(error);  // the help of the tool or of the sub-command named
        // Named by the command whose options were being read, so its --help is the one to see.
        const auto [name, problem] = usageProblem(tool, error);
        std::fprintf(stderr, "%s: %s\nSee '%s --help'.\n", name.c_str(), problem.c_str(), name.c_str());
        return kUsageError;
    }
}

CLI::Validator patternNumber() {
    return wholeNumber("a pattern number 0.." + std::to_string(kPatternCount - 1),
                       [](int value) { return value < kPatternCount; });
}

CLI::Validator trackCount() {
    return wholeNumber(std::to_string(kSmallTrackCount) + " or " + std::to_string(kDefaultTrackCount),
                       [](int value) { return value == kSmallTrackCount || value == kDefaultTrackCount; });
}

CLI::Validator positiveUpTo(double largest) {
    char shown[32];
    std::snprintf(shown, sizeof shown, "%g", largest);
    const std::string description = std::string("above 0 up to ") + shown;
    return CLI::Validator(
        [description, largest](std::string& text) -> std::string {
            char* end = nullptr;
            const double value = text.empty() ? 0.0 : std::strtod(text.c_str(), &end);
            if (end == nullptr || *end != 0 || !std::isfinite(value) || value <= 0.0 || value > largest)
                return "\"" + text + "\" is not a number " + description;
            // Seventeen digits bring CLI11's own conversion (through long double) back to this
            // very double.
            char exact[40];
            std::snprintf(exact, sizeof exact, "%.17g", value);
            text = exact;
            return {};
        },
        "");
}

CLI::Validator nonEmpty() {
    return CLI::Validator(
        [](std::string& text) -> std::string { return text.empty() ? "an empty name is not allowed" : ""; }, "");
}

int fail(const std::string& what, const std::string& why) {
    std::fprintf(stderr, "rimbadrums-tool: %s: %s\n", what.c_str(), why.c_str());
    return 1;
}

}  // namespace rimba::tool
