// Copying a row's digest or path: Ctrl+C and the row menu of 超级列表框.
#include <windows.h>

#include "runs/file_row.h"
#include "services/clipboard.h"
#include "services/list_control.h"
#include "services/text_ops.h"
#include "services/texts.h"
#include "shell/program.h"
#include "shell/row_texts.h"

namespace {

enum RowCommand : UINT {
  kCopyDigestCommand = 1,
  kCopyPathCommand = 2,
  kVerifyListCommand = 3,
  kReasonItem = 4,
  kCheckAgainCommand = 5,
  kCopySummaryCommand = 6,
};

void Copy(HWND owner, const Text& text) {
  if (!text.IsEmpty()) PutTextOnClipboard(owner, text);
}

void Copy(HWND owner, const std::wstring& text) {
  if (!text.empty()) PutTextOnClipboard(owner, text);
}

// The keyboard's menu key sends (-1, -1): the menu then opens on the row.
POINT MenuPoint(HWND list, POINT screenPoint, std::int32_t view) {
  if (screenPoint.x != -1 || screenPoint.y != -1) return screenPoint;
  const RECT bounds = ListRowBounds(list, view);
  POINT point{bounds.left + 8, bounds.bottom};
  ClientToScreen(list, &point);
  return point;
}

}  // namespace

// Only a finished digest is copied: the computing text is no digest.
void Program::CopySelectedDigest() {
  RowSnapshot row;
  if (window_.list.ReadView(ListSelectedRow(window_.list.Handle()), &row)) Copy(window_.window, ShownDigest(row));
}

void Program::ShowRowMenu(POINT screenPoint) {
  ResultsList& list = window_.list;
  const std::int32_t view = ListSelectedRow(list.Handle());
  if (view < 0) return;
  HMENU menu = CreatePopupMenu();
  if (menu == nullptr) return;
  RowSnapshot row;
  list.ReadView(view, &row);
  const Text digest = ShownDigest(row);
  AppendMenuA(menu, MF_STRING | (digest.IsEmpty() ? MF_GRAYED : 0), kCopyDigestCommand,
              texts::kCopyDigest);
  AppendMenuA(menu, MF_STRING, kCopyPathCommand, texts::kCopyPath);
  // Column 1 shows only the file name while verifying; the row's entry has
  // the full path. A dropped list is hashed as a file; verifying it is
  // offered here.
  const std::wstring path = row.entry->path;
  if (IsDigestListPath(path)) AppendMenuA(menu, MF_STRING, kVerifyListCommand, texts::kVerifyThisList);
  // A failed row says why, as the system words it; the item does nothing.
  const Text reason = list.RowReason(view);
  if (!reason.IsEmpty())
    AppendMenuA(menu, MF_STRING | MF_DISABLED, kReasonItem, ConcatTexts({texts::kReason, reason}).CStr());
  AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
  AppendMenuA(menu, MF_STRING, kCheckAgainCommand, texts::kCheckAgain);
  AppendMenuA(menu, MF_STRING, kCopySummaryCommand, texts::kCopySummary);
  const POINT at = MenuPoint(list.Handle(), screenPoint, view);
  const UINT command = static_cast<UINT>(TrackPopupMenu(
      menu, TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_NONOTIFY, at.x, at.y, 0, window_.window, nullptr));
  DestroyMenu(menu);
  if (command == kCopyDigestCommand) Copy(window_.window, digest);
  if (command == kCopyPathCommand) Copy(window_.window, path);
  if (command == kVerifyListCommand) EnterVerificationMode(path);
  if (command == kCheckAgainCommand) CheckProblemsAgain();
  if (command == kCopySummaryCommand) CopyProblemSummary();
}
