// Finding the rows that did not pass: the next problem key, checking them
// again, and the summary copied as text.
#include <windows.h>

#include "runs/file_row.h"
#include "runs/globals.h"
#include "runs/pooled_run.h"
#include "services/clipboard.h"
#include "services/list_control.h"
#include "services/text_ops.h"
#include "services/texts.h"
#include "shell/handlers.h"
#include "shell/main_window.h"
#include "shell/row_texts.h"
#include "shell/run_counts.h"
#include "shell/run_view.h"

namespace {

// The reason a problem row gives in the summary: the system's message for
// a failed row, the verdict for a mismatched one.
Text ProblemReason(const RowSnapshot& row) {
  const Text reason = FailureReason(row);
  return reason.IsEmpty() ? RowCellText(row, kColumnProgress, Text()) : reason;
}

}  // namespace

void SelectNextProblem(bool backwards) {
  RunRows* rows = ShownRunRows();
  if (rows == nullptr || rows->Count() == 0) return;
  const std::int32_t count = rows->Count();
  const std::int32_t step = backwards ? count - 1 : 1;
  std::int32_t from = ListSelectedRow(超级列表框);
  if (from < 0) from = backwards ? 0 : count - 1;
  // Round the list once in its shown order, starting after the selected row.
  for (std::int32_t i = 1; i <= count; ++i) {
    const auto view = static_cast<std::int32_t>((from + static_cast<std::int64_t>(step) * i) % count);
    if (ShownRowIsProblem(view)) {
      ListSelectRow(超级列表框, view);
      return;
    }
  }
}

void CheckProblemsAgain() {
  RunRows* rows = ShownRunRows();
  if (rows == nullptr || IsClosing()) return;
  if (StartPooledRunAgain(*rows, HasPassed)) ApplyRunChanges();
}

std::wstring ProblemSummary() {
  RunRows* rows = ShownRunRows();
  if (rows == nullptr) return std::wstring();
  std::wstring summary = WideOf(CountsText(rows->Counts(), verificationMode, 0));
  for (std::int32_t row = 0; row < rows->Count(); ++row) {
    const RowSnapshot snapshot = rows->Read(row);
    if (!IsProblemRow(snapshot)) continue;
    const std::wstring name = RowCellWideText(snapshot, kColumnPath, filePaths.WideAt(snapshot.position));
    summary += L"\r\n" + name + L"\t" + WideOf(ProblemReason(snapshot));
  }
  return summary;
}

void CopyProblemSummary() {
  const std::wstring summary = ProblemSummary();
  if (!summary.empty()) PutTextOnClipboard(mainWindow, summary);
}
