#include "services/clipboard.h"

#include <cstring>

#include "services/wide_paths.h"

namespace {

// Another program may hold the clipboard for a moment.
constexpr int kOpenAttempts = 10;
constexpr DWORD kOpenRetryMs = 20;

class OpenClipboardScope {
 public:
  explicit OpenClipboardScope(HWND owner) {
    for (int attempt = 0; attempt < kOpenAttempts && !open_; ++attempt) {
      open_ = OpenClipboard(owner) != FALSE;
      if (!open_) Sleep(kOpenRetryMs);
    }
  }
  ~OpenClipboardScope() {
    if (open_) CloseClipboard();
  }
  OpenClipboardScope(const OpenClipboardScope&) = delete;
  OpenClipboardScope& operator=(const OpenClipboardScope&) = delete;
  bool IsOpen() const { return open_; }

 private:
  bool open_ = false;
};

// The clipboard owns the block once SetClipboardData accepts it.
bool PutBlock(UINT format, const void* bytes, std::size_t size) {
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, size);
  if (block == nullptr) return false;
  void* target = GlobalLock(block);
  if (target == nullptr) {
    GlobalFree(block);
    return false;
  }
  std::memcpy(target, bytes, size);
  GlobalUnlock(block);
  if (SetClipboardData(format, block) == nullptr) {
    GlobalFree(block);
    return false;
  }
  return true;
}

}  // namespace

namespace {

bool PutBothForms(HWND owner, const Text& text, const std::wstring& wide) {
  OpenClipboardScope clipboard(owner);
  if (!clipboard.IsOpen() || !EmptyClipboard()) return false;
  return PutBlock(CF_TEXT, text.CStr(), static_cast<std::size_t>(text.Length()) + 1) &&
         PutBlock(CF_UNICODETEXT, wide.c_str(), (wide.size() + 1) * sizeof(wchar_t));
}

}  // namespace

bool PutTextOnClipboard(HWND owner, const Text& text) { return PutBothForms(owner, text, WideOf(text)); }

bool PutTextOnClipboard(HWND owner, const std::wstring& text) {
  return PutBothForms(owner, AnsiTextOf(text), text);
}
