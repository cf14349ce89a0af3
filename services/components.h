// Properties of the main window's components, and the components that
// have no window of their own (file dialog, drop target, deferred call).
#pragma once

#include <windows.h>

#include <cstdint>

#include "services/text.h"

void SetVisible(HWND component, bool visible);
void SetCaption(HWND label, const Text& text);
// Clamped to 0..32767, then to the bar's range.
void SetProgressPosition(HWND progressBar, std::int32_t position);
