#include "shell/row_order.h"

#include <windows.h>

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

// The key is made once per row: wide, and lower-case, so that comparing
// it needs no system call.
std::wstring WideKey(const Text& text) {
  const int length = MultiByteToWideChar(CP_ACP, 0, text.CStr(), text.Length(), nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(std::max(length, 0)), L'\0');
  if (length > 0) {
    MultiByteToWideChar(CP_ACP, 0, text.CStr(), text.Length(), wide.data(), length);
    CharLowerBuffW(wide.data(), static_cast<DWORD>(length));
  }
  return wide;
}

bool IsDigit(wchar_t c) { return c >= L'0' && c <= L'9'; }

// Explorer's order as StrCmpLogicalW gives it for names: runs of digits
// compare as numbers (file9 before file10), other letters without case.
// StrCmpLogicalW itself costs a system call per letter under Wine, which
// made 100,000 names take seconds.
int CompareLogically(const std::wstring& a, const std::wstring& b) {
  std::size_t i = 0, j = 0;
  while (i < a.size() && j < b.size()) {
    if (IsDigit(a[i]) && IsDigit(b[j])) {
      while (i < a.size() && a[i] == L'0') ++i;
      while (j < b.size() && b[j] == L'0') ++j;
      std::size_t endA = i, endB = j;
      while (endA < a.size() && IsDigit(a[endA])) ++endA;
      while (endB < b.size() && IsDigit(b[endB])) ++endB;
      if (endA - i != endB - j) return endA - i < endB - j ? -1 : 1;
      for (; i < endA; ++i, ++j)
        if (a[i] != b[j]) return a[i] < b[j] ? -1 : 1;
      continue;
    }
    if (a[i] != b[j]) return a[i] < b[j] ? -1 : 1;
    ++i;
    ++j;
  }
  if (i < a.size()) return 1;
  return j < b.size() ? -1 : 0;
}

struct SortKey {
  std::int32_t row = 0;
  std::int32_t position = 0;
  std::int64_t number = 0;  // size or rank
  std::wstring text;        // name
  std::string digest;       // 32 upper-case digits, or nothing
};

SortKey KeyOf(const RunRows& rows, std::int32_t row, std::int32_t column) {
  if (column == kColumnNumber) return SortKey{row, rows.PositionOf(row), 0, {}, {}};
  const RowSnapshot snapshot = rows.Read(row);
  SortKey key{row, snapshot.position, 0, {}, {}};
  if (column == kColumnPath) key.text = WideKey(RowCellText(snapshot, kColumnPath, filePaths.At(snapshot.position)));
  if (column == kColumnDigest) key.digest = snapshot.digest.Bytes();
  if (column == kColumnSize) key.number = snapshot.phase == RowPhase::kFailed ? -1 : snapshot.size;
  if (column == kColumnProgress) key.number = ProgressRank(snapshot);
  return key;
}

// Negative, zero or positive as a sorts before, with or after b.
int Compare(const SortKey& a, const SortKey& b, std::int32_t column) {
  if (column == kColumnPath) return CompareLogically(a.text, b.text);
  if (column == kColumnDigest) return a.digest.compare(b.digest);
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
