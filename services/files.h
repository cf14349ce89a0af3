// Whole-file access, the program's directory and the message pump.
// Windows only.
#pragma once

#include <initializer_list>
#include <string>

#include "services/text.h"

// True when a search for the path finds anything: directories and matching
// wildcard patterns count.
bool FileExists(const Text& path);
bool FileExists(const std::wstring& path);
// Whole file, shared for reading only; empty on any failure.
ByteBuffer ReadWholeFile(const Text& path);
ByteBuffer ReadWholeFile(const std::wstring& path);
// Why ReadWholeFile could not open `path`: the system's error, 0 when it can.
unsigned long ReadError(const Text& path);
unsigned long ReadError(const std::wstring& path);
// Creates or truncates, no sharing, writes each non-empty buffer in order.
bool WriteWholeFile(const Text& path, std::initializer_list<const ByteBuffer*> buffers);
bool WriteWholeFile(const Text& path, const ByteBuffer& buffer);
// Writes the bytes to a new file beside `path`, flushes it, then moves it
// over `path` in one step: `path` ends holding either its old bytes or all
// the new ones. A read-only target is refused. 0, or the system's error.
unsigned long ReplaceWholeFile(const Text& path, const ByteBuffer& bytes);
unsigned long ReplaceWholeFile(const std::wstring& path, const ByteBuffer& bytes);
// The system's own words for an error code, without a final line end.
Text SystemErrorText(unsigned long error);
// The program file's folder, without a trailing backslash.
Text RunDirectory();
// The same, in the system's own UTF-16: exact in any script.
std::wstring WideRunDirectory();
