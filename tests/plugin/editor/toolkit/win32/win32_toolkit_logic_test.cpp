// The Windows half of the toolkit where it needs no window: the keyboard as the views get it, the
// UTF-8 and UTF-16 conversions, the file dialogs' strings, and the native menu made from a
// MenuModel, read back through the system's own GetMenuItemInfoW.

#include <gtest/gtest.h>

#include "common/platform/win32/Windows.h"

#include <string>
#include <vector>

#include "plugin/editor/toolkit/KeyCodes.h"
#include "plugin/editor/toolkit/MenuModel.h"
#include "plugin/editor/toolkit/TextEditModel.h"
#include "plugin/editor/toolkit/win32/Win32FileDialogText.h"
#include "plugin/editor/toolkit/win32/Win32Keys.h"
#include "plugin/editor/toolkit/win32/Win32NativeMenu.h"
#include "plugin/editor/toolkit/win32/Win32Text.h"

namespace rimba::toolkit::win32 {
namespace {

TEST(Win32Keys, VirtualKeysOfKeysThatTypeNothingBecomeTheToolkitsCodesTheExtendedBitTellsTheKeypadApart) {
    struct Case {
        unsigned virtualKey;
        bool extended;
        std::optional<unsigned> code;
    };
    const Case cases[] = {
        {VK_LEFT, true, keys::kLeft},
        {VK_LEFT, false, keys::kKeypadLeft},
        {VK_RIGHT, true, keys::kRight},
        {VK_HOME, true, keys::kHome},
        {VK_HOME, false, keys::kKeypadHome},
        {VK_END, true, keys::kEnd},
        {VK_DELETE, true, keys::kDelete},
        {VK_DELETE, false, keys::kKeypadDelete},
        {VK_RETURN, true, keys::kKeypadEnter},
        // These come as characters (WM_CHAR) instead.
        {VK_RETURN, false, std::nullopt},
        {VK_BACK, false, std::nullopt},
        {'A', false, std::nullopt},
        {VK_ESCAPE, false, std::nullopt},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(keyCodeOfVirtualKey(c.virtualKey, c.extended), c.code) << c.virtualKey << " " << c.extended;
    }
}

TEST(Win32Keys, CharactersComeAsX11WouldGiveThemAndJoinSurrogatePairs) {
    CharacterJoiner joiner;
    struct Case {
        wchar_t unit;
        unsigned code;
        std::string text;
    };
    const Case cases[] = {
        {L'a', 'a', "a"},
        {0x00E9, 0xE9, "\xC3\xA9"},  // é: Latin-1 is its own code
        {0x20AC, 0x010020AC, "\xE2\x82\xAC"},  // €: Unicode's keysym
        {L'\r', keys::kReturn, ""},
        {L'\b', keys::kBackSpace, ""},
        {0x1B, keys::kEscape, ""},
        {0xDC00, 0x0100FFFD, "\xEF\xBF\xBD"},  // a low half alone
    };
    for (const Case& c : cases) {
        const std::optional<TypedKey> typed = joiner.take(c.unit);
        ASSERT_TRUE(typed) << static_cast<unsigned>(c.unit);
        EXPECT_EQ(typed->code, c.code) << static_cast<unsigned>(c.unit);
        EXPECT_EQ(typed->text, c.text) << static_cast<unsigned>(c.unit);
    }
    EXPECT_FALSE(joiner.take(0xD83D));  // U+1F600 in two halves
    const std::optional<TypedKey> pair = joiner.take(0xDE00);
    ASSERT_TRUE(pair);
    EXPECT_EQ(pair->code, 0x0101F600u);
    EXPECT_EQ(pair->text, "\xF0\x9F\x98\x80");
}

// What a text field makes of WM_KEYDOWN and WM_CHAR messages as the frame window passes them.
TEST(Win32Keys, ATextFieldTypesEditsAndCommitsFromWindowsMessages) {
    TextEditModel field("", 64);
    CharacterJoiner joiner;
    const auto character = [&](wchar_t unit) {
        if (const std::optional<TypedKey> typed = joiner.take(unit))
            return field.onKey(typed->code, typed->text);
        return TextEditModel::KeyResult::ignored;
    };
    const auto key = [&](unsigned virtualKey, bool extended) {
        return field.onKey(*keyCodeOfVirtualKey(virtualKey, extended), {});
    };
    for (wchar_t unit : std::wstring(L"ab\u20AC\xD83D\xDE00"))
        character(unit);
    EXPECT_EQ(field.getText(), "ab\xE2\x82\xAC\xF0\x9F\x98\x80");
    character(L'\b');  // the whole four-byte character goes
    EXPECT_EQ(field.getText(), "ab\xE2\x82\xAC");
    key(VK_HOME, true);
    key(VK_DELETE, true);
    EXPECT_EQ(field.getText(), "b\xE2\x82\xAC");
    key(VK_END, false);  // the keypad's End, Num Lock off
    character(L'!');
    EXPECT_EQ(field.getText(), "b\xE2\x82\xAC!");
    EXPECT_EQ(character(L'\r'), TextEditModel::KeyResult::commit);
    EXPECT_EQ(key(VK_RETURN, true), TextEditModel::KeyResult::commit);
    EXPECT_EQ(character(0x1B), TextEditModel::KeyResult::cancel);
}

TEST(Win32Text, Utf8AndUtf16RoundTripAndInvalidBytesBecomeTheReplacementCharacter) {
    const std::string text = "Caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80";
    const std::wstring wide = wideOf(text);
    EXPECT_EQ(wide, std::wstring(L"Caf\u00E9 \u20AC \xD83D\xDE00"));
    EXPECT_EQ(utf8Of(wide), text);
    EXPECT_EQ(wideOf(""), L"");
    EXPECT_EQ(utf8Of(L""), "");
    EXPECT_EQ(wideOf("a\xFF"
                     "b"),
              std::wstring(L"a\uFFFDb"));
}

TEST(Win32FileDialogText, TheFilterListNamesThePatternAndEndsWithTwoNuls) {
    const std::wstring audio = fileDialogFilter({"Audio file", "wav"});
    EXPECT_EQ(audio, std::wstring(L"Audio file (*.wav)\0*.wav\0", 25));
    EXPECT_EQ(audio.c_str()[audio.size()], L'\0');  // the list's closing NUL
    EXPECT_EQ(fileDialogFilter({"Anything", ""}), std::wstring(L"Anything (*.*)\0*.*\0", 19));
    EXPECT_EQ(fileDialogFilter({"", "fxp"}), std::wstring(L"*.fxp\0*.fxp\0", 12));
}

TEST(Win32FileDialogText, TheStartSplitsIntoFolderAndNameAndASaveGetsTheFiltersExtension) {
    struct StartCase {
        std::string start;
        bool isFolder;
        std::string folder, name;
    };
    const StartCase starts[] = {
        {"C:\\kits\\rock.rdk", false, "C:\\kits", "rock.rdk"},
        {"C:\\rock.rdk", false, "C:\\", "rock.rdk"},
        {"C:\\kits", true, "C:\\kits", ""},
        {"rock.rdk", false, "", "rock.rdk"},
        {"", false, "", ""},
    };
    for (const StartCase& c : starts) {
        const DialogStart start = dialogStartOf(c.start, c.isFolder);
        EXPECT_EQ(start.folder, c.folder) << c.start;
        EXPECT_EQ(start.name, c.name) << c.start;
    }
    EXPECT_EQ(savedPathWithExtension("C:\\out\\take", "wav"), "C:\\out\\take.wav");
    EXPECT_EQ(savedPathWithExtension("C:\\out\\take.WAV", "wav"), "C:\\out\\take.WAV");
    EXPECT_EQ(savedPathWithExtension("C:\\out.d\\take", "wav"), "C:\\out.d\\take.wav");
    EXPECT_EQ(savedPathWithExtension("C:\\out\\take.mid", "wav"), "C:\\out\\take.mid.wav");
    EXPECT_EQ(savedPathWithExtension("C:\\out\\take", ""), "C:\\out\\take");
    EXPECT_EQ(folderWithoutTrailingSeparator("C:\\kits\\"), "C:\\kits");
    EXPECT_EQ(folderWithoutTrailingSeparator("C:\\"), "C:\\");
    EXPECT_EQ(folderWithoutTrailingSeparator("D:\\a/"), "D:\\a");
}

struct ItemSeen {
    std::wstring text;
    UINT type = 0;
    UINT state = 0;
    UINT id = 0;
    HMENU submenu = nullptr;
};

ItemSeen itemOf(HMENU menu, int position) {
    wchar_t text[128] = {};
    MENUITEMINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_STRING | MIIM_FTYPE | MIIM_STATE | MIIM_ID | MIIM_SUBMENU;
    info.dwTypeData = text;
    info.cch = 127;
    EXPECT_TRUE(GetMenuItemInfoW(menu, static_cast<UINT>(position), TRUE, &info)) << position;
    return {text, info.fType, info.fState, info.wID, info.hSubMenu};
}

TEST(Win32NativeMenu, TheSystemsMenuHoldsTheModelsEntriesAndItsIdsAnswerWithTheirChains) {
    auto kits = std::make_shared<MenuModel>();
    kits->addEntry("Rock");
    kits->addEntry("Jazz & Latin");
    kits->checkEntry(1, true);
    kits->addEntry("Broken", true);
    MenuModel top;
    top.addEntry("Open...");
    top.addEntry("Muted", true);
    top.addSeparator();
    top.addEntry("Loop");
    top.checkEntry(3, true);
    top.addSubmenu("Kits", kits);

    HMENU handle = nullptr;
    HMENU submenu = nullptr;
    {
        NativeMenu native(top);
        handle = native.handle();
        ASSERT_NE(handle, nullptr);
        ASSERT_EQ(GetMenuItemCount(handle), 5);
        const ItemSeen open = itemOf(handle, 0);
        EXPECT_EQ(open.text, L"Open...");
        EXPECT_EQ(open.state & (MFS_CHECKED | MFS_DISABLED), 0u);
        const ItemSeen muted = itemOf(handle, 1);
        EXPECT_NE(muted.state & MFS_DISABLED, 0u);
        EXPECT_NE(itemOf(handle, 2).type & MFT_SEPARATOR, 0u);
        const ItemSeen loop = itemOf(handle, 3);
        EXPECT_NE(loop.state & MFS_CHECKED, 0u);
        const ItemSeen kitsItem = itemOf(handle, 4);
        EXPECT_EQ(kitsItem.text, L"Kits");
        submenu = kitsItem.submenu;
        ASSERT_NE(submenu, nullptr);
        ASSERT_EQ(GetMenuItemCount(submenu), 3);
        const ItemSeen jazz = itemOf(submenu, 1);
        EXPECT_EQ(jazz.text, L"Jazz && Latin");  // a single '&' would underline the next letter
        EXPECT_NE(jazz.state & MFS_CHECKED, 0u);
        EXPECT_NE(itemOf(submenu, 2).state & MFS_DISABLED, 0u);

        // What TrackPopupMenu would answer for each entry maps back to the entry's chain.
        EXPECT_EQ(native.choiceOf(open.id), (MenuChoice{0}));
        EXPECT_EQ(native.choiceOf(loop.id), (MenuChoice{3}));
        EXPECT_EQ(native.choiceOf(jazz.id), (MenuChoice{4, 1}));
        EXPECT_EQ(native.choiceOf(itemOf(submenu, 0).id), (MenuChoice{4, 0}));
        EXPECT_FALSE(native.choiceOf(0));  // the menu closed without a choice
        EXPECT_FALSE(native.choiceOf(1000));
    }
    EXPECT_FALSE(IsMenu(handle));  // the menu and its submenus go with the object
    EXPECT_FALSE(IsMenu(submenu));
}

}  // namespace
}  // namespace rimba::toolkit::win32
