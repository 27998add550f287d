// The path rules that follow from the system's separator, on every system: '|' in an expected
// path stands for the separator of the system the test runs on.

#include "common/platform/Paths.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace rimba::platform {
namespace {

std::string native(std::string path) {
    std::replace(path.begin(), path.end(), '|', pathSeparator());
    return path;
}

TEST(JoinPath, PutsExactlyOneSeparatorBetweenFolderAndName) {
    struct Case {
        const char* folder;
        const char* name;
        const char* joined;
    };
    for (const Case& c :
         {Case{"", "kit.drs", "kit.drs"}, Case{"Kits", "kit.drs", "Kits|kit.drs"},
          Case{"Kits/", "kit.drs", "Kits/kit.drs"}, Case{"/", "kit.drs", "/kit.drs"}, Case{"Kits", "", "Kits|"}}) {
        EXPECT_EQ(joinPath(c.folder, c.name), native(c.joined)) << c.folder << " + " << c.name;
    }
}

TEST(WithNativeSeparators, TurnsTheSeparatorsOfEitherSystemIntoThisSystems) {
    struct Case {
        const char* path;
        const char* converted;
    };
    for (const Case& c : {Case{"Samples/Kick/808.wav", "Samples|Kick|808.wav"},
                          Case{"\\Samples\\Kick\\808.wav", "|Samples|Kick|808.wav"}, Case{"a/b\\c//d", "a|b|c||d"},
                          Case{"plain.wav", "plain.wav"}, Case{"", ""}}) {
        EXPECT_EQ(withNativeSeparators(c.path), native(c.converted)) << c.path;
    }
}

TEST(LastPathSeparator, FindsTheLastSeparatorOrNone) {
    struct Case {
        const char* path;
        std::size_t position;
    };
    for (const Case& c : {Case{"a/b/c", 3}, Case{"/", 0}, Case{"/Kits/", 5}, Case{"kit.drs", std::string::npos},
                          Case{"", std::string::npos}}) {
        EXPECT_EQ(lastPathSeparator(c.path), c.position) << c.path;
    }
}

TEST(PathParts, TakeFolderNameAndTitleApart) {
    struct Case {
        std::string path;
        const char* folder;
        const char* name;
        const char* anySystemName;  // a path saved on the other system names the same file
        const char* title;
    };
    for (const Case& c :
         {Case{native("Kits|Rock|kit.drs"), "Kits|Rock|", "kit.drs", "kit.drs", "kit"},
          Case{"C:\\Samples\\Kick.808.wav", nullptr, nullptr, "Kick.808.wav", "Kick.808"},
          Case{"/home/u/snare.wav", nullptr, nullptr, "snare.wav", "snare"}, Case{native("|"), "|", "", "", ""},
          Case{"plain", "", "plain", "plain", "plain"}, Case{"", "", "", "", ""}}) {
        if (c.folder != nullptr) {
            EXPECT_EQ(folderOf(c.path), native(c.folder)) << c.path;
            EXPECT_EQ(fileNameOf(c.path), c.name) << c.path;
        }
        EXPECT_EQ(fileNameOfAnySystemPath(c.path), c.anySystemName) << c.path;
        EXPECT_EQ(withoutExtension(fileNameOfAnySystemPath(c.path)), c.title) << c.path;
    }
}

}  // namespace
}  // namespace rimba::platform
