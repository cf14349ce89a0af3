#include "shell/results_list.h"

#include <commctrl.h>

#include <algorithm>
#include <cstring>
#include <iterator>

#include "runs/file_row.h"
#include "services/dpi.h"
#include "services/list_control.h"
#include "services/text_ops.h"
#include "services/texts.h"
#include "services/wide_paths.h"
#include "shell/row_texts.h"

namespace {

struct ListColumn {
  const char* header;
  int width;
  int format;
};
constexpr ListColumn kListColumns[] = {
    {"", 20, LVCFMT_LEFT},
    {texts::kColumnPath, 200, LVCFMT_LEFT},
    {texts::kColumnSize, 150, LVCFMT_LEFT},
    {texts::kColumnDigest, 200, LVCFMT_CENTER},
    {texts::kColumnProgress, 150, LVCFMT_LEFT},
};
// The program keeps the rows (LVS_OWNERDATA): 100,000 of them cost one
// count, and the list asks for the texts of the rows it draws. A header
// click sorts them (SortBy).
constexpr DWORD kListStyle = WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_CLIPSIBLINGS | LVS_REPORT |
                             LVS_SINGLESEL | LVS_OWNERDATA;
// Info tips: a failed row's reason shows over it.
constexpr DWORD kListExStyle = LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES | LVS_EX_INFOTIP;
constexpr COLORREF kListTextColor = 0x000000;
constexpr COLORREF kListTextBackColor = 0xFFFFFF;
constexpr COLORREF kListBackColor = 0xFFFFFF;
// A blank image list of 1 x 20 images: the list makes every row as high as
// its small images, which gives the drawn progress bars their height.
constexpr int kRowImageWidth = 1;
constexpr int kRowImageHeight = 20;
// Room around the number: the cell's inset and the grid line on each side.
constexpr std::int32_t kNumberMargin = 12;

// The text goes into the buffer the asker gave, cut to its size, so it
// reaches any process that reads the list with LVM_GETITEMTEXT.
template <typename Char>
void CopyCut(const Char* text, std::size_t length, Char* buffer, int capacity) {
  length = std::min(length, static_cast<std::size_t>(capacity - 1));
  std::memcpy(buffer, text, length * sizeof(Char));
  buffer[length] = Char{};
}

// The rows carry no images: the blank image list only sets their height.
template <typename Item>
void AnswerNoImage(Item& item) {
  if ((item.mask & LVIF_IMAGE) != 0) item.iImage = -1;
}

template <typename Item>
bool WantsText(const Item& item) {
  return (item.mask & LVIF_TEXT) != 0 && item.pszText != nullptr && item.cchTextMax > 0;
}

// A row without a reason leaves the asker's buffer as it came (the list
// then shows no tip).
void AnswerTip(NMLVGETINFOTIPA& tip, const Text& text) {
  if (tip.pszText == nullptr || tip.cchTextMax <= 0 || text.IsEmpty()) return;
  CopyCut(text.CStr(), static_cast<std::size_t>(text.Length()), tip.pszText, tip.cchTextMax);
}

void AnswerTip(NMLVGETINFOTIPW& tip, const Text& text) {
  if (tip.pszText == nullptr || tip.cchTextMax <= 0 || text.IsEmpty()) return;
  const int written =
      MultiByteToWideChar(CP_ACP, 0, text.CStr(), text.Length(), tip.pszText, tip.cchTextMax - 1);
  tip.pszText[std::max(written, 0)] = L'\0';
}

}  // namespace

