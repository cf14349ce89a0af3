// Drawing one cell of 超级列表框 into the list's custom draw: a progress
// bar, or single-line text, over the selection's or the list's background.
// What a cell shows is decided by whoever owns the rows (CellLook); this
// only draws it.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <cstdint>
#include <string>

#include "render/cell_colors.h"

// One cell as its row's state decides it: a cell's text never makes it a
// bar (a file may be named "50%").
struct CellLook {
  std::wstring text;
  bool bar = false;      // drawn as a progress bar of `percent` (0..100)
  double percent = 0.0;
  bool problem = false;  // text in the problem colour
  bool centred = false;  // text centred, with an ellipsis at its end when too wide
};

// The custom draw's sub-item stage: the stage at which cells are drawn.
inline constexpr DWORD kCellDrawStage = CDDS_ITEMPREPAINT | CDDS_SUBITEM;

// The cell of `draw` (its row, column and device context) of `list`.
void DrawListCell(const NMLVCUSTOMDRAW& draw, HWND list, const CellLook& look, const CellColors& colors);

// One cell in the list's client coordinates: the column's current width,
// shifted by the horizontal scroll position, over the row's full height.
RECT GetCellRect(std::int32_t row, std::int32_t column, HWND list);
void FillSolidRect(HDC dc, const RECT& rect, COLORREF color);
// Left and top grow, right and bottom shrink.
void InsetRect(RECT& rect, std::int32_t dx, std::int32_t dy);
