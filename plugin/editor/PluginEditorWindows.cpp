// The hosted plug-ins' editor windows: what the instrument does with the toolkit's tool window.

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string>
#include <utility>

#include "plugin/editor/PluginEditorWindows.h"
#include "plugin/editor/PluginProgramBar.h"

namespace rimba {

namespace {

using toolkit::CRect;

constexpr int kBarHeight = CVornPluginProgramEx::kHeight;

// The plug-in's editor size: effEditGetRect's rectangle, or nothing while it gives none.
std::pair<int, int> editorSizeOf(CPlugin& plugin) {
    ERect* rect = nullptr;
    plugin.dispatch(effEditGetRect, 0, 0, &rect);
    if (rect == nullptr || rect->right <= rect->left || rect->bottom <= rect->top)
        return {0, 0};
    return {rect->right - rect->left, rect->bottom - rect->top};
}

}  // namespace

CRect pluginEditorPlace(const CRect& owner, int width, int height, const EditorWindowPlace& remembered) {
    if (remembered.known())
        return {remembered.left, remembered.top, remembered.left + width, remembered.top + height};
    const int left = std::max(owner.left + (owner.width() - width) / 2, 0);
    const int top = std::max(owner.top - height, 0);
    return {left, top, left + width, top + height};
}

// --- one window -------------------------------------------------------------------------------

std::unique_ptr<CPluginEditor> CPluginEditor::open(CPlugin& plugin, std::uintptr_t owner, PluginEditorOwner& plugins,
                                                   EditorDialogs* dialogs) {
    AEffect* effect = plugin.aeffect();
    if (effect == nullptr || (effect->flags & effFlagsHasEditor) == 0 || plugin.editorOpen())
        return nullptr;
    const auto [editorWidth, editorHeight] = editorSizeOf(plugin);
    toolkit::HostedEditorWindowRequest request;
    request.owner = owner;
    request.title = plugin.description().product;
    // One class name per plug-in, as each window is told apart by its plug-in.
    char className[64];
    std::snprintf(className, sizeof className, "PluginEditorWin%p", static_cast<const void*>(&plugin));
    request.className = className;
    request.editorWidth = editorWidth;
    request.editorHeight = editorHeight;
    request.stripHeight = kBarHeight;
    // The bar's controls are never cut off under a narrow editor.
    request.minimumWidth = CVornPluginProgramEx::kMinimumWidth;
    // Beside a widened bar, or beside an editor narrower than the bar, the bar seems to run on.
    request.groundShade = CVornPluginProgramEx::kGroundShade;
    const EditorWindowPlace remembered = plugin.editorWindowPlace();
    request.place = [remembered](const CRect& ownerRect, int width, int height) {
        return pluginEditorPlace(ownerRect, width, height, remembered);
    };
    std::unique_ptr<toolkit::HostedEditorWindow> window = toolkit::openHostedEditorWindow(request);
    if (!window)
        return nullptr;

    std::unique_ptr<CPluginEditor> editor(new CPluginEditor(plugin, std::move(window)));
    if (!editor->openBar(*effect, std::max(editorWidth, CVornPluginProgramEx::kMinimumWidth), dialogs))
        return nullptr;

    plugin.setEditorOwner(&plugins);
    plugin.dispatch(effEditOpen, 0, 0, reinterpret_cast<void*>(editor->toolWindow->editorParent()));
    // Some plug-ins tell their size only once their editor is open, or change it as it opens.
    if (const auto [openWidth, openHeight] = editorSizeOf(plugin);
        openWidth > 0 && (openWidth != editorWidth || openHeight != editorHeight))
        editor->followEditorSize(openWidth, openHeight);
    editor->toolWindow->show();
    return editor;
}

CPluginEditor::CPluginEditor(CPlugin& plugin, std::unique_ptr<toolkit::HostedEditorWindow> window)
    : hosted(plugin), toolWindow(std::move(window)) {}

CPluginEditor::~CPluginEditor() { close(); }

bool CPluginEditor::isOpen() const { return toolWindow != nullptr; }

void CPluginEditor::followEditorSize(int width, int height) {
    if (toolWindow)
        toolWindow->followEditorSize(width, height);
}

std::uintptr_t CPluginEditor::window() const { return toolWindow ? toolWindow->window() : 0; }

std::uintptr_t CPluginEditor::pluginParent() const { return toolWindow ? toolWindow->editorParent() : 0; }

void CPluginEditor::rememberPlace() {
    // The outer rectangle: a window manager, or the system, places a reopened window's frame
    // where asked.
    if (const std::optional<CRect> outer = toolWindow->outerRect())
        hosted.rememberEditorWindow(
            {.left = outer->left, .top = outer->top, .right = outer->right, .bottom = outer->bottom});
}

void CPluginEditor::close() {
    if (!toolWindow)
        return;
    // A window that never got as far as opening the plug-in's editor leaves no trace.
    if (hosted.editorOpen()) {
        rememberPlace();
        hosted.dispatch(effEditClose);
        hosted.setEditorOwner(nullptr);
    }
    strip.reset();
    toolWindow.reset();
}

bool CPluginEditor::idle() {
    if (!toolWindow)
        return false;
    if (toolWindow->pumpEvents()) {
        close();
        return false;
    }
    hosted.dispatch(effEditIdle);
    idleBar();
    return toolWindow != nullptr;
}

// --- every window -----------------------------------------------------------------------------

PluginEditorWindows::~PluginEditorWindows() { closeAll(); }

CPluginEditor* PluginEditorWindows::find(const CPlugin& plugin) const {
    for (const std::unique_ptr<CPluginEditor>& editor : windows)
        if (&editor->plugin() == &plugin)
            return editor.get();
    return nullptr;
}

bool PluginEditorWindows::holds(const CPluginEditor* editor) const {
    return std::any_of(windows.begin(), windows.end(),
                       [&](const std::unique_ptr<CPluginEditor>& held) { return held.get() == editor; });
}

std::unique_ptr<CPluginEditor> PluginEditorWindows::takeOut(const CPluginEditor* editor) {
    const auto found = std::find_if(windows.begin(), windows.end(),
                                    [&](const std::unique_ptr<CPluginEditor>& held) { return held.get() == editor; });
    if (found == windows.end())
        return nullptr;
    std::unique_ptr<CPluginEditor> taken = std::move(*found);
    windows.erase(found);
    return taken;
}

CPluginEditor* PluginEditorWindows::editorOf(const CPlugin& plugin) const {
    std::lock_guard lock(guard);
    return find(plugin);
}

bool PluginEditorWindows::isOpen(const CPlugin& plugin) const { return editorOf(plugin) != nullptr; }

std::size_t PluginEditorWindows::openCount() const {
    std::lock_guard lock(guard);
    return windows.size();
}

bool PluginEditorWindows::pluginEditorResized(CPlugin& plugin, int width, int height) {
    std::lock_guard lock(guard);
    CPluginEditor* editor = find(plugin);
    if (editor == nullptr)
        return false;
    editor->followEditorSize(width, height);
    return true;
}

bool PluginEditorWindows::toggle(CPlugin& plugin, std::uintptr_t owner) {
    std::lock_guard lock(guard);
    if (find(plugin) != nullptr) {
        close(plugin);
        return true;
    }
    std::unique_ptr<CPluginEditor> editor = CPluginEditor::open(plugin, owner, *this, dialogsOverride);
    if (!editor)
        return false;
    windows.push_back(std::move(editor));
    return true;
}

void PluginEditorWindows::close(CPlugin& plugin) {
    std::lock_guard lock(guard);
    // Out of the list first: closing calls into the plug-in, which must not find itself listed.
    if (std::unique_ptr<CPluginEditor> closing = takeOut(find(plugin)))
        closing->close();
}

void PluginEditorWindows::idle() {
    std::unique_lock lock(guard, std::try_to_lock);
    if (!lock.owns_lock())
        return;
    std::vector<CPluginEditor*> open;
    for (const std::unique_ptr<CPluginEditor>& editor : windows)
        open.push_back(editor.get());
    for (CPluginEditor* editor : open) {
        // One closed meanwhile (its plug-in went during another's idle) is gone.
        if (holds(editor) && !editor->idle())
            takeOut(editor);
    }
}

void PluginEditorWindows::closeAll() {
    std::lock_guard lock(guard);
    while (!windows.empty()) {
        std::unique_ptr<CPluginEditor> closing = std::move(windows.back());
        windows.pop_back();
        closing->close();
    }
}

}  // namespace rimba
