#include "render/cell_colors.h"

WNDPROC previousWindowProc = nullptr;
HWND drawnList = nullptr;
COLORREF listTextColor = 0;
COLORREF listBackColor = 0;
COLORREF listTextBackColor = 0;
COLORREF selectedCellColor = 0;
COLORREF progressDoneColor = 0;
COLORREF progressRestColor = 0;
COLORREF progressTextColor = 0;
COLORREF progressSelectedTextColor = 0;
COLORREF problemTextColor = 0;
