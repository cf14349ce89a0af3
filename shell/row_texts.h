// The one place that turns a row of a run into the texts of its five cells.
#pragma once

#include <cstdint>

#include "runs/run_rows.h"
#include "services/text.h"

// Column 0 the row's position, 1 the path (the file name when verifying),
// 2 size / size " ->> " done / the failure text, 3 the computing text or
// the digest, 4 "n%" or the verdict. `path` is the row's entry of filePaths.
Text RowCellText(const RowSnapshot& row, std::int32_t column, const Text& path);
