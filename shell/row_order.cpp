#include "shell/row_order.h"

#include <windows.h>
#include <shlwapi.h>

#include <algorithm>
#include <string>

#include "runs/file_row.h"
#include "runs/globals.h"
#include "shell/row_texts.h"

namespace {

// Problems first: mismatched, failed, then pending, then passed.
std::int32_t ProgressRank(const RowSnapshot& row) {
  if (row.verdict == RowVerdict::kMismatch) return 0;
  if (row.phase == RowPhase::kFailed) return 1;
  if (!HasPassed(row)) return 2;
  return 3;
}

// Explorer's order compares wide texts; the key is made once per row.
std::wstring WideKey(const Text& text) {
  const int length = MultiByteToWideChar(CP_ACP, 0, text.CStr(), text.Length(), nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(std::max(length, 0)), L'\0');
  if (length > 0) MultiByteToWideChar(CP_ACP, 0, text.CStr(), text.Length(), wide.data(), length);
  return wide;
}

struct SortKey {
  std::int32_t row = 0;
  std::int32_t position = 0;
  std::int64_t number = 0;  // size or rank
  std::wstring text;        // name or digest
};

SortKey KeyOf(const RunRows& rows, std::int32_t row, std::int32_t column) {
  const RowSnapshot snapshot = rows.Read(row);
  SortKey key{row, snapshot.position, 0, {}};
  if (column == kColumnPath) key.text = WideKey(RowCellText(snapshot, kColumnPath, filePaths.At(snapshot.position)));
  if (column == kColumnDigest) key.text = WideKey(snapshot.digest);
  if (column == kColumnSize) key.number = snapshot.phase == RowPhase::kFailed ? -1 : snapshot.size;
  if (column == kColumnProgress) key.number = ProgressRank(snapshot);
  return key;
}

// Negative, zero or positive as a sorts before, with or after b.
int Compare(const SortKey& a, const SortKey& b, std::int32_t column) {
  if (column == kColumnPath) return StrCmpLogicalW(a.text.c_str(), b.text.c_str());
  if (column == kColumnDigest) return a.text.compare(b.text);
  if (a.number != b.number) return a.number < b.number ? -1 : 1;
  return 0;
}

}  // namespace

std::vector<std::int32_t> RowsInOrder(const RunRows& rows, std::int32_t column, bool descending) {
  std::vector<SortKey> keys;
  keys.reserve(static_cast<std::size_t>(rows.Count()));
  for (std::int32_t row = 0; row < rows.Count(); ++row) keys.push_back(KeyOf(rows, row, column));
  std::sort(keys.begin(), keys.end(), [column, descending](const SortKey& a, const SortKey& b) {
    int order = Compare(a, b, column);
    if (order == 0) order = a.position < b.position ? -1 : (a.position > b.position ? 1 : 0);
    return descending ? order > 0 : order < 0;
  });
  std::vector<std::int32_t> order;
  order.reserve(keys.size());
  for (const SortKey& key : keys) order.push_back(key.row);
  return order;
}
