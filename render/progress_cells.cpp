#include "render/progress_cells.h"

#include <commctrl.h>

#include <algorithm>
#include <cstring>

#include "render/cell_colors.h"
#include "services/dpi.h"
#include "services/list_control.h"
#include "services/text_ops.h"
#include "services/wide_paths.h"

CellTextSource cellTextSource = nullptr;
CellProblemSource cellProblemSource = nullptr;
RowTipSource rowTipSource = nullptr;
ColumnClickHandler columnClickHandler = nullptr;
CellBarSource cellBarSource = nullptr;
CellWideTextSource cellWideTextSource = nullptr;

namespace {

constexpr UINT kRowStateMask = LVIS_FOCUSED | LVIS_SELECTED | LVIS_CUT;  // 7
constexpr UINT kProgressTextFormat = DT_CENTER | DT_VCENTER | DT_SINGLELINE;  // 0x25
constexpr UINT kPlainTextFormat = DT_LEFT | DT_VCENTER | DT_SINGLELINE;       // 0x24
// A digest wider than its column would lose both ends when centred; the
// ellipsis keeps its start, as the list's own centred columns do.
constexpr UINT kCentredTextFormat = DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS;
constexpr std::int32_t kCentredColumn = 3;  // the digest, centred like its header
// At 96 DPI; scaled to the list's DPI.
constexpr std::int32_t kCellInsetX = 2;
constexpr std::int32_t kCellInsetY = 1;
constexpr std::int32_t kBarFrameWidth = 1;
constexpr double kFullBar = 100.0;
constexpr DWORD kCellStage = CDDS_ITEMPREPAINT | CDDS_SUBITEM;

// A bar value outside 0..100 would put the fill outside the frame; the
// program itself gives only 0..100.
double BarValue(double value) {
  if (!(value >= 0.0)) return 0.0;  // NaN too
  return value > kFullBar ? kFullBar : value;
}

bool IsBar(std::int32_t row, std::int32_t column, double* percent) {
  return cellBarSource != nullptr && cellBarSource(row, column, percent);
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

void DrawProgressCell(HDC dc, RECT cell, const std::wstring& text, double percent, bool selected,
                      UINT dpi) {
  const std::int32_t frameWidth = ScaleForDpi(kBarFrameWidth, dpi);
  DrawBarFrame(dc, cell, frameWidth);
  RECT bar = cell;
  InsetRect(bar, frameWidth, frameWidth);
  const double value = BarValue(percent);
  RECT done = bar;
  RECT rest = bar;
  done.right = static_cast<LONG>(static_cast<double>(bar.right - bar.left) * value / kFullBar +
                                 static_cast<double>(bar.left));
  rest.left = done.right;
  SetTextColor(dc, selected ? progressSelectedTextColor : progressTextColor);
  FillSolidRect(dc, done, progressDoneColor);
  FillSolidRect(dc, rest, progressRestColor);
  DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &bar, kProgressTextFormat);
}

bool IsProblemCell(std::int32_t row, std::int32_t column) {
  return cellProblemSource != nullptr && cellProblemSource(row, column);
}

// A selected row keeps its own text colour: red on the selection's blue
// would not read.
COLORREF PlainTextColor(bool selected, bool problem) {
  if (selected) return listTextBackColor;
  return problem ? problemTextColor : listTextColor;
}

void DrawPlainCell(HDC dc, RECT cell, const std::wstring& text, COLORREF color, UINT format) {
  SetTextColor(dc, color);
  DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &cell, format);
}

std::wstring CellWideText(HWND list, std::int32_t row, std::int32_t column) {
  if (cellWideTextSource != nullptr) return cellWideTextSource(row, column);
  return WideOf(ListGetCellText(list, row, column));
}

void DrawCell(const NMLVCUSTOMDRAW& draw) {
  HWND list = drawnList;
  const auto row = static_cast<std::int32_t>(draw.nmcd.dwItemSpec);
  const std::int32_t column = draw.iSubItem;
  HDC dc = draw.nmcd.hdc;
  const std::wstring text = CellWideText(list, row, column);
  RECT cell = GetCellRect(row, column, list);
  const bool selected = IsRowSelected(list, draw.nmcd.dwItemSpec);
  FillSolidRect(dc, cell, selected ? selectedCellColor : listBackColor);
  // The list leaves an opaque white text background in the DC (Wine does),
  // which would box every text in white over the bars and the selection.
  SetBkMode(dc, TRANSPARENT);
  const UINT dpi = DpiOfWindow(list);
  InsetRect(cell, ScaleForDpi(kCellInsetX, dpi), ScaleForDpi(kCellInsetY, dpi));
  double percent = 0.0;
  if (IsBar(row, column, &percent)) {
    DrawProgressCell(dc, cell, text, percent, selected, dpi);
  } else {
    DrawPlainCell(dc, cell, text, PlainTextColor(selected, IsProblemCell(row, column)),
                  column == kCentredColumn ? kCentredTextFormat : kPlainTextFormat);
  }
}

