#pragma once
// The drag out of a frame's window that runs on this thread (FileDragSource.cpp), which that
// window's drop target (FileDropTarget.cpp) refuses: the window takes nothing from itself.
// Editor thread only; OleDragDrop.h's two halves only.

#include "plugin/editor/toolkit/win32/OleDragDrop.h"

namespace rimba::toolkit::win32 {

struct OwnDrag {
    const void* data = nullptr;  // the IDataObject being dragged
    WindowHandle from = nullptr;
};

OwnDrag& ownDragOnThisThread();

}  // namespace rimba::toolkit::win32
