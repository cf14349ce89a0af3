// Program entry: process-wide state, the main window, its message loop.
#include <windows.h>

#include <commctrl.h>
#include <ole2.h>

#include <cstdlib>

#include "runs/globals.h"
#include "services/command_line.h"
#include "services/files.h"
#include "services/message_pump.h"
#include "shell/main_window.h"
#include "shell/handlers.h"

namespace {
constexpr DWORD kCommonControls = ICC_LISTVIEW_CLASSES | ICC_PROGRESS_CLASS | ICC_STANDARD_CLASSES;
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  CreateGlobals();
  std::atexit(ReleaseGlobals);
  // Relative arguments name paths from where the program was started.
  commandLinePaths = CommandLinePaths();
  SetCurrentDirectoryW(WideRunDirectory().c_str());
  OleInitialize(nullptr);  // drag and drop needs OLE on the window thread
  INITCOMMONCONTROLSEX controls{sizeof controls, kCommonControls};
  InitCommonControlsEx(&controls);

  if (CreateMainWindow(instance, ProgramEvents()) == nullptr) return 0;

  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) {
    if (HandleWindowKeys(message)) continue;
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  OleUninitialize();
  return 0;
}
