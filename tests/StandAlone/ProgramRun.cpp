// What the program runs share on both systems: its saved output and the files it leaves.

#include "tests/StandAlone/ProgramRun.h"

#include <chrono>
#include <fstream>
#include <sstream>
#include <thread>

namespace rimba::test {

namespace {

std::string wholeFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

}  // namespace

std::string ProgramRun::standardError() const { return wholeFile(errorFile); }

std::string ProgramRun::standardOutput() const { return wholeFile(outputFile); }

std::vector<std::string> readLines(const std::string& path) {
    std::ifstream file(path);
    std::vector<std::string> lines;
    std::string line;
    while (std::getline(file, line)) {
        // A Windows program's lines may end in CR LF.
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

bool waitUntil(const std::function<bool()>& condition, int milliseconds) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    while (std::chrono::steady_clock::now() < end) {
        if (condition())
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return condition();
}

}  // namespace rimba::test
