// openDocument hands its argument to the xdg-open found on PATH, returns without waiting for it,
// and leaves no child process behind; without xdg-open it does nothing at all.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>

#include "common/platform/OpenDocument.h"
#include "tests/common/platform/TempFolder.h"

namespace rimba::platform {
namespace {

using fixtures::contentOf;
using fixtures::TempFolder;

// PATH for one test, restored afterwards.
struct PathFor {
    explicit PathFor(const std::string& path) { setenv("PATH", path.c_str(), 1); }
    ~PathFor() { setenv("PATH", saved.c_str(), 1); }
    std::string saved = std::getenv("PATH") != nullptr ? std::getenv("PATH") : "";
};

bool childrenLeft() {
    int status = 0;
    return !(waitpid(-1, &status, WNOHANG) < 0 && errno == ECHILD);
}

TEST(OpenDocument, HandsTheAddressToXdgOpenAndLeavesNoChildBehind) {
    TempFolder folder;
    const std::string output = folder / "opened.txt";
    // Written under another name and renamed, so the file is whole once it exists.
    const std::string script =
        folder.makeFile("bin/xdg-open", "#!/bin/sh\nPATH=/usr/bin:/bin\nprintf '%s' \"$1\" > \"" + output +
                                            ".part\" && mv \"" + output + ".part\" \"" + output + "\"\n");
    ASSERT_EQ(chmod(script.c_str(), 0755), 0);
    {
        PathFor standIn(folder / "bin");
        openDocument("https://vorn-studio.example/a page?x=1 & y");
    }
    EXPECT_FALSE(childrenLeft());
    // The viewer runs on its own; wait for it, however slow the machine.
    for (int i = 0; i < 3000 && !std::filesystem::exists(output); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_EQ(contentOf(output), "https://vorn-studio.example/a page?x=1 & y");
}

TEST(OpenDocument, WithoutXdgOpenNothingHappens) {
    TempFolder folder;
    PathFor nothing(folder.makeFolder("empty"));
    openDocument("/nowhere/manual.pdf");
    EXPECT_FALSE(childrenLeft());
    EXPECT_EQ(folder.namesIn(), std::vector<std::string>{"empty"});
}

}  // namespace
}  // namespace rimba::platform
