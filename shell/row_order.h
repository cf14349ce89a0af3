// The order 超级列表框 shows a run's rows in once a column header was
// clicked. Column 0 keeps each row's number, so a row is still named by it.
#pragma once

#include <cstdint>
#include <vector>

#include "runs/run_rows.h"

// The run's rows (indices) in the order of `column`: 0 by number, 1 by
// name in Explorer's order, 2 by size, 3 by digest, 4 problems first
// (mismatched, then failed), then the pending rows, then the passed ones.
// Equal rows keep their numbers' order; `descending` reverses the whole.
std::vector<std::int32_t> RowsInOrder(const RunRows& rows, std::int32_t column, bool descending);