LRESULT OnCustomDraw(const NMLVCUSTOMDRAW& draw) {
  switch (draw.nmcd.dwDrawStage) {
    case CDDS_PREPAINT:
      return CDRF_NOTIFYITEMDRAW;
    case CDDS_ITEMPREPAINT:
      return CDRF_NOTIFYSUBITEMDRAW;
    case kCellStage:
      DrawCell(draw);
      return CDRF_SKIPDEFAULT;
    default:
      return CDRF_DODEFAULT;
  }
}

Text CellText(std::int32_t row, std::int32_t column) {
  if (cellTextSource == nullptr) return Text();
  return cellTextSource(row, column);
}

// The text goes into the buffer the asker gave, cut to its size, so it
// reaches any process that reads the list with LVM_GETITEMTEXT.
void AnswerCellText(NMLVDISPINFOA& info) {
  if ((info.item.mask & LVIF_TEXT) == 0 || info.item.pszText == nullptr || info.item.cchTextMax <= 0)
    return;
  const Text text = CellText(info.item.iItem, info.item.iSubItem);
  const auto length = std::min<std::size_t>(static_cast<std::size_t>(text.Length()),
                                            static_cast<std::size_t>(info.item.cchTextMax - 1));
  std::memcpy(info.item.pszText, text.CStr(), length);
  info.item.pszText[length] = '\0';
}

// A list that speaks Unicode to its parent asks in UTF-16.
void AnswerCellTextWide(NMLVDISPINFOW& info) {
  if ((info.item.mask & LVIF_TEXT) == 0 || info.item.pszText == nullptr || info.item.cchTextMax <= 0)
    return;
  const std::wstring text = cellWideTextSource != nullptr
                                ? cellWideTextSource(info.item.iItem, info.item.iSubItem)
                                : WideOf(CellText(info.item.iItem, info.item.iSubItem));
  const std::size_t length =
      std::min(text.size(), static_cast<std::size_t>(info.item.cchTextMax - 1));
  std::memcpy(info.item.pszText, text.data(), length * sizeof(wchar_t));
  info.item.pszText[length] = L'\0';
}

// The tip goes into the asker's buffer, cut to its size; a row without a
// reason leaves the buffer as it came (the list then shows no tip).
template <typename Tip>
void AnswerRowTip(Tip& tip) {
  if (rowTipSource == nullptr || tip.pszText == nullptr || tip.cchTextMax <= 0) return;
  const Text text = rowTipSource(tip.iItem);
  if (text.IsEmpty()) return;
  if constexpr (sizeof(*tip.pszText) == 1) {
    const auto length = std::min<std::size_t>(static_cast<std::size_t>(text.Length()),
                                              static_cast<std::size_t>(tip.cchTextMax - 1));
    std::memcpy(tip.pszText, text.CStr(), length);
    tip.pszText[length] = '\0';
  } else {
    const int written = MultiByteToWideChar(CP_ACP, 0, text.CStr(), text.Length(), tip.pszText,
                                            tip.cchTextMax - 1);
    tip.pszText[std::max(written, 0)] = L'\0';
  }
}

// The rows carry no images: the blank image list only sets their height.
template <typename Item>
void AnswerNoImage(Item& item) {
  if ((item.mask & LVIF_IMAGE) != 0) item.iImage = -1;
}

LRESULT OnNotify(LPARAM lParam) {
  // Copied out: the record is read again below as the type its code names.
  NMHDR header{};
  std::memcpy(&header, reinterpret_cast<const void*>(lParam), sizeof header);
  if (header.hwndFrom != drawnList) return 0;
  switch (header.code) {
    case NM_CUSTOMDRAW:
      return OnCustomDraw(*reinterpret_cast<const NMLVCUSTOMDRAW*>(lParam));
    case LVN_GETDISPINFOA: {
      auto* info = reinterpret_cast<NMLVDISPINFOA*>(lParam);
      AnswerCellText(*info);
      AnswerNoImage(info->item);
      return 0;
    }
    case LVN_GETDISPINFOW: {
      auto* info = reinterpret_cast<NMLVDISPINFOW*>(lParam);
      AnswerCellTextWide(*info);
      AnswerNoImage(info->item);
      return 0;
    }
    case LVN_GETINFOTIPA:
      AnswerRowTip(*reinterpret_cast<NMLVGETINFOTIPA*>(lParam));
      return 0;
    case LVN_GETINFOTIPW:
      AnswerRowTip(*reinterpret_cast<NMLVGETINFOTIPW*>(lParam));
      return 0;
    case LVN_COLUMNCLICK:
      if (columnClickHandler != nullptr)
        columnClickHandler(reinterpret_cast<const NMLISTVIEW*>(lParam)->iSubItem);
      return 0;
    case LVN_ODFINDITEMA:
    case LVN_ODFINDITEMW:
      return -1;  // no search by typed text
    case LVN_DELETEALLITEMS:
      return TRUE;  // no notice per row: the program keeps the rows
    default:
      return 0;
  }
}

}  // namespace

LRESULT CALLBACK MainWindowSubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_NOTIFY:
      if (lParam == 0) return 0;
      return OnNotify(lParam);
    default:
      return CallWindowProcA(previousWindowProc, window, message, wParam, lParam);
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
