// Paths between the system's wide (UTF-16) form and the program's texts in
// the ANSI code page.
#pragma once

#include <string>
#include <vector>

#include "services/text.h"

std::wstring WideOf(const Text& text);
// The full form of a path, relative ones taken from the current folder;
// the path itself when the system gives none.
std::wstring FullWidePath(const std::wstring& path);
// Up to, not including, the last backslash (empty without one); after it.
std::wstring WideFolderOf(const std::wstring& path);
std::wstring WideFileNameOf(const std::wstring& path);
// The form the wide file calls need for `path`: past MAX_PATH the full
// path behind "\\?\" ("\\?\UNC\" for a server's share), which real
// Windows requires; shorter paths, and those already so marked, unchanged.
std::wstring LongPathForm(const std::wstring& path);
// Paths as the system gives them, UTF-16, from intake to open.
using PathArray = std::vector<std::wstring>;
// The ANSI form of a wide text: exact, or with "?" for each character the
// code page lacks. No file name holds "?", so such a form names no file;
// it is only ever shown or compared, never opened.
Text AnsiTextOf(const std::wstring& wide);
// Strict UTF-8 to UTF-16; false for bytes that are no UTF-8.
bool WideFromUtf8(const std::string& utf8, std::wstring* wide);
std::string Utf8Of(const std::wstring& wide);
