// The colours the list's cells are drawn in: the list's own three, read
// from it once at start-up, and the drawing's fixed ones. A later change of
// the list's colours does not reach the drawing.
#pragma once

#include <windows.h>

struct CellColors {
  COLORREF listTextColor = 0;              // plain text, unselected row
  COLORREF listBackColor = 0;              // cell background, unselected row
  COLORREF listTextBackColor = 0;          // plain text, selected row
  COLORREF selectedCellColor = 0;          // cell background, selected row
  COLORREF progressDoneColor = 0;          // filled part of a bar
  COLORREF progressRestColor = 0;          // unfilled part of a bar
  COLORREF progressTextColor = 0;          // bar text, unselected row
  COLORREF progressSelectedTextColor = 0;  // bar text, selected row
  COLORREF problemTextColor = 0;           // verdict and failure texts of a problem row
};

// The drawing's colours for a list whose own colours are these.
CellColors CellColorsFor(COLORREF listText, COLORREF listBack, COLORREF listTextBack);
