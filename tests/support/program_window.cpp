#include "tests/support/program_window.h"

#include <commctrl.h>
#include <ole2.h>

#include "services/list_control.h"
#include "services/texts.h"
#include "services/wide_paths.h"
#include "shell/digest_list.h"
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

// The test process's program. Never destroyed, as the program's own: its
// workers and its folder walker may still hold it when the process ends.
Program* current = nullptr;

}  // namespace

HWND StartProgramWindow() {
  if (current == nullptr) {
    OleInitialize(nullptr);
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES | ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&controls);
    auto* runs = new RunCoordinator();
    current = new Program(*runs);
    current->Start(GetModuleHandleA(nullptr));
    PumpFor(50);
  }
  return TheWindow().window;
}

void ResetRuns() {
  StartProgramWindow();
  WaitUntilSettled(60000, 300);
  RunCoordinator& runs = TheRuns();
  runs.filePaths.Clear();
  runs.verificationMode = false;
  runs.verifiedListFolder.clear();
  TheProgram().StartPooledRunAndShow();  // a run of nothing: no rows
}

Program& TheProgram() { return *current; }
RunCoordinator& TheRuns() { return current->Runs(); }
MainWindow& TheWindow() { return current->Window(); }

void AppendDropped(const std::string& path) { TheRuns().filePaths.Append(WideOf(Text(path.c_str()))); }

void AppendListed(const std::string& path, const std::string& digest) {
  TheRuns().filePaths.Append(
      ListedEntry(WideOf(Text(path.c_str())), TheRuns().verifiedListFolder, Text(digest.c_str())));
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
  HWND list = TheWindow().list.Handle();
  std::vector<RowCells> rows(static_cast<size_t>(ListItemCount(list)));
  for (size_t row = 0; row < rows.size(); ++row)
    for (int column = 0; column < kColumns; ++column)
      rows[row].cell[column] = ListGetCellText(list, static_cast<int>(row), column).Bytes();
  return rows;
}

std::string LabelText() {
  char text[256] = {};
  GetWindowTextA(TheWindow().countLabel, text, sizeof text);
  return text;
}

std::string CountsLabelText() {
  char text[256] = {};
  GetWindowTextA(TheWindow().countsLabel, text, sizeof text);
  return text;
}

int ProgressPosition() { return static_cast<int>(SendMessageA(TheWindow().progressBar, PBM_GETPOS, 0, 0)); }

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
  return DropFilesOn(static_cast<IDropTarget*>(TheWindow().dropTarget.target), paths, wide);
}

void ClickButton(HWND button) { SendMessageA(button, BM_CLICK, 0, 0); }

void ClickHeader(int column) {
  NMLISTVIEW click{};
  click.hdr.hwndFrom = TheWindow().list.Handle();
  click.hdr.idFrom = kIdList;
  click.hdr.code = LVN_COLUMNCLICK;
  click.iItem = -1;
  click.iSubItem = column;
  SendMessageA(TheWindow().window, WM_NOTIFY, kIdList, reinterpret_cast<LPARAM>(&click));
}
