#pragma once
// The decisions of a hosted plug-in's program bar, apart from any window: where previous and next
// lead, the program list's texts and check mark, the bar menu's entries, and what each entry does
// to the plug-in through its bank and preset files, the copied preset and the default bank. The
// bar (PluginProgramBar.h) only shows what this decides; the tests drive it with scripted dialogs.
//
// User-interface thread: every call reaches the plug-in's main-thread operations.

#include <exception>
#include <optional>
#include <string>
#include <vector>

#include "common/vst/VstAbi.h"
#include "plugin/editor/EditorDialogs.h"
#include "plugin/editor/toolkit/MenuModel.h"
#include "plugin/effects/EffectFiles.h"

namespace rimba {

// The bar's controls by tag.
enum PluginBarTag : long {
    kPluginBarMenu = 0,
    kPluginBarPrevious = 1,
    kPluginBarNext = 2,
    kPluginBarName = 3,
    kPluginBarRename = 1000,
};

int previousProgram(int current);
// The last program stays the last; a plug-in without programs stays at 0.
int nextProgram(int current, int count);

// A program named "-" would be drawn as a separator line: it is listed as " -".
std::string programListText(const std::string& name);
// One entry per program, the current one checked.
toolkit::MenuModel programListMenu(const std::vector<std::string>& names, int current);

enum class BarCommand { loadBank, saveBank, saveDefaultBank, loadPreset, savePreset, renamePreset, copy, paste };

// "Load Bank ...", "Save Bank As ...", "Save As Default Bank", a separator, "Load Preset ...",
// "Save Preset As ...", "Rename Preset ...", a separator, "Copy" and "Paste", the last disabled
// while nothing was copied.
toolkit::MenuModel programBarMenu(bool clipboardEmpty);
// The command of the menu's entry `index`; nothing for a separator or an index out of range.
std::optional<BarCommand> programBarCommand(int index);

class PluginProgramActions {
public:
    PluginProgramActions(AEffect& effect, EditorDialogs& dialogs, SettingsStoreMaker makeStore = userSettingsStore);

    void previous();
    void next();
    // Pops the program list up at `where` (bar coordinates) and sets the chosen program.
    void chooseFromList(toolkit::CPoint where);
    // Pops the bar menu up at `where` and performs the chosen entry.
    void chooseFromMenu(toolkit::CPoint where);
    // What an entry does. "Rename Preset ..." only asks for the rename field: renameWanted.
    // A save, a copy or a default bank that fails says so, with the reason.
    void perform(BarCommand command);
    // The rename field's text, committed.
    void rename(const std::string& name);

    // Set by "Rename Preset ..." until taken: the bar then shows its field with currentName().
    bool takeRenameRequest();
    int currentProgram() const;
    int programCount() const;
    std::string currentName() const;
    std::vector<std::string> programNames() const;
    bool clipboardEmpty() const { return clipboard.empty(); }

    // Runs one of the bar's actions so that nothing it throws (an allocation a plug-in's answers
    // made impossible, an exception of the plug-in's own) reaches the host through the editor's
    // idle: the failure is shown instead, and the bar stays usable.
    template <typename Action>
    void guarded(Action&& action) noexcept {
        try {
            action();
        } catch (const std::exception& failure) {
            reportFailure(failure.what());
        } catch (...) {
            reportFailure("an unknown error");
        }
    }

private:
    VstIntPtr dispatch(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0, void* ptr = nullptr) const;
    void setProgram(int program);
    std::optional<std::string> askOpen(const char* title, const toolkit::FileFilter& filter);
    std::optional<std::string> askSave(const char* title, const toolkit::FileFilter& filter);
    void save(const char* title, const toolkit::FileFilter& filter, Result<> (*saveFile)(AEffect&, const std::string&));
    void reportFailure(const std::string& what) noexcept;

    AEffect& effect;
    EditorDialogs& dialogs;
    SettingsStoreMaker makeStore;
    EffectClipboard clipboard;
    // The file the last dialog chose: the next one starts beside it.
    std::string lastFile;
    bool renameWanted = false;
};

}  // namespace rimba
