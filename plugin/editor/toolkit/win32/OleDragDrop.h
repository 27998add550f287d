#pragma once
// Drag and drop of files between the frame's window and other programs on Windows, through OLE:
// the window takes files dropped on it (an IDropTarget taking CF_HDROP) and a control can drag a
// file out of it (DoDragDrop with CF_HDROP). The twins of the X11 frame window's XDND halves,
// behind an interface without Windows or OLE headers, so the frame window's own header needs none.
// Editor thread only: OLE's drag and drop belongs to the thread that initialised it.

#include <memory>
#include <string>

#include "plugin/editor/toolkit/DragAndDrop.h"
#include "plugin/editor/toolkit/Geometry.h"

struct HWND__;  // what HWND points to, as <windows.h> declares it

namespace rimba::toolkit::win32 {

using WindowHandle = HWND__*;

// OLE on the calling thread while the object lives: the frame window makes one when it opens and
// drops it when it closes (OleInitialize and its balanced OleUninitialize). A host thread that
// already runs COM multi-threaded cannot have OLE: drag and drop is then unavailable, which is
// said once per process on standard error, and neither half below does anything.
class OleThread {
public:
    OleThread();
    ~OleThread();
    OleThread(const OleThread&) = delete;
    OleThread& operator=(const OleThread&) = delete;

    bool dragAndDropAvailable() const { return initialised; }

private:
    bool initialised = false;
};

// Whether this thread holds OLE (an OleThread lives on it, or the host initialised it).
bool oleDragAndDropAvailable();

// The window's registration as a drop target while the object lives. Offers with CF_HDROP are
// answered position by position (the window's client coordinates, which are the frame's) with a
// copy where `handler.accepts` takes the place and nothing elsewhere; a drop where it takes the
// place hands the files' UTF-8 paths to `handler.drop`. `handler` must outlive the object (the
// frame's own, which setDropHandler changes in place). A drag out of the same window is refused:
// the window takes nothing from itself.
class FileDropTarget {
public:
    // nullptr when OLE is unavailable on this thread or the window cannot be registered.
    static std::unique_ptr<FileDropTarget> registerOn(WindowHandle window, const DropHandler& handler);
    // Revokes the registration. OLE may still hold the COM object a while; it calls nothing after.
    ~FileDropTarget();
    FileDropTarget(const FileDropTarget&) = delete;
    FileDropTarget& operator=(const FileDropTarget&) = delete;

    // The COM objects of all registrations that OLE or anyone else has not released yet.
    static int objectsAlive();

    class Object;  // the COM object, in FileDropTarget.cpp

private:
    FileDropTarget(WindowHandle window, Object* object);
    WindowHandle window;
    Object* object;
};

// The end of a drag out of the window, as the frame window reports it (FrameWindow::DragResult).
struct FileDragResult {
    bool accepted = false;  // a target took the drop as a copy
    bool tookRelease = false;  // the drag ran and took the button's release (or Escape ended it)
    CPoint releasedAt;  // the pointer's last place, in `window`'s client coordinates
};

// Drags the file at `utf8Path` (a relative path is taken from the current folder) out of
// `window` while the left button is held: DoDragDrop with CF_HDROP; the release drops, Escape
// cancels. Returns once the drag is over; at once, with nothing taken, when the button is not
// held, the path cannot be named in UTF-16 or OLE is unavailable.
FileDragResult dragFileOut(WindowHandle window, const std::string& utf8Path);

}  // namespace rimba::toolkit::win32
