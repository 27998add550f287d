// The frame's window as an OLE drop target of files: see OleDragDrop.h.
#include <atomic>
#include <utility>

#include "common/platform/win32/Windows.h"
#include "plugin/editor/toolkit/win32/DropFiles.h"
#include "plugin/editor/toolkit/win32/OleDragDrop.h"
#include "plugin/editor/toolkit/win32/OwnDrag.h"
// After Windows.h, which leaves OLE out.
#include <ole2.h>

namespace rimba::toolkit::win32 {

namespace {

std::atomic<int> liveObjects{0};

FORMATETC fileListFormat() { return {CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL}; }

bool carriesFiles(IDataObject* data) {
    FORMATETC format = fileListFormat();
    return data && data->QueryGetData(&format) == S_OK;
}

std::vector<std::string> filesOf(IDataObject* data) {
    FORMATETC format = fileListFormat();
    STGMEDIUM medium{};
    if (!data || data->GetData(&format, &medium) != S_OK)
        return {};
    std::vector<std::string> paths;
    if (medium.tymed == TYMED_HGLOBAL && medium.hGlobal) {
        // DragQueryFileW locks the block itself and reads no further than its names.
        paths = pathsOfDrop(medium.hGlobal);
    }
    ReleaseStgMedium(&medium);
    return paths;
}

}  // namespace

// The COM object OLE calls. It lives as long as anyone holds it (RegisterDragDrop holds it until
// RevokeDragDrop; a drag in progress may hold it longer); once the registration is revoked it
// answers every offer with nothing and calls no handler.
class FileDropTarget::Object final : public IDropTarget {
public:
    Object(HWND window, const DropHandler& handler) : window(window), handler(&handler) { ++liveObjects; }
    Object(const Object&) = delete;
    Object& operator=(const Object&) = delete;

    void detach() { handler = nullptr; }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID interfaceId, void** out) override {
        if (!out)
            return E_POINTER;
        if (IsEqualIID(interfaceId, IID_IUnknown) || IsEqualIID(interfaceId, IID_IDropTarget)) {
            *out = static_cast<IDropTarget*>(this);
            AddRef();
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

    HRESULT STDMETHODCALLTYPE DragEnter(IDataObject* data, DWORD, POINTL where, DWORD* effect) override {
        if (!effect)
            return E_INVALIDARG;
        offersFiles = !isOwnDrag(data) && carriesFiles(data);
        *effect = answer(where, *effect);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE DragOver(DWORD, POINTL where, DWORD* effect) override {
        if (!effect)
            return E_INVALIDARG;
        *effect = answer(where, *effect);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE DragLeave() override {
        offersFiles = false;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Drop(IDataObject* data, DWORD, POINTL where, DWORD* effect) override {
        if (!effect)
            return E_INVALIDARG;
        const DWORD answered = answer(where, *effect);
        offersFiles = false;
        *effect = DROPEFFECT_NONE;
        if (answered != DROPEFFECT_COPY || isOwnDrag(data))
            return S_OK;
        const std::vector<std::string> paths = filesOf(data);
        if (paths.empty() || !handler)
            return S_OK;
        *effect = DROPEFFECT_COPY;
        // The handler may close the frame, and with it the registration: this object stays
        // alive for OLE until the call returns, and the handler is the frame's, which lives on.
        const DropHandler& takes = *handler;
        takes.drop(clientPoint(where), paths);
        return S_OK;
    }

private:
    ~Object() { --liveObjects; }

    bool isOwnDrag(IDataObject* data) const {
        const OwnDrag& own = ownDragOnThisThread();
        return own.data && own.data == static_cast<const void*>(data) && own.from == window;
    }

    CPoint clientPoint(POINTL where) const {
        POINT point{where.x, where.y};
        ScreenToClient(window, &point);
        return {static_cast<int>(point.x), static_cast<int>(point.y)};
    }

    DWORD answer(POINTL where, DWORD allowed) const {
        if (!handler || !handler->drop || !offersFiles || !(allowed & DROPEFFECT_COPY))
            return DROPEFFECT_NONE;
        if (handler->accepts && !handler->accepts(clientPoint(where)))
            return DROPEFFECT_NONE;
        return DROPEFFECT_COPY;
    }

    LONG references = 1;
    HWND window;
    const DropHandler* handler;
    bool offersFiles = false;
};

std::unique_ptr<FileDropTarget> FileDropTarget::registerOn(WindowHandle window, const DropHandler& handler) {
    if (!window || !oleDragAndDropAvailable())
        return nullptr;
    auto* object = new Object(window, handler);
    if (FAILED(RegisterDragDrop(window, object))) {
        object->Release();
        return nullptr;
    }
    return std::unique_ptr<FileDropTarget>(new FileDropTarget(window, object));
}

FileDropTarget::FileDropTarget(WindowHandle window, Object* object) : window(window), object(object) {}

FileDropTarget::~FileDropTarget() {
    // The window may already be gone (the host destroyed it first): nothing is registered then,
    // and revoking fails harmlessly.
    RevokeDragDrop(window);
    object->detach();
    object->Release();
}

int FileDropTarget::objectsAlive() { return liveObjects.load(); }

}  // namespace rimba::toolkit::win32
