#include "StandAlone/EditorMessages.h"

#include <string>
#include <utility>
#include <vector>

#include "common/platform/MessageBox.h"
#include "common/platform/SystemMessage.h"
#include "common/vst/StandaloneLink.h"

namespace rimba::standalone {

namespace {

struct Message {
    std::string text;
    std::string caption;
};

struct Route {
    AEffect* plugin = nullptr;
    bool editorReady = false;
    std::vector<Message> waiting;
};

Route& route() {
    static Route state;
    return state;
}

void showInEditor(AEffect* plugin, const Message& message) {
    StandaloneMessage handed{message.text.c_str(), message.caption.c_str()};
    plugin->dispatcher(plugin, effVendorSpecific, kStandaloneShowMessage, 0, &handed, 0.0f);
}

void present(const std::string& text, const std::string& caption) {
    platform::showSystemMessage(text, caption);
    Route& state = route();
    if (state.plugin == nullptr)
        return;
    if (state.editorReady)
        showInEditor(state.plugin, Message{text, caption});
    else
        state.waiting.push_back(Message{text, caption});
}

}  // namespace

void routeMessagesToEditor(AEffect* plugin) {
    route() = Route{.plugin = plugin, .editorReady = false, .waiting = {}};
    platform::setMessagePresenter(present);
}

void deliverWaitingMessages() {
    Route& state = route();
    if (state.plugin == nullptr || state.editorReady)
        return;
    state.editorReady = true;
    // Taken out first: a message box is modal, and what is said meanwhile is shown at once.
    const std::vector<Message> due = std::exchange(state.waiting, {});
    for (const Message& message : due)
        showInEditor(state.plugin, message);
}

void stopRoutingMessages() {
    platform::setMessagePresenter({});
    route() = Route{};
}

}  // namespace rimba::standalone
