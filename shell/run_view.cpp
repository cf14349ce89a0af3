#include "shell/run_view.h"

#include <algorithm>
#include <vector>

#include "runs/globals.h"
#include "services/texts.h"
#include "runs/file_row.h"
#include "runs/pooled_run.h"
#include "services/components.h"
#include "services/list_control.h"
#include "services/text_ops.h"
#include "shell/main_window.h"
#include "shell/row_texts.h"

namespace {

// Window thread only.
std::shared_ptr<RunRows> shownRows;

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

}  // namespace

void ShowRunRows(const std::shared_ptr<RunRows>& rows) {
  shownRows = rows;
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
}

RunRows* ShownRunRows() { return shownRows.get(); }

Text ShownCellText(std::int32_t row, std::int32_t column) {
  if (shownRows == nullptr || row < 0 || row >= shownRows->Count()) return Text();
  const RowSnapshot snapshot = shownRows->Read(row);
  const Text path = column == kColumnPath ? filePaths.At(snapshot.position) : Text();
  return RowCellText(snapshot, column, path);
}

std::wstring ShownCellWideText(std::int32_t row, std::int32_t column) {
  if (shownRows == nullptr || row < 0 || row >= shownRows->Count()) return std::wstring();
  const RowSnapshot snapshot = shownRows->Read(row);
  const std::wstring path = column == kColumnPath ? filePaths.WideAt(snapshot.position) : std::wstring();
  return RowCellWideText(snapshot, column, path);
}

bool ShownCellBar(std::int32_t row, std::int32_t column, double* percent) {
  if (shownRows == nullptr || row < 0 || row >= shownRows->Count()) return false;
  return RowCellBar(shownRows->Read(row), column, percent);
}

void RedrawRowsInView(const std::vector<std::int32_t>& changed) {
  const std::int32_t top = ListTopRow(超级列表框);
  const std::int32_t bottom = top + ListRowsPerPage(超级列表框);  // one partly shown row more
  std::int32_t first = bottom + 1;
  std::int32_t last = top - 1;
  for (std::int32_t row : changed) {
    if (row < top || row > bottom) continue;
    first = std::min(first, row);
    last = std::max(last, row);
  }
  if (first <= last) ListRedrawRows(超级列表框, first, last);
}
