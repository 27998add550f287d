// The program, kit and pattern menus and the next and previous file buttons. Each menu lists the
// files of the folder of its current file; a file becomes the current one only once it loaded
// (or was written), so a refused file is never the one a later "Save" writes over.

#include <algorithm>
#include <string>

#include "common/platform/Files.h"
#include "common/platform/Paths.h"
#include "plugin/core/PatternSets.h"
#include "plugin/core/VornDrums.h"
#include "plugin/editor/EditorMenuBuilder.h"
#include "plugin/editor/EditorMenus.h"
#include "plugin/tools/PatternEdit.h"

namespace rimba {

using menus::MenuBuilder;

namespace {

const toolkit::FileFilter kProgramFilter{"VORN Program", "fxp"};
const toolkit::FileFilter kKitFilter{"VORN Drum Kit", "drs"};
const toolkit::FileFilter kPatternSetFilter{"VORN Patterns", "ptn"};
const toolkit::FileFilter kPatternFilter{"VORN Patterns", "pat"};

const MenuOutcome kNamesChanged{.refresh = refresh::kNames, .track = -1, .noteSelector = {}};
const MenuOutcome kAllChanged{.refresh = refresh::kNames | refresh::kEverything, .track = -1, .noteSelector = {}};

// The listed files after a separator, the current one checked.
template <class Load>
void listFiles(MenuBuilder& menu, const std::string& current, const std::string& extension, Load load) {
    const std::string folder = platform::folderOf(current);
    const std::vector<std::string> names = menus::filesOf(folder, extension);
    if (names.empty())
        return;
    menu.separator();
    const std::string currentName = platform::fileNameOf(current);
    for (const std::string& name : names)
        menu.entry(
            name, [load, path = folder + name] { return load(path); }, name == currentName);
}

}  // namespace

int EditorMenus::steppedIndex(int current, int count, int direction) {
    if (count <= 0)
        return -1;
    if (direction > 0)
        return current >= count ? 0 : std::min(current + 1, count - 1);
    return std::max(current - 1, 0);
}

int EditorMenus::steppedIndexAmong(const std::vector<std::string>& names, const std::string& current, int direction) {
    const auto found = std::find(names.begin(), names.end(), current);
    return steppedIndex(static_cast<int>(found - names.begin()), static_cast<int>(names.size()), direction);
}

MenuOutcome EditorMenus::stepFile(FileKind kind, int direction) {
    const InstrumentSettings& s = drums.state().settings;
    const std::string& current = kind == FileKind::program ? s.programFile
                                 : kind == FileKind::kit   ? s.drumKitFile
                                                           : s.patternSetFile;
    const char* extension = kind == FileKind::program ? "fxp" : kind == FileKind::kit ? "drs" : "ptn";
    const std::string folder = platform::folderOf(current);
    const std::vector<std::string> names = menus::filesOf(folder, extension);
    const int index = steppedIndexAmong(names, platform::fileNameOf(current), direction);
    if (index < 0)
        return {};
    const std::string path = folder + names[static_cast<std::size_t>(index)];
    switch (kind) {
        case FileKind::program: return loadProgramPath(path);
        case FileKind::kit: return loadKitPath(path);
        case FileKind::patternSet: return loadPatternSetPath(path);
    }
    return {};
}

// --- programs --------------------------------------------------------------------------------

BuiltMenu EditorMenus::programMenu() {
    const std::string& current = drums.state().settings.programFile;
    BuiltMenu menu;
    MenuBuilder top(menu, menu.model);
    top.entry("New Program", [this] {
        drums.newProgram();
        return kAllChanged;
    });
    top.entry("Open ...", [this] { return openProgram(); });
    if (current.empty()) {
        top.disabled("Save");
    } else {
        top.entry("Save", [this, current] {
            if (!drums.saveProgramFile(current))
                reportUnwritten(current);
            return MenuOutcome{};
        });
    }
    top.entry("Save As ...", [this] { return saveProgramAs(); });
    listFiles(top, current, "fxp", [this](const std::string& path) { return loadProgramPath(path); });
    return menu;
}

MenuOutcome EditorMenus::openProgram() {
    const auto path = dialogs.openFile("Load VORN Drums Program", kProgramFilter, drums.state().settings.programFile);
    return path ? loadProgramPath(*path) : MenuOutcome{};
}

MenuOutcome EditorMenus::saveProgramAs() {
    const auto path = dialogs.saveFile("Save VORN Drums Program", kProgramFilter, drums.state().settings.programFile);
    if (!path)
        return {};
    if (!drums.saveProgramFile(*path)) {
        reportUnwritten(*path);
        return {};
    }
    drums.setRememberedPath(VornDrums::RememberedPath::programFile, *path);
    return kNamesChanged;
}

// A program of its folder's list loads by its number, so the host's program number follows.
MenuOutcome EditorMenus::loadProgramPath(const std::string& path) {
    using RememberedPath = VornDrums::RememberedPath;
    const std::vector<std::string> names = menus::filesOf(platform::folderOf(path), "fxp");
    const auto found = std::find(names.begin(), names.end(), platform::fileNameOf(path));
    Result<> loaded;
    if (found != names.end()) {
        const std::string previous = drums.state().settings.programFile;
        drums.setRememberedPath(RememberedPath::programFile, path);  // the folder loadProgramNumber lists
        loaded = drums.loadProgramNumber(static_cast<std::int32_t>(found - names.begin()));
        if (!loaded)
            drums.setRememberedPath(RememberedPath::programFile, previous);
    } else {
        loaded = drums.loadProgramFile(path);
        if (loaded)
            drums.setRememberedPath(RememberedPath::programFile, path);
    }
    return loaded ? kAllChanged : MenuOutcome{};
}

// --- kits ------------------------------------------------------------------------------------

BuiltMenu EditorMenus::kitMenu() {
    const std::string& current = drums.state().settings.drumKitFile;
    BuiltMenu menu;
    MenuBuilder top(menu, menu.model);
    top.entry("New Kit", [this] {
        drums.newKit();
        return kAllChanged;
    });
    top.entry("Open ...", [this] { return openKit(); });
    if (current.empty()) {
        top.disabled("Save");
    } else {
        top.entry("Save", [this, current] {
            if (!drums.saveKit(current))
                reportUnwritten(current);
            return MenuOutcome{};
        });
    }
    top.entry("Save As ...", [this] { return saveKitAs(); });
    listFiles(top, current, "drs", [this](const std::string& path) { return loadKitPath(path); });
    return menu;
}

MenuOutcome EditorMenus::openKit() {
    const auto path = dialogs.openFile("Load VORN Drums Kit", kKitFilter, drums.state().settings.drumKitFile);
    return path ? loadKitPath(*path) : MenuOutcome{};
}

MenuOutcome EditorMenus::saveKitAs() {
    const auto path = dialogs.saveFile("Save VORN Drums Kit", kKitFilter, drums.state().settings.drumKitFile);
    if (!path)
        return {};
    if (!drums.saveKit(*path)) {
        reportUnwritten(*path);
        return {};
    }
    drums.setRememberedPath(VornDrums::RememberedPath::kitFile, *path);
    return kNamesChanged;
}

MenuOutcome EditorMenus::loadKitPath(const std::string& path) {
    if (!drums.loadKit(path))
        return {};
    drums.setRememberedPath(VornDrums::RememberedPath::kitFile, path);
    return kAllChanged;
}

// --- pattern sets and single patterns ------------------------------------------------------------

BuiltMenu EditorMenus::patternMenu() {
    const std::string& current = drums.state().settings.patternSetFile;
    BuiltMenu menu;
    MenuBuilder top(menu, menu.model);
    top.entry("New Patterns", [this] {
        drums.newPatterns();
        return kAllChanged;
    });
    top.entry("Open ...", [this] { return openPatternSet(); });
    if (current.empty()) {
        top.disabled("Save");
    } else {
        top.entry("Save", [this, current] {
            if (!savePatternSet(drums.state(), current))
                reportUnwritten(current);
            return MenuOutcome{};
        });
    }
    top.entry("Save As ...", [this] { return savePatternSetAs(); });
    MenuBuilder selected = top.submenu("Selected Pattern");
    selected.entry("Reset Pattern", [this] { return resetCurrentPattern(); });
    selected.entry("Open Pattern ...", [this] { return openPattern(); });
    selected.entry("Save Pattern As ...", [this] { return savePatternAs(); });
    listFiles(top, current, "ptn", [this](const std::string& path) { return loadPatternSetPath(path); });
    return menu;
}

MenuOutcome EditorMenus::openPatternSet() {
    const auto path =
        dialogs.openFile("Open VORN Pattern Set", kPatternSetFilter, drums.state().settings.patternSetFile);
    return path ? loadPatternSetPath(*path) : MenuOutcome{};
}

MenuOutcome EditorMenus::savePatternSetAs() {
    const auto path =
        dialogs.saveFile("Save VORN Pattern Set", kPatternSetFilter, drums.state().settings.patternSetFile);
    if (!path)
        return {};
    if (!savePatternSet(drums.state(), *path)) {
        reportUnwritten(*path);
        return {};
    }
    drums.setRememberedPath(VornDrums::RememberedPath::patternSetFile, *path);
    return kNamesChanged;
}

MenuOutcome EditorMenus::loadPatternSetPath(const std::string& path) {
    if (!drums.loadPatternSet(path))
        return {};
    drums.setRememberedPath(VornDrums::RememberedPath::patternSetFile, path);
    return kAllChanged;
}

MenuOutcome EditorMenus::resetCurrentPattern() {
    for (int track = 0; track < drums.getTrackCount(); ++track)
        resetStrip(drums, track);
    return kAllChanged;
}

MenuOutcome EditorMenus::openPattern() {
    const auto path = dialogs.openFile("Open VORN Pattern", kPatternFilter, drums.state().settings.patternFile);
    if (!path)
        return {};
    drums.setRememberedPath(VornDrums::RememberedPath::patternFile, *path);
    return drums.loadPatternFile(*path, drums.state().currentPattern) ? kAllChanged : MenuOutcome{};
}

MenuOutcome EditorMenus::savePatternAs() {
    const auto path = dialogs.saveFile("Save VORN Pattern", kPatternFilter, drums.state().settings.patternFile);
    if (!path)
        return {};
    drums.setRememberedPath(VornDrums::RememberedPath::savedPatternFile, *path);
    if (!savePattern(drums.state(), *path, drums.state().currentPattern))
        reportUnwritten(*path);
    return {};
}

}  // namespace rimba
