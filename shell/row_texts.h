// The one place that turns a row of a run into the texts of its five cells.
// `verifying`: the coordinator's verificationMode.
#pragma once

#include <cstdint>
#include <string>

#include "runs/run_rows.h"
#include "services/text.h"

// Column 0 the row's position, 1 the path (when verifying, the name as the
// list gives it, "\" separated; a file dropped since by its name), 2 size /
// size " ->> " done / the failure text, 3 the computing text, the digest or
// nothing once failed, 4 "n%" or the verdict (a failed listed file's too).
Text RowCellText(const RowSnapshot& row, std::int32_t column, bool verifying);
// The same cell in UTF-16, so a name the code page lacks shows exactly.
std::wstring RowCellWideText(const RowSnapshot& row, std::int32_t column, bool verifying);
// Whether the row's cell is drawn as a bar, and its value: only column 4
// while it shows "n%", whatever any cell's text says.
bool RowCellBar(const RowSnapshot& row, std::int32_t column, bool verifying, double* percent);
// The digest as the list shows it: 32 upper-case digits once final, else
// nothing.
Text ShownDigest(const RowSnapshot& row);

// A row of the verified list, not a file dropped since.
bool IsListedRow(const RowSnapshot& row, bool verifying);
// Read whole and, when listed, judged equal: checking again leaves it.
bool HasPassed(const RowSnapshot& row, bool verifying);
// Mismatched, or failed (unreadable or stopped): a row the user must look at.
bool IsProblemRow(const RowSnapshot& row);
// The cells drawn in the problem colour: the verdict (column 4) of a
// problem row and the failure text (column 2) of a failed one.
bool IsProblemCell(const RowSnapshot& row, std::int32_t column);
// The system's message for a failed row's error; empty for other rows.
Text FailureReason(const RowSnapshot& row);
