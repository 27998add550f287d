#include "plugin/editor/PluginProgramBar.h"

#include <utility>

#include "plugin/editor/controls/VornButtons.h"
#include "plugin/editor/controls/VornLabels.h"
#include "plugin/editor/toolkit/FileSelector.h"
#include "plugin/editor/toolkit/MessageBox.h"
#include "plugin/editor/toolkit/PopupMenu.h"
#include "plugin/editor/toolkit/TextEdit.h"

namespace rimba {

namespace {

using toolkit::CRect;

// The strip's places: the menu button, the two arrows, and the name plate with the rename field
// over it, vertically centred in the 30-pixel strip.
constexpr CRect kMenuPlace{4, 5, 44, 25};
constexpr CRect kPreviousPlace{50, 9, 66, 21};
constexpr CRect kNextPlace{68, 9, 84, 21};
constexpr CRect kNamePlace{90, 3, 266, 27};

// The strip's plain dark ground under the controls.
class BarGround final : public toolkit::CView {
public:
    using CView::CView;
    void draw(toolkit::CDrawContext& context) override {
        const CRect& box = getViewSize();
        const double shade = CVornPluginProgramEx::kGroundShade;
        context.setColour(shade, shade, shade);
        context.rectangle(box.left, box.top, box.width(), box.height());
        context.fill();
    }
};

class FrameDialogs final : public EditorDialogs {
public:
    explicit FrameDialogs(toolkit::CFrame& frame) : frame(frame) {}

    std::optional<std::string> openFile(const std::string& title, const toolkit::FileFilter& filter,
                                        const std::string& start) override {
        return toolkit::selectFile(toolkit::dialogHostOf(frame), toolkit::FileSelectorMode::open, title, filter, start);
    }
    std::optional<std::string> saveFile(const std::string& title, const toolkit::FileFilter& filter,
                                        const std::string& start) override {
        return toolkit::selectFile(toolkit::dialogHostOf(frame), toolkit::FileSelectorMode::save, title, filter, start);
    }
    std::optional<std::string> chooseFolder(const std::string& title, const std::string& start) override {
        return toolkit::selectFolder(toolkit::dialogHostOf(frame), title, start);
    }
    void message(const std::string& text, const std::string& caption) override {
        toolkit::runMessageBox(toolkit::dialogHostOf(frame), text, caption);
    }
    std::optional<toolkit::MenuChoice> popupMenu(const toolkit::MenuModel& menu, toolkit::CPoint where) override {
        const toolkit::DialogHost host = toolkit::dialogHostOf(frame);
        if (!host.isUsable())
            return std::nullopt;
        return toolkit::runPopupMenu(host, menu, frame.localToScreen(where));
    }
    // The program bar opens no web page and no document.
    void openDocument(const std::string&) override {}

private:
    toolkit::CFrame& frame;
};

bool pressed(const toolkit::CControl& control) { return control.getValue() > 0.5f; }

}  // namespace

std::unique_ptr<EditorDialogs> frameDialogs(toolkit::CFrame& frame) { return std::make_unique<FrameDialogs>(frame); }

CVornPluginProgramEx::CVornPluginProgramEx(toolkit::CFrame& frame, AEffect& effect, EditorDialogs* given,
                                           SettingsStoreMaker makeStore)
    : frame(frame),
      ownDialogs(given ? nullptr : frameDialogs(frame)),
      programActions(effect, given ? *given : *ownDialogs, std::move(makeStore)) {
    using controls::CVornPushButton;
    frame.add(std::make_unique<BarGround>(frame.getViewSize()));
    menuButton = frame.add(std::make_unique<CVornPushButton>(kMenuPlace, this, kPluginBarMenu, "Menu.png"));
    previousButton =
        frame.add(std::make_unique<CVornPushButton>(kPreviousPlace, this, kPluginBarPrevious, "WaveDown.png"));
    nextButton = frame.add(std::make_unique<CVornPushButton>(kNextPlace, this, kPluginBarNext, "WaveUp.png"));
    nameLabel = frame.add(std::make_unique<controls::CVornLabelEffectEx>(kNamePlace, this, kPluginBarName));
    renameField = frame.add(std::make_unique<toolkit::CTextEdit>(kNamePlace, this, kPluginBarRename));
    renameField->setVisible(false);
    showName();
}

// The frame owns the controls; they go with it.
CVornPluginProgramEx::~CVornPluginProgramEx() = default;

toolkit::CControl* CVornPluginProgramEx::control(long tag) const {
    switch (tag) {
        case kPluginBarMenu: return menuButton;
        case kPluginBarPrevious: return previousButton;
        case kPluginBarNext: return nextButton;
        case kPluginBarName: return nameLabel;
        case kPluginBarRename: return renameField;
        default: return nullptr;
    }
}

const std::string& CVornPluginProgramEx::shownName() const { return nameLabel->getText(); }

bool CVornPluginProgramEx::isRenaming() const { return renameField->isVisible(); }

void CVornPluginProgramEx::valueChanged(toolkit::CControl* control) {
    switch (control->getTag()) {
        case kPluginBarMenu:
            if (pressed(*control))
                pending = Pending::menu;
            return;
        case kPluginBarName:
            if (pressed(*control))
                pending = Pending::list;
            return;
        case kPluginBarPrevious:
            if (pressed(*control))
                programActions.guarded([this] { programActions.previous(); });
            break;
        case kPluginBarNext:
            if (pressed(*control))
                programActions.guarded([this] { programActions.next(); });
            break;
        case kPluginBarRename:
            programActions.guarded([this] { programActions.rename(renameField->getText()); });
            renameField->setVisible(false);
            break;
        default: return;
    }
    showName();
}

// The editor's idle runs this: nothing thrown in an action may reach the host.
void CVornPluginProgramEx::idle() {
    if (pending != Pending::none && frame.getMouseCapture() == nullptr)
        programActions.guarded([this] { runPending(); });
    // Escape ends the editing without a report: the plate shows again.
    if (renameField->isVisible() && !renameField->isEditing())
        renameField->setVisible(false);
    showName();
}

void CVornPluginProgramEx::runPending() {
    const toolkit::CPoint below = pending == Pending::menu ? toolkit::CPoint{kMenuPlace.left, kMenuPlace.bottom}
                                                           : toolkit::CPoint{kNamePlace.left, kNamePlace.bottom};
    const Pending asked = std::exchange(pending, Pending::none);
    if (asked == Pending::menu)
        programActions.chooseFromMenu(below);
    else
        programActions.chooseFromList(below);
    if (programActions.takeRenameRequest())
        showRename();
    showName();
}

void CVornPluginProgramEx::showRename() {
    renameField->setText(programActions.currentName());
    renameField->setVisible(true);
    renameField->beginEditing();
}

// Runs at every idle: a name that cannot be asked leaves the plate as it was, without a message
// that would come back at the next idle.
void CVornPluginProgramEx::showName() {
    try {
        std::string name = programActions.currentName();
        if (name != nameLabel->getText())
            nameLabel->setText(std::move(name));
    } catch (...) {
    }
}

}  // namespace rimba
