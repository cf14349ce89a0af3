// Unicode byte forms of a text, for lists that come in them. Portable.
#pragma once

#include <string>

// UTF-16 after its byte order mark (the first two bytes), LE or BE, as
// UTF-8; it ends at a NUL. A lone surrogate becomes a byte no UTF-8 holds,
// so the name it sits in converts to nothing and fails.
std::string Utf8FromUtf16(const std::string& bytes, bool bigEndian);
// Strict UTF-8: no overlong form, no surrogate, nothing past U+10FFFF.
bool IsValidUtf8(const std::string& bytes);
