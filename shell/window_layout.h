// Where the main window's visible components stand in its client area:
// the list on top, as wide as the client area, and below it a strip with
// 停止, 标签1 over 标签_统计, 进度条1 and 导出文件 from left to right. Sizes are designed
// at 96 DPI and scaled.
#pragma once

#include <windows.h>

struct ComponentPlaces {
  RECT list, stopButton, countLabel, countsLabel, progressBar, exportButton;
};

// Places for a client area of `client` pixels at `dpi`; everything lies
// inside it when it is at least MinimumClientSize.
ComponentPlaces LayOutComponents(SIZE client, UINT dpi);
// The client area the window opens with: the list's designed height and
// the strip, `width` pixels wide.
SIZE OpeningClientSize(int width, UINT dpi);
// The smallest client area that keeps every component whole.
SIZE MinimumClientSize(UINT dpi);
