#include "shell/run_view.h"

#include <windows.h>

#include "services/components.h"
#include "services/text_ops.h"
#include "services/texts.h"
#include "shell/run_counts.h"

void RunView::ApplyLabelAndBar() {
  std::int32_t total = 0;
  std::int32_t count = 0;
  if (runs_.TakeLabelChange(total, count)) {
    SetCaption(window_.countLabel, ConcatTexts({texts::kTotalCount, ToText(total), texts::kArrow, ToText(count)}));
  }
  const std::int32_t bar = runs_.TakeProgressBarChange();
  if (bar >= 0) SetProgressPosition(window_.progressBar, bar);
}

// The taskbar button follows the run: red once a problem is found, and
// nothing once every row is settled.
void RunView::ShowOnTaskbar(const RunCounts& counts) {
  const std::int32_t settled = counts.done + counts.failed;
  if (settled >= counts.rows) {
    taskbar_.Clear(window_.window);
    return;
  }
  taskbar_.Show(window_.window, settled, counts.rows, counts.failed + counts.mismatched > 0);
}

void RunView::ApplyCounts() {
  const std::shared_ptr<RunRows>& shown = window_.list.ShownRows();
  if (shown == nullptr) return;
  const RunCounts numbers = shown->Counts();
  const Text counts = CountsText(numbers, runs_.verificationMode, GetTickCount64() - shown->StartTick());
  if (counts == shownCounts_) return;
  shownCounts_ = counts;
  SetCaption(window_.countsLabel, counts);
  ShowOnTaskbar(numbers);
}

void RunView::Apply() {
  ResultsList& list = window_.list;
  if (list.Handle() == nullptr) return;
  const std::shared_ptr<RunRows> rows = runs_.CurrentRunRows();
  if (rows != nullptr && rows != list.ShownRows()) {
    list.Show(rows);
  } else if (list.ShownRows() != nullptr) {
    list.RedrawRowsInView(list.ShownRows()->TakeChangedRows());
  }
  ApplyLabelAndBar();
  ApplyCounts();
}
