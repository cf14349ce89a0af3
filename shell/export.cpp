#include "shell/export.h"

#include <windows.h>

#include <string>

#include "runs/file_row.h"
#include "services/code_page.h"
#include "services/file_dialog.h"
#include "services/files.h"
#include "services/text_ops.h"
#include "services/texts.h"
#include "services/wide_paths.h"
#include "shell/digest_list.h"
#include "shell/program.h"
#include "shell/row_texts.h"

namespace {

// Windows names ignore case; the folder ends at a separator.
bool StartsWithFolder(const std::wstring& path, const std::wstring& folder) {
  if (folder.empty() || path.size() <= folder.size() || path[folder.size()] != L'\\') return false;
  const int length = static_cast<int>(folder.size());
  return CompareStringOrdinal(path.data(), length, folder.data(), length, TRUE) == CSTR_EQUAL;
}

// Relative to the export file's folder when the file lies inside it, so an
// exported tree verifies from its root; otherwise the full path, which the
// list's readers (this program, md5sum) open as it stands.
std::wstring ListedName(const std::wstring& path, const std::wstring& exportFolder) {
  if (!StartsWithFolder(path, exportFolder)) return path;
  return path.substr(exportFolder.size() + 1);
}

// The digest in the 32 upper-case digits the list shows.
std::wstring DigestListLine(const std::wstring& name, const Digest& digest) {
  return name + L"=" + WideOf(Text(UpperHexOf(digest))) + L"\r\n";
}

// md5sum -c on other systems takes "/" only.
std::wstring WithSlashes(std::wstring name) {
  for (wchar_t& c : name)
    if (c == L'\\') c = L'/';
  return name;
}

// Lower-case digits, as md5sum writes them. A row without a digest
// becomes a comment holding its digest cell, which md5sum -c and this
// program's reading both skip, instead of a line neither accepts.
std::wstring Md5sumLine(const std::wstring& name, const RowSnapshot& row, bool verifying) {
  if (row.phase == RowPhase::kDone) return WideOf(Text(LowerHexOf(row.digest))) + L" *" + WithSlashes(name) + L"\r\n";
  return L"# " + WideOf(RowCellText(row, kColumnDigest, verifying)) + L" *" + WithSlashes(name) + L"\r\n";
}

struct ExportedList {
  std::wstring lines;
  std::int32_t leftOut = 0;  // rows without a final digest
};

// A row still computing or failed is never written as if it had a digest:
// md5.ini leaves it out, an md5sum list keeps it as a comment. Names are
// the wide ones, so none is ever written as "?" or a short name.
ExportedList ListedRows(const RunRows* rows, bool verifying, ExportType type,
                        const std::wstring& exportFolder) {
  ExportedList list;
  for (std::int32_t row = 0; rows != nullptr && row < rows->Count(); ++row) {
    const RowSnapshot snapshot = rows->Read(row);
    const std::wstring name = ListedName(RowCellWideText(snapshot, kColumnPath, verifying), exportFolder);
    const bool hasDigest = snapshot.phase == RowPhase::kDone;
    if (!hasDigest) ++list.leftOut;
    if (type == kExportMd5sum) {
      list.lines += Md5sumLine(name, snapshot, verifying);
    } else if (hasDigest) {
      list.lines += DigestListLine(name, snapshot.digest);
    }
  }
  return list;
}

// md5sum lists are UTF-8, as md5sum writes them and reads them on other
// systems. md5.ini keeps the ANSI code page its readers expect while every
// name has a form there; else it is UTF-8 behind a byte order mark.
std::string ListBytes(ExportType type, const ExportedList& list) {
  if (type == kExportMd5sum) return Utf8Of(list.lines);
  Text ansi;
  if (WideToAnsi(list.lines, &ansi)) return ansi.Bytes();
  return "\xEF\xBB\xBF" + Utf8Of(list.lines);
}

// Wide, so the target's name shows exactly in any script.
void ShowMessage(HWND owner, const std::wstring& message, UINT icon) {
  MessageBoxW(owner, message.c_str(), WideOf(Text(texts::kWindowCaption)).c_str(), MB_OK | icon);
}

void ShowRowsLeftOut(HWND owner, const std::wstring& target, std::int32_t leftOut) {
  ShowMessage(owner, WideOf(ConcatTexts({texts::kExportLeftOut, ToText(leftOut), "\r\n"})) + target,
              MB_ICONWARNING);
}

void ShowExportFailure(HWND owner, const std::wstring& target, unsigned long error) {
  ShowMessage(owner,
              WideOf(ConcatTexts({texts::kExportFailed, "\r\n"})) + target + L"\r\n" +
                  WideOf(SystemErrorText(error)),
              MB_ICONERROR);
}

}  // namespace

Text ExportFilter() {
  return ConcatTexts({texts::kExportTypeDigestList, "|*.txt;*.ini|", texts::kExportTypeMd5sum,
                      "|*.md5"});
}

std::string ExportedListBytes(const RunRows* rows, bool verifying, ExportType type,
                              const std::wstring& exportFolder, std::int32_t* leftOut) {
  const ExportedList list = ListedRows(rows, verifying, type, exportFolder);
  *leftOut = list.leftOut;
  return ListBytes(type, list);
}

// The rows the list shows, in the run's own order however the view is
// sorted; none before the first run.
void Program::ExportDigests() {
  if (IsClosing()) return;  // a dialog now would keep a closed program alive
  FileDialogComponent& dialog = window_.exportDialog;
  SetDialogFileName(dialog, texts::kDigestListName);
  dialog.filterIndex = kExportDigestList;
  if (!RunFileDialog(dialog, window_.window)) return;
  const std::wstring target = GetDialogWideFileName(dialog);
  const auto type = dialog.filterIndex == kExportMd5sum ? kExportMd5sum : kExportDigestList;
  std::int32_t leftOut = 0;
  const std::string bytes = ExportedListBytes(window_.list.ShownRows().get(), runs_.verificationMode, type,
                                              WideFolderOf(target), &leftOut);
  // Written beside the target and moved over it: a failure leaves the old list whole.
  const unsigned long error =
      ReplaceWholeFile(target, ByteBuffer(bytes.data(), static_cast<std::int32_t>(bytes.size())));
  if (error != 0) {
    ShowExportFailure(window_.window, target, error);
  } else if (leftOut > 0) {
    ShowRowsLeftOut(window_.window, target, leftOut);
  }
}
