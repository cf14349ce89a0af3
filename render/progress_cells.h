// The main window's replacement procedure: it draws every cell of
// 超级列表框 itself, the cells its rows' state calls bars as progress bars.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "services/text.h"

// 超级列表框 keeps no texts (LVS_OWNERDATA): it asks for each cell's text,
// and this gives it. Set once at start-up; null gives empty cells.
using CellTextSource = Text (*)(std::int32_t row, std::int32_t column);
extern CellTextSource cellTextSource;
// The same cell in UTF-16: exact for names the code page lacks. It answers
// LVN_GETDISPINFOW and is drawn; null: the ANSI text converted.
using CellWideTextSource = std::wstring (*)(std::int32_t row, std::int32_t column);
extern CellWideTextSource cellWideTextSource;
// Whether a cell is a progress bar and its value (0..100), decided from the
// row's state: a cell's text never makes it a bar (a file may be named
// "50%"). Set once at start-up; null draws every cell as text.
using CellBarSource = bool (*)(std::int32_t row, std::int32_t column, double* percent);
extern CellBarSource cellBarSource;

// Whether a cell is drawn in problemTextColor, from the row's state; null
// draws every cell plainly.
using CellProblemSource = bool (*)(std::int32_t row, std::int32_t column);
extern CellProblemSource cellProblemSource;
// The tip shown over a row (LVN_GETINFOTIP); null or empty shows none.
using RowTipSource = Text (*)(std::int32_t row);
extern RowTipSource rowTipSource;

// A click on a column header (LVN_COLUMNCLICK); null ignores it.
using ColumnClickHandler = void (*)(std::int32_t column);
extern ColumnClickHandler columnClickHandler;

// WM_NOTIFY is answered here and never handed on; every other message goes
// to previousWindowProc unchanged.
LRESULT CALLBACK MainWindowSubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// One cell in the list's client coordinates: the column's current width,
// shifted by the horizontal scroll position, over the row's full height.
RECT GetCellRect(std::int32_t row, std::int32_t column, HWND list);
void FillSolidRect(HDC dc, const RECT& rect, COLORREF color);
// Left and top grow, right and bottom shrink.
void InsetRect(RECT& rect, std::int32_t dx, std::int32_t dy);
