#include "shell/startup.h"

#include <windows.h>

#include <cstdint>

#include "render/cell_colors.h"
#include "render/progress_cells.h"
#include "runs/globals.h"
#include "runs/pooled_run.h"
#include "services/file_drop.h"
#include "services/list_control.h"
#include "services/text_ops.h"
#include "services/ui_tasks.h"
#include "shell/handlers.h"
#include "shell/main_window.h"
#include "shell/run_view.h"

namespace {

constexpr double kWorkersPerProcessor = 2.0;
constexpr COLORREF kWhite = 0xFFFFFF;
constexpr COLORREF kRed = 0x0000FF;  // RGB(255, 0, 0)
constexpr COLORREF kProblemRed = 0x0000D0;  // RGB(208, 0, 0): red that reads on white

void SetWorkerThreadCount() {
  workerThreadCount =
      static_cast<std::int32_t>(static_cast<double>(ProcessorCount()) * kWorkersPerProcessor);
}

void SetCellColors() {
  listTextColor = ListTextColor(超级列表框);
  listBackColor = ListBackColor(超级列表框);
  listTextBackColor = ListTextBackColor(超级列表框);
  selectedCellColor = MakeRgb(0, 96, 192);
  progressDoneColor = MakeRgb(204, 255, 0);
  progressRestColor = kWhite;
  progressTextColor = listTextColor;
  progressSelectedTextColor = kRed;
  problemTextColor = kProblemRed;
}

void InstallCellDrawing() {
  cellTextSource = ShownCellText;
  cellProblemSource = ShownCellIsProblem;
  rowTipSource = ShownRowReason;
  columnClickHandler = SortShownRows;
  cellBarSource = ShownCellBar;
  cellWideTextSource = ShownCellWideText;
  drawnList = WindowHandleOf(超级列表框);
  previousWindowProc = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrA(WindowHandleOf(mainWindow), GWLP_WNDPROC,
                        reinterpret_cast<LONG_PTR>(MainWindowSubclassProc)));
}

}  // namespace

void InitialiseMainWindow() {
  SetWorkerThreadCount();
  SetCellColors();
  InstallCellDrawing();
  StartApplyingRunChanges(WindowHandleOf(mainWindow));
  StartUiTasks();
  NotifyWhenRunSettles(ShowSettledRun);
  RegisterFileDrop(拖放对象1, WindowHandleOf(mainWindow));
  TakeStartingInput();
}
