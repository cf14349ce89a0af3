#include "shell/run_view.h"

#include <algorithm>
#include <vector>

#include "runs/globals.h"
#include "services/texts.h"
#include "runs/file_row.h"
#include "runs/pooled_run.h"
#include "services/components.h"
#include "services/list_control.h"
#include "services/taskbar_progress.h"
#include "services/text_ops.h"
#include "shell/main_window.h"
#include "shell/row_texts.h"
#include "shell/row_order.h"
#include "shell/run_counts.h"

namespace {

// Window thread only.
std::shared_ptr<RunRows> shownRows;
Text shownCounts;  // 标签_统计's text, set only when it changes

// The order the list shows the rows in: none until a header is clicked.
// viewToRow maps a list index to the run's row, rowToView back.
struct ViewOrder {
  std::int32_t column = -1;
  bool descending = false;
  std::vector<std::int32_t> viewToRow;
  std::vector<std::int32_t> rowToView;
};
ViewOrder viewOrder;

bool IsShownView(std::int32_t view) {
  return shownRows != nullptr && view >= 0 && view < shownRows->Count();
}

std::int32_t RowAt(std::int32_t view) {
  if (viewOrder.viewToRow.empty()) return view;
  return viewOrder.viewToRow[static_cast<std::size_t>(view)];
}

std::int32_t ViewOf(std::int32_t row) {
  if (viewOrder.rowToView.empty()) return row;
  if (row < 0 || row >= static_cast<std::int32_t>(viewOrder.rowToView.size())) return row;
  return viewOrder.rowToView[static_cast<std::size_t>(row)];
}

// Sorts the shown rows by viewOrder's column, as they stand now.
void ApplyViewOrder() {
  viewOrder.viewToRow.clear();
  viewOrder.rowToView.clear();
  if (shownRows == nullptr || viewOrder.column < 0) return;
  viewOrder.viewToRow = RowsInOrder(*shownRows, viewOrder.column, viewOrder.descending);
  viewOrder.rowToView.assign(viewOrder.viewToRow.size(), 0);
  for (std::size_t view = 0; view < viewOrder.viewToRow.size(); ++view)
    viewOrder.rowToView[static_cast<std::size_t>(viewOrder.viewToRow[view])] = static_cast<std::int32_t>(view);
}

void CALLBACK OnApplyTimer(HWND, UINT, UINT_PTR, DWORD) { ApplyRunChanges(); }

// Room around the number: the cell's inset and the grid line on each side.
constexpr std::int32_t kNumberMargin = 12;

// Column 0 widens to fit the largest row number (the last row's); it never
// narrows.
void FitNumberColumn(const RunRows& rows) {
  if (rows.Count() == 0) return;
  const Text largest = ToText(rows.PositionOf(rows.Count() - 1));
  const std::int32_t needed = ListTextWidth(超级列表框, largest) + kNumberMargin;
  if (needed > ListColumnWidth(超级列表框, kColumnNumber))
    ListSetColumnWidth(超级列表框, kColumnNumber, needed);
}

void ApplyLabelAndBar() {
  std::int32_t total = 0;
  std::int32_t count = 0;
  if (TakeLabelChange(total, count)) {
    SetCaption(标签1, ConcatTexts({texts::kTotalCount, ToText(total), texts::kArrow, ToText(count)}));
  }
  const std::int32_t bar = TakeProgressBarChange();
  if (bar >= 0) SetProgressPosition(进度条1, bar);
}

// The taskbar button follows the run: red once a problem is found, and
// nothing once every row is settled.
void ShowOnTaskbar(const RunCounts& counts) {
  static TaskbarProgress* const taskbar = new TaskbarProgress();  // never destroyed, as the window
  const std::int32_t settled = counts.done + counts.failed;
  if (settled >= counts.rows) {
    taskbar->Clear(WindowHandleOf(mainWindow));
    return;
  }
  taskbar->Show(WindowHandleOf(mainWindow), settled, counts.rows,
                counts.failed + counts.mismatched > 0);
}

void ApplyCounts() {
  if (shownRows == nullptr) return;
  const RunCounts numbers = shownRows->Counts();
  const Text counts =
      CountsText(numbers, verificationMode, GetTickCount64() - shownRows->StartTick());
  if (counts == shownCounts) return;
  shownCounts = counts;
  SetCaption(标签_统计, counts);
  ShowOnTaskbar(numbers);
}

}  // namespace

