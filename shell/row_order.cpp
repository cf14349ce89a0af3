#include "shell/row_order.h"

#include <windows.h>

#include <algorithm>
#include <string>
#include <utility>

#include "runs/file_row.h"
#include "shell/row_texts.h"

namespace {

// Problems first: mismatched, failed, then pending, then passed.
std::int32_t ProgressRank(const RowSnapshot& row, bool verifying) {
  if (row.verdict == RowVerdict::kMismatch) return 0;
  if (row.phase == RowPhase::kFailed) return 1;
  if (!HasPassed(row, verifying)) return 2;
  return 3;
}

bool IsDigit(wchar_t c) { return c >= L'0' && c <= L'9'; }

// Plain ASCII names (most of them) are lowered here: a system call per
// name made the first sort of 100,000 rows much slower under Wine.
void LowerCaseWide(std::wstring& wide) {
  bool ascii = true;
  for (wchar_t& c : wide) {
    if (c >= 0x80) ascii = false;
    if (c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c - L'A' + L'a');
  }
  if (!ascii) CharLowerBuffW(wide.data(), static_cast<DWORD>(wide.size()));
}

// A name made so that plain comparison gives Explorer's order as
// StrCmpLogicalW gives it for names: letters without case, runs of digits
// as numbers (file9 before file10). Each run of digits becomes '0' (a digit
// still, against any other letter), its length without leading zeros, then
// those digits: a shorter number sorts first, equal lengths digit by digit.
// StrCmpLogicalW itself costs a system call per letter under Wine.
std::wstring CollationKey(std::wstring wide) {
  LowerCaseWide(wide);
  std::wstring key;
  key.reserve(wide.size() + 4);
  for (std::size_t i = 0; i < wide.size();) {
    if (!IsDigit(wide[i])) {
      key.push_back(wide[i++]);
      continue;
    }
    while (i < wide.size() && wide[i] == L'0') ++i;
    std::size_t end = i;
    while (end < wide.size() && IsDigit(wide[end])) ++end;
    key.push_back(L'0');
    key.push_back(static_cast<wchar_t>(end - i));
    key.append(wide, i, end - i);
    i = end;
  }
  return key;
}

// What every key starts with (the folder, mostly) is cut off, which keeps
// them small and their comparison short.
void CutCommonStart(std::vector<std::wstring>& keys) {
  if (keys.empty()) return;
  std::size_t common = keys.front().size();
  for (const std::wstring& key : keys) {
    std::size_t same = 0;
    while (same < common && same < key.size() && key[same] == keys.front()[same]) ++same;
    common = same;
  }
  for (std::wstring& key : keys) key.erase(0, common);
}

const std::vector<std::wstring>& PathKeysOf(const RunRows& rows, bool verifying, PathKeys& cached) {
  if (cached.generation == rows.Generation() && cached.count == rows.Count()) return cached.keys;
  std::vector<std::wstring> keys;
  keys.reserve(static_cast<std::size_t>(rows.Count()));
  for (std::int32_t row = 0; row < rows.Count(); ++row) {
    RowSnapshot snapshot;  // the shown name needs only the entry
    snapshot.position = rows.PositionOf(row);
    snapshot.entry = &rows.EntryOf(row);
    keys.push_back(CollationKey(RowCellWideText(snapshot, kColumnPath, verifying)));
  }
  CutCommonStart(keys);
  cached = PathKeys{rows.Generation(), rows.Count(), std::move(keys)};
  return cached.keys;
}

struct SortKey {
  std::int32_t row = 0;
  std::int32_t position = 0;
  std::int64_t number = 0;  // size or rank
  const std::wstring* text = nullptr;  // name, as its path key
  Digest digest;            // none until final
};

SortKey KeyOf(const RunRows& rows, std::int32_t row, std::int32_t column, bool verifying,
              PathKeys& pathKeys) {
  if (column == kColumnNumber) return SortKey{row, rows.PositionOf(row), 0, nullptr, {}};
  if (column == kColumnPath) {
    const auto& keys = PathKeysOf(rows, verifying, pathKeys);
    return SortKey{row, rows.PositionOf(row), 0, &keys[static_cast<std::size_t>(row)], {}};
  }
  const RowSnapshot snapshot = rows.Read(row);
  SortKey key{row, snapshot.position, 0, nullptr, {}};
  if (column == kColumnDigest) key.digest = snapshot.digest;
  if (column == kColumnSize) key.number = snapshot.phase == RowPhase::kFailed ? -1 : snapshot.size;
  if (column == kColumnProgress) key.number = ProgressRank(snapshot, verifying);
  return key;
}

// As the shown digits compare: no digest first, then byte by byte (two
// upper-case digits per byte sort as the byte does).
int CompareDigests(const Digest& a, const Digest& b) {
  if (a.length != b.length) return a.length < b.length ? -1 : 1;
  const auto [left, right] = std::mismatch(a.bytes.begin(), a.bytes.begin() + a.length, b.bytes.begin());
  if (left == a.bytes.begin() + a.length) return 0;
  return *left < *right ? -1 : 1;
}

// Negative, zero or positive as a sorts before, with or after b.
int Compare(const SortKey& a, const SortKey& b, std::int32_t column) {
  if (column == kColumnPath) return a.text->compare(*b.text);
  if (column == kColumnDigest) return CompareDigests(a.digest, b.digest);
  if (a.number != b.number) return a.number < b.number ? -1 : 1;
  return 0;
}

}  // namespace

std::vector<std::int32_t> RowsInOrder(const RunRows& rows, std::int32_t column, bool descending,
                                      bool verifying, PathKeys& pathKeys) {
  std::vector<SortKey> keys;
  keys.reserve(static_cast<std::size_t>(rows.Count()));
  for (std::int32_t row = 0; row < rows.Count(); ++row)
    keys.push_back(KeyOf(rows, row, column, verifying, pathKeys));
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
