#include "common/platform/MessageBox.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace rimba::platform {
namespace {

struct ShownMessage {
    std::string text;
    std::string caption;
};

class MessageBoxTest : public ::testing::Test {
protected:
    void TearDown() override { setMessagePresenter({}); }

    MessagePresenter recordingPresenter(std::vector<ShownMessage>& shown) {
        return [&shown](const std::string& text, const std::string& caption) { shown.push_back({text, caption}); };
    }

    // What showMessage writes to standard error.
    static std::string standardErrorOf(const std::string& text, const std::string& caption) {
        ::testing::internal::CaptureStderr();
        showMessage(text, caption);
        return ::testing::internal::GetCapturedStderr();
    }
};

TEST_F(MessageBoxTest, WithoutPresenterWritesCaptionAndTextToStandardError) {
    EXPECT_EQ(standardErrorOf("Cannot load the kit.", "Rimba Drums"), "Rimba Drums: Cannot load the kit.\n");
}

TEST_F(MessageBoxTest, WithoutCaptionWritesOnlyTheText) {
    EXPECT_EQ(standardErrorOf("Plain text", ""), "Plain text\n");
}

TEST_F(MessageBoxTest, InstalledPresenterReceivesTextAndCaptionInstead) {
    std::vector<ShownMessage> shown;
    setMessagePresenter(recordingPresenter(shown));
    EXPECT_EQ(standardErrorOf("Pattern saved.", "Save"), "");
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text, "Pattern saved.");
    EXPECT_EQ(shown[0].caption, "Save");
}

TEST_F(MessageBoxTest, EmptyPresenterRestoresStandardError) {
    std::vector<ShownMessage> shown;
    setMessagePresenter(recordingPresenter(shown));
    setMessagePresenter({});
    EXPECT_EQ(standardErrorOf("Back to the console.", "Note"), "Note: Back to the console.\n");
    EXPECT_TRUE(shown.empty());
}

TEST_F(MessageBoxTest, NewPresenterReplacesTheOldOne) {
    std::vector<ShownMessage> first;
    std::vector<ShownMessage> second;
    setMessagePresenter(recordingPresenter(first));
    setMessagePresenter(recordingPresenter(second));
    showMessage("Only the second", "Caption");
    EXPECT_TRUE(first.empty());
    ASSERT_EQ(second.size(), 1u);
    EXPECT_EQ(second[0].text, "Only the second");
}

TEST_F(MessageBoxTest, PresenterMayRemoveItselfWhileShowing) {
    int shownCount = 0;
    setMessagePresenter([&shownCount](const std::string&, const std::string&) {
        ++shownCount;
        setMessagePresenter({});
    });
    showMessage("Closing the editor", "Editor");
    EXPECT_EQ(shownCount, 1);
    EXPECT_EQ(standardErrorOf("After closing", "Editor"), "Editor: After closing\n");
    EXPECT_EQ(shownCount, 1);
}

// Another module's message (the standalone program's, which writes it on standard error itself)
// is shown only through a presenter, never a second time on standard error.
TEST_F(MessageBoxTest, PresentMessageUsesOnlyAPresenterAndSaysWhetherOneShowedIt) {
    ::testing::internal::CaptureStderr();
    const bool withoutPresenter = presentMessage("Unable to open the MIDI port !", "Zelkor");
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
    EXPECT_FALSE(withoutPresenter);

    std::vector<ShownMessage> shown;
    setMessagePresenter(recordingPresenter(shown));
    EXPECT_TRUE(presentMessage("Unable to open the MIDI port !", "Zelkor"));
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].caption, "Zelkor");
}

}  // namespace
}  // namespace rimba::platform
