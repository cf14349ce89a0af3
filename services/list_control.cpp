#include "services/list_control.h"

#include <commctrl.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

// LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM | LVIF_STATE | LVIF_INDENT
constexpr UINT kInsertRowMask = 31;
constexpr int kNoImage = -1;
constexpr int kStateImageShift = 12;
constexpr std::size_t kCellTextFirstBuffer = 512;
// A cell longer than this is cut; it keeps the doubling loop finite.
constexpr std::size_t kCellTextMaxBuffer = std::size_t{1} << 26;

LRESULT Send(HWND list, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
  return SendMessageA(list, message, wParam, lParam);
}

}  // namespace

std::int32_t ListItemCount(HWND list) {
  return static_cast<std::int32_t>(Send(list, LVM_GETITEMCOUNT));
}

std::int32_t ListInsertRow(HWND list, std::optional<std::int32_t> position, const Text& text,
                           std::optional<std::int32_t> image,
                           std::optional<std::int32_t> stateImage,
                           std::optional<std::int32_t> indent, std::optional<LPARAM> itemData) {
  LVITEMA item{};
  item.mask = kInsertRowMask;
  item.iItem = (position && *position >= 0) ? *position : ListItemCount(list);
  item.pszText = const_cast<char*>(text.CStr());
  item.iImage = (image && *image >= kNoImage) ? *image : kNoImage;
  if (stateImage) {
    item.state = static_cast<UINT>(std::max(*stateImage + 1, 0)) << kStateImageShift;
  }
  // Without the mask bits the control ignores the state image.
  item.stateMask = LVIS_STATEIMAGEMASK;
  item.iIndent = indent ? std::max(*indent, 0) : 0;
  item.lParam = itemData.value_or(0);
  return static_cast<std::int32_t>(Send(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
}

bool ListSetCellText(HWND list, std::int32_t row, std::int32_t column, const Text& text) {
  LVITEMA item{};
  item.iSubItem = column;
  item.pszText = const_cast<char*>(text.CStr());
  return Send(list, LVM_SETITEMTEXTA, static_cast<WPARAM>(row),
              reinterpret_cast<LPARAM>(&item)) != 0;
}

namespace {

// The cell's text through `message` (LVM_GETITEMTEXTA or W), in a buffer
// that doubles while the control fills it whole.
template <typename Item, typename Char>
std::basic_string<Char> CellTextThrough(HWND list, std::int32_t row, std::int32_t column,
                                        UINT message, decltype(&SendMessageW) send) {
  std::vector<Char> buffer(kCellTextFirstBuffer);
  for (;;) {
    Item item{};
    item.iSubItem = column;
    item.pszText = buffer.data();
    item.cchTextMax = static_cast<int>(buffer.size());
    buffer[0] = Char{};
    const auto answered = static_cast<std::size_t>(std::max<LRESULT>(
        0, send(list, message, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item))));
    // The control answers the characters copied; a full buffer may mean more.
    if (answered < buffer.size() - 1 || buffer.size() >= kCellTextMaxBuffer) {
      return std::basic_string<Char>(buffer.data(), std::min(answered, buffer.size() - 1));
    }
    buffer.assign(buffer.size() * 2, Char{});
  }
}

}  // namespace

Text ListGetCellText(HWND list, std::int32_t row, std::int32_t column) {
  return Text(CellTextThrough<LVITEMA, char>(list, row, column, LVM_GETITEMTEXTA, SendMessageA));
}

std::wstring ListGetCellWideText(HWND list, std::int32_t row, std::int32_t column) {
  return CellTextThrough<LVITEMW, wchar_t>(list, row, column, LVM_GETITEMTEXTW, SendMessageW);
}

bool ListDeleteAllRows(HWND list) { return Send(list, LVM_DELETEALLITEMS) != 0; }

bool ListSetItemCount(HWND list, std::int32_t count) {
  return Send(list, LVM_SETITEMCOUNT, static_cast<WPARAM>(count)) != 0;
}

void ListRedrawRows(HWND list, std::int32_t first, std::int32_t last) {
  Send(list, LVM_REDRAWITEMS, static_cast<WPARAM>(first), static_cast<LPARAM>(last));
}

std::int32_t ListTopRow(HWND list) { return static_cast<std::int32_t>(Send(list, LVM_GETTOPINDEX)); }

std::int32_t ListRowsPerPage(HWND list) {
  return static_cast<std::int32_t>(Send(list, LVM_GETCOUNTPERPAGE));
}

std::int32_t ListColumnWidth(HWND list, std::int32_t column) {
  return static_cast<std::int32_t>(Send(list, LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(column)));
}

bool ListSetColumnWidth(HWND list, std::int32_t column, std::int32_t width) {
  return Send(list, LVM_SETCOLUMNWIDTH, static_cast<WPARAM>(column), MAKELPARAM(width, 0)) != 0;
}

std::int32_t ListTextWidth(HWND list, const Text& text) {
  return static_cast<std::int32_t>(
      Send(list, LVM_GETSTRINGWIDTHA, 0, reinterpret_cast<LPARAM>(text.CStr())));
}

COLORREF ListTextColor(HWND list) { return static_cast<COLORREF>(Send(list, LVM_GETTEXTCOLOR)); }
COLORREF ListBackColor(HWND list) { return static_cast<COLORREF>(Send(list, LVM_GETBKCOLOR)); }
COLORREF ListTextBackColor(HWND list) {
  return static_cast<COLORREF>(Send(list, LVM_GETTEXTBKCOLOR));
}

std::int32_t ListSelectedRow(HWND list) {
  return static_cast<std::int32_t>(Send(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
}

void ListSelectRow(HWND list, std::int32_t row, bool select) {
  LVITEMA item{};
  item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  item.state = select ? LVIS_SELECTED | LVIS_FOCUSED : 0;
  Send(list, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
  if (select) Send(list, LVM_ENSUREVISIBLE, static_cast<WPARAM>(row), FALSE);
}

RECT ListRowBounds(HWND list, std::int32_t row) {
  RECT bounds{LVIR_BOUNDS, 0, 0, 0};
  Send(list, LVM_GETITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&bounds));
  return bounds;
}
