#include "StandAlone/Program.h"

#include <memory>
#include <string>

#include "StandAlone/DeviceWatch.h"
#include "StandAlone/EditorMessages.h"
#include "StandAlone/HostCallback.h"
#include "StandAlone/MainWindow.h"
#include "StandAlone/PluginLocation.h"
#include "StandAlone/TerminationSignals.h"
#include "StandAlone/devices/AudioOutput.h"
#include "StandAlone/devices/MidiInputPort.h"
#include "common/platform/Clock.h"
#include "common/platform/DynamicLibrary.h"
#include "common/platform/SystemMessage.h"

namespace rimba::standalone {

namespace {

constexpr const char* kWindowTitle = "StandAlone";
constexpr const char* kWindowClass = "STANDALONE";
constexpr int kIdlePeriodMilliseconds = 20;
constexpr int kSettlePauseMilliseconds = 100;

// On standard error; on Windows a message box when the program has none (started from the
// desktop rather than from a console).
int startUpFails(const std::string& why) {
    platform::showSystemMessage(why, "RimbaDrums");
    return 1;
}

// The first candidate that loads; `why` says what each one answered when none does.
bool loadPluginLibrary(platform::DynamicLibrary& library, std::string& why) {
    const std::vector<std::string> candidates = pluginCandidates(userPluginSearch());
    why = "the instrument's library was not found";
    for (const std::string& path : candidates) {
        if (library.open(path))
            return true;
        // The loader's reason usually names the file already.
        const std::string& reason = library.lastError();
        why += "\n  " + (reason.rfind(path, 0) == 0 ? reason : path + ": " + reason);
    }
    return false;
}

VstPluginMainProc entryPoint(const platform::DynamicLibrary& library) {
    void* entry = library.symbol("VSTPluginMain");
    if (entry == nullptr)
        entry = library.symbol("main");
    return reinterpret_cast<VstPluginMainProc>(entry);
}

// What runs between start-up and shut-down; owned here so shut-down can close in its order.
struct Session {
    platform::DynamicLibrary library;
    AEffect* plugin = nullptr;
    VstTimeInfo timeRecord{};
    std::unique_ptr<MidiInputPort> midi;
    std::unique_ptr<AudioOutput> audio;
    std::unique_ptr<DeviceWatch> watch;
};

void shutDown(Session& session) {
    HostRecord& record = hostRecord();
    record.watch.store(nullptr, std::memory_order_release);
    if (session.audio)
        session.audio->close();
    // No time answer, no reopen once the devices are on their way out.
    record.audio.store(nullptr, std::memory_order_release);
    record.midi.store(nullptr, std::memory_order_release);
    stopRoutingMessages();
    if (session.plugin != nullptr)
        session.plugin->dispatcher(session.plugin, effClose, 0, 0, nullptr, 0.0f);
    record.plugin.store(nullptr, std::memory_order_release);
    // The devices hold the descriptor only to call it, and both are closed: they go before the
    // code they called is released.
    session.watch.reset();
    session.midi.reset();
    session.audio.reset();
    session.library.close();
}

}  // namespace

int runProgram() {
    // First: a signal during start-up closes the program once its loop runs.
    const int closeRequest = watchTerminationSignals();
    std::string why;
    std::unique_ptr<MainWindow> window = createMainWindow(kWindowTitle, kWindowClass, why);
    if (!window)
        return startUpFails(why);

    // Static: the plug-in keeps the time record's address, and the record outlives every call.
    static Session session;
    if (!loadPluginLibrary(session.library, why))
        return startUpFails(why);
    const VstPluginMainProc entry = entryPoint(session.library);
    if (entry == nullptr)
        return startUpFails("the library exports neither VSTPluginMain nor main");
    AEffect* plugin = entry(&HostCallback);
    if (plugin == nullptr || plugin->magic != kEffectMagic)
        return startUpFails("the library's entry point gave no plug-in");
    session.plugin = plugin;
    if ((plugin->flags & effFlagsHasEditor) == 0) {
        plugin->dispatcher(plugin, effClose, 0, 0, nullptr, 0.0f);
        session.plugin = nullptr;
        return startUpFails("the plug-in has no editor to show");
    }
    HostRecord& record = hostRecord();
    record.plugin.store(plugin, std::memory_order_release);
    session.timeRecord = VstTimeInfo{};
    record.timeRecord.store(&session.timeRecord, std::memory_order_release);

    platform::sleepMilliseconds(kSettlePauseMilliseconds);
    routeMessagesToEditor(plugin);
    session.midi = std::make_unique<MidiInputPort>(plugin);
    record.midi.store(session.midi.get(), std::memory_order_release);
    session.audio = std::make_unique<AudioOutput>(plugin, session.midi.get());
    record.audio.store(session.audio.get(), std::memory_order_release);
    reopenAudioOutput(plugin, *session.audio);
    session.watch = std::make_unique<DeviceWatch>(plugin, *session.audio, *session.midi);
    record.watch.store(session.watch.get(), std::memory_order_release);

    plugin->dispatcher(plugin, effEditOpen, 0, 0, window->nativeHandle(), 0.0f);
    ERect* rectangle = nullptr;
    plugin->dispatcher(plugin, effEditGetRect, 0, 0, &rectangle, 0.0f);
    if (rectangle == nullptr) {
        // The editor's windows go with the main window, as after a close, while their code is
        // still loaded: on Windows their window procedures are in the library.
        window.reset();
        shutDown(session);
        return startUpFails("the plug-in's editor gave no rectangle");
    }
    const ClientSize size = clientSizeFor(rectangle->right - rectangle->left, rectangle->bottom - rectangle->top);
    window->placeCentred(size.width, size.height);
    window->show();

    window->run(kIdlePeriodMilliseconds, closeRequest, [] {
        deliverWaitingMessages();
        attendDevices();
        if (AEffect* current = hostRecord().plugin.load(std::memory_order_acquire); current != nullptr)
            current->dispatcher(current, effEditIdle, 0, 0, nullptr, 0.0f);
    });
    shutDown(session);
    return 0;
}

}  // namespace rimba::standalone
