#include "services/file_drop.h"

#include <ole2.h>
#include <shellapi.h>

#include <atomic>
#include <string>
#include <vector>

#include "services/wide_paths.h"

namespace {

constexpr char kPathSeparator[] = "\r\n";

FORMATETC FileDropFormat() { return {CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL}; }

// The paths of a CF_HDROP block: one alone, or each followed by CR LF.
// Taken wide and converted here: DragQueryFileA converts with best fit,
// which can turn a name the code page lacks into another file's name.
Text DropText(HDROP drop) {
  const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
  std::string text;
  for (UINT i = 0; i < count; ++i) {
    std::vector<wchar_t> path(DragQueryFileW(drop, i, nullptr, 0) + 1, L'\0');
    DragQueryFileW(drop, i, path.data(), static_cast<UINT>(path.size()));
    text += AnsiPathOf(path.data()).Bytes();
    if (count > 1) text += kPathSeparator;
  }
  return Text(text);
}

// How it works: OLE calls these on the thread that registered the window
// (the window thread), inside the drag source's DoDragDrop loop. Only
// CF_HDROP data is accepted; the handler gets the paths on Drop.
class FileDropTarget final : public IDropTarget {
 public:
  explicit FileDropTarget(FileDropComponent& component) : component_(component) {}

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
    if (object == nullptr) return E_POINTER;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDropTarget)) {
      *object = static_cast<IDropTarget*>(this);
      AddRef();
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG left = --references_;
    if (left == 0) delete this;
    return left;
  }

  HRESULT STDMETHODCALLTYPE DragEnter(IDataObject* data, DWORD, POINTL, DWORD* effect) override {
    FORMATETC format = FileDropFormat();
    accepting_ = data != nullptr && data->QueryGetData(&format) == S_OK;
    return AnswerEffect(effect);
  }
  HRESULT STDMETHODCALLTYPE DragOver(DWORD, POINTL, DWORD* effect) override {
    return AnswerEffect(effect);
  }
  HRESULT STDMETHODCALLTYPE DragLeave() override {
    accepting_ = false;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Drop(IDataObject* data, DWORD, POINTL, DWORD* effect) override {
    accepting_ = false;
    if (effect != nullptr) *effect = DROPEFFECT_NONE;
    if (data == nullptr) return S_OK;
    FORMATETC format = FileDropFormat();
    STGMEDIUM medium{};
    if (data->GetData(&format, &medium) != S_OK) return S_OK;
    Text dropText;
    if (medium.tymed == TYMED_HGLOBAL && medium.hGlobal != nullptr) {
      dropText = DropText(static_cast<HDROP>(medium.hGlobal));
    }
    ReleaseStgMedium(&medium);
    // A drop without paths (Wine counts an empty file list as one empty
    // name) takes nothing, but is still delivered: it asks for a run too.
    if (effect != nullptr && !dropText.IsEmpty()) *effect = DROPEFFECT_COPY;
    if (component_.handler != nullptr) component_.handler(dropText);
    return S_OK;
  }

 private:
  HRESULT AnswerEffect(DWORD* effect) const {
    if (effect == nullptr) return E_INVALIDARG;
    *effect = accepting_ ? DROPEFFECT_COPY : DROPEFFECT_NONE;
    return S_OK;
  }

  FileDropComponent& component_;
  std::atomic<ULONG> references_{1};
  bool accepting_ = false;
};

}  // namespace

bool RegisterFileDrop(FileDropComponent& component, HWND window) {
  if (component.registered) return false;
  auto* target = new FileDropTarget(component);
  if (RegisterDragDrop(window, target) != S_OK) {
    target->Release();
    return false;
  }
  component.target = target;
  component.window = window;
  component.registered = true;
  return true;
}

void RevokeFileDrop(FileDropComponent& component) {
  if (!component.registered) return;
  RevokeDragDrop(component.window);
  static_cast<IDropTarget*>(component.target)->Release();
  component.target = nullptr;
  component.window = nullptr;
  component.registered = false;
}
