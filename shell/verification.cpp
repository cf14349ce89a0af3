#include <vector>

#include "runs/run_rows.h"
#include "shell/program.h"

// Judges the rows whose digest became final since the last tick: a row is
// never judged on a "100%" that shows while its last chunk is still read.
// Each row is judged against its own entry's digest, as bytes; files
// dropped since the list was loaded have none and are never judged.
void Program::VerifyFinishedRows() {
  const std::shared_ptr<RunRows>& rows = window_.list.ShownRows();
  if (rows == nullptr) return;
  const std::vector<std::int32_t> finished = rows->TakeFinishedRows();
  for (std::int32_t row : finished) {
    const FileEntry& entry = rows->EntryOf(row);
    if (!entry.listed) continue;
    const bool matches = !entry.expectedDigest.IsEmpty() && rows->Read(row).digest == entry.expectedDigest;
    rows->SetVerdict(row, matches ? RowVerdict::kPassed : RowVerdict::kMismatch);
  }
  window_.list.RedrawRowsInView(finished);
}
