#include "services/file_drop.h"

#include <ole2.h>
#include <shlobj.h>  // DROPFILES

#include <atomic>
#include <cstddef>
#include <string>
#include <vector>

#include "services/wide_paths.h"

namespace {

constexpr wchar_t kPathSeparator[] = L"\r\n";

FORMATETC FileDropFormat() { return {CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL}; }

// The names of a DROPFILES block, each NUL-ended, the list ended by an
// empty one; nothing is read past the block, even when it lacks its end.
template <typename Char>
std::vector<std::basic_string<Char>> DroppedNames(const char* first, const char* blockEnd) {
  std::vector<std::basic_string<Char>> names;
  const auto* at = reinterpret_cast<const Char*>(first);
  const auto* end = at + (blockEnd - first) / static_cast<std::ptrdiff_t>(sizeof(Char));
  while (at < end && *at != 0) {
    const Char* start = at;
    while (at < end && *at != 0) ++at;
    if (at == end) break;  // a name without its NUL is no name
    names.emplace_back(start, at);
    ++at;
  }
  return names;
}

// The paths of a CF_HDROP block, read in one pass (DragQueryFile scans the
// block from its start for every index: seconds for 10,000 paths under
// Wine): one alone, or each followed by CR LF. Names stay wide; an ANSI
// block's names are converted from the code page.
std::wstring DropText(HGLOBAL block) {
  const SIZE_T size = GlobalSize(block);
  const auto* header = static_cast<const DROPFILES*>(GlobalLock(block));
  if (header == nullptr) return std::wstring();
  std::vector<std::wstring> paths;
  if (size >= sizeof(DROPFILES) && header->pFiles >= sizeof(DROPFILES) && header->pFiles < size) {
    const char* base = reinterpret_cast<const char*>(header);
    if (header->fWide) {
      paths = DroppedNames<wchar_t>(base + header->pFiles, base + size);
    } else {
      for (const std::string& name : DroppedNames<char>(base + header->pFiles, base + size))
        paths.push_back(WideOf(Text(name)));
    }
  }
  GlobalUnlock(block);
  std::wstring text;
  for (const std::wstring& path : paths) {
    text += path;
    if (paths.size() > 1) text += kPathSeparator;
  }
  return text;
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
    std::wstring dropText;
    if (medium.tymed == TYMED_HGLOBAL && medium.hGlobal != nullptr) {
      dropText = DropText(medium.hGlobal);
    }
    ReleaseStgMedium(&medium);
    // A drop without paths (Wine counts an empty file list as one empty
    // name) takes nothing, but is still delivered: it asks for a run too.
    if (effect != nullptr && !dropText.empty()) *effect = DROPEFFECT_COPY;
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
