// The option menu's and the text edit's behaviour as controls of a frame, without a display: the
// frame stays closed, so its mouse and keys are fed to it directly.
#include <X11/keysym.h>
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "plugin/editor/toolkit/Frame.h"
#include "plugin/editor/toolkit/MessageBox.h"
#include "plugin/editor/toolkit/OptionMenu.h"
#include "plugin/editor/toolkit/TextEdit.h"

namespace rimba::toolkit {
namespace {

struct Recorder : CControlListener {
    std::vector<CControl*> reports;
    void valueChanged(CControl* control) override { reports.push_back(control); }
};

TEST(COptionMenu, AChoiceInASubmenuReportsItsIndexThereAndThatMenu) {
    Recorder listener;
    COptionMenu menu(rectOfSize(0, 0, 50, 20), &listener, 96);
    auto modes = std::make_shared<MenuModel>();
    modes->addEntry("Linear");
    modes->addEntry("Circular");
    menu.addEntry("Export to MIDI File ...");
    menu.addSeparator();
    menu.addSubmenu("Knob Behavior Mode", modes);
    menu.addEntry("Version 1.50", true);

    ASSERT_TRUE(menu.takeChoice({2, 1}));
    EXPECT_EQ(menu.getLastResult(), 1);
    EXPECT_EQ(menu.getLastItemMenu(), modes.get());
    EXPECT_EQ(menu.getValue(), 2.0f);
    ASSERT_TRUE(menu.takeChoice({0}));
    EXPECT_EQ(menu.getLastItemMenu(), &menu.getMenu());
    EXPECT_EQ(listener.reports.size(), 2u);

    // Chains that name no selectable entry are refused without a report.
    for (const MenuChoice& bad : {MenuChoice{}, MenuChoice{1}, MenuChoice{3}, MenuChoice{2}, MenuChoice{0, 1},
                                  MenuChoice{2, 5}, MenuChoice{9}}) {
        EXPECT_FALSE(menu.takeChoice(bad));
    }
    EXPECT_EQ(listener.reports.size(), 2u);
}

struct TextEditInFrame : ::testing::Test {
    Recorder listener;
    CFrame frame{rectOfSize(0, 0, 200, 100), nullptr};
    CTextEdit* edit = frame.add(std::make_unique<CTextEdit>(rectOfSize(10, 10, 60, 20), &listener, 32, "120"));
    void type(unsigned key, std::string_view text = {}) { frame.keyDown(key, text); }
};

TEST_F(TextEditInFrame, AClickTakesTheKeysAndEnterReportsTheTypedText) {
    type(XK_5, "5");  // not editing yet: the key goes nowhere
    EXPECT_EQ(edit->getText(), "120");
    frame.mouseDown({20, 15}, kLButton);
    frame.mouseUp({20, 15}, kLButton);
    ASSERT_EQ(frame.getFocusView(), edit);
    type(XK_BackSpace);
    type(XK_BackSpace);
    type(XK_BackSpace);
    type(XK_9, "9");
    type(XK_6, "6");
    EXPECT_TRUE(listener.reports.empty());
    type(XK_Return, "\r");
    EXPECT_EQ(edit->getText(), "96");
    EXPECT_EQ(listener.reports.size(), 1u);
    EXPECT_EQ(frame.getFocusView(), nullptr);
    EXPECT_FALSE(edit->isEditing());
}

TEST_F(TextEditInFrame, EscapeRestoresTheTextAndAClickElsewhereCommits) {
    frame.mouseDown({20, 15}, kLButton);
    frame.mouseUp({20, 15}, kLButton);
    type(XK_7, "7");
    type(XK_Escape);
    EXPECT_EQ(edit->getText(), "120");
    EXPECT_TRUE(listener.reports.empty());
    frame.mouseDown({20, 15}, kLButton);
    frame.mouseUp({20, 15}, kLButton);
    type(XK_Home);
    type(XK_1, "1");
    frame.mouseDown({150, 80}, kLButton);  // the focus goes: the text is taken
    EXPECT_EQ(edit->getText(), "1120");
    EXPECT_EQ(listener.reports.size(), 1u);
}

TEST(WrapMessage, LinesBreakAtNewlinesAndWrapBetweenWords) {
    const auto width = [](const std::string& s) { return static_cast<double>(s.size()); };
    EXPECT_EQ(wrapMessage("The selected mode will be activated", 16, width),
              (std::vector<std::string>{"The selected", "mode will be", "activated"}));
    EXPECT_EQ(wrapMessage("one\r\ntwo", 100, width), (std::vector<std::string>{"one", "two"}));
    EXPECT_EQ(wrapMessage("unbreakablelongword x", 5, width), (std::vector<std::string>{"unbreakablelongword", "x"}));
}

}  // namespace
}  // namespace rimba::toolkit
