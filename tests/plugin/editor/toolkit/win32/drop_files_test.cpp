// The file lists of OLE's drag and drop and the paths in them, apart from any window.
#include <gtest/gtest.h>

#include <cstring>

#include "common/platform/win32/Windows.h"
#include "plugin/editor/toolkit/win32/DropFiles.h"
// After Windows.h, which leaves the shell out.
#include <shellapi.h>
#include <shlobj.h>

namespace rimba::toolkit::win32 {
namespace {

// A block in global memory as CF_HDROP carries it; freed with the object.
class GlobalBlock {
public:
    explicit GlobalBlock(const void* bytes, std::size_t size) : block(GlobalAlloc(GMEM_MOVEABLE, size)) {
        std::memcpy(GlobalLock(block), bytes, size);
        GlobalUnlock(block);
    }
    ~GlobalBlock() { GlobalFree(block); }
    GlobalBlock(const GlobalBlock&) = delete;
    GlobalBlock& operator=(const GlobalBlock&) = delete;
    HGLOBAL get() const { return block; }

private:
    HGLOBAL block;
};

TEST(DropFiles, Utf8AndUtf16NamesConvertBothWaysAndBrokenTextIsRefused) {
    const struct {
        std::string utf8;
        std::wstring wide;
    } names[] = {
        {"C:\\kits\\kick.wav", L"C:\\kits\\kick.wav"},
        {"C:\\kits\\\xC3\xB1"
         "and\xC3\xBA \xC3\xBC.wav",
         L"C:\\kits\\\x00F1"
         L"and\x00FA \x00FC.wav"},
        {"\xE6\x97\xA5\xE6\x9C\xAC.mid", L"\x65E5\x672C.mid"},
        {"\xF0\x9F\xA5\x81.wav", L"\xD83E\xDD41.wav"},  // outside the basic plane: a surrogate pair
        {"", L""},
    };
    for (const auto& name : names) {
        EXPECT_EQ(wideOfUtf8(name.utf8), name.wide) << name.utf8;
        EXPECT_EQ(utf8OfWide(name.wide), name.utf8) << name.utf8;
    }
    EXPECT_FALSE(wideOfUtf8("bad \xC3\x28 sequence"));
    EXPECT_FALSE(wideOfUtf8(std::string("nul\0inside", 10)));
    EXPECT_FALSE(utf8OfWide(L"unpaired \xD800 surrogate"));
    EXPECT_FALSE(utf8OfWide(std::wstring(L"nul\0inside", 10)));
}

TEST(DropFiles, AbsolutePathsComeFromTheCurrentFolderAndEmptyOnesAreRefused) {
    wchar_t folder[MAX_PATH];
    ASSERT_GT(GetCurrentDirectoryW(MAX_PATH, folder), 0u);
    std::wstring expected = folder;
    if (expected.back() != L'\\')
        expected += L'\\';
    expected += L"pattern \x00E9.mid";
    EXPECT_EQ(absoluteWidePath("pattern \xC3\xA9.mid"), expected);
    EXPECT_EQ(absoluteWidePath("C:\\temp\\temp.mid"), L"C:\\temp\\temp.mid");
    EXPECT_FALSE(absoluteWidePath(""));
    EXPECT_FALSE(absoluteWidePath("bad \xFF name"));
}

TEST(DropFiles, TheBlockHasAWideHeaderAndNamesEndedByOneMoreNul) {
    const std::vector<std::byte> bytes = dropFilesBytes({L"C:\\a.wav", L"D:\\\x00FC.mid"});
    const std::wstring names = std::wstring(L"C:\\a.wav") + L'\0' + L"D:\\\x00FC.mid" + L'\0' + L'\0';
    ASSERT_EQ(bytes.size(), sizeof(DROPFILES) + names.size() * sizeof(wchar_t));
    DROPFILES header;
    std::memcpy(&header, bytes.data(), sizeof header);
    EXPECT_EQ(header.pFiles, sizeof(DROPFILES));
    EXPECT_TRUE(header.fWide);
    EXPECT_FALSE(header.fNC);
    EXPECT_EQ(0, std::memcmp(bytes.data() + sizeof header, names.data(), names.size() * sizeof(wchar_t)));
}

TEST(DropFiles, WindowsReadsTheBlockBackAsTheUtf8PathsItNames) {
    const std::vector<std::byte> bytes = dropFilesBytes({L"C:\\kits\\kick.wav",
                                                         L"C:\\kits\\\x00F1"
                                                         L"and\x00FA.wav",
                                                         L"C:\\\xD83E\xDD41.mid"});
    const GlobalBlock block(bytes.data(), bytes.size());
    EXPECT_EQ(DragQueryFileW(static_cast<HDROP>(block.get()), 0xFFFFFFFF, nullptr, 0), 3u);
    EXPECT_EQ(pathsOfDrop(block.get()), (std::vector<std::string>{"C:\\kits\\kick.wav",
                                                                  "C:\\kits\\\xC3\xB1"
                                                                  "and\xC3\xBA.wav",
                                                                  "C:\\\xF0\x9F\xA5\x81.mid"}));
}

TEST(DropFiles, AnAnsiBlockFromAnOlderProgramIsReadToo) {
    const char names[] = "C:\\one.wav\0C:\\two.wav\0";  // and the literal's own NUL ends the list
    std::vector<std::byte> bytes(sizeof(DROPFILES) + sizeof names);
    DROPFILES header{};
    header.pFiles = sizeof(DROPFILES);
    header.fWide = FALSE;
    std::memcpy(bytes.data(), &header, sizeof header);
    std::memcpy(bytes.data() + sizeof header, names, sizeof names);
    const GlobalBlock block(bytes.data(), bytes.size());
    EXPECT_EQ(pathsOfDrop(block.get()), (std::vector<std::string>{"C:\\one.wav", "C:\\two.wav"}));
}

TEST(DropFiles, AnEmptyListNamesNoPath) {
    const std::vector<std::byte> bytes = dropFilesBytes({});
    ASSERT_EQ(bytes.size(), sizeof(DROPFILES) + 2 * sizeof(wchar_t));
    const GlobalBlock block(bytes.data(), bytes.size());
    EXPECT_TRUE(pathsOfDrop(block.get()).empty());
}

}  // namespace
}  // namespace rimba::toolkit::win32
