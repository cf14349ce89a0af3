#include "tests/support/program_window.h"

#include <commctrl.h>
#include <ole2.h>

#include "runs/globals.h"
#include "services/texts.h"
#include "services/list_control.h"
#include "shell/handlers.h"
#include "shell/main_window.h"
#include "tests/support/drop_data.h"

namespace {

constexpr int kColumns = 5;
constexpr DWORD kPumpSliceMs = 5;

void PumpOnce(DWORD waitMs) {
  MsgWaitForMultipleObjects(0, nullptr, FALSE, waitMs, QS_ALLINPUT);
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
}

}  // namespace

HWND StartProgramWindow() {
  static HWND window = [] {
    OleInitialize(nullptr);
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES | ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&controls);
    CreateGlobals();
    HWND created = CreateMainWindow(GetModuleHandleA(nullptr), ProgramEvents());
    PumpFor(50);
    return created;
  }();
  return window;
}

void ResetRuns() {
  WaitUntilSettled(60000, 300);
  filePaths.Clear();
  expectedDigests.Clear();
  stopRequested = 0;
  ProgramEvents().pooledRunClicked();  // a run of nothing: no rows
}

void PumpFor(DWORD milliseconds) {
  const DWORD start = GetTickCount();
  while (GetTickCount() - start < milliseconds) PumpOnce(kPumpSliceMs);
}

bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs) {
  const DWORD start = GetTickCount();
  while (!done()) {
    if (GetTickCount() - start >= timeoutMs) return false;
    PumpOnce(kPumpSliceMs);
  }
  return true;
}

std::vector<RowCells> ReadRows() {
  std::vector<RowCells> rows(static_cast<size_t>(ListItemCount(超级列表框)));
  for (size_t row = 0; row < rows.size(); ++row)
    for (int column = 0; column < kColumns; ++column)
      rows[row].cell[column] = ListGetCellText(超级列表框, static_cast<int>(row), column).Bytes();
  return rows;
}

std::string LabelText() {
  char text[256] = {};
  GetWindowTextA(标签1, text, sizeof text);
  return text;
}

std::string CountsLabelText() {
  char text[256] = {};
  GetWindowTextA(标签_统计, text, sizeof text);
  return text;
}

int ProgressPosition() { return static_cast<int>(SendMessageA(进度条1, PBM_GETPOS, 0, 0)); }

bool IsDigestText(const std::string& text) {
  if (text.size() != 32) return false;
  for (char c : text)
    if (!((c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'))) return false;
  return true;
}

bool AllRowsFinished() {
  for (const RowCells& row : ReadRows())
    if (!IsDigestText(row.cell[3]) && row.cell[2] != texts::kDigestFailed) return false;
  return true;
}

bool WaitUntilSettled(DWORD timeoutMs, DWORD quietMs) {
  const DWORD start = GetTickCount();
  std::vector<std::string> last;
  DWORD stableSince = GetTickCount();
  for (;;) {
    std::vector<std::string> now;
    for (const RowCells& row : ReadRows())
      for (const std::string& cell : row.cell) now.push_back(cell);
    now.push_back(LabelText());
    if (now != last) {
      last = now;
      stableSince = GetTickCount();
    } else if (AllRowsFinished() && GetTickCount() - stableSince >= quietMs) {
      return true;
    }
    if (GetTickCount() - start >= timeoutMs) return false;
    PumpOnce(20);
  }
}

bool DropPaths(const std::vector<std::string>& paths, bool wide) {
  return DropFilesOn(static_cast<IDropTarget*>(拖放对象1.target), paths, wide);
}

void ClickButton(HWND button) { SendMessageA(button, BM_CLICK, 0, 0); }

void ClickHeader(int column) {
  NMLISTVIEW click{};
  click.hdr.hwndFrom = 超级列表框;
  click.hdr.idFrom = kIdList;
  click.hdr.code = LVN_COLUMNCLICK;
  click.iItem = -1;
  click.iSubItem = column;
  SendMessageA(mainWindow, WM_NOTIFY, kIdList, reinterpret_cast<LPARAM>(&click));
}
