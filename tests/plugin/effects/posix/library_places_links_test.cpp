// Where a program may name an effect library from, with symbolic links and the standard plug-in
// folders the environment names: judged by where the links finally lead.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "plugin/effects/LibraryPlaces.h"
#include "tests/support/Environment.h"
#include "tests/support/TempFolder.h"

namespace rimba {
namespace {

namespace fs = std::filesystem;

// The process works in `folder` while this lives.
class WorkingFolder {
public:
    explicit WorkingFolder(const std::string& folder) : startedIn(fs::current_path()) { fs::current_path(folder); }
    ~WorkingFolder() { fs::current_path(startedIn); }
    WorkingFolder(const WorkingFolder&) = delete;
    WorkingFolder& operator=(const WorkingFolder&) = delete;

private:
    fs::path startedIn;
};

TEST(LibraryPlacesWithLinks, ALibraryCountsWhereItsLinksLeadAndTheFoldersWhereTheirsLead) {
    test::TempFolder folder;
    const std::string root = fs::canonical(folder.path()).string();
    for (const char* file : {"real-effects/verb.so", "elsewhere/verb.so", "standard/verb.so", "lx/verb.so"})
        folder.makeFile(file, "not loaded");
    fs::create_directory_symlink(root + "/real-effects", root + "/effects");  // the folder is a link
    fs::create_symlink(root + "/elsewhere/verb.so", root + "/real-effects/out.so");  // a link out of it
    fs::create_directory_symlink(root + "/elsewhere", root + "/real-effects/away");
    fs::create_symlink(root + "/real-effects/verb.so", root + "/elsewhere/back.so");  // a link into it
    // A relative entry would be found from wherever the host runs (here, where it would find
    // something); empty and missing ones are nothing.
    const test::ScopedEnvironmentVariable vstPath("VST_PATH", "standard::" + root + "/missing:");
    const test::ScopedEnvironmentVariable lxvstPath("LXVST_PATH", root + "/lx/");
    const WorkingFolder inRoot(root);

    struct Case {
        std::string path;
        std::string effectFolder;
        std::string opened;  // empty: refused
    };
    const Case cases[] = {
        {root + "/effects/verb.so", root + "/effects/", root + "/real-effects/verb.so"},
        {root + "/real-effects/verb.so", root + "/effects", root + "/real-effects/verb.so"},
        {root + "/elsewhere/back.so", root + "/effects/", root + "/real-effects/verb.so"},
        {root + "/effects/out.so", root + "/effects/", ""},
        {root + "/effects/away/verb.so", root + "/effects/", ""},
        // ".." after a link leaves from where the link leads, as the system opens it.
        {root + "/effects/away/../real-effects/verb.so", root + "/effects/", root + "/real-effects/verb.so"},
        {root + "/effects/away/../elsewhere/verb.so", root + "/effects/", ""},
        {root + "/lx/verb.so", "", root + "/lx/verb.so"},
        {root + "/standard/verb.so", root + "/effects/", ""},
    };
    for (const Case& c : cases) {
        const Result<std::string> placed = placeProgramEffectLibrary(c.path, c.effectFolder);
        if (c.opened.empty()) {
            EXPECT_FALSE(placed.ok()) << c.path << " is placed at " << *placed;
        } else {
            ASSERT_TRUE(placed.ok()) << c.path << ": " << placed.reason();
            EXPECT_EQ(*placed, c.opened) << c.path;
        }
    }
}

}  // namespace
}  // namespace rimba
