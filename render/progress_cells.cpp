#include "render/progress_cells.h"

#include "services/dpi.h"
#include "services/list_control.h"
#include "services/text_ops.h"

namespace {

constexpr UINT kRowStateMask = LVIS_FOCUSED | LVIS_SELECTED | LVIS_CUT;  // 7
constexpr UINT kProgressTextFormat = DT_CENTER | DT_VCENTER | DT_SINGLELINE;  // 0x25
constexpr UINT kPlainTextFormat = DT_LEFT | DT_VCENTER | DT_SINGLELINE;       // 0x24
// A digest wider than its column would lose both ends when centred; the
// ellipsis keeps its start, as the list's own centred columns do.
constexpr UINT kCentredTextFormat = DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS;
// At 96 DPI; scaled to the list's DPI.
constexpr std::int32_t kCellInsetX = 2;
constexpr std::int32_t kCellInsetY = 1;
constexpr std::int32_t kBarFrameWidth = 1;
constexpr double kFullBar = 100.0;
constexpr COLORREF kWhite = 0xFFFFFF;
constexpr COLORREF kRed = 0x0000FF;         // RGB(255, 0, 0)
constexpr COLORREF kProblemRed = 0x0000D0;  // RGB(208, 0, 0): red that reads on white

// A bar value outside 0..100 would put the fill outside the frame; the
// program itself gives only 0..100.
double BarValue(double value) {
  if (!(value >= 0.0)) return 0.0;  // NaN too
  return value > kFullBar ? kFullBar : value;
}

bool IsRowSelected(HWND list, DWORD_PTR row) {
  const auto state = static_cast<UINT>(SendMessageA(list, LVM_GETITEMSTATE, row, kRowStateMask));
  return (state & LVIS_SELECTED) != 0;
}

// Frame with the pen and brush the list left in the DC; above 96 DPI a pen
// of the same colour as wide as the frame's scaled width.
void DrawBarFrame(HDC dc, const RECT& cell, std::int32_t frameWidth) {
  if (frameWidth <= kBarFrameWidth) {
    Rectangle(dc, cell.left, cell.top, cell.right, cell.bottom);
    return;
  }
  LOGPEN current{};
  GetObjectA(GetCurrentObject(dc, OBJ_PEN), sizeof current, &current);
  HPEN pen = CreatePen(PS_INSIDEFRAME, frameWidth, current.lopnColor);
  HGDIOBJ previous = SelectObject(dc, pen);
  Rectangle(dc, cell.left, cell.top, cell.right, cell.bottom);
  SelectObject(dc, previous);
  DeleteObject(pen);
}

void DrawProgressCell(HDC dc, RECT cell, const CellLook& look, bool selected, UINT dpi,
                      const CellColors& colors) {
  const std::int32_t frameWidth = ScaleForDpi(kBarFrameWidth, dpi);
  DrawBarFrame(dc, cell, frameWidth);
  RECT bar = cell;
  InsetRect(bar, frameWidth, frameWidth);
  const double value = BarValue(look.percent);
  RECT done = bar;
  RECT rest = bar;
  done.right = static_cast<LONG>(static_cast<double>(bar.right - bar.left) * value / kFullBar +
                                 static_cast<double>(bar.left));
  rest.left = done.right;
  SetTextColor(dc, selected ? colors.progressSelectedTextColor : colors.progressTextColor);
  FillSolidRect(dc, done, colors.progressDoneColor);
  FillSolidRect(dc, rest, colors.progressRestColor);
  DrawTextW(dc, look.text.c_str(), static_cast<int>(look.text.size()), &bar, kProgressTextFormat);
}

// A selected row keeps its own text colour: red on the selection's blue
// would not read.
COLORREF PlainTextColor(bool selected, bool problem, const CellColors& colors) {
  if (selected) return colors.listTextBackColor;
  return problem ? colors.problemTextColor : colors.listTextColor;
}

void DrawPlainCell(HDC dc, RECT cell, const CellLook& look, COLORREF color) {
  SetTextColor(dc, color);
  DrawTextW(dc, look.text.c_str(), static_cast<int>(look.text.size()), &cell,
            look.centred ? kCentredTextFormat : kPlainTextFormat);
}

}  // namespace

CellColors CellColorsFor(COLORREF listText, COLORREF listBack, COLORREF listTextBack) {
  CellColors colors;
  colors.listTextColor = listText;
  colors.listBackColor = listBack;
  colors.listTextBackColor = listTextBack;
  colors.selectedCellColor = MakeRgb(0, 96, 192);
  colors.progressDoneColor = MakeRgb(204, 255, 0);
  colors.progressRestColor = kWhite;
  colors.progressTextColor = listText;
  colors.progressSelectedTextColor = kRed;
  colors.problemTextColor = kProblemRed;
  return colors;
}

void DrawListCell(const NMLVCUSTOMDRAW& draw, HWND list, const CellLook& look, const CellColors& colors) {
  const auto row = static_cast<std::int32_t>(draw.nmcd.dwItemSpec);
  HDC dc = draw.nmcd.hdc;
  RECT cell = GetCellRect(row, draw.iSubItem, list);
  const bool selected = IsRowSelected(list, draw.nmcd.dwItemSpec);
  FillSolidRect(dc, cell, selected ? colors.selectedCellColor : colors.listBackColor);
  // The list leaves an opaque white text background in the DC (Wine does),
  // which would box every text in white over the bars and the selection.
  SetBkMode(dc, TRANSPARENT);
  const UINT dpi = DpiOfWindow(list);
  InsetRect(cell, ScaleForDpi(kCellInsetX, dpi), ScaleForDpi(kCellInsetY, dpi));
  if (look.bar) {
    DrawProgressCell(dc, cell, look, selected, dpi, colors);
  } else {
    DrawPlainCell(dc, cell, look, PlainTextColor(selected, look.problem, colors));
  }
}

RECT GetCellRect(std::int32_t row, std::int32_t column, HWND list) {
  std::int32_t x = 0;
  for (std::int32_t left = 0; left < column; ++left) x += ListColumnWidth(list, left);
  // Top 0 asks for sub-item 0 and left 0 (LVIR_BOUNDS) for the whole row:
  // only its top and bottom are used.
  RECT rowBounds{LVIR_BOUNDS, 0, 0, 0};
  SendMessageA(list, LVM_GETSUBITEMRECT, static_cast<WPARAM>(row),
               reinterpret_cast<LPARAM>(&rowBounds));
  RECT cell{};
  cell.left = x - GetScrollPos(list, SB_HORZ);
  cell.right = cell.left + ListColumnWidth(list, column);
  cell.top = rowBounds.top;
  cell.bottom = rowBounds.bottom;
  return cell;
}

void FillSolidRect(HDC dc, const RECT& rect, COLORREF color) {
  HBRUSH brush = CreateSolidBrush(color);
  FillRect(dc, &rect, brush);
  DeleteObject(brush);
}

void InsetRect(RECT& rect, std::int32_t dx, std::int32_t dy) {
  rect.left += dx;
  rect.right -= dx;
  rect.top += dy;
  rect.bottom -= dy;
}
