// Thin operations on the report list 超级列表框. Each is one SendMessageA,
// so any thread may call them; Windows runs them on the window thread.
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>

#include "services/text.h"

std::int32_t ListItemCount(HWND list);
// Position omitted or below 0 appends. Image omitted or below -1: -1.
// State image given: (value + 1, at least 0) << 12 into the state.
// The result is the new row's index (-1 on failure).
std::int32_t ListInsertRow(HWND list, std::optional<std::int32_t> position = std::nullopt,
                           const Text& text = Text(),
                           std::optional<std::int32_t> image = std::nullopt,
                           std::optional<std::int32_t> stateImage = std::nullopt,
                           std::optional<std::int32_t> indent = std::nullopt,
                           std::optional<LPARAM> itemData = std::nullopt);
bool ListSetCellText(HWND list, std::int32_t row, std::int32_t column = 0,
                     const Text& text = Text());
// Empty for a row the list does not have.
Text ListGetCellText(HWND list, std::int32_t row, std::int32_t column = 0);
// The same in UTF-16 (LVM_GETITEMTEXTW): exact for any name.
std::wstring ListGetCellWideText(HWND list, std::int32_t row, std::int32_t column = 0);
bool ListDeleteAllRows(HWND list);
// A list that keeps no rows of its own (LVS_OWNERDATA): the number of rows
// it shows, made in one call however many; their texts are asked for.
bool ListSetItemCount(HWND list, std::int32_t count);
// Rows first..last are drawn anew at the next paint.
void ListRedrawRows(HWND list, std::int32_t first, std::int32_t last);
// The first row in view and how many rows fit in view.
std::int32_t ListTopRow(HWND list);
std::int32_t ListRowsPerPage(HWND list);
std::int32_t ListColumnWidth(HWND list, std::int32_t column);
bool ListSetColumnWidth(HWND list, std::int32_t column, std::int32_t width);
// The width of `text` in the list's font, in pixels.
std::int32_t ListTextWidth(HWND list, const Text& text);
COLORREF ListTextColor(HWND list);
COLORREF ListBackColor(HWND list);
COLORREF ListTextBackColor(HWND list);
// The selected row (single selection), -1 when none.
std::int32_t ListSelectedRow(HWND list);
// Selects and focuses the row and scrolls it into view; -1 with `select`
// false clears the selection of every row.
void ListSelectRow(HWND list, std::int32_t row, bool select = true);
// A row's bounds in the list's client coordinates.
RECT ListRowBounds(HWND list, std::int32_t row);
