// Conversion between UTF-8 and the ANSI code page. Windows only.
#pragma once

#include "services/text.h"

// False when the bytes are no valid UTF-8 or some character has no ANSI
// counterpart; `ansi` then holds the text with "?" in each such place.
bool Utf8ToAnsi(const Text& utf8, Text* ansi);
