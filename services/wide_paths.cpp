#include "services/wide_paths.h"

#include <windows.h>

#include <optional>

#include "services/code_page.h"

namespace {

// The exact ANSI form, or none when some character has no counterpart.
std::optional<Text> ExactAnsiOf(const std::wstring& wide) {
  Text ansi;
  if (!WideToAnsi(wide, &ansi)) return std::nullopt;
  return ansi;
}

std::wstring ShortPathOf(const std::wstring& path) {
  const DWORD length = GetShortPathNameW(path.c_str(), nullptr, 0);
  if (length == 0) return {};
  std::wstring shortPath(length, L'\0');
  const DWORD written = GetShortPathNameW(path.c_str(), shortPath.data(), length);
  if (written == 0 || written >= length) return {};
  shortPath.resize(written);
  return shortPath;
}

}  // namespace

std::wstring WideOf(const Text& text) {
  if (text.IsEmpty()) return {};
  const int count = MultiByteToWideChar(CP_ACP, 0, text.CStr(), text.Length(), nullptr, 0);
  if (count <= 0) return {};
  std::wstring wide(static_cast<std::size_t>(count), L'\0');
  MultiByteToWideChar(CP_ACP, 0, text.CStr(), text.Length(), wide.data(), count);
  return wide;
}

Text AnsiPathOf(const std::wstring& path) {
  if (std::optional<Text> exact = ExactAnsiOf(path)) return *exact;
  const std::wstring shortPath = ShortPathOf(path);
  if (!shortPath.empty()) {
    if (std::optional<Text> exact = ExactAnsiOf(shortPath)) return *exact;
  }
  Text lossy;
  WideToAnsi(path, &lossy);
  return lossy;
}
