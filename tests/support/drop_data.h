// Drop data as the shell hands it to a drop target: a data object offering
// one format in global memory, and CF_HDROP blocks of paths.
#pragma once

#include <windows.h>
#include <ole2.h>
#include <shlobj.h>

#include <cstring>
#include <string>
#include <vector>

// A DROPFILES block in global memory: the paths, each NUL-ended, then a
// second NUL; ANSI or UTF-16.
HGLOBAL MakeDrop(const std::vector<std::string>& ansiPaths, bool wide);

// A data object offering one format in global memory; each GetData hands
// out a copy the caller releases.
class DataObject final : public IDataObject {
 public:
  DataObject(CLIPFORMAT format, HGLOBAL memory) : format_(format), memory_(memory) {}
  ~DataObject() { GlobalFree(memory_); }

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDataObject)) {
      *object = this;
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }  // lives on the stack
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  HRESULT STDMETHODCALLTYPE GetData(FORMATETC* format, STGMEDIUM* medium) override {
    if (QueryGetData(format) != S_OK) return DV_E_FORMATETC;
    const SIZE_T size = GlobalSize(memory_);
    HGLOBAL copy = GlobalAlloc(GHND, size);
    std::memcpy(GlobalLock(copy), GlobalLock(memory_), size);
    GlobalUnlock(copy);
    GlobalUnlock(memory_);
    medium->tymed = TYMED_HGLOBAL;
    medium->hGlobal = copy;
    medium->pUnkForRelease = nullptr;
    ++gets;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC* format) override {
    return format != nullptr && format->cfFormat == format_ && (format->tymed & TYMED_HGLOBAL)
               ? S_OK
               : DV_E_FORMATETC;
  }
  HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC*, FORMATETC* out) override {
    out->ptd = nullptr;
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD, IEnumFORMATETC**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override {
    return OLE_E_ADVISENOTSUPPORTED;
  }
  HRESULT STDMETHODCALLTYPE DUnadvise(DWORD) override { return OLE_E_ADVISENOTSUPPORTED; }
  HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA**) override {
    return OLE_E_ADVISENOTSUPPORTED;
  }

  int gets = 0;

 private:
  CLIPFORMAT format_;
  HGLOBAL memory_;
};

// Drags the paths onto a drop target and drops them as OLE's DoDragDrop
// loop would. False when there is no target or the drop fails.
bool DropFilesOn(IDropTarget* target, const std::vector<std::string>& paths, bool wide = false);
