#include <vector>

#include "runs/globals.h"
#include "runs/run_rows.h"
#include "services/text_ops.h"
#include "shell/digest_list.h"
#include "shell/handlers.h"
#include "shell/run_view.h"

// Judges the rows whose digest became final since the last tick: a row is
// never judged on a "100%" that shows while its last chunk is still read.
// Digests are compared as numbers (SameDigest).
// Row r pairs with entry r + 1 of expectedDigests; later rows (dropped
// files) are never judged.
void VerifyFinishedRows() {
  RunRows* rows = ShownRunRows();
  if (rows == nullptr) return;
  const std::int32_t entries = expectedDigests.Count();
  const std::vector<std::int32_t> finished = rows->TakeFinishedRows();
  for (std::int32_t row : finished) {
    if (row >= entries) continue;
    const bool matches = SameDigest(rows->Read(row).digest, expectedDigests.At(row + 1));
    rows->SetVerdict(row, matches ? RowVerdict::kPassed : RowVerdict::kMismatch);
  }
  RedrawRowsInView(finished);
}
