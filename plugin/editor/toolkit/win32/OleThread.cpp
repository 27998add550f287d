// OLE on the editor's thread: see OleDragDrop.h.
#include <atomic>
#include <cstdio>

#include "common/platform/win32/Windows.h"
#include "plugin/editor/toolkit/win32/OleDragDrop.h"
// After Windows.h, which leaves OLE out.
#include <ole2.h>

namespace rimba::toolkit::win32 {

namespace {

thread_local int oleThreadsHere = 0;  // the OleThread objects alive on this thread that hold OLE

void sayOnceThatDragAndDropIsUnavailable() {
    static std::atomic<bool> said{false};
    if (said.exchange(true))
        return;
    std::fputs(
        "RimbaDrums: the host's editor thread runs COM multi-threaded, so the editor takes no "
        "dropped files and drags none out\n",
        stderr);
}

}  // namespace

OleThread::OleThread() {
    const HRESULT result = OleInitialize(nullptr);
    initialised = SUCCEEDED(result);  // S_FALSE too: the host had it, and the call still counts
    if (initialised)
        ++oleThreadsHere;
    else if (result == RPC_E_CHANGED_MODE)
        sayOnceThatDragAndDropIsUnavailable();
}

OleThread::~OleThread() {
    if (!initialised)
        return;
    --oleThreadsHere;
    OleUninitialize();
}

bool oleDragAndDropAvailable() { return oleThreadsHere > 0; }

}  // namespace rimba::toolkit::win32
