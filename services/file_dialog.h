// The common file dialog component 通用对话框1.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "services/text.h"

struct FileDialogComponent {
  enum Type : std::int32_t { kOpen = 0, kSave = 1 };
  std::int32_t type = kSave;
  Text defaultExtension;
  Text fileName;  // ANSI: "?" for characters the code page lacks
  std::wstring chosenPath;  // the same name, exact
  Text filter;  // description|pattern|description|pattern
  std::int32_t filterIndex = 0;  // the type shown first, from 0
  Text initialDirectory;
  Text title;
  DWORD extraFlags = 0;  // added to OFN_HIDEREADONLY
};

void SetDialogFileName(FileDialogComponent& dialog, const Text& fileName);
Text GetDialogFileName(const FileDialogComponent& dialog);
std::wstring GetDialogWideFileName(const FileDialogComponent& dialog);
// Modal; when confirmed, true with the chosen path and type stored.
bool RunFileDialog(FileDialogComponent& dialog, HWND owner = nullptr);
