// The window's side of the runs: it applies what the workers published.
//
// How it works: every kApplyIntervalMs the window thread takes the rows
// that changed since last time and redraws those in view, and sets 标签1
// and 进度条1 when their values changed. A new run is shown by setting the
// list's row count once. The list asks for each text it draws or is asked
// for (LVM_GETITEMTEXT from any process) and ShownCellText answers from
// the rows shown, so the texts always belong to the rows counted.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "runs/run_rows.h"
#include "services/text.h"

inline constexpr UINT_PTR kApplyTimerId = 2;
inline constexpr UINT kApplyIntervalMs = 40;  // 25 updates a second

// Starts applying on the main window's timer.
void StartApplyingRunChanges(HWND window);
// One application, at once (also what the timer runs).
void ApplyRunChanges();
// Shows these rows from now on (ApplyRunChanges does so for each new run).
void ShowRunRows(const std::shared_ptr<RunRows>& rows);
// The rows the list shows (null before the first run). Window thread.
RunRows* ShownRunRows();
// The list shows the rows in the order of the header clicked last (the
// run's own order before any click); `view` is the list's index, and the
// run's row is found through that order.
// The cell's text as the list shows it; empty outside the rows shown.
Text ShownCellText(std::int32_t view, std::int32_t column);
// The same in UTF-16, exact for any name.
std::wstring ShownCellWideText(std::int32_t view, std::int32_t column);
// Whether the cell is drawn as a bar, and its value; no bar outside the rows shown.
bool ShownCellBar(std::int32_t view, std::int32_t column, double* percent);
// True for the cells of a problem row drawn in the problem colour.
bool ShownCellIsProblem(std::int32_t view, std::int32_t column);
bool ShownRowIsProblem(std::int32_t view);
// The system's reason a shown row failed; empty when it did not fail.
Text ShownRowReason(std::int32_t view);
// Where the list shows the run's row `row`.
std::int32_t ShownViewOfRow(std::int32_t row);
// A header click: sorts by `column`, or reverses the order when the rows
// are sorted by it already. The rows keep their places while they change.
void SortShownRows(std::int32_t column);
// Draws those of the run's rows that are in view anew, as one band; rows out of view are
// drawn when they come into view.
void RedrawRowsInView(const std::vector<std::int32_t>& rows);
