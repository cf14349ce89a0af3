// The window thread's message loops: the key handling they share, and the
// pump that handles queued messages while the thread waits for something.
#pragma once

#include <windows.h>

// A window's own keys (shortcuts), tried before its dialog keys; true when
// it took the key.
using ShortcutRoutine = bool (*)(const MSG& message);

// A top-level window whose controls Tab and Shift+Tab move between, and
// its shortcuts (may be null); the window keeps them as a property, until
// DisableWindowKeys, which must come before it is destroyed.
void EnableWindowKeys(HWND window, ShortcutRoutine shortcuts);
void DisableWindowKeys(HWND window);
// Called by every message loop of the window thread before translating a
// message: true when a shortcut or the dialog manager took it, and then it
// must be neither translated nor dispatched.
bool HandleWindowKeys(MSG& message);

// Dispatches queued messages until the queue is empty or WM_QUIT is next
// (which stays queued). Returns at once on a thread without messages.
void PumpPendingMessages();
