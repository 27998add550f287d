#pragma once
// The editor windows of the plug-ins hosted in the instrument's slots. Each is a small top-level
// tool window of its own (CPluginEditor) over the instrument's editor: the program bar along its
// top (CVornPluginProgramEx), and below it the window the plug-in's editor opens in. The
// instrument's editor holds one PluginEditorWindows and drives it: toggle from a slot's label,
// close before a slot's plug-in is removed or replaced, idle on its own idle, closeAll as it
// closes. A CPlugin whose window is open tells it before it unloads or goes, so no window
// outlives its plug-in.
//
// The window itself is the toolkit's (HostedEditorWindow.h: X11 or Windows); here is what the
// instrument does with it: when it opens and closes, the order of the plug-in's editor calls,
// where it stands, and the list of open windows.
//
// User-interface thread, like every call on the plug-ins' editors, with one exception: a slot
// replaced on another thread (a program loaded on the timer thread) closes its window on that
// thread. The list of windows is guarded for that case: the idle skips a round rather than wait
// while a window closes elsewhere, and a closing waits for a running idle to finish. The window's
// own connection is then used by the closing thread alone.

#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

#include "plugin/editor/EditorDialogs.h"
#include "plugin/editor/toolkit/Geometry.h"
#include "plugin/editor/toolkit/HostedEditorWindow.h"
#include "plugin/effects/CPlugin.h"

namespace rimba {

class CVornPluginProgramEx;

// The program bar in its frame along the window's top (PluginEditorBar.cpp), closed by the
// deleter, so that this header needs neither.
struct ProgramStrip;
struct ProgramStripCloser {
    void operator()(ProgramStrip* strip) const;
};

// Where a window of `width` x `height` pixels (its whole outer size) opens: the place the
// plug-in's window had when last closed, else centred over `owner` (the instrument's top-level
// window, in screen coordinates) and just above it, kept at 0 or more on both axes.
toolkit::CRect pluginEditorPlace(const toolkit::CRect& owner, int width, int height,
                                 const EditorWindowPlace& remembered);

class CPluginEditor {
public:
    // Opens the window over `owner` (any window of the instrument's editor), opens the plug-in's
    // editor in it and marks the plug-in's editor open with `plugins` as its owner. Null when the
    // plug-in has no editor or the window cannot be made (no display, no such owner). The bar
    // shows `dialogs` (not owned), or the toolkit's own when null.
    static std::unique_ptr<CPluginEditor> open(CPlugin& plugin, std::uintptr_t owner, PluginEditorOwner& plugins,
                                               EditorDialogs* dialogs = nullptr);
    ~CPluginEditor();  // closes the window if still open
    CPluginEditor(const CPluginEditor&) = delete;
    CPluginEditor& operator=(const CPluginEditor&) = delete;

    // Remembers where the window stands, closes the plug-in's editor (effEditClose), marks it
    // closed and destroys the window. Once only.
    void close();
    // The window's events without waiting for any (its close box closes it), the plug-in's
    // editor idle, and the bar's. False once the window is closed.
    bool idle();

    bool isOpen() const;
    // The plug-in's editor became `width` x `height`: the window under the bar and the window
    // itself follow, its top left corner staying where it is.
    void followEditorSize(int width, int height);
    CPlugin& plugin() const { return hosted; }
    // The tool window (an X11 Window or an HWND), 0 once closed.
    std::uintptr_t window() const;
    // The child window the plug-in's editor was opened in.
    std::uintptr_t pluginParent() const;
    // The program bar's own window along the top.
    std::uintptr_t barWindow() const;
    CVornPluginProgramEx& bar() const;

private:
    CPluginEditor(CPlugin& plugin, std::unique_ptr<toolkit::HostedEditorWindow> window);
    void rememberPlace();
    // The bar's half (PluginEditorBar.cpp): its frame opened in the window's strip.
    bool openBar(AEffect& effect, int width, EditorDialogs* dialogs);
    void idleBar();

    CPlugin& hosted;
    std::unique_ptr<toolkit::HostedEditorWindow> toolWindow;
    std::unique_ptr<ProgramStrip, ProgramStripCloser> strip;
};

class PluginEditorWindows final : private PluginEditorOwner {
public:
    PluginEditorWindows() = default;
    ~PluginEditorWindows();
    PluginEditorWindows(const PluginEditorWindows&) = delete;
    PluginEditorWindows& operator=(const PluginEditorWindows&) = delete;

    // The dialogs every window's program bar shows from now on (not owned; it must outlive the
    // windows): a test's scripted ones. Null: each bar's own, the toolkit's over its frame.
    void setDialogs(EditorDialogs* replacement) { dialogsOverride = replacement; }

    // Opens the plug-in's editor window over `owner`, or closes it when it is open. False when
    // the plug-in is not loaded, has no editor (effFlagsHasEditor clear) or the window cannot be
    // made.
    bool toggle(CPlugin& plugin, std::uintptr_t owner);
    bool isOpen(const CPlugin& plugin) const;
    // Before the slot's plug-in is removed or replaced; nothing when its window is closed.
    void close(CPlugin& plugin);
    // Every open window's idle (see CPluginEditor::idle); windows closed by their close box go.
    // Never waits for an event.
    void idle();
    void closeAll();

    // The open window of `plugin`, or null.
    CPluginEditor* editorOf(const CPlugin& plugin) const;
    std::size_t openCount() const;

private:
    void pluginGoing(CPlugin& plugin) override { close(plugin); }
    bool pluginEditorResized(CPlugin& plugin, int width, int height) override;
    CPluginEditor* find(const CPlugin& plugin) const;
    bool holds(const CPluginEditor* editor) const;
    std::unique_ptr<CPluginEditor> takeOut(const CPluginEditor* editor);

    // Recursive: a window's own idle may lead back here on the same thread (a plug-in that goes
    // while its window idles); `windows` is then re-read, never iterated across the call.
    mutable std::recursive_mutex guard;
    std::vector<std::unique_ptr<CPluginEditor>> windows;
    EditorDialogs* dialogsOverride = nullptr;
};

}  // namespace rimba
