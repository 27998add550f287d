// The library's one way in: a host calls the entry point with its callback and receives the
// descriptor of a new instrument, with its editor where the build has one. It stands above every
// layer, so that no engine file needs to know the editor.

#include "common/platform/ModuleFolder.h"
#include "common/vst/VstAbi.h"
#include "plugin/core/VornDrums.h"
#if RIMBA_WITH_EDITOR
#include "plugin/editor/Editor.h"
#endif

namespace {

AEffect* createInstrument(audioMasterCallback audioMaster) {
    // A host that cannot tell its version gets nothing, not a half-working instrument.
    if (audioMaster == nullptr || audioMaster(nullptr, audioMasterVersion, 0, 0, nullptr, 0.0f) == 0)
        return nullptr;
    try {
        auto* instrument = new rimba::VornDrums(audioMaster);
        instrument->recordPluginFolder(rimba::platform::moduleFolder());
#if RIMBA_WITH_EDITOR
        try {
            instrument->giveEditor(new rimba::Editor(*instrument));
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
