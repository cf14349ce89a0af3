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
// The cell's text as the list shows it; empty outside the rows shown.
Text ShownCellText(std::int32_t row, std::int32_t column);
// The same in UTF-16, exact for any name.
std::wstring ShownCellWideText(std::int32_t row, std::int32_t column);
// Whether the cell is drawn as a bar, and its value; no bar outside the rows shown.
bool ShownCellBar(std::int32_t row, std::int32_t column, double* percent);
// Draws those of the rows in view anew, as one band; rows out of view are
// drawn when they come into view.
void RedrawRowsInView(const std::vector<std::int32_t>& rows);
