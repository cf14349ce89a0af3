// Whole-file access, the program's directory and the message pump.
// Windows only.
#pragma once

#include <initializer_list>

#include "services/text.h"

// True when FindFirstFileA finds anything: directories and matching
// wildcard patterns count.
bool FileExists(const Text& path);
// Whole file, shared for reading only; empty on any failure.
ByteBuffer ReadWholeFile(const Text& path);
// Creates or truncates, no sharing, writes each non-empty buffer in order.
bool WriteWholeFile(const Text& path, std::initializer_list<const ByteBuffer*> buffers);
bool WriteWholeFile(const Text& path, const ByteBuffer& buffer);
// The program file's folder, without a trailing backslash.
Text RunDirectory();
