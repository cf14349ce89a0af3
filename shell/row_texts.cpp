#include "shell/row_texts.h"

#include "runs/globals.h"
#include "services/texts.h"
#include "runs/file_row.h"
#include "runs/pooled_run.h"
#include "services/text_ops.h"
#include "services/files.h"
#include "services/wide_paths.h"
#include "shell/digest_list.h"

bool IsListedRow(const RowSnapshot& row) {
  return verificationMode && row.position <= expectedDigests.Count();
}

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
  if (row.phase == RowPhase::kDone) return row.digest;
  if (row.phase == RowPhase::kFailed) return Text();
  return HasStarted(row) ? Text(texts::kComputing) : Text();
}

// Column 4 shows the bar until a verdict or a listed file's failure
// takes its place.
bool ShowsBar(const RowSnapshot& row) {
  if (row.verdict != RowVerdict::kNone) return false;
  if (row.phase == RowPhase::kFailed && IsListedRow(row)) return false;
  return row.progressShown;
}

double BarPercent(const RowSnapshot& row) { return RoundTo(PercentOf(row.done, row.size), 0); }

Text ProgressText(const RowSnapshot& row) {
  if (row.verdict == RowVerdict::kPassed) return texts::kVerified;
  if (row.verdict == RowVerdict::kMismatch) return texts::kMismatch;
  if (row.phase == RowPhase::kFailed && IsListedRow(row)) {
    if (filePaths.IsRefusedAt(row.position)) return texts::kNotOpened;
    return row.stopped ? texts::kStopped : texts::kUnreadable;
  }
  if (!ShowsBar(row)) return Text();
  return ConcatTexts({ToText(BarPercent(row)), "%"});
}

}  // namespace

Text RowCellText(const RowSnapshot& row, std::int32_t column, const Text& path) {
  switch (column) {
    case kColumnNumber:
      return ToText(row.position);
    case kColumnPath:
      return AnsiTextOf(RowCellWideText(row, column, WideOf(path)));
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

bool HasPassed(const RowSnapshot& row) {
  if (row.phase != RowPhase::kDone) return false;
  return !IsListedRow(row) || row.verdict == RowVerdict::kPassed;
}

bool RowCellBar(const RowSnapshot& row, std::int32_t column, double* percent) {
  if (column != kColumnProgress || !ShowsBar(row)) return false;
  *percent = BarPercent(row);
  return true;
}

namespace {

// `path` relative to `folder` when inside it, "\\" for "/"; else whole.
std::wstring WideNameInFolder(const std::wstring& path, const std::wstring& folder) {
  const bool inside = !folder.empty() && path.size() > folder.size() &&
                      path.compare(0, folder.size(), folder) == 0 && path[folder.size()] == L'\\';
  std::wstring name = inside ? path.substr(folder.size() + 1) : path;
  for (wchar_t& c : name)
    if (c == L'/') c = L'\\';
  return name;
}

}  // namespace

std::wstring RowCellWideText(const RowSnapshot& row, std::int32_t column, const std::wstring& path) {
  if (column != kColumnPath) return WideOf(RowCellText(row, column, Text()));
  if (!verificationMode) return path;
  if (!IsListedRow(row)) return WideFileNameOf(path);
  return WideNameInFolder(path, verifiedListFolder);
}
