#include "app/globals.h"
#include "app/texts.h"
#include "runs/file_row.h"
#include "services/list_control.h"
#include "services/text_ops.h"
#include "shell/handlers.h"

namespace {

// "100%" can show while the last chunk is still unread, and before the
// digest is written; a row is judged only once its digest cell holds a
// digest, or a matching file would keep a wrong verdict.
bool HasFinalDigest(const Text& digestCell) {
  return !digestCell.IsEmpty() && CompareTexts(digestCell, texts::kComputing) != 0;
}

}  // namespace

void VerifyFinishedRows() {
  const std::int32_t count = expectedDigests.Count();
  for (std::int32_t entry = 1; entry <= count; ++entry) {
    const std::int32_t row = entry - 1;
    if (CompareTexts(ListGetCellText(超级列表框, row, kColumnProgress), texts::kFullProgress) != 0)
      continue;
    const Text digest = ListGetCellText(超级列表框, row, kColumnDigest);
    if (!HasFinalDigest(digest)) continue;
    const bool matches = CompareTexts(digest, expectedDigests.At(entry)) == 0;
    ListSetCellText(超级列表框, row, kColumnProgress, matches ? texts::kVerified : texts::kMismatch);
  }
}
