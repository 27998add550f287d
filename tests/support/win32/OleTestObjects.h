#pragma once
// COM objects the Windows drag-and-drop tests play other programs with: a reference count of
// objects that live on the test's stack, and one format's bytes offered as an IDataObject (a
// file manager's CF_HDROP written out by hand, apart from the product's own writer).

#include <windows.h>
#include <ole2.h>
#include <shlobj.h>

#include <cstring>
#include <string>
#include <utility>
#include <vector>

namespace rimba::test {

template <typename Interface, const IID& interfaceId>
class Counted : public Interface {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID asked, void** out) override {
        if (IsEqualIID(asked, IID_IUnknown) || IsEqualIID(asked, interfaceId)) {
            *out = static_cast<Interface*>(this);
            this->AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references; }
    ULONG STDMETHODCALLTYPE Release() override { return --references; }  // they live on the test's stack
    ULONG references = 1;
};

// One format's bytes in global memory.
class OneFormatData final : public Counted<IDataObject, IID_IDataObject> {
public:
    OneFormatData(CLIPFORMAT format, std::vector<char> bytes) : format(format), bytes(std::move(bytes)) {}
    HRESULT STDMETHODCALLTYPE GetData(FORMATETC* asked, STGMEDIUM* medium) override {
        if (QueryGetData(asked) != S_OK)
            return DV_E_FORMATETC;
        HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, bytes.size());
        std::memcpy(GlobalLock(block), bytes.data(), bytes.size());
        GlobalUnlock(block);
        *medium = {};
        medium->tymed = TYMED_HGLOBAL;
        medium->hGlobal = block;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC* asked) override {
        return asked->cfFormat == format && (asked->tymed & TYMED_HGLOBAL) ? S_OK : DV_E_FORMATETC;
    }
    HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC*, FORMATETC*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD, IEnumFORMATETC** out) override {
        FORMATETC offered{format, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
        return SHCreateStdEnumFmtEtc(1, &offered, out);
    }
    HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE DUnadvise(DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA**) override { return E_NOTIMPL; }

private:
    CLIPFORMAT format;
    std::vector<char> bytes;
};

// CF_HDROP written out by hand: the header, then each wide name and its NUL, then one more NUL.
inline OneFormatData fileListOf(const std::vector<std::wstring>& names) {
    std::vector<char> bytes(sizeof(DROPFILES));
    DROPFILES header{};
    header.pFiles = sizeof(DROPFILES);
    header.fWide = TRUE;
    std::memcpy(bytes.data(), &header, sizeof header);
    auto append = [&bytes](const wchar_t* text, std::size_t count) {
        const auto* from = reinterpret_cast<const char*>(text);
        bytes.insert(bytes.end(), from, from + count * sizeof(wchar_t));
    };
    for (const std::wstring& name : names)
        append(name.c_str(), name.size() + 1);
    append(L"", 1);
    return OneFormatData(CF_HDROP, std::move(bytes));
}

}  // namespace rimba::test
