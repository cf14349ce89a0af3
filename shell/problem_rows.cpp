// Finding the rows that did not pass: the next problem key, checking them
// again, and the summary copied as text.
#include <windows.h>

#include "runs/file_row.h"
#include "services/clipboard.h"
#include "services/list_control.h"
#include "services/text_ops.h"
#include "shell/program.h"
#include "shell/row_texts.h"
#include "shell/run_counts.h"

namespace {

// The reason a problem row gives in the summary: the system's message for
// a failed row, the verdict for a mismatched one.
Text ProblemReason(const RowSnapshot& row, bool verifying) {
  const Text reason = FailureReason(row);
  return reason.IsEmpty() ? RowCellText(row, kColumnProgress, verifying) : reason;
}

}  // namespace

void Program::SelectNextProblem(bool backwards) {
  const ResultsList& list = window_.list;
  const std::shared_ptr<RunRows>& rows = list.ShownRows();
  if (rows == nullptr || rows->Count() == 0) return;
  const std::int32_t count = rows->Count();
  const std::int32_t step = backwards ? count - 1 : 1;
  std::int32_t from = ListSelectedRow(list.Handle());
  if (from < 0) from = backwards ? 0 : count - 1;
  // Round the list once in its shown order, starting after the selected row.
  for (std::int32_t i = 1; i <= count; ++i) {
    const auto view = static_cast<std::int32_t>((from + static_cast<std::int64_t>(step) * i) % count);
    RowSnapshot row;
    if (list.ReadView(view, &row) && IsProblemRow(row)) {
      ListSelectRow(list.Handle(), view);
      return;
    }
  }
}

void Program::CheckProblemsAgain() {
  const std::shared_ptr<RunRows> rows = window_.list.ShownRows();
  if (rows == nullptr || IsClosing()) return;
  const bool verifying = runs_.verificationMode;
  if (runs_.StartPooledRunAgain(*rows, [verifying](const RowSnapshot& row) { return HasPassed(row, verifying); }))
    ApplyRunChanges();
}

std::wstring Program::ProblemSummary() {
  const std::shared_ptr<RunRows>& rows = window_.list.ShownRows();
  if (rows == nullptr) return std::wstring();
  const bool verifying = runs_.verificationMode;
  std::wstring summary = WideOf(CountsText(rows->Counts(), verifying, 0));
  for (std::int32_t row = 0; row < rows->Count(); ++row) {
    const RowSnapshot snapshot = rows->Read(row);
    if (!IsProblemRow(snapshot)) continue;
    summary += L"\r\n" + RowCellWideText(snapshot, kColumnPath, verifying) + L"\t" +
               WideOf(ProblemReason(snapshot, verifying));
  }
  return summary;
}

void Program::CopyProblemSummary() {
  const std::wstring summary = ProblemSummary();
  if (!summary.empty()) PutTextOnClipboard(window_.window, summary);
}
