#include "tests/support/hdrop_data_object.h"

#include <cstring>

HdropDataObject::HdropDataObject(const std::vector<std::string>& paths, bool wide)
    : paths_(paths), wide_(wide) {}

HdropDataObject::~HdropDataObject() = default;

HRESULT HdropDataObject::QueryInterface(REFIID iid, void** object) {
  if (iid == IID_IUnknown || iid == IID_IDataObject) {
    *object = static_cast<IDataObject*>(this);
    AddRef();
    return S_OK;
  }
  *object = nullptr;
  return E_NOINTERFACE;
}

ULONG HdropDataObject::AddRef() { return static_cast<ULONG>(InterlockedIncrement(&references_)); }

ULONG HdropDataObject::Release() {
  const LONG left = InterlockedDecrement(&references_);
  if (left == 0) delete this;
  return static_cast<ULONG>(left);
}

HRESULT HdropDataObject::QueryGetData(FORMATETC* format) {
  if (format == nullptr) return E_INVALIDARG;
  if (format->cfFormat != CF_HDROP) return DV_E_FORMATETC;
  if ((format->tymed & TYMED_HGLOBAL) == 0) return DV_E_TYMED;
  return S_OK;
}

HRESULT HdropDataObject::GetData(FORMATETC* format, STGMEDIUM* medium) {
  const HRESULT usable = QueryGetData(format);
  if (usable != S_OK) return usable;
  medium->tymed = TYMED_HGLOBAL;
  medium->hGlobal = MakeDropFiles();
  medium->pUnkForRelease = nullptr;
  return medium->hGlobal != nullptr ? S_OK : E_OUTOFMEMORY;
}

HGLOBAL HdropDataObject::MakeDropFiles() const {
  // DROPFILES header, then each path NUL-terminated, then one more NUL.
  std::vector<char> names;
  for (const std::string& path : paths_) {
    if (wide_) {
      const int count = MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, nullptr, 0);
      std::wstring wide(static_cast<size_t>(count), L'\0');
      MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide.data(), count);
      const char* bytes = reinterpret_cast<const char*>(wide.c_str());
      names.insert(names.end(), bytes, bytes + count * sizeof(wchar_t));
    } else {
      names.insert(names.end(), path.c_str(), path.c_str() + path.size() + 1);
    }
  }
  names.insert(names.end(), wide_ ? sizeof(wchar_t) : 1, '\0');
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(DROPFILES) + names.size());
  if (memory == nullptr) return nullptr;
  auto* header = static_cast<DROPFILES*>(GlobalLock(memory));
  header->pFiles = sizeof(DROPFILES);
  header->fWide = wide_ ? TRUE : FALSE;
  std::memcpy(reinterpret_cast<char*>(header) + sizeof(DROPFILES), names.data(), names.size());
  GlobalUnlock(memory);
  return memory;
}

bool DropFilesOn(IDropTarget* target, const std::vector<std::string>& paths, bool wide) {
  if (target == nullptr) return false;
  auto* data = new HdropDataObject(paths, wide);
  POINTL point{100, 100};
  DWORD effect = DROPEFFECT_COPY;
  target->DragEnter(data, MK_LBUTTON, point, &effect);
  effect = DROPEFFECT_COPY;
  target->DragOver(MK_LBUTTON, point, &effect);
  effect = DROPEFFECT_COPY;
  const HRESULT dropped = target->Drop(data, 0, point, &effect);
  data->Release();
  return SUCCEEDED(dropped);
}
