#include "plugin/editor/toolkit/TextEditModel.h"

#include <X11/keysym.h>
#include <gtest/gtest.h>

namespace rimba::toolkit {
namespace {

struct KeyCase {
    const char* name;
    std::string start;
    std::vector<std::pair<unsigned, std::string>> keys;
    std::string text;
    std::size_t caret;
};

TEST(TextEditModel, EditingKeysWorkOnWholeCharacters) {
    const std::vector<KeyCase> cases = {
        {"digits append", "12", {{XK_3, "3"}, {XK_4, "4"}}, "1234", 4},
        {"backspace at the end", "120", {{XK_BackSpace, ""}}, "12", 2},
        {"backspace at the start does nothing", "12", {{XK_Home, ""}, {XK_BackSpace, ""}}, "12", 0},
        {"home then type", "20", {{XK_Home, ""}, {XK_1, "1"}}, "120", 1},
        {"delete under the caret", "123", {{XK_Home, ""}, {XK_Delete, ""}}, "23", 0},
        {"delete at the end does nothing", "12", {{XK_Delete, ""}}, "12", 2},
        {"left and insert", "13", {{XK_Left, ""}, {XK_2, "2"}}, "123", 2},
        {"right stops at the end", "1", {{XK_Right, ""}, {XK_Right, ""}}, "1", 1},
        {"end after home", "ab", {{XK_Home, ""}, {XK_End, ""}, {XK_c, "c"}}, "abc", 3},
        {"backspace removes a two-byte character", "v\xC3\xA9", {{XK_BackSpace, ""}}, "v", 1},
        {"left steps over a two-byte character", "\xC3\xA9", {{XK_Left, ""}, {XK_x, "x"}}, "x\xC3\xA9", 1},
        {"control characters are not inserted", "a", {{XK_Tab, "\t"}, {0, "\x7f"}}, "a", 1},
    };
    for (const KeyCase& c : cases) {
        SCOPED_TRACE(c.name);
        TextEditModel model(c.start);
        for (const auto& [key, typed] : c.keys) {
            model.onKey(key, typed);
        }
        EXPECT_EQ(model.getText(), c.text);
        EXPECT_EQ(model.caret(), c.caret);
    }
}

TEST(TextEditModel, EnterCommitsEscapeCancelsAndTextKeepsToItsLimit) {
    TextEditModel model("1", 3);
    EXPECT_EQ(model.onKey(XK_Return, "\r"), TextEditModel::KeyResult::commit);
    EXPECT_EQ(model.onKey(XK_KP_Enter, ""), TextEditModel::KeyResult::commit);
    EXPECT_EQ(model.onKey(XK_Escape, "\x1b"), TextEditModel::KeyResult::cancel);
    EXPECT_EQ(model.getText(), "1");
    EXPECT_EQ(model.onKey(0, "2345"), TextEditModel::KeyResult::edited);
    EXPECT_EQ(model.getText(), "123");
    // A two-byte character that does not fit whole is left out, never cut in half.
    TextEditModel nearlyFull("ab", 3);
    EXPECT_EQ(nearlyFull.onKey(0, "\xC3\xA9"), TextEditModel::KeyResult::ignored);
    EXPECT_EQ(nearlyFull.getText(), "ab");
}

}  // namespace
}  // namespace rimba::toolkit
