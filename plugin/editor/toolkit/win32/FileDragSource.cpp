// The drag of a file out of the frame's window through OLE: see OleDragDrop.h.
#include <cstring>
#include <utility>

#include "common/platform/win32/Windows.h"
#include "plugin/editor/toolkit/win32/DropFiles.h"
#include "plugin/editor/toolkit/win32/OleDragDrop.h"
#include "plugin/editor/toolkit/win32/OwnDrag.h"
// After Windows.h, which leaves OLE and the shell out.
#include <ole2.h>
#include <shlobj.h>

namespace rimba::toolkit::win32 {

namespace {

// IUnknown's counting for the two small COM objects of a drag, which a target may hold past
// DoDragDrop's return.
template <typename Interface, const IID& interfaceId>
class ComObject : public Interface {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID asked, void** out) override {
        if (!out)
            return E_POINTER;
        if (IsEqualIID(asked, IID_IUnknown) || IsEqualIID(asked, interfaceId)) {
            *out = static_cast<Interface*>(this);
            this->AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&references)); }
    ULONG STDMETHODCALLTYPE Release() override {
        const auto left = static_cast<ULONG>(InterlockedDecrement(&references));
        if (left == 0)
            delete this;
        return left;
    }

protected:
    virtual ~ComObject() = default;

private:
    LONG references = 1;
};

// One file list, CF_HDROP in global memory, a fresh copy for each taker (who frees it).
class FileListData final : public ComObject<IDataObject, IID_IDataObject> {
public:
    explicit FileListData(std::vector<std::byte> dropFiles) : dropFiles(std::move(dropFiles)) {}

    HRESULT STDMETHODCALLTYPE GetData(FORMATETC* format, STGMEDIUM* medium) override {
        if (!format || !medium)
            return E_INVALIDARG;
        if (!offered(*format))
            return DV_E_FORMATETC;
        HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, dropFiles.size());
        if (!block)
            return E_OUTOFMEMORY;
        void* bytes = GlobalLock(block);
        if (!bytes) {
            GlobalFree(block);
            return E_OUTOFMEMORY;
        }
        std::memcpy(bytes, dropFiles.data(), dropFiles.size());
        GlobalUnlock(block);
        medium->tymed = TYMED_HGLOBAL;
        medium->hGlobal = block;
        medium->pUnkForRelease = nullptr;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC* format) override {
        if (!format)
            return E_INVALIDARG;
        return offered(*format) ? S_OK : DV_E_FORMATETC;
    }
    HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC*, FORMATETC* out) override {
        if (out)
            out->ptd = nullptr;
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD direction, IEnumFORMATETC** out) override {
        if (!out)
            return E_INVALIDARG;
        *out = nullptr;
        if (direction != DATADIR_GET)
            return E_NOTIMPL;
        FORMATETC format = fileListFormat();
        return SHCreateStdEnumFmtEtc(1, &format, out);
    }
    HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override {
        return OLE_E_ADVISENOTSUPPORTED;
    }
    HRESULT STDMETHODCALLTYPE DUnadvise(DWORD) override { return OLE_E_ADVISENOTSUPPORTED; }
    HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA**) override { return OLE_E_ADVISENOTSUPPORTED; }

private:
    static FORMATETC fileListFormat() { return {CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL}; }
    static bool offered(const FORMATETC& format) {
        return format.cfFormat == CF_HDROP && (format.tymed & TYMED_HGLOBAL) && format.dwAspect == DVASPECT_CONTENT &&
               (format.lindex == -1 || format.lindex == 0);
    }

    std::vector<std::byte> dropFiles;
};

// The drag goes on while the left button is held: its release drops, Escape cancels.
class HeldButtonSource final : public ComObject<IDropSource, IID_IDropSource> {
public:
    HRESULT STDMETHODCALLTYPE QueryContinueDrag(BOOL escapePressed, DWORD keys) override {
        if (escapePressed) {
            ended = true;
            return DRAGDROP_S_CANCEL;
        }
        if (!(keys & MK_LBUTTON)) {
            ended = true;
            return DRAGDROP_S_DROP;
        }
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GiveFeedback(DWORD) override { return DRAGDROP_S_USEDEFAULTCURSORS; }

    bool endedByUser() const { return ended; }

private:
    bool ended = false;
};

// Marks the drag as this thread's own while it runs.
class OwnDragScope {
public:
    OwnDragScope(const void* data, WindowHandle from) : saved(ownDragOnThisThread()) {
        ownDragOnThisThread() = {data, from};
    }
    ~OwnDragScope() { ownDragOnThisThread() = saved; }
    OwnDragScope(const OwnDragScope&) = delete;
    OwnDragScope& operator=(const OwnDragScope&) = delete;

private:
    OwnDrag saved;
};

bool leftButtonHeld() { return (GetAsyncKeyState(VK_LBUTTON) & 0x8000) != 0; }

CPoint pointerIn(WindowHandle window) {
    POINT point{};
    GetCursorPos(&point);
    ScreenToClient(window, &point);
    return {static_cast<int>(point.x), static_cast<int>(point.y)};
}

}  // namespace

OwnDrag& ownDragOnThisThread() {
    thread_local OwnDrag own;
    return own;
}

FileDragResult dragFileOut(WindowHandle window, const std::string& utf8Path) {
    // A drag begun after the button came up (from a handler of the release) would end at once
    // in a drop nobody meant.
    if (!oleDragAndDropAvailable() || !leftButtonHeld())
        return {};
    const std::optional<std::wstring> path = absoluteWidePath(utf8Path);
    if (!path)
        return {};
    auto* data = new FileListData(dropFilesBytes({*path}));
    auto* source = new HeldButtonSource();
    DWORD effect = DROPEFFECT_NONE;
    HRESULT result = E_FAIL;
    {
        OwnDragScope own(static_cast<IDataObject*>(data), window);
        result = DoDragDrop(data, source, DROPEFFECT_COPY, &effect);
    }
    FileDragResult drag;
    drag.accepted = result == DRAGDROP_S_DROP && (effect & DROPEFFECT_COPY) != 0;
    drag.tookRelease = source->endedByUser();
    drag.releasedAt = pointerIn(window);
    source->Release();
    data->Release();
    return drag;
}

}  // namespace rimba::toolkit::win32
