// Real plug-ins from Debian's packages with editors of their own (MVerb and ZamEQ2, built on DPF),
// loaded into send 1 through the instrument and shown with the slot label's right click in the
// instrument's editor on a real X server, as a musician does: the window's size, the plug-in
// drawing in it, twenty openings that leave nothing behind, removal and replacement with the
// window open, and the program bar saving a bank and loading it back.

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <set>
#include <string>
#include <thread>

#include "plugin/editor/Editor.h"
#include "plugin/editor/PluginEditorWindows.h"
#include "plugin/editor/PluginProgramBar.h"
#include "tests/plugin/editor/OpenEditor.h"
#include "tests/plugin/editor/menus/ScriptedDialogs.h"
#include "tests/support/TempFolder.h"
// Xlib last: its macros clash with names in the headers above.
#include "tests/plugin/editor/toolkit/XTestHost.h"

namespace rimba::test {
namespace {

namespace et = editor_tags;

constexpr const char* kReverb = "/usr/lib/vst/MVerb-vst.so";
constexpr const char* kEqualiser = "/usr/lib/vst/ZamEQ2-vst.so";

// Libraries that keep allocations in their own static data and are unloaded with the plug-in's
// editor or the plug-in itself: Mesa's software OpenGL driver, which the DPF editors draw with
// under Xvfb (loaded when a GL display opens, unloaded when it closes), and the plug-ins. Unmapped,
// what they hold would show as leaks of a module LeakSanitizer can no longer name; kept mapped
// (the process opens them once more, never to be unloaded), it stays reachable, and a leak of
// ours, or one a library makes at each opening, still shows with its names.
void keepMapped(const std::vector<std::filesystem::path>& libraries) {
    for (const std::filesystem::path& library : libraries)
        if (std::filesystem::exists(library))
            dlopen(library.c_str(), RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
}

class RealPluginWindow : public ::testing::TestWithParam<const char*> {
protected:
    void SetUp() override {
        ASSERT_TRUE(x.connected()) << "no X server: run under tests/support/with-xvfb.sh";
        keepMapped({"/usr/lib/x86_64-linux-gnu/dri/swrast_dri.so", "/usr/lib/aarch64-linux-gnu/dri/swrast_dri.so",
                    kReverb, kEqualiser});
        for (const char* library : {kReverb, kEqualiser})
            ASSERT_TRUE(std::filesystem::exists(library)) << library << ": scripts/install-deps.sh installs it";
        drums = eightTrackInstrument();
        host = x.makeWindow(100, 600, 1005, 642);
        editor = openEditorIn(*drums, host, [&](Editor& opening) { opening.setDialogs(&dialogs); });
        ASSERT_NE(editor, nullptr);
        ASSERT_TRUE(drums->selectEffect(0, GetParam()));
    }
    void TearDown() override {
        drums.reset();
        XDestroyWindow(x.display, host);
    }

    CPlugin& plugin() { return *drums->slotPlugin(0); }
    const PluginEditorWindows& windows() const { return editor->getPluginWindows(); }
    const CPluginEditor* window() const { return windows().editorOf(*drums->slotPlugin(0)); }

    // The musician's gesture: a right click on send 1's label.
    void rightClickSend1() {
        auto* slot = taggedIn<toolkit::COptionMenu>(*editor->getFrame(), et::kFirstEffectSlot);
        ASSERT_NE(slot, nullptr) << "no send 1 label";
        rightClick(*slot);
    }
    // The instrument editor's idle, at its own pace.
    void idle(int rounds) {
        for (int i = 0; i < rounds; ++i) {
            editor->refresh();
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    }
    std::pair<int, int> pluginEditorSize() {
        ERect* rect = nullptr;
        plugin().dispatch(effEditGetRect, 0, 0, &rect);
        return rect == nullptr ? std::make_pair(0, 0)
                               : std::make_pair(rect->right - rect->left, rect->bottom - rect->top);
    }
    std::size_t coloursIn(Window window) {
        const auto [width, height] = x.sizeOf(window);
        std::set<unsigned long> colours;
        XImage* image = XGetImage(x.display, window, 0, 0, static_cast<unsigned>(width), static_cast<unsigned>(height),
                                  AllPlanes, ZPixmap);
        if (image == nullptr)
            return 0;
        for (int row = 0; row < height; row += 2)
            for (int column = 0; column < width; column += 2)
                colours.insert(XGetPixel(image, column, row));
        XDestroyImage(image);
        return colours.size();
    }
    bool isTopLevel(Window window) {
        const std::vector<Window> tops = x.children(DefaultRootWindow(x.display));
        return std::find(tops.begin(), tops.end(), window) != tops.end();
    }
    void clickBar(Window bar, int left, int top) {
        x.sendButton(bar, ButtonPress, Button1, left, top, 0, time += 1000);
        x.sendButton(bar, ButtonRelease, Button1, left, top, Button1Mask, time += 10);
        idle(3);
    }

    XTestHost x;
    Window host = 0;
    ScriptedDialogs dialogs;
    std::unique_ptr<VornDrums> drums;
    Editor* editor = nullptr;
    TempFolder folder;
    unsigned long time = 1000;
};

TEST_P(RealPluginWindow, OpensAtThePluginsSizeUnderTheBarAndThePluginDrawsInIt) {
    rightClickSend1();
    const CPluginEditor* shown = window();
    ASSERT_NE(shown, nullptr);
    EXPECT_TRUE(plugin().editorOpen());
    const auto [width, height] = pluginEditorSize();
    ASSERT_GT(width, 0);
    EXPECT_EQ(x.sizeOf(shown->window()), std::make_pair(std::max(width, CVornPluginProgramEx::kMinimumWidth),
                                                        height + CVornPluginProgramEx::kHeight));
    EXPECT_EQ(x.sizeOf(shown->pluginParent()), std::make_pair(width, height));
    EXPECT_FALSE(x.children(shown->pluginParent()).empty()) << "the plug-in made its editor in the window it was given";
    char* title = nullptr;
    XFetchName(x.display, shown->window(), &title);
    EXPECT_STREQ(title, plugin().description().product.c_str());
    XFree(title);
    // Knobs, labels and shading: far more than the plain background the window starts with.
    EXPECT_TRUE(XTestHost::idleUntil([&] { idle(1); }, [&] { return coloursIn(shown->pluginParent()) >= 32; }));
    EXPECT_EQ(shown->bar().shownName(), plugin().programName());
}

TEST_P(RealPluginWindow, ClosesAndReopensTwentyTimesLeavingNoWindowOrConnectionBehind) {
    // Once first: what a plug-in's library sets up at its first editor and keeps is not a leak.
    rightClickSend1();
    idle(5);
    rightClickSend1();
    ASSERT_EQ(windows().openCount(), 0u);
    const std::size_t topLevels = x.children(DefaultRootWindow(x.display)).size();
    const std::size_t descriptors = XTestHost::openDescriptorCount();

    for (int round = 0; round < 20; ++round) {
        rightClickSend1();
        const CPluginEditor* shown = window();
        ASSERT_NE(shown, nullptr) << round;
        const Window top = shown->window();
        idle(3);
        rightClickSend1();
        ASSERT_EQ(window(), nullptr) << round;
        EXPECT_FALSE(plugin().editorOpen());
        EXPECT_FALSE(isTopLevel(top)) << round;
    }
    EXPECT_EQ(x.children(DefaultRootWindow(x.display)).size(), topLevels);
    EXPECT_EQ(XTestHost::openDescriptorCount(), descriptors) << "display connections or files left open";
}

TEST_P(RealPluginWindow, RemovingOrReplacingThePluginClosesItsWindowFirst) {
    rightClickSend1();
    ASSERT_NE(window(), nullptr);
    Window top = window()->window();
    idle(3);
    const char* other = std::string(GetParam()) == kReverb ? kEqualiser : kReverb;
    ASSERT_TRUE(drums->selectEffect(0, other));
    EXPECT_EQ(windows().openCount(), 0u);
    EXPECT_FALSE(isTopLevel(top));

    rightClickSend1();
    ASSERT_NE(window(), nullptr);
    top = window()->window();
    idle(3);
    drums->removeEffect(0);
    EXPECT_EQ(windows().openCount(), 0u);
    EXPECT_FALSE(isTopLevel(top));
    idle(3);
}

INSTANTIATE_TEST_SUITE_P(DebianPackages, RealPluginWindow, ::testing::Values(kReverb, kEqualiser),
                         [](const ::testing::TestParamInfo<const char*>& info) {
                             const std::string stem = std::filesystem::path(info.param).stem().string();
                             return stem.substr(0, stem.find('-'));
                         });

// A reverb in send 1: its window opened from the slot, the programs stepped through from the bar,
// a bank saved from the bar's menu and loaded back after the sound was changed.
class ReverbInSend1 : public RealPluginWindow {};

TEST_P(ReverbInSend1, StepsThroughItsProgramsAndSavesABankThatLoadsBack) {
    rightClickSend1();
    ASSERT_NE(window(), nullptr);
    const CPluginEditor& shown = *window();
    const Window bar = shown.barWindow();
    ASSERT_NE(bar, 0u);
    idle(3);
    AEffect& effect = *plugin().aeffect();
    const int last = std::max(effect.numPrograms - 1, 0);
    for (int step = 0; step <= last; ++step)
        clickBar(bar, 76, 15);  // next, once more than there are
    EXPECT_EQ(plugin().currentProgram(), last);
    EXPECT_EQ(shown.bar().shownName(), plugin().programName());
    clickBar(bar, 58, 15);  // previous
    EXPECT_EQ(plugin().currentProgram(), std::max(last - 1, 0));

    effect.setParameter(&effect, 0, 0.25f);
    const float saved = effect.getParameter(&effect, 0);
    dialogs.menuAnswer = toolkit::MenuChoice{1};  // "Save Bank As ..."
    dialogs.answers.push_back(folder / "hall");
    clickBar(bar, 20, 15);  // the menu button
    const std::filesystem::path bank = folder / "hall.fxb";
    ASSERT_TRUE(std::filesystem::exists(bank));
    EXPECT_EQ(std::filesystem::file_size(bank), 156u + static_cast<std::uintmax_t>(effect.numPrograms) *
                                                           (56u + 4u * static_cast<unsigned>(effect.numParams)));

    effect.setParameter(&effect, 0, 0.75f);
    ASSERT_NE(effect.getParameter(&effect, 0), saved);
    dialogs.menuAnswer = toolkit::MenuChoice{0};  // "Load Bank ..."
    dialogs.answers.push_back(bank.string());
    clickBar(bar, 20, 15);
    EXPECT_FLOAT_EQ(effect.getParameter(&effect, 0), saved);

    std::vector<std::string> titles;
    for (const DialogRequest& request : dialogs.requests)
        if (request.kind != "popup")
            titles.push_back(request.title + " " + request.filter.description);
    EXPECT_EQ(titles, (std::vector<std::string>{"Save Bank FXB File", "Load Bank FXB File"}));
}

INSTANTIATE_TEST_SUITE_P(DebianPackages, ReverbInSend1, ::testing::Values(kReverb),
                         [](const ::testing::TestParamInfo<const char*>&) { return std::string("MVerb"); });

}  // namespace
}  // namespace rimba::test
