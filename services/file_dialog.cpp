#include "services/file_dialog.h"

#include <commdlg.h>

#include <string>
#include <vector>

#include "services/wide_paths.h"

namespace {

// Longest path the dialog may hand back (UTF-16 units, NUL included): long
// paths reach 32,767.
constexpr DWORD kFileNameBufferUnits = 32768;

std::wstring OrEmpty(const Text& text) { return text.IsEmpty() ? std::wstring() : WideOf(text); }
const wchar_t* OrNull(const std::wstring& text) { return text.empty() ? nullptr : text.c_str(); }

// The stored filter separates descriptions and patterns with "|"; the
// dialog wants NUL separators and a double NUL at the end. Wide, "|" is
// never part of another character.
std::wstring DialogFilter(const Text& filter) {
  std::wstring pairs = WideOf(filter);
  for (wchar_t& c : pairs)
    if (c == L'|') c = L'\0';
  pairs.append(2, L'\0');
  return pairs;
}

}  // namespace

void SetDialogFileName(FileDialogComponent& dialog, const Text& fileName) {
  dialog.fileName = fileName;
  dialog.chosenPath = WideOf(fileName);
}

Text GetDialogFileName(const FileDialogComponent& dialog) { return dialog.fileName; }

std::wstring GetDialogWideFileName(const FileDialogComponent& dialog) { return dialog.chosenPath; }

// The wide dialog: a name in any script comes back exactly.
bool RunFileDialog(FileDialogComponent& dialog, HWND owner) {
  if (dialog.type != FileDialogComponent::kOpen && dialog.type != FileDialogComponent::kSave) {
    return false;
  }
  std::vector<wchar_t> file(kFileNameBufferUnits, L'\0');
  dialog.chosenPath.copy(file.data(), file.size() - 1);
  const std::wstring filter = DialogFilter(dialog.filter);
  const std::wstring initialDirectory = OrEmpty(dialog.initialDirectory);
  const std::wstring title = OrEmpty(dialog.title);
  const std::wstring defaultExtension = OrEmpty(dialog.defaultExtension);

  OPENFILENAMEW ofn{};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = owner;
  ofn.lpstrFilter = dialog.filter.IsEmpty() ? nullptr : filter.c_str();
  ofn.nFilterIndex = dialog.filterIndex < 0 ? 1 : static_cast<DWORD>(dialog.filterIndex) + 1;
  ofn.lpstrFile = file.data();
  ofn.nMaxFile = kFileNameBufferUnits;
  ofn.lpstrInitialDir = OrNull(initialDirectory);
  ofn.lpstrTitle = OrNull(title);
  ofn.lpstrDefExt = OrNull(defaultExtension);
  ofn.Flags = OFN_HIDEREADONLY | dialog.extraFlags;

  const BOOL confirmed = dialog.type == FileDialogComponent::kOpen ? GetOpenFileNameW(&ofn)
                                                                  : GetSaveFileNameW(&ofn);
  if (!confirmed) return false;
  dialog.chosenPath = file.data();
  dialog.fileName = AnsiTextOf(dialog.chosenPath);
  // The type the user chose, counted from 0 as it is stored.
  if (ofn.nFilterIndex > 0) dialog.filterIndex = static_cast<std::int32_t>(ofn.nFilterIndex) - 1;
  return true;
}
