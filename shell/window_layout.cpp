#include "shell/window_layout.h"

#include <algorithm>

#include "services/dpi.h"

namespace {

// At 96 DPI. The list keeps its designed top and height; the strip is as
// high as its tallest component, 导出文件, plus a margin above and below.
constexpr int kListTop = 1;
constexpr int kListHeight = 399;
constexpr int kListMinimumHeight = 100;
constexpr int kMargin = 8;
constexpr int kStripPadding = 4;
constexpr SIZE kStopButton{100, 24};
constexpr int kLabelHeight = 16;
constexpr int kLabelMinimumWidth = 152;
constexpr SIZE kProgressBar{297, 18};
constexpr int kProgressBarMinimumWidth = 100;
constexpr SIZE kExportButton{88, 32};
constexpr int kStripHeight = kExportButton.cy + 2 * kStripPadding;

// A component of `size` at `left`, centred in the strip's height.
RECT InStrip(int left, SIZE size, int stripTop, int stripHeight) {
  const int top = stripTop + (stripHeight - size.cy) / 2;
  return RECT{left, top, left + size.cx, top + size.cy};
}

SIZE Scaled(SIZE size, UINT dpi) { return SIZE{ScaleForDpi(size.cx, dpi), ScaleForDpi(size.cy, dpi)}; }

}  // namespace

ComponentPlaces LayOutComponents(SIZE client, UINT dpi) {
  const int margin = ScaleForDpi(kMargin, dpi);
  const int stripHeight = ScaleForDpi(kStripHeight, dpi);
  const int stripTop = client.cy - stripHeight;
  const SIZE stop = Scaled(kStopButton, dpi);
  const SIZE exportButton = Scaled(kExportButton, dpi);
  // The label takes what the others leave; the bar gives up width first,
  // down to its minimum, so the label keeps room for its text.
  const int shared = client.cx - 5 * margin - stop.cx - exportButton.cx;
  const int bar = std::clamp(shared - ScaleForDpi(kLabelMinimumWidth, dpi),
                             ScaleForDpi(kProgressBarMinimumWidth, dpi),
                             ScaleForDpi(kProgressBar.cx, dpi));
  const int labelLeft = margin + stop.cx + margin;
  const int barLeft = client.cx - margin - exportButton.cx - margin - bar;

  ComponentPlaces places{};
  places.list = RECT{0, ScaleForDpi(kListTop, dpi), client.cx, stripTop};
  places.stopButton = InStrip(margin, stop, stripTop, stripHeight);
  // 标签1 and the counts below it share the strip's height, one line each.
  const int labelHeight = ScaleForDpi(kLabelHeight, dpi);
  places.countLabel = InStrip(labelLeft, SIZE{barLeft - margin - labelLeft, labelHeight}, stripTop,
                              stripHeight);
  OffsetRect(&places.countLabel, 0, -labelHeight / 2);
  places.countsLabel = places.countLabel;
  OffsetRect(&places.countsLabel, 0, labelHeight);
  places.progressBar = InStrip(barLeft, SIZE{bar, ScaleForDpi(kProgressBar.cy, dpi)}, stripTop, stripHeight);
  places.exportButton = InStrip(client.cx - margin - exportButton.cx, exportButton, stripTop, stripHeight);
  return places;
}

SIZE OpeningClientSize(int width, UINT dpi) {
  return SIZE{width, ScaleForDpi(kListTop, dpi) + ScaleForDpi(kListHeight, dpi) +
                         ScaleForDpi(kStripHeight, dpi)};
}

SIZE MinimumClientSize(UINT dpi) {
  // Scaled part by part, as LayOutComponents scales them.
  const int width = 5 * ScaleForDpi(kMargin, dpi) + ScaleForDpi(kStopButton.cx, dpi) +
                    ScaleForDpi(kLabelMinimumWidth, dpi) + ScaleForDpi(kProgressBarMinimumWidth, dpi) +
                    ScaleForDpi(kExportButton.cx, dpi);
  return SIZE{width, ScaleForDpi(kListTop, dpi) +
                                           ScaleForDpi(kListMinimumHeight, dpi) +
                                           ScaleForDpi(kStripHeight, dpi)};
}