HWND ResultsList::Create(HWND parent, int id, UINT dpi, HFONT font) {
  handle_ = CreateWindowExA(WS_EX_CLIENTEDGE, WC_LISTVIEWA, "", kListStyle, 0, 0, 0, 0, parent,
                            reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                            GetModuleHandleA(nullptr), nullptr);
  if (handle_ == nullptr) return nullptr;
  SendMessageA(handle_, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  SendMessageA(handle_, LVM_SETEXTENDEDLISTVIEWSTYLE, kListExStyle, kListExStyle);
  for (int i = 0; i < static_cast<int>(std::size(kListColumns)); ++i) {
    LVCOLUMNA column{};
    column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
    column.fmt = kListColumns[i].format;
    column.cx = ScaleForDpi(kListColumns[i].width, dpi);
    column.pszText = const_cast<char*>(kListColumns[i].header);
    column.iSubItem = i;
    SendMessageA(handle_, LVM_INSERTCOLUMNA, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&column));
  }
  SendMessageA(handle_, LVM_SETTEXTCOLOR, 0, kListTextColor);
  SendMessageA(handle_, LVM_SETTEXTBKCOLOR, 0, kListTextBackColor);
  SendMessageA(handle_, LVM_SETBKCOLOR, 0, kListBackColor);
  SetRowHeight(dpi);  // the list destroys its image lists with itself
  // It asks its parent for texts in UTF-16, so every name shows exactly;
  // LVM_GETITEMTEXTA still answers the ANSI form.
  SendMessageA(handle_, CCM_SETUNICODEFORMAT, TRUE, 0);
  return handle_;
}

// The list keeps the new image list and hands back the one it replaces.
void ResultsList::SetRowHeight(UINT dpi) {
  HIMAGELIST rowHeight =
      ImageList_Create(kRowImageWidth, ScaleForDpi(kRowImageHeight, dpi), ILC_COLOR, 0, 1);
  auto previous = reinterpret_cast<HIMAGELIST>(
      SendMessageA(handle_, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(rowHeight)));
  if (previous != nullptr) ImageList_Destroy(previous);
}

void ResultsList::ReadColors() {
  colors_ = CellColorsFor(ListTextColor(handle_), ListBackColor(handle_), ListTextBackColor(handle_));
}

// The custom draw (the design's MainWindowSubclassProc): every cell is
// drawn here, from its row's state, and the list draws none itself.
LRESULT ResultsList::OnCustomDraw(const NMLVCUSTOMDRAW& draw) const {
  switch (draw.nmcd.dwDrawStage) {
    case CDDS_PREPAINT:
      return CDRF_NOTIFYITEMDRAW;
    case CDDS_ITEMPREPAINT:
      return CDRF_NOTIFYSUBITEMDRAW;
    case kCellDrawStage:
      DrawListCell(draw, handle_, LookOf(static_cast<std::int32_t>(draw.nmcd.dwItemSpec), draw.iSubItem),
                   colors_);
      return CDRF_SKIPDEFAULT;
    default:
      return CDRF_DODEFAULT;
  }
}

