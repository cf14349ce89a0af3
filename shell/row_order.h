// The order 超级列表框 shows a run's rows in once a column header was
// clicked. Column 0 keeps each row's number, so a row is still named by it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "runs/run_rows.h"

// The path keys of one run, made at its first sort by path: a name stays
// the same through a run, so later sorts only compare.
struct PathKeys {
  std::uint32_t generation = 0;
  std::int32_t count = -1;
  std::vector<std::wstring> keys;
};

// The run's rows (indices) in the order of `column`: 0 by number, 1 by
// name in Explorer's order, 2 by size, 3 by digest, 4 problems first
// (mismatched, then failed), then the pending rows, then the passed ones.
// Equal rows keep their numbers' order; `descending` reverses the whole.
// `keys` keeps the path keys of the rows last sorted by path.
std::vector<std::int32_t> RowsInOrder(const RunRows& rows, std::int32_t column, bool descending,
                                      bool verifying, PathKeys& keys);
