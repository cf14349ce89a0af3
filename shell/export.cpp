#include "shell/export.h"

#include <windows.h>

#include <string>

#include "services/texts.h"
#include "runs/file_row.h"
#include "runs/pooled_run.h"
#include "services/code_page.h"
#include "services/wide_paths.h"
#include "services/file_dialog.h"
#include "services/files.h"
#include "services/list_control.h"
#include "services/text_ops.h"
#include "shell/digest_list.h"
#include "shell/handlers.h"
#include "shell/run_view.h"

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

std::wstring DigestListLine(const std::wstring& name, const Text& digestCell) {
  return name + L"=" + WideOf(digestCell) + L"\r\n";
}

// md5sum -c on other systems takes "/" only.
std::wstring WithSlashes(std::wstring name) {
  for (wchar_t& c : name)
    if (c == L'\\') c = L'/';
  return name;
}

// A row without a digest becomes a comment, which md5sum -c and this
// program's reading both skip, instead of a line neither accepts.
std::wstring Md5sumLine(const std::wstring& name, const Text& digestCell) {
  if (!IsDigestDigits(digestCell))
    return L"# " + WideOf(digestCell) + L" *" + WithSlashes(name) + L"\r\n";
  return WideOf(ToLower(digestCell)) + L" *" + WithSlashes(name) + L"\r\n";
}

struct ExportedList {
  std::wstring lines;
  std::int32_t leftOut = 0;  // rows without a final digest
};

// A row still computing or failed is never written as if it had a digest:
// md5.ini leaves it out, an md5sum list keeps it as a comment. Names are
// read wide, so none is ever written as "?" or a short name.
ExportedList ListedRows(ExportType type, const std::wstring& exportFolder) {
  ExportedList list;
  const std::int32_t rows = ListItemCount(超级列表框);
  for (std::int32_t row = 0; row < rows; ++row) {
    // The list's own order, however the view is sorted.
    const std::int32_t view = ShownViewOfRow(row);
    const std::wstring name =
        ListedName(ListGetCellWideText(超级列表框, view, kColumnPath), exportFolder);
    const Text digest = ListGetCellText(超级列表框, view, kColumnDigest);
    const bool hasDigest = IsDigestDigits(digest);
    if (!hasDigest) ++list.leftOut;
    if (type == kExportMd5sum) {
      list.lines += Md5sumLine(name, digest);
    } else if (hasDigest) {
      list.lines += DigestListLine(name, digest);
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
void ShowMessage(const std::wstring& message, UINT icon) {
  MessageBoxW(mainWindow, message.c_str(), WideOf(Text(texts::kWindowCaption)).c_str(), MB_OK | icon);
}

void ShowRowsLeftOut(const std::wstring& target, std::int32_t leftOut) {
  ShowMessage(WideOf(ConcatTexts({texts::kExportLeftOut, ToText(leftOut), "\r\n"})) + target,
              MB_ICONWARNING);
}

void ShowExportFailure(const std::wstring& target, unsigned long error) {
  ShowMessage(WideOf(ConcatTexts({texts::kExportFailed, "\r\n"})) + target + L"\r\n" +
                  WideOf(SystemErrorText(error)),
              MB_ICONERROR);
}

}  // namespace

Text ExportFilter() {
  return ConcatTexts({texts::kExportTypeDigestList, "|*.txt;*.ini|", texts::kExportTypeMd5sum,
                      "|*.md5"});
}

void ExportDigests() {
  if (IsClosing()) return;  // a dialog now would keep a closed program alive
  SetDialogFileName(通用对话框1, texts::kDigestListName);
  通用对话框1.filterIndex = kExportDigestList;
  if (!RunFileDialog(通用对话框1, mainWindow)) return;
  const std::wstring target = GetDialogWideFileName(通用对话框1);
  const auto type = 通用对话框1.filterIndex == kExportMd5sum ? kExportMd5sum : kExportDigestList;
  // Written beside the target and moved over it: a failure leaves the old list whole.
  const ExportedList list = ListedRows(type, WideFolderOf(target));
  const std::string bytes = ListBytes(type, list);
  const unsigned long error =
      ReplaceWholeFile(target, ByteBuffer(bytes.data(), static_cast<std::int32_t>(bytes.size())));
  if (error != 0) {
    ShowExportFailure(target, error);
  } else if (list.leftOut > 0) {
    ShowRowsLeftOut(target, list.leftOut);
  }
}