void ShowRunRows(const std::shared_ptr<RunRows>& rows) {
  shownRows = rows;
  ApplyViewOrder();  // a new run is shown in the order chosen last
  // Emptied first, so selection and focus of the old rows go with them.
  ListDeleteAllRows(超级列表框);
  ListSetItemCount(超级列表框, rows->Count());
  FitNumberColumn(*rows);
  rows->TakeChangedRows();  // every row is drawn afresh anyway
}

void StartApplyingRunChanges(HWND window) {
  SetTimer(window, kApplyTimerId, kApplyIntervalMs, OnApplyTimer);
}

void ApplyRunChanges() {
  if (超级列表框 == nullptr) return;
  const std::shared_ptr<RunRows> rows = CurrentRunRows();
  if (rows != nullptr && rows != shownRows) {
    ShowRunRows(rows);
  } else if (shownRows != nullptr) {
    RedrawRowsInView(shownRows->TakeChangedRows());
  }
  ApplyLabelAndBar();
  ApplyCounts();
}

RunRows* ShownRunRows() { return shownRows.get(); }

Text ShownCellText(std::int32_t view, std::int32_t column) {
  if (!IsShownView(view)) return Text();
  // The name's ANSI form comes from its exact one.
  if (column == kColumnPath) return AnsiTextOf(ShownCellWideText(view, column));
  return RowCellText(shownRows->Read(RowAt(view)), column, Text());
}

bool ShownCellIsProblem(std::int32_t view, std::int32_t column) {
  return IsShownView(view) && IsProblemCell(shownRows->Read(RowAt(view)), column);
}

bool ShownRowIsProblem(std::int32_t view) {
  return IsShownView(view) && IsProblemRow(shownRows->Read(RowAt(view)));
}

Text ShownRowReason(std::int32_t view) {
  if (!IsShownView(view)) return Text();
  return FailureReason(shownRows->Read(RowAt(view)));
}

std::int32_t ShownViewOfRow(std::int32_t row) { return ViewOf(row); }

void SortShownRows(std::int32_t column) {
  viewOrder.descending = column == viewOrder.column && !viewOrder.descending;
  viewOrder.column = column;
  ApplyViewOrder();
  // The selection belonged to a place in the old order.
  if (ListSelectedRow(超级列表框) >= 0) ListSelectRow(超级列表框, -1, false);
  InvalidateRect(超级列表框, nullptr, FALSE);
}

std::wstring ShownCellWideText(std::int32_t view, std::int32_t column) {
  if (!IsShownView(view)) return std::wstring();
  const RowSnapshot snapshot = shownRows->Read(RowAt(view));
  const std::wstring path = column == kColumnPath ? filePaths.WideAt(snapshot.position) : std::wstring();
  return RowCellWideText(snapshot, column, path);
}

bool ShownCellBar(std::int32_t view, std::int32_t column, double* percent) {
  return IsShownView(view) && RowCellBar(shownRows->Read(RowAt(view)), column, percent);
}

void RedrawRowsInView(const std::vector<std::int32_t>& changed) {
  const std::int32_t top = ListTopRow(超级列表框);
  const std::int32_t bottom = top + ListRowsPerPage(超级列表框);  // one partly shown row more
  std::int32_t first = bottom + 1;
  std::int32_t last = top - 1;
  for (std::int32_t row : changed) {
    const std::int32_t view = ViewOf(row);
    if (view < top || view > bottom) continue;
    first = std::min(first, view);
    last = std::max(last, view);
  }
  if (first <= last) ListRedrawRows(超级列表框, first, last);
}
