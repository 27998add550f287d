#pragma once
// COptionMenu: a control that opens a pop-up menu on a click and reports the chosen entry to its
// listener. The entries (texts, check marks, disabled entries, separators, submenus) live in a
// MenuModel; after a choice, getLastResult is the entry's index in the menu it was chosen from
// and getLastItemMenu that menu (this control's own or one of its submenus). Editor thread only.

#include <functional>
#include <memory>
#include <string>

#include "plugin/editor/toolkit/DialogHost.h"
#include "plugin/editor/toolkit/MenuModel.h"
#include "plugin/editor/toolkit/View.h"

namespace rimba::toolkit {

class COptionMenu : public CControl {
public:
    COptionMenu(const CRect& size, CControlListener* listener, long tag, std::shared_ptr<CBitmap> background = nullptr);

    bool isTypeOf(std::string_view className) const override {
        return className == "COptionMenu" || CControl::isTypeOf(className);
    }
    const char* getClassName() const override { return "COptionMenu"; }

    MenuModel& getMenu() { return *entries; }
    const MenuModel& getMenu() const { return *entries; }
    int addEntry(std::string text, bool disabled = false) { return entries->addEntry(std::move(text), disabled); }
    int addSeparator() { return entries->addSeparator(); }
    int addSubmenu(std::string text, std::shared_ptr<MenuModel> submenu) {
        return entries->addSubmenu(std::move(text), std::move(submenu));
    }
    void checkEntry(int index, bool checked) { entries->checkEntry(index, checked); }
    void removeAllEntries() { entries->removeAllEntries(); }
    int getNbEntries() const { return entries->getNbEntries(); }

    // -1 until a choice is made (and after a menu closed without one).
    int getLastResult() const { return lastResult; }
    const MenuModel* getLastItemMenu() const { return lastMenu; }
    const MenuChoice& getLastChoice() const { return lastChoice; }

    void draw(CDrawContext& context) override;
    MouseResult onMouseDown(CPoint where, unsigned buttons) override;

    // Opens the pop-up under the control (through its frame) and waits for the user; true when
    // an entry was chosen (and reported).
    bool popup();
    bool popup(const DialogHost& host, CPoint screenWhere);
    // Called as the pop-up opens, before its entries are shown: a menu whose entries follow
    // the world outside the editor (the machine's devices) builds them there.
    void setOpening(std::function<void()> callback) { opening = std::move(callback); }
    // Takes a choice as if the user had made it: remembers it, sets the value to the top menu's
    // index and tells the listener. A chain that names no selectable entry is refused.
    bool takeChoice(const MenuChoice& choice);

private:
    std::shared_ptr<MenuModel> entries = std::make_shared<MenuModel>();
    std::function<void()> opening;
    int lastResult = -1;
    const MenuModel* lastMenu = nullptr;
    MenuChoice lastChoice;
};

}  // namespace rimba::toolkit
