#pragma once
// CVornPluginProgramEx: the program bar along the top of a hosted plug-in's editor window. A menu
// button, previous and next, the program's name on a plate (a click lists every program) and a
// rename field hidden until "Rename Preset ..." is chosen. What each control does is decided in
// PluginProgramLogic.h; the bar places the controls in its frame, runs the pop-ups and shows the
// program's name after every action.
//
// User-interface thread.

#include <memory>

#include "common/vst/VstAbi.h"
#include "plugin/editor/EditorDialogs.h"
#include "plugin/editor/PluginProgramLogic.h"
#include "plugin/editor/toolkit/Frame.h"
#include "plugin/editor/toolkit/View.h"

namespace rimba::controls {
class CVornLabelEffectEx;
class CVornPushButton;
}  // namespace rimba::controls

namespace rimba::toolkit {
class CTextEdit;
}

namespace rimba {

class CVornPluginProgramEx final : public toolkit::CControlListener {
public:
    static constexpr int kHeight = 30;
    // The bar's controls side by side; a narrower editor gets a window this wide.
    static constexpr int kMinimumWidth = 270;
    // The grey of the bar's plain ground (red, green and blue alike, 0 to 1).
    static constexpr double kGroundShade = 0.16;

    // Builds the bar's controls in `frame` (kHeight pixels high, at least kMinimumWidth wide).
    // `dialogs` (not owned) null: the toolkit's own over `frame`.
    CVornPluginProgramEx(toolkit::CFrame& frame, AEffect& effect, EditorDialogs* dialogs = nullptr,
                         SettingsStoreMaker makeStore = userSettingsStore);
    ~CVornPluginProgramEx() override;
    CVornPluginProgramEx(const CVornPluginProgramEx&) = delete;
    CVornPluginProgramEx& operator=(const CVornPluginProgramEx&) = delete;

    void valueChanged(toolkit::CControl* control) override;
    // The menu and the program list open here, once the click that asked for them is over (a
    // pop-up that grabbed the pointer mid-click would leave the control held); the rename field
    // hides when its editing ended without a commit; the label follows program changes the
    // plug-in's own editor made.
    void idle();

    const std::string& shownName() const;
    bool isRenaming() const;
    PluginProgramActions& actions() { return programActions; }
    toolkit::CControl* control(long tag) const;

private:
    enum class Pending { none, menu, list };

    void runPending();
    void showRename();
    void showName();

    toolkit::CFrame& frame;
    std::unique_ptr<EditorDialogs> ownDialogs;  // only when none were given
    PluginProgramActions programActions;
    controls::CVornPushButton* menuButton = nullptr;
    controls::CVornPushButton* previousButton = nullptr;
    controls::CVornPushButton* nextButton = nullptr;
    controls::CVornLabelEffectEx* nameLabel = nullptr;
    toolkit::CTextEdit* renameField = nullptr;
    Pending pending = Pending::none;
};

// The toolkit's dialogs shown over `frame`.
std::unique_ptr<EditorDialogs> frameDialogs(toolkit::CFrame& frame);

}  // namespace rimba
