#include "shell/row_texts.h"

#include "runs/globals.h"
#include "services/texts.h"
#include "runs/file_row.h"
#include "runs/pooled_run.h"
#include "services/text_ops.h"

namespace {

bool HasStarted(const RowSnapshot& row) { return row.phase != RowPhase::kListed; }

Text SizeText(const RowSnapshot& row) {
  if (row.phase == RowPhase::kFailed) return texts::kDigestFailed;
  if (!HasStarted(row)) return Text();
  if (!row.progressShown) return FormatByteSize(row.size);
  return ConcatTexts({FormatByteSize(row.size), texts::kArrow, FormatByteSize(row.done)});
}

Text DigestText(const RowSnapshot& row) {
  if (row.phase == RowPhase::kDone) return row.digest;
  return HasStarted(row) ? Text(texts::kComputing) : Text();
}

Text ProgressText(const RowSnapshot& row) {
  if (row.verdict == RowVerdict::kPassed) return texts::kVerified;
  if (row.verdict == RowVerdict::kMismatch) return texts::kMismatch;
  if (!row.progressShown) return Text();
  return ConcatTexts({ToText(RoundTo(PercentOf(row.done, row.size), 0)), "%"});
}

}  // namespace

Text RowCellText(const RowSnapshot& row, std::int32_t column, const Text& path) {
  switch (column) {
    case kColumnNumber:
      return ToText(row.position);
    case kColumnPath:
      return verificationMode ? FileNameOf(path) : path;
    case kColumnSize:
      return SizeText(row);
    case kColumnDigest:
      return DigestText(row);
    case kColumnProgress:
      return ProgressText(row);
    default:
      return Text();
  }
}
