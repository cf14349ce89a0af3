// Conversion between UTF-8, UTF-16 and the ANSI code page. Windows only.
#pragma once

#include <string>

#include "services/text.h"

// The ANSI form of a wide text, without best fit (a look-alike character
// would name another file): "?" stands for each character the code page
// lacks. False when one did, or nothing could be converted.
bool WideToAnsi(const std::wstring& wide, Text* ansi);
// False when the bytes are no valid UTF-8 or some character has no ANSI
// counterpart; `ansi` then holds the text with "?" in each such place.
bool Utf8ToAnsi(const Text& utf8, Text* ansi);
