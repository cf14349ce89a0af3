#include "services/code_page.h"

#include <windows.h>

#include <string>

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

bool Utf8ToAnsi(const Text& utf8, Text* ansi) {
  if (utf8.IsEmpty()) {
    *ansi = Text();
    return true;
  }
  bool valid = false;
  const std::wstring wide = WideFromUtf8(utf8.Bytes(), &valid);
  const int units = static_cast<int>(wide.size());
  // No best-fit mapping: a look-alike character would name another file.
  const int bytes = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), units, nullptr,
                                        0, "?", nullptr);
  std::string converted(static_cast<std::size_t>(bytes > 0 ? bytes : 0), '\0');
  BOOL usedDefault = FALSE;
  if (bytes > 0)
    WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), units, converted.data(), bytes,
                        "?", &usedDefault);
  *ansi = Text(converted);
  return valid && bytes > 0 && !usedDefault;
}
