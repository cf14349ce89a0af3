// Program entry: the run's coordinator, the main window, its message loop.
#include <windows.h>

#include <commctrl.h>
#include <ole2.h>

#include <utility>

#include "runs/run_coordinator.h"
#include "services/command_line.h"
#include "services/files.h"
#include "services/message_pump.h"
#include "shell/program.h"

namespace {
constexpr DWORD kCommonControls = ICC_LISTVIEW_CLASSES | ICC_PROGRESS_CLASS | ICC_STANDARD_CLASSES;
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  // Relative arguments name paths from where the program was started.
  PathArray commandLinePaths = CommandLinePaths();
  SetCurrentDirectoryW(WideRunDirectory().c_str());
  OleInitialize(nullptr);  // drag and drop needs OLE on the window thread
  INITCOMMONCONTROLSEX controls{sizeof controls, kCommonControls};
  InitCommonControlsEx(&controls);

  // Never destroyed: the pool's workers, and a folder walk, may still be
  // running when the process ends (closing ends it with exit, from the
  // window's close).
  auto* runs = new RunCoordinator();
  auto* program = new Program(*runs, std::move(commandLinePaths));
  if (program->Start(instance) == nullptr) return 0;

  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) {
    if (HandleWindowKeys(message)) continue;
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  OleUninitialize();
  return 0;
}
