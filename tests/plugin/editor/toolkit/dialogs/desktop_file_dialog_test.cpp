// The desktop dialog path, with a zenity of the test's own in PATH: a script that records its
// arguments and answers as the test tells it.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "plugin/editor/toolkit/FileSelector.h"
#include "tests/support/TempFolder.h"

namespace rimba::toolkit {
namespace {

struct FakeZenity : ::testing::Test {
    test::TempFolder bin;
    std::string savedPath = std::getenv("PATH") ? std::getenv("PATH") : "";

    void answer(const std::string& printed, int status) {
        const std::string script = bin.makeFile(
            "zenity",
            "#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\"; done > \"$(dirname \"$0\")/arguments\"\n"
            "printf '%s\\n' '" +
                printed + "'\nexit " + std::to_string(status) + "\n");
        std::filesystem::permissions(script, std::filesystem::perms::owner_all);
        setenv("PATH", (bin.path() + ":" + savedPath).c_str(), 1);
        setenv("RIMBA_FILE_DIALOG", "zenity", 1);
    }
    std::string arguments() const {
        std::ifstream in(bin / "arguments");
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }
    void TearDown() override {
        setenv("PATH", savedPath.c_str(), 1);
        unsetenv("RIMBA_FILE_DIALOG");
    }
};

TEST_F(FakeZenity, SaveAsksWithTitleFilterAndStartAndAppendsTheExtension) {
    answer("/tmp/song", 0);
    const DialogHost none;  // the desktop's dialog needs no window of ours
    EXPECT_EQ(selectFile(none, FileSelectorMode::save, "Save As MIDI File", {"MIDI file", "mid"}, "/tmp/a b's.mid"),
              "/tmp/song.mid");
    EXPECT_EQ(arguments(),
              "--file-selection\n--title=Save As MIDI File\n--save\n--filename=/tmp/a b's.mid\n"
              "--file-filter=MIDI file | *.mid\n");
}

TEST_F(FakeZenity, ACancelAnswersNothing) {
    answer("", 1);
    const DialogHost none;
    EXPECT_EQ(selectFolder(none, "Select App Folder", "/tmp"), std::nullopt);
    EXPECT_NE(arguments().find("--directory\n"), std::string::npos);
}

}  // namespace
}  // namespace rimba::toolkit
