#include "shell/row_texts.h"

#include "runs/file_row.h"
#include "runs/pooled_run.h"
#include "services/files.h"
#include "services/text_ops.h"
#include "services/texts.h"
#include "services/wide_paths.h"

bool IsListedRow(const RowSnapshot& row, bool verifying) { return verifying && row.entry->listed; }

namespace {

bool HasStarted(const RowSnapshot& row) { return row.phase != RowPhase::kListed; }

Text SizeText(const RowSnapshot& row) {
  if (row.phase == RowPhase::kFailed) return texts::kDigestFailed;
  if (!HasStarted(row)) return Text();
  if (!row.progressShown) return FormatByteSize(row.size);
  return ConcatTexts({FormatByteSize(row.size), texts::kArrow, FormatByteSize(row.done)});
}

// A failed row computes nothing any more: column 2 says why.
Text DigestText(const RowSnapshot& row) {
  if (row.phase == RowPhase::kDone) return ShownDigest(row);
  if (row.phase == RowPhase::kFailed) return Text();
  return HasStarted(row) ? Text(texts::kComputing) : Text();
}

// Column 4 shows the bar until a verdict or a listed file's failure
// takes its place.
bool ShowsBar(const RowSnapshot& row, bool verifying) {
  if (row.verdict != RowVerdict::kNone) return false;
  if (row.phase == RowPhase::kFailed && IsListedRow(row, verifying)) return false;
  return row.progressShown;
}

double BarPercent(const RowSnapshot& row) { return RoundTo(PercentOf(row.done, row.size), 0); }

Text ProgressText(const RowSnapshot& row, bool verifying) {
  if (row.verdict == RowVerdict::kPassed) return texts::kVerified;
  if (row.verdict == RowVerdict::kMismatch) return texts::kMismatch;
  if (row.phase == RowPhase::kFailed && IsListedRow(row, verifying)) {
    if (row.entry->refused) return texts::kNotOpened;
    return row.stopped ? texts::kStopped : texts::kUnreadable;
  }
  if (!ShowsBar(row, verifying)) return Text();
  return ConcatTexts({ToText(BarPercent(row)), "%"});
}

// Column 1: the full path; while verifying, the list's own name for its
// entries and the file name for files dropped since.
std::wstring ShownName(const RowSnapshot& row, bool verifying) {
  if (!verifying) return row.entry->path;
  if (!IsListedRow(row, verifying)) return WideFileNameOf(row.entry->path);
  return row.entry->listedName;
}

}  // namespace

Text ShownDigest(const RowSnapshot& row) {
  if (row.phase != RowPhase::kDone) return Text();
  return Text(UpperHexOf(row.digest));
}

Text RowCellText(const RowSnapshot& row, std::int32_t column, bool verifying) {
  switch (column) {
    case kColumnNumber:
      return ToText(row.position);
    case kColumnPath:
      return AnsiTextOf(ShownName(row, verifying));
    case kColumnSize:
      return SizeText(row);
    case kColumnDigest:
      return DigestText(row);
    case kColumnProgress:
      return ProgressText(row, verifying);
    default:
      return Text();
  }
}

std::wstring RowCellWideText(const RowSnapshot& row, std::int32_t column, bool verifying) {
  if (column == kColumnPath) return ShownName(row, verifying);
  return WideOf(RowCellText(row, column, verifying));
}

bool IsProblemRow(const RowSnapshot& row) {
  return row.verdict == RowVerdict::kMismatch || row.phase == RowPhase::kFailed;
}

bool IsProblemCell(const RowSnapshot& row, std::int32_t column) {
  if (column == kColumnProgress) return IsProblemRow(row);
  return column == kColumnSize && row.phase == RowPhase::kFailed;
}

Text FailureReason(const RowSnapshot& row) {
  if (row.phase != RowPhase::kFailed || row.error == 0) return Text();
  return SystemErrorText(row.error);
}

bool HasPassed(const RowSnapshot& row, bool verifying) {
  if (row.phase != RowPhase::kDone) return false;
  return !IsListedRow(row, verifying) || row.verdict == RowVerdict::kPassed;
}

bool RowCellBar(const RowSnapshot& row, std::int32_t column, bool verifying, double* percent) {
  if (column != kColumnProgress || !ShowsBar(row, verifying)) return false;
  *percent = BarPercent(row);
  return true;
}
