// The system clipboard. Windows only.
#pragma once

#include <windows.h>

#include <string>

#include "services/text.h"

// Replaces the clipboard's content with the text, in the ANSI and the wide
// form, so that every program pastes the same characters. False when the
// clipboard stayed busy or memory ran out.
bool PutTextOnClipboard(HWND owner, const Text& text);
// The same for a wide text: CF_UNICODETEXT exact, CF_TEXT its ANSI form.
bool PutTextOnClipboard(HWND owner, const std::wstring& text);
