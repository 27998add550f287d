// The library's one way in: a host calls the entry point with its callback and receives the
// descriptor of a new instrument, with its editor where the build has one. It stands above every
// layer, so that no engine file needs to know the editor.

#include "common/platform/ModuleFolder.h"
#include "common/vst/VstAbi.h"
#include "plugin/core/VornDrums.h"
#if RIMBA_WITH_EDITOR
#include <atomic>
#include <memory>

#include "common/platform/MessageBox.h"
#include "plugin/editor/Editor.h"
#endif

namespace {

#if RIMBA_WITH_EDITOR
// The instrument's editor, when the system can draw it; without one a host shows its own
// parameter list, and the musician is told why once.
void giveEditorIfItCanDraw(rimba::VornDrums& instrument) {
    auto editor = std::make_unique<rimba::Editor>(instrument);
    if (editor->canDraw()) {
        instrument.giveEditor(editor.release());
        return;
    }
    static std::atomic<bool> told{false};
    if (!told.exchange(true)) {
        rimba::platform::showMessage("The editor cannot be shown: " + editor->whyItCannotDraw(), "RimbaDrums");
    }
}
#endif

AEffect* createInstrument(audioMasterCallback audioMaster) {
    // A host that cannot tell its version gets nothing, not a half-working instrument.
    if (audioMaster == nullptr || audioMaster(nullptr, audioMasterVersion, 0, 0, nullptr, 0.0f) == 0)
        return nullptr;
    try {
        auto* instrument = new rimba::VornDrums(audioMaster);
        instrument->recordPluginFolder(rimba::platform::moduleFolder());
#if RIMBA_WITH_EDITOR
        try {
            giveEditorIfItCanDraw(*instrument);
        } catch (...) {
            delete instrument;
            throw;
        }
#endif
        return instrument->getAeffect();
    } catch (...) {
        // Nothing may unwind into a host.
        return nullptr;
    }
}

}  // namespace

extern "C" {

__attribute__((visibility("default"))) AEffect* VSTPluginMain(audioMasterCallback audioMaster) {
    return createInstrument(audioMaster);
}

// Older hosts look for "main". A C++ function cannot be declared under that name, so the same
// function is exported a second time under its assembler name.
__attribute__((visibility("default"))) AEffect* vstPluginMainAlias(audioMasterCallback audioMaster) asm("main")
    __attribute__((alias("VSTPluginMain")));

}  // extern "C"
