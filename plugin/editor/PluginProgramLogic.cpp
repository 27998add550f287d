#include "plugin/editor/PluginProgramLogic.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <utility>

namespace rimba {

namespace {

// Plug-ins write past the published name lengths often enough: every name is read into a
// cleared buffer this large.
constexpr std::size_t kNameBuffer = 256;

const toolkit::FileFilter kBankFilter{"FXB File", "fxb"};
const toolkit::FileFilter kPresetFilter{"FXP File", "fxp"};

// The menu's rows, separators included, in the order the user sees them.
constexpr std::array<std::optional<BarCommand>, 10> kMenuRows{
    BarCommand::loadBank,   BarCommand::saveBank,   BarCommand::saveDefaultBank, std::nullopt,
    BarCommand::loadPreset, BarCommand::savePreset, BarCommand::renamePreset,    std::nullopt,
    BarCommand::copy,       BarCommand::paste,
};

const char* menuText(BarCommand command) {
    switch (command) {
        case BarCommand::loadBank: return "Load Bank ...";
        case BarCommand::saveBank: return "Save Bank As ...";
        case BarCommand::saveDefaultBank: return "Save As Default Bank";
        case BarCommand::loadPreset: return "Load Preset ...";
        case BarCommand::savePreset: return "Save Preset As ...";
        case BarCommand::renamePreset: return "Rename Preset ...";
        case BarCommand::copy: return "Copy";
        case BarCommand::paste: return "Paste";
    }
    return "";
}

}  // namespace

int previousProgram(int current) { return std::max(current - 1, 0); }

int nextProgram(int current, int count) { return std::max(std::min(current + 1, count - 1), 0); }

std::string programListText(const std::string& name) { return name == "-" ? " -" : name; }

toolkit::MenuModel programListMenu(const std::vector<std::string>& names, int current) {
    toolkit::MenuModel menu;
    for (const std::string& name : names)
        menu.addEntry(programListText(name));
    menu.checkEntry(current, true);
    return menu;
}

toolkit::MenuModel programBarMenu(bool clipboardEmpty) {
    toolkit::MenuModel menu;
    for (const std::optional<BarCommand>& row : kMenuRows) {
        if (!row)
            menu.addSeparator();
        else
            menu.addEntry(menuText(*row), *row == BarCommand::paste && clipboardEmpty);
    }
    return menu;
}

std::optional<BarCommand> programBarCommand(int index) {
    if (index < 0 || index >= static_cast<int>(kMenuRows.size()))
        return std::nullopt;
    return kMenuRows[static_cast<std::size_t>(index)];
}

PluginProgramActions::PluginProgramActions(AEffect& effect, EditorDialogs& dialogs, SettingsStoreMaker makeStore)
    : effect(effect), dialogs(dialogs), makeStore(std::move(makeStore)) {}

VstIntPtr PluginProgramActions::dispatch(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr) const {
    return effect.dispatcher != nullptr ? effect.dispatcher(&effect, opcode, index, value, ptr, 0.0f) : 0;
}

int PluginProgramActions::currentProgram() const { return static_cast<int>(dispatch(effGetProgram)); }

int PluginProgramActions::programCount() const { return std::max(effect.numPrograms, 0); }

std::string PluginProgramActions::currentName() const {
    std::array<char, kNameBuffer> text{};
    dispatch(effGetProgramName, 0, 0, text.data());
    text.back() = 0;
    return text.data();
}

std::vector<std::string> PluginProgramActions::programNames() const {
    std::vector<std::string> names;
    for (int program = 0; program < programCount(); ++program) {
        std::array<char, kNameBuffer> text{};
        dispatch(effGetProgramNameIndexed, program, 0, text.data());
        text.back() = 0;
        names.emplace_back(text.data());
    }
    return names;
}

void PluginProgramActions::setProgram(int program) { dispatch(effSetProgram, 0, program); }

void PluginProgramActions::previous() { setProgram(previousProgram(currentProgram())); }

void PluginProgramActions::next() { setProgram(nextProgram(currentProgram(), programCount())); }

void PluginProgramActions::chooseFromList(toolkit::CPoint where) {
    const std::optional<toolkit::MenuChoice> choice =
        dialogs.popupMenu(programListMenu(programNames(), currentProgram()), where);
    if (choice && choice->size() == 1 && choice->front() >= 0 && choice->front() < programCount())
        setProgram(choice->front());
}

void PluginProgramActions::chooseFromMenu(toolkit::CPoint where) {
    const std::optional<toolkit::MenuChoice> choice = dialogs.popupMenu(programBarMenu(clipboardEmpty()), where);
    if (!choice || choice->size() != 1)
        return;
    const std::optional<BarCommand> command = programBarCommand(choice->front());
    // A disabled entry cannot be chosen in a pop-up; a scripted choice must not either.
    if (command && !(*command == BarCommand::paste && clipboardEmpty()))
        perform(*command);
}

std::optional<std::string> PluginProgramActions::askOpen(const char* title, const toolkit::FileFilter& filter) {
    std::optional<std::string> path = dialogs.openFile(title, filter, lastFile);
    if (path)
        lastFile = *path;
    return path;
}

std::optional<std::string> PluginProgramActions::askSave(const char* title, const toolkit::FileFilter& filter) {
    std::optional<std::string> path = dialogs.saveFile(title, filter, lastFile);
    if (!path)
        return std::nullopt;
    lastFile = withFileExtension(*path, filter.extension);
    return lastFile;
}

void PluginProgramActions::save(const char* title, const toolkit::FileFilter& filter,
                                Result<> (*saveFile)(AEffect&, const std::string&)) {
    const std::optional<std::string> path = askSave(title, filter);
    if (!path)
        return;
    if (const Result<> saved = saveFile(effect, *path); !saved)
        reportUnwrittenFile(dialogs, *path, saved.reason());
}

void PluginProgramActions::reportFailure(const std::string& what) noexcept {
    try {
        dialogs.message("The plug-in's programs could not be handled:\n" + what, kMessageCaption);
    } catch (...) {
        // Not even the message could be shown: the bar shows the program as it stands.
    }
}

// Files that cannot be read and images the plug-in refuses change nothing and say nothing: the
// label shows the program as it stands either way. What was asked to be kept and was not (a
// file, the default bank, a copy) says so, since the user would otherwise count on it.
void PluginProgramActions::perform(BarCommand command) {
    switch (command) {
        case BarCommand::loadBank:
            if (std::optional<std::string> path = askOpen("Load Bank", kBankFilter))
                (void)loadBankFile(effect, *path);
            break;
        case BarCommand::saveBank: save("Save Bank", kBankFilter, saveBankFile); break;
        case BarCommand::saveDefaultBank:
            if (const Result<> saved = saveDefaultBank(effect, makeStore); !saved)
                dialogs.message("The default bank could not be saved:\n" + saved.reason(), kMessageCaption);
            break;
        case BarCommand::loadPreset:
            if (std::optional<std::string> path = askOpen("Load Preset", kPresetFilter); path) {
                (void)loadPresetFile(effect, *path);
                // Setting the program again makes the plug-in show what it took.
                setProgram(currentProgram());
            }
            break;
        case BarCommand::savePreset: save("Save Preset", kPresetFilter, savePresetFile); break;
        case BarCommand::renamePreset: renameWanted = true; break;
        case BarCommand::copy:
            if (const Result<> copied = clipboard.copy(effect); !copied)
                dialogs.message("The program could not be copied:\n" + copied.reason(), kMessageCaption);
            break;
        case BarCommand::paste:
            if (clipboard.paste(effect))
                setProgram(currentProgram());
            break;
    }
}

void PluginProgramActions::rename(const std::string& name) {
    std::array<char, kNameBuffer> text{};
    std::memcpy(text.data(), name.data(), std::min(name.size(), std::size_t{kVstMaxProgNameLen}));
    dispatch(effSetProgramName, 0, 0, text.data());
}

bool PluginProgramActions::takeRenameRequest() { return std::exchange(renameWanted, false); }

}  // namespace rimba
