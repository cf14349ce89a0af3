// Process-wide drawing values of the list cells: set once by start-up
// before MainWindowSubclassProc is installed, only read afterwards.
#pragma once

#include <windows.h>

extern WNDPROC previousWindowProc;      // the main window's procedure before ours
extern HWND drawnList;                  // the list whose cells are drawn: 超级列表框
extern COLORREF listTextColor;          // plain text, unselected row
extern COLORREF listBackColor;          // cell background, unselected row
extern COLORREF listTextBackColor;      // plain text, selected row
extern COLORREF selectedCellColor;      // cell background, selected row
extern COLORREF progressDoneColor;      // filled part of a bar
extern COLORREF progressRestColor;      // unfilled part of a bar
extern COLORREF progressTextColor;      // bar text, unselected row
extern COLORREF progressSelectedTextColor;  // bar text, selected row
extern COLORREF problemTextColor;          // verdict and failure texts of a problem row
