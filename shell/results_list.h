// 超级列表框: the report list of a run's rows, and what it shows of them.
//
// How it works: the list keeps no rows of its own (LVS_OWNERDATA). Its row
// count is set once per run (Show), and it asks for each text it draws or
// is asked for (LVN_GETDISPINFO, which also answers LVM_GETITEMTEXT from any
// process), for each cell's drawing (NM_CUSTOMDRAW) and for a row's tip;
// the main window hands those notices here, and this answers from the rows
// shown and the coordinator's mode, so the texts always belong to the rows
// counted. The rows are shown in the order of the header clicked last (the
// run's own order before any click): a view is the list's index, a row the
// run's. Window thread only.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "render/cell_colors.h"
#include "render/progress_cells.h"
#include "runs/run_coordinator.h"
#include "runs/run_rows.h"
#include "services/text.h"
#include "shell/row_order.h"

class ResultsList {
 public:
  explicit ResultsList(RunCoordinator& runs) : runs_(runs) {}
  ResultsList(const ResultsList&) = delete;
  ResultsList& operator=(const ResultsList&) = delete;

  // The control, as a child of `parent`; null on failure.
  HWND Create(HWND parent, int id, UINT dpi, HFONT font);
  HWND Handle() const { return handle_; }
  void Forget() { handle_ = nullptr; }
  // Rows as high as blank images of the design's height at `dpi`.
  void SetRowHeight(UINT dpi);
  // Start-up: the drawing's colours, from the list's own.
  void ReadColors();
  const CellColors& Colors() const { return colors_; }

  // A WM_NOTIFY the list sent its parent.
  LRESULT OnNotify(LPARAM lParam);

  // The run's rows are shown from now on, in the order chosen last.
  void Show(const std::shared_ptr<RunRows>& rows);
  const std::shared_ptr<RunRows>& ShownRows() const { return shown_; }
  // Draws those of the run's rows that are in view anew, as one band;
  // rows out of view are drawn when they come into view.
  void RedrawRowsInView(const std::vector<std::int32_t>& rows);
  // A header click: sorts by `column`, or reverses the order when the rows
  // are sorted by it already. The rows keep their places while they change.
  void SortBy(std::int32_t column);

  // The run's row the list shows at `view` (-1 outside the rows shown), and
  // where the list shows the run's `row`.
  std::int32_t RowAt(std::int32_t view) const;
  std::int32_t ViewOf(std::int32_t row) const;
  // The run's row of the selected view, -1 when none.
  std::int32_t SelectedRow() const;
  // The shown row at `view`; false outside the rows shown.
  bool ReadView(std::int32_t view, RowSnapshot* row) const;

  // What the list shows at `view`, `column`; empty outside the rows shown.
  Text CellText(std::int32_t view, std::int32_t column) const;
  std::wstring CellWideText(std::int32_t view, std::int32_t column) const;
  CellLook LookOf(std::int32_t view, std::int32_t column) const;
  // The system's reason a shown row failed; empty when it did not fail.
  Text RowReason(std::int32_t view) const;

 private:
  bool Verifying() const { return runs_.verificationMode; }
  LRESULT OnCustomDraw(const NMLVCUSTOMDRAW& draw) const;
  void FitNumberColumn(const RunRows& rows);
  void ApplyOrder();

  RunCoordinator& runs_;
  HWND handle_ = nullptr;
  CellColors colors_;
  std::shared_ptr<RunRows> shown_;
  // The order the list shows the rows in: none until a header is clicked.
  std::int32_t sortColumn_ = -1;
  bool descending_ = false;
  std::vector<std::int32_t> viewToRow_;
  std::vector<std::int32_t> rowToView_;
  PathKeys pathKeys_;
};
