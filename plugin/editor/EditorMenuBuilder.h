#pragma once
// Building a BuiltMenu entry by entry: each entry's text, check mark and action together, so the
// index chains of the model and of the actions can never drift apart. Used by EditorMenus only.
// Editor thread only.

#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "plugin/editor/EditorMenus.h"

namespace rimba::menus {

class MenuBuilder {
public:
    MenuBuilder(BuiltMenu& menu, toolkit::MenuModel& model, toolkit::MenuChoice at = {})
        : menu(menu), model(model), at(std::move(at)) {}

    void entry(std::string text, std::function<MenuOutcome()> action, bool checked = false) {
        const int index = model.addEntry(std::move(text));
        model.checkEntry(index, checked);
        menu.actions[chainTo(index)] = std::move(action);
    }
    // Shown, never chosen.
    void disabled(std::string text) { model.addEntry(std::move(text), true); }
    void separator() { model.addSeparator(); }
    MenuBuilder submenu(std::string text) {
        auto child = std::make_shared<toolkit::MenuModel>();
        const int index = model.addSubmenu(std::move(text), child);
        return MenuBuilder(menu, *child, chainTo(index));
    }

private:
    toolkit::MenuChoice chainTo(int index) const {
        toolkit::MenuChoice chain = at;
        chain.push_back(index);
        return chain;
    }

    BuiltMenu& menu;
    toolkit::MenuModel& model;
    toolkit::MenuChoice at;
};

// The files of `folder` whose extension is `extension` (sound files when empty), by name.
std::vector<std::string> filesOf(const std::string& folder, const std::string& extension);
// The folder of a file's path, with its separator at the end; empty when there is none.
// `path` with "." and `extension` appended when its file name holds no dot.
std::string withDefaultExtension(const std::string& path, const std::string& extension);

}  // namespace rimba::menus
