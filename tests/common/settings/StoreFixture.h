#pragma once
// A settings store of the test's own: under a fresh folder on Linux, under a fresh registry key
// on Windows (the system's half of the fixture is in posix/ or win32/), removed afterwards.

#include <string>

#include <gtest/gtest.h>

#include "common/settings/SettingsStore.h"

namespace rimba::settings {

// A root for SettingsStore's second constructor that no other test uses.
std::string makeStoreRoot();
void removeStoreRoot(const std::string& root);

class Store : public ::testing::Test {
protected:
    ~Store() override { removeStoreRoot(root); }

    std::string root = makeStoreRoot();
    SettingsStore store{"RimbaDrums_64", root};
    // A path below the root (Linux, where the store is made of files).
    std::string inRoot(const std::string& relative) const { return root + "/" + relative; }
    std::string sectionFile(const std::string& section) const { return inRoot("RimbaDrums_64/" + section + ".conf"); }
};

}  // namespace rimba::settings
