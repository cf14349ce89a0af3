#include "services/code_page.h"

#include <windows.h>

namespace {

std::wstring WideFromUtf8(const std::string& utf8, bool* valid) {
  const int length = static_cast<int>(utf8.size());
  *valid = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), length, nullptr, 0) > 0;
  // Without the error flag, each invalid sequence becomes U+FFFD, which
  // has no ANSI counterpart and turns into "?" below.
  const int units = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), length, nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(units > 0 ? units : 0), L'\0');
  if (units > 0) MultiByteToWideChar(CP_UTF8, 0, utf8.data(), length, wide.data(), units);
  return wide;
}

}  // namespace

bool WideToAnsi(const std::wstring& wide, Text* ansi) {
  *ansi = Text();
  if (wide.empty()) return true;
  const int units = static_cast<int>(wide.size());
  const int bytes = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), units, nullptr,
                                        0, "?", nullptr);
  if (bytes <= 0) return false;
  std::string converted(static_cast<std::size_t>(bytes), '\0');
  BOOL usedDefault = FALSE;
  WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), units, converted.data(), bytes,
                      "?", &usedDefault);
  *ansi = Text(converted);
  return !usedDefault;
}

bool Utf8ToAnsi(const Text& utf8, Text* ansi) {
  if (utf8.IsEmpty()) {
    *ansi = Text();
    return true;
  }
  bool valid = false;
  const std::wstring wide = WideFromUtf8(utf8.Bytes(), &valid);
  const bool exact = WideToAnsi(wide, ansi);
  return valid && !ansi->IsEmpty() && exact;
}

