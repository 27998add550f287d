#include "plugin/editor/toolkit/OptionMenu.h"

#include <algorithm>

#include "plugin/editor/toolkit/Bitmap.h"
#include "plugin/editor/toolkit/DialogText.h"
#include "plugin/editor/toolkit/Frame.h"
#include "plugin/editor/toolkit/PopupMenu.h"

namespace rimba::toolkit {

COptionMenu::COptionMenu(const CRect& size, CControlListener* listener, long tag, std::shared_ptr<CBitmap> background)
    : CControl(size, listener, tag, std::move(background)) {}

void COptionMenu::draw(CDrawContext& context) {
    const CRect& area = getViewSize();
    if (getBackground()) {
        getBackground()->draw(context, {area.left, area.top});
        return;
    }
    // Without artwork: the text of the current entry in a plain box.
    context.save();
    context.rectangle(area.left, area.top, area.width(), area.height());
    context.setColour(0.92, 0.92, 0.92);
    context.fillPreserve();
    context.setColour(0.3, 0.3, 0.3);
    context.setLineWidth(1.0);
    context.stroke();
    const int index = static_cast<int>(getValue());
    if (entries->isValidIndex(index) && !entries->getEntry(index).separator) {
        context.rectangle(area.left, area.top, area.width(), area.height());
        context.clip();
        selectDialogFont(context);
        context.setColour(0, 0, 0);
        drawTextInRow(context, entries->getEntry(index).text, {area.left + 4, area.top, area.right - 4, area.bottom});
    }
    context.restore();
    setDirty(false);
}

MouseResult COptionMenu::onMouseDown(CPoint where, unsigned buttons) {
    if ((buttons & kLButton) == 0) {
        return MouseResult::notHandled;
    }
    // Taken first: the listener may remove this menu from the frame when it hears the choice.
    CFrame* frame = getFrame();
    popup();
    // The pop-up's pointer grab took the release of this click: the frame must still hear of it,
    // or it would keep handing every later click to this menu.
    if (frame != nullptr) {
        frame->mouseUp(where, kLButton);
    }
    return MouseResult::handled;
}

bool COptionMenu::popup() {
    CFrame* frame = getFrame();
    if (frame == nullptr || !frame->isOpen()) {
        return false;
    }
    const CRect onScreen = frame->getScreenRect(*this);
    return popup(dialogHostOf(*frame), {onScreen.left, onScreen.bottom});
}

bool COptionMenu::popup(const DialogHost& host, CPoint screenWhere) {
    lastResult = -1;
    lastMenu = nullptr;
    lastChoice.clear();
    if (opening) {
        opening();
    }
    const std::optional<MenuChoice> choice = runPopupMenu(host, *entries, screenWhere);
    return choice && takeChoice(*choice);
}

bool COptionMenu::takeChoice(const MenuChoice& choice) {
    const MenuModel* menu = entries.get();
    for (std::size_t i = 0; i < choice.size(); ++i) {
        if (menu == nullptr || !menu->isValidIndex(choice[i])) {
            return false;
        }
        const MenuEntry& entry = menu->getEntry(choice[i]);
        const bool last = i + 1 == choice.size();
        if (!entry.isSelectable() || last == static_cast<bool>(entry.submenu)) {
            return false;
        }
        if (!last) {
            menu = entry.submenu.get();
        }
    }
    if (choice.empty()) {
        return false;
    }
    lastChoice = choice;
    lastResult = choice.back();
    lastMenu = menu;
    setMax(static_cast<float>(std::max(0, entries->getNbEntries() - 1)));
    setValue(static_cast<float>(choice.front()));
    invalid();
    reportValue();
    return true;
}

}  // namespace rimba::toolkit