LRESULT ResultsList::OnNotify(LPARAM lParam) {
  const auto& header = *reinterpret_cast<const NMHDR*>(lParam);
  switch (header.code) {
    case NM_CUSTOMDRAW:
      return OnCustomDraw(*reinterpret_cast<const NMLVCUSTOMDRAW*>(lParam));
    case LVN_GETDISPINFOA: {
      auto& item = reinterpret_cast<NMLVDISPINFOA*>(lParam)->item;
      if (WantsText(item)) {
        const Text text = CellText(item.iItem, item.iSubItem);
        CopyCut(text.CStr(), static_cast<std::size_t>(text.Length()), item.pszText, item.cchTextMax);
      }
      AnswerNoImage(item);
      return 0;
    }
    case LVN_GETDISPINFOW: {
      auto& item = reinterpret_cast<NMLVDISPINFOW*>(lParam)->item;
      if (WantsText(item)) {
        const std::wstring text = CellWideText(item.iItem, item.iSubItem);
        CopyCut(text.data(), text.size(), item.pszText, item.cchTextMax);
      }
      AnswerNoImage(item);
      return 0;
    }
    case LVN_GETINFOTIPA: {
      auto& tip = *reinterpret_cast<NMLVGETINFOTIPA*>(lParam);
      AnswerTip(tip, RowReason(tip.iItem));
      return 0;
    }
    case LVN_GETINFOTIPW: {
      auto& tip = *reinterpret_cast<NMLVGETINFOTIPW*>(lParam);
      AnswerTip(tip, RowReason(tip.iItem));
      return 0;
    }
    case LVN_COLUMNCLICK:
      SortBy(reinterpret_cast<const NMLISTVIEW*>(lParam)->iSubItem);
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

void ResultsList::Show(const std::shared_ptr<RunRows>& rows) {
  shown_ = rows;
  ApplyOrder();  // a new run is shown in the order chosen last
  // Emptied first, so selection and focus of the old rows go with them; an
  // empty list has none.
  if (ListItemCount(handle_) > 0) ListDeleteAllRows(handle_);
  // Widened while the list is empty: with the rows counted, a new width
  // would repaint every row in view at once.
  FitNumberColumn(*rows);
  ListSetItemCount(handle_, rows->Count());
  rows->TakeChangedRows();  // every row is drawn afresh anyway
}

// Column 0 widens to fit the largest row number (the last row's); it never
// narrows.
void ResultsList::FitNumberColumn(const RunRows& rows) {
  if (rows.Count() == 0) return;
  const Text largest = ToText(rows.PositionOf(rows.Count() - 1));
  const std::int32_t needed = ListTextWidth(handle_, largest) + kNumberMargin;
  if (needed > ListColumnWidth(handle_, kColumnNumber)) ListSetColumnWidth(handle_, kColumnNumber, needed);
}

// Sorts the shown rows by the column chosen, as they stand now.
void ResultsList::ApplyOrder() {
  viewToRow_.clear();
  rowToView_.clear();
  if (shown_ == nullptr || sortColumn_ < 0) return;
  viewToRow_ = RowsInOrder(*shown_, sortColumn_, descending_, Verifying(), pathKeys_);
  rowToView_.assign(viewToRow_.size(), 0);
  for (std::size_t view = 0; view < viewToRow_.size(); ++view)
    rowToView_[static_cast<std::size_t>(viewToRow_[view])] = static_cast<std::int32_t>(view);
}

void ResultsList::SortBy(std::int32_t column) {
  descending_ = column == sortColumn_ && !descending_;
  sortColumn_ = column;
  ApplyOrder();
  // The selection belonged to a place in the old order.
  if (ListSelectedRow(handle_) >= 0) ListSelectRow(handle_, -1, false);
  InvalidateRect(handle_, nullptr, FALSE);
}

void ResultsList::RedrawRowsInView(const std::vector<std::int32_t>& changed) {
  const std::int32_t top = ListTopRow(handle_);
  const std::int32_t bottom = top + ListRowsPerPage(handle_);  // one partly shown row more
  std::int32_t first = bottom + 1;
  std::int32_t last = top - 1;
  for (std::int32_t row : changed) {
    const std::int32_t view = ViewOf(row);
    if (view < top || view > bottom) continue;
    first = std::min(first, view);
    last = std::max(last, view);
  }
  if (first <= last) ListRedrawRows(handle_, first, last);
}

std::int32_t ResultsList::RowAt(std::int32_t view) const {
  if (shown_ == nullptr || view < 0 || view >= shown_->Count()) return -1;
  if (viewToRow_.empty()) return view;
  return viewToRow_[static_cast<std::size_t>(view)];
}

std::int32_t ResultsList::ViewOf(std::int32_t row) const {
  if (rowToView_.empty()) return row;
  if (row < 0 || row >= static_cast<std::int32_t>(rowToView_.size())) return row;
  return rowToView_[static_cast<std::size_t>(row)];
}

std::int32_t ResultsList::SelectedRow() const { return RowAt(ListSelectedRow(handle_)); }

bool ResultsList::ReadView(std::int32_t view, RowSnapshot* row) const {
  const std::int32_t shownRow = RowAt(view);
  if (shownRow < 0) return false;
  *row = shown_->Read(shownRow);
  return true;
}

Text ResultsList::CellText(std::int32_t view, std::int32_t column) const {
  RowSnapshot row;
  return ReadView(view, &row) ? RowCellText(row, column, Verifying()) : Text();
}

std::wstring ResultsList::CellWideText(std::int32_t view, std::int32_t column) const {
  RowSnapshot row;
  return ReadView(view, &row) ? RowCellWideText(row, column, Verifying()) : std::wstring();
}

CellLook ResultsList::LookOf(std::int32_t view, std::int32_t column) const {
  CellLook look;
  look.centred = column == kColumnDigest;  // like its header
  RowSnapshot row;
  if (!ReadView(view, &row)) return look;
  look.text = RowCellWideText(row, column, Verifying());
  look.bar = RowCellBar(row, column, Verifying(), &look.percent);
  look.problem = IsProblemCell(row, column);
  return look;
}

Text ResultsList::RowReason(std::int32_t view) const {
  RowSnapshot row;
  return ReadView(view, &row) ? FailureReason(row) : Text();
}
