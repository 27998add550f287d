#pragma once
// A small top-level tool window for the editor of a plug-in we host: a strip along its top for a
// frame of ours (the window given to CFrame::open), and under it, at (0, strip height), the child
// window the plug-in's own editor opens in (effEditOpen). It stays above its owner (the window
// system's owner or transient relation to the owner's top-level window) and has a close box,
// whose press is reported by pumpEvents, never acted on: the caller closes the plug-in's editor
// first and then destroys this window. The user cannot resize it; the plug-in can
// (followEditorSize).
//
// X11 (X11HostedEditorWindow.cpp: a display connection of its own) and Windows
// (win32/Win32HostedEditorWindow.cpp: window messages arrive through the host's message loop).
// Window ids are numbers: an X11 Window or an HWND. User-interface thread.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "plugin/editor/toolkit/Geometry.h"

namespace rimba::toolkit {

struct HostedEditorWindowRequest {
    std::uintptr_t owner = 0;  // any window of the owner: its top-level window is found
    std::string title;  // UTF-8
    std::string className;  // a name per window where the system keeps one (X11's WM_CLASS)
    int editorWidth = 0;  // 0 x 0 while the plug-in tells no size yet
    int editorHeight = 0;
    int stripHeight = 0;
    int minimumWidth = 0;  // the window is never narrower (the strip's own width)
    double groundShade = 0;  // the window's own grey (0 to 1) where neither strip nor editor is
    // Where the window's outer rectangle of `width` x `height` goes, given the owner's top-level
    // window's outer rectangle on the screen.
    std::function<CRect(const CRect& owner, int width, int height)> place;
};

class HostedEditorWindow {
public:
    virtual ~HostedEditorWindow() = default;
    HostedEditorWindow() = default;
    HostedEditorWindow(const HostedEditorWindow&) = delete;
    HostedEditorWindow& operator=(const HostedEditorWindow&) = delete;

    // The tool window itself.
    virtual std::uintptr_t window() const = 0;
    // The child the plug-in's editor opens in, at (0, strip height), of the editor's size.
    virtual std::uintptr_t editorParent() const = 0;
    // The window a frame of ours opens in to fill the strip (CFrame::open).
    virtual std::uintptr_t stripParent() const = 0;
    // Shows the window once the editor and the strip are in it.
    virtual void show() = 0;
    // The plug-in's editor became `width` x `height`: the child and the window follow, the
    // window's top left corner staying where it is.
    virtual void followEditorSize(int width, int height) = 0;
    // The window's outer rectangle on the screen (a window manager's frame or the system's
    // caption included), or nothing when it cannot be told.
    virtual std::optional<CRect> outerRect() const = 0;
    // Takes the window's pending events without waiting for any; true when its close box was
    // pressed since the last call.
    virtual bool pumpEvents() = 0;
};

// Null when the window cannot be made (no display, an owner that is no window).
std::unique_ptr<HostedEditorWindow> openHostedEditorWindow(const HostedEditorWindowRequest& request);

}  // namespace rimba::toolkit
