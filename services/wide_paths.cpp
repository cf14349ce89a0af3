#include "services/wide_paths.h"

#include <windows.h>

#include "services/code_page.h"

namespace {

// "\\?\" and device paths ("\\.\") are taken as they stand.
bool HasLongPathMark(const std::wstring& path) {
  return path.rfind(L"\\\\?\\", 0) == 0 || path.rfind(L"\\\\.\\", 0) == 0;
}

}  // namespace

std::wstring FullWidePath(const std::wstring& path) {
  const DWORD length = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
  if (length == 0) return path;
  std::wstring full(length, L'\0');
  const DWORD written = GetFullPathNameW(path.c_str(), length, full.data(), nullptr);
  if (written == 0 || written >= length) return path;
  full.resize(written);
  return full;
}

std::wstring WideFolderOf(const std::wstring& path) {
  const std::size_t slash = path.rfind(L'\\');
  return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
}

std::wstring WideFileNameOf(const std::wstring& path) {
  const std::size_t slash = path.rfind(L'\\');
  return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

std::wstring WideOf(const Text& text) {
  if (text.IsEmpty()) return {};
  const int count = MultiByteToWideChar(CP_ACP, 0, text.CStr(), text.Length(), nullptr, 0);
  if (count <= 0) return {};
  std::wstring wide(static_cast<std::size_t>(count), L'\0');
  MultiByteToWideChar(CP_ACP, 0, text.CStr(), text.Length(), wide.data(), count);
  return wide;
}

std::wstring LongPathForm(const std::wstring& path) {
  // Directories need room for an 8.3 name after them, hence the margin.
  constexpr std::size_t kShortPathLimit = MAX_PATH - 12;
  if (path.size() < kShortPathLimit || HasLongPathMark(path)) return path;
  const std::wstring full = FullWidePath(path);
  if (full.rfind(L"\\\\", 0) == 0) return L"\\\\?\\UNC\\" + full.substr(2);
  return L"\\\\?\\" + full;
}

Text AnsiTextOf(const std::wstring& wide) {
  Text ansi;
  WideToAnsi(wide, &ansi);
  return ansi;
}

bool WideFromUtf8(const std::string& utf8, std::wstring* wide) {
  wide->clear();
  if (utf8.empty()) return true;
  const int length = static_cast<int>(utf8.size());
  const int units = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), length, nullptr, 0);
  if (units <= 0) return false;
  wide->resize(static_cast<std::size_t>(units));
  MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), length, wide->data(), units);
  return true;
}

std::string Utf8Of(const std::wstring& wide) {
  if (wide.empty()) return {};
  const int units = static_cast<int>(wide.size());
  const int bytes = WideCharToMultiByte(CP_UTF8, 0, wide.data(), units, nullptr, 0, nullptr, nullptr);
  if (bytes <= 0) return {};
  std::string utf8(static_cast<std::size_t>(bytes), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.data(), units, utf8.data(), bytes, nullptr, nullptr);
  return utf8;
}
