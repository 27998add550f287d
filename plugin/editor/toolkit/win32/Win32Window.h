#pragma once
// What the toolkit's own Windows windows (the frame's, the tooltip's) share: a window class
// registered by the first window that needs it, under a name unique to this module (two copies of
// the plug-in in one host must not share a window procedure), and unregistered when the last
// window of the class goes; and the copy of an offscreen picture into a window.

#include <string>

#include "common/platform/win32/Windows.h"
#include "plugin/editor/toolkit/DrawContext.h"
#include "plugin/editor/toolkit/Geometry.h"

namespace rimba::toolkit::win32 {

// One window's use of its class: registers the class when no window of it exists yet.
class WindowClassUse {
public:
    // `purpose` tells the classes of this module apart ("Frame", "Tooltip").
    WindowClassUse(const wchar_t* purpose, WNDPROC procedure);
    ~WindowClassUse();
    WindowClassUse(const WindowClassUse&) = delete;
    WindowClassUse& operator=(const WindowClassUse&) = delete;

    bool registered() const { return atom != 0; }
    const wchar_t* name() const { return className.c_str(); }
    HINSTANCE module() const { return instance; }

private:
    std::wstring className;
    HINSTANCE instance = nullptr;
    ATOM atom = 0;
};

// The module (DLL or program) this code is linked into.
HINSTANCE thisModule();

// Copies `rect` of `picture` to the same place of the device context (a 32-bpp top-down DIB over
// the picture's own words).
void copyPicture(HDC device, const COffscreen& picture, const CRect& rect);

// The window the host put `window` in, at the top: what owns the editor's dialogs.
HWND topLevelOf(HWND window);

}  // namespace rimba::toolkit::win32
