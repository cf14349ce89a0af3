// The drop target 拖放对象1: files dropped on a window, delivered as one
// wide text (one path alone, or every path followed by CR LF).
#pragma once

#include <windows.h>

#include <functional>
#include <string>

using FileDropHandler = std::function<void(const std::wstring& dropText)>;

struct FileDropComponent {
  FileDropHandler handler = nullptr;
  bool registered = false;
  void* target = nullptr;  // the OLE drop target object while registered
  HWND window = nullptr;   // the window it watches while registered
};

// False when this component is already registered or RegisterDragDrop fails.
bool RegisterFileDrop(FileDropComponent& component, HWND window);
// Ends the registration (before the window is destroyed), so that the
// component can be registered again. Does nothing when not registered.
void RevokeFileDrop(FileDropComponent& component);
