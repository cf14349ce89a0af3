// Copying a row's digest or path: Ctrl+C and the row menu of 超级列表框.
#include <windows.h>

#include "runs/globals.h"
#include "services/texts.h"
#include "runs/file_row.h"
#include "services/clipboard.h"
#include "services/list_control.h"
#include "services/text_ops.h"
#include "shell/digest_list.h"
#include "shell/handlers.h"
#include "shell/main_window.h"
#include "shell/run_view.h"

namespace {

enum RowCommand : UINT {
  kCopyDigestCommand = 1,
  kCopyPathCommand = 2,
  kVerifyListCommand = 3,
  kReasonItem = 4,
  kCheckAgainCommand = 5,
  kCopySummaryCommand = 6,
};
// Only a finished digest is copied: the computing text is no digest.
Text DigestOfRow(std::int32_t row) {
  const Text digest = ListGetCellText(超级列表框, row, kColumnDigest);
  return IsDigestDigits(digest) ? digest : Text();
}

// Column 1 shows only the file name while verifying; the row's number
// (column 0) leads to the full path.
std::int32_t PositionOfRow(std::int32_t row) {
  return ToInt(ListGetCellText(超级列表框, row, kColumnNumber));
}

void Copy(const Text& text) {
  if (!text.IsEmpty()) PutTextOnClipboard(mainWindow, text);
}

void Copy(const std::wstring& text) {
  if (!text.empty()) PutTextOnClipboard(mainWindow, text);
}

// The keyboard's menu key sends (-1, -1): the menu then opens on the row.
POINT MenuPoint(POINT screenPoint, std::int32_t row) {
  if (screenPoint.x != -1 || screenPoint.y != -1) return screenPoint;
  const RECT bounds = ListRowBounds(超级列表框, row);
  POINT point{bounds.left + 8, bounds.bottom};
  ClientToScreen(超级列表框, &point);
  return point;
}

}  // namespace

void CopySelectedDigest() {
  const std::int32_t row = ListSelectedRow(超级列表框);
  if (row >= 0) Copy(DigestOfRow(row));
}

void ShowRowMenu(POINT screenPoint) {
  const std::int32_t row = ListSelectedRow(超级列表框);
  if (row < 0) return;
  HMENU menu = CreatePopupMenu();
  if (menu == nullptr) return;
  const Text digest = DigestOfRow(row);
  AppendMenuA(menu, MF_STRING | (digest.IsEmpty() ? MF_GRAYED : 0), kCopyDigestCommand,
              texts::kCopyDigest);
  AppendMenuA(menu, MF_STRING, kCopyPathCommand, texts::kCopyPath);
  // A dropped list is hashed as a file; verifying it is offered here.
  const std::int32_t position = PositionOfRow(row);
  const std::wstring path = filePaths.WideAt(position);
  if (IsDigestListPath(path)) AppendMenuA(menu, MF_STRING, kVerifyListCommand, texts::kVerifyThisList);
  // A failed row says why, as the system words it; the item does nothing.
  const Text reason = ShownRowReason(row);
  if (!reason.IsEmpty())
    AppendMenuA(menu, MF_STRING | MF_DISABLED, kReasonItem, ConcatTexts({texts::kReason, reason}).CStr());
  AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
  AppendMenuA(menu, MF_STRING, kCheckAgainCommand, texts::kCheckAgain);
  AppendMenuA(menu, MF_STRING, kCopySummaryCommand, texts::kCopySummary);
  const POINT at = MenuPoint(screenPoint, row);
  const UINT command = static_cast<UINT>(TrackPopupMenu(
      menu, TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_NONOTIFY, at.x, at.y, 0, mainWindow, nullptr));
  DestroyMenu(menu);
  if (command == kCopyDigestCommand) Copy(digest);
  if (command == kCopyPathCommand) Copy(path);
  if (command == kVerifyListCommand) EnterVerificationMode(path);
  if (command == kCheckAgainCommand) CheckProblemsAgain();
  if (command == kCopySummaryCommand) CopyProblemSummary();
}
