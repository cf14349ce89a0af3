#include "services/file_dialog.h"

#include <commdlg.h>

#include <string>
#include <vector>

namespace {

// Longest path the dialog may hand back (bytes, NUL included).
constexpr DWORD kFileNameBufferBytes = 1024;

const char* OrNull(const Text& text) { return text.IsEmpty() ? nullptr : text.CStr(); }

// The stored filter separates descriptions and patterns with "|"; the
// dialog wants NUL separators and a double NUL at the end. 0x7C can be the
// second byte of a two-byte character, which is no separator.
std::string DialogFilter(const Text& filter) {
  std::string pairs = filter.Bytes();
  for (std::size_t i = 0; i < pairs.size(); ++i) {
    if (pairs[i] == '|') pairs[i] = '\0';
    if (static_cast<unsigned char>(pairs[i]) >= 0x80) ++i;
  }
  pairs.append(2, '\0');
  return pairs;
}

}  // namespace

void SetDialogFileName(FileDialogComponent& dialog, const Text& fileName) {
  dialog.fileName = fileName;
}

Text GetDialogFileName(const FileDialogComponent& dialog) { return dialog.fileName; }

bool RunFileDialog(FileDialogComponent& dialog, HWND owner) {
  if (dialog.type != FileDialogComponent::kOpen && dialog.type != FileDialogComponent::kSave) {
    return false;
  }
  std::vector<char> file(kFileNameBufferBytes, '\0');
  dialog.fileName.Bytes().copy(file.data(), file.size() - 1);
  const std::string filter = DialogFilter(dialog.filter);

  OPENFILENAMEA ofn{};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = owner;
  ofn.lpstrFilter = dialog.filter.IsEmpty() ? nullptr : filter.c_str();
  ofn.nFilterIndex = dialog.filterIndex < 0 ? 1 : static_cast<DWORD>(dialog.filterIndex) + 1;
  ofn.lpstrFile = file.data();
  ofn.nMaxFile = kFileNameBufferBytes;
  ofn.lpstrInitialDir = OrNull(dialog.initialDirectory);
  ofn.lpstrTitle = OrNull(dialog.title);
  ofn.lpstrDefExt = OrNull(dialog.defaultExtension);
  ofn.Flags = OFN_HIDEREADONLY | dialog.extraFlags;

  const BOOL confirmed = dialog.type == FileDialogComponent::kOpen ? GetOpenFileNameA(&ofn)
                                                                  : GetSaveFileNameA(&ofn);
  if (!confirmed) return false;
  dialog.fileName = Text(file.data());
  // The type the user chose, counted from 0 as it is stored.
  if (ofn.nFilterIndex > 0) dialog.filterIndex = static_cast<std::int32_t>(ofn.nFilterIndex) - 1;
  return true;
}
