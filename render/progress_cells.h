// The main window's replacement procedure: it draws every cell of
// 超级列表框 itself and turns cells ending in "%" into progress bars.
#pragma once

#include <windows.h>

#include <cstdint>

#include "services/text.h"

// 超级列表框 keeps no texts (LVS_OWNERDATA): it asks for each cell's text,
// and this gives it. Set once at start-up; null gives empty cells.
using CellTextSource = Text (*)(std::int32_t row, std::int32_t column);
extern CellTextSource cellTextSource;

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
