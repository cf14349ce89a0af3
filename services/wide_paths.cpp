#include "services/wide_paths.h"

#include <windows.h>

#include <optional>

namespace {

// Best-fit mapping would turn a missing character into a look-alike ("a"
// for "ä") and so name another file; without it the default character
// stands in and the conversion reports it.
std::optional<Text> ExactAnsiOf(const std::wstring& wide) {
  if (wide.empty()) return Text();
  const int size = static_cast<int>(wide.size());
  const int bytes =
      WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), size, nullptr, 0, nullptr, nullptr);
  if (bytes <= 0) return std::nullopt;
  std::string ansi(static_cast<std::size_t>(bytes), '\0');
  BOOL lossy = FALSE;
  WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), size, ansi.data(), bytes, nullptr,
                      &lossy);
  if (lossy) return std::nullopt;
  return Text(ansi);
}

Text LossyAnsiOf(const std::wstring& wide) {
  const int size = static_cast<int>(wide.size());
  const int bytes =
      WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), size, nullptr, 0, nullptr, nullptr);
  if (bytes <= 0) return Text();
  std::string ansi(static_cast<std::size_t>(bytes), '\0');
  WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), size, ansi.data(), bytes, nullptr,
                      nullptr);
  return Text(ansi);
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
  return LossyAnsiOf(path);
}
