#include "bench/program/outside_drop.h"

#include <ole2.h>

#include <cstring>

#include "tests/support/drop_data.h"

namespace {

constexpr wchar_t kMarshalledTargetProperty[] = L"WineMarshalledDropTarget";

// The section's content as a stream in this process, for CoUnmarshalInterface.
IStream* StreamFromSection(HANDLE section) {
  void* view = MapViewOfFile(section, FILE_MAP_READ, 0, 0, 0);
  if (view == nullptr) return nullptr;
  MEMORY_BASIC_INFORMATION region{};
  VirtualQuery(view, &region, sizeof region);
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, region.RegionSize);
  if (memory != nullptr) {
    std::memcpy(GlobalLock(memory), view, region.RegionSize);
    GlobalUnlock(memory);
  }
  UnmapViewOfFile(view);
  IStream* stream = nullptr;
  if (memory != nullptr && CreateStreamOnHGlobal(memory, TRUE, &stream) != S_OK) GlobalFree(memory);
  return stream;
}

// The section handle lives in the window's process: duplicated into this one.
HANDLE TargetSection(HWND window) {
  HANDLE remote = GetPropW(window, kMarshalledTargetProperty);
  if (remote == nullptr) return nullptr;
  DWORD processId = 0;
  GetWindowThreadProcessId(window, &processId);
  HANDLE process = OpenProcess(PROCESS_DUP_HANDLE, FALSE, processId);
  if (process == nullptr) return nullptr;
  HANDLE local = nullptr;
  if (!DuplicateHandle(process, remote, GetCurrentProcess(), &local, 0, FALSE, DUPLICATE_SAME_ACCESS)) local = nullptr;
  CloseHandle(process);
  return local;
}

IDropTarget* DropTargetOf(HWND window) {
  HANDLE section = TargetSection(window);
  if (section == nullptr) return nullptr;
  IStream* stream = StreamFromSection(section);
  CloseHandle(section);
  if (stream == nullptr) return nullptr;
  IDropTarget* target = nullptr;
  if (CoUnmarshalInterface(stream, IID_IDropTarget, reinterpret_cast<void**>(&target)) != S_OK) target = nullptr;
  stream->Release();
  return target;
}

}  // namespace

bool DropFromOutside(HWND window, const std::vector<std::string>& paths) {
  IDropTarget* target = DropTargetOf(window);
  if (target == nullptr) return false;
  // On the heap and cut off from its proxies before it goes: the target's
  // process may release them after Drop has returned.
  auto* data = new DataObject(CF_HDROP, MakeDrop(paths, false));
  const POINTL point{100, 100};
  DWORD effect = DROPEFFECT_COPY;
  target->DragEnter(data, MK_LBUTTON, point, &effect);
  effect = DROPEFFECT_COPY;
  target->DragOver(MK_LBUTTON, point, &effect);
  effect = DROPEFFECT_COPY;
  const HRESULT dropped = target->Drop(data, 0, point, &effect);
  CoDisconnectObject(data, 0);
  delete data;
  target->Release();
  return dropped == S_OK && effect == DROPEFFECT_COPY;
}
