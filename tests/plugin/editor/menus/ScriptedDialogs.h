#pragma once
// The editor's dialogs without a display: every request is recorded (kind, title, filter, start)
// and answered from a script the test fills beforehand; an empty script answers "cancelled".

#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "plugin/editor/EditorDialogs.h"
#include "plugin/editor/EditorMenus.h"

namespace rimba::test {

struct DialogRequest {
    std::string kind;  // "open", "save", "folder", "message", "popup", "document"
    std::string title;  // the message's text for "message", the address for "document"
    toolkit::FileFilter filter;
    std::string start;  // the caption for "message"
};

class ScriptedDialogs final : public EditorDialogs {
public:
    std::deque<std::optional<std::string>> answers;  // of the file and folder dialogs, in turn
    std::optional<toolkit::MenuChoice> menuAnswer;
    std::vector<DialogRequest> requests;

    std::optional<std::string> openFile(const std::string& title, const toolkit::FileFilter& filter,
                                        const std::string& start) override {
        return answer({"open", title, filter, start});
    }
    std::optional<std::string> saveFile(const std::string& title, const toolkit::FileFilter& filter,
                                        const std::string& start) override {
        return answer({"save", title, filter, start});
    }
    std::optional<std::string> chooseFolder(const std::string& title, const std::string& start) override {
        return answer({"folder", title, {}, start});
    }
    void message(const std::string& text, const std::string& caption) override {
        requests.push_back({"message", text, {}, caption});
    }
    std::optional<toolkit::MenuChoice> popupMenu(const toolkit::MenuModel&, toolkit::CPoint) override {
        requests.push_back({"popup", {}, {}, {}});
        return menuAnswer;
    }
    void openDocument(const std::string& address) override { requests.push_back({"document", address, {}, {}}); }

private:
    std::optional<std::string> answer(DialogRequest request) {
        requests.push_back(std::move(request));
        std::optional<std::string> next;
        if (!answers.empty()) {
            next = answers.front();
            answers.pop_front();
        }
        return next;
    }
};

// The index chain of the entry reached through `texts` (a submenu's text, then its entry's), or
// an empty chain when there is none.
inline toolkit::MenuChoice chainOf(const toolkit::MenuModel& top, const std::vector<std::string>& texts) {
    toolkit::MenuChoice chain;
    const toolkit::MenuModel* menu = &top;
    for (const std::string& text : texts) {
        const int index = menu == nullptr ? -1 : menu->findEntry(text);
        if (index < 0)
            return {};
        chain.push_back(index);
        menu = menu->getEntry(index).submenu.get();
    }
    return chain;
}

inline const toolkit::MenuEntry* entryOf(const toolkit::MenuModel& top, const std::vector<std::string>& texts) {
    const toolkit::MenuChoice chain = chainOf(top, texts);
    if (chain.empty())
        return nullptr;
    const toolkit::MenuModel* menu = &top;
    for (std::size_t i = 0; i + 1 < chain.size(); ++i)
        menu = menu->getEntry(chain[i]).submenu.get();
    return &menu->getEntry(chain.back());
}

// The texts of a menu's entries, separators as "-".
inline std::vector<std::string> textsOf(const toolkit::MenuModel& menu) {
    std::vector<std::string> texts;
    for (int i = 0; i < menu.getNbEntries(); ++i)
        texts.push_back(menu.getEntry(i).separator ? "-" : menu.getEntry(i).text);
    return texts;
}

}  // namespace rimba::test
