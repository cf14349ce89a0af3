#include "services/command_line.h"

#include <windows.h>
#include <shellapi.h>

#include <string>

#include "services/wide_paths.h"

namespace {

std::wstring FullPathOf(const wchar_t* path) {
  const DWORD length = GetFullPathNameW(path, 0, nullptr, nullptr);
  if (length == 0) return path;
  std::wstring full(length, L'\0');
  const DWORD written = GetFullPathNameW(path, length, full.data(), nullptr);
  if (written == 0 || written >= length) return path;
  full.resize(written);
  return full;
}

}  // namespace

PathArray CommandLinePaths() {
  // The wide command line: the ANSI one the system offers is converted with
  // best fit, which can turn a name into another file's name.
  int count = 0;
  LPWSTR* arguments = CommandLineToArgvW(GetCommandLineW(), &count);
  PathArray paths;
  if (arguments == nullptr) return paths;
  for (int i = 1; i < count; ++i) {
    if (arguments[i][0] == L'\0') continue;
    paths.push_back(FullPathOf(arguments[i]));
  }
  LocalFree(arguments);
  return paths;
}
