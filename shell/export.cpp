#include "shell/export.h"

#include <windows.h>

#include <string>

#include "services/texts.h"
#include "runs/file_row.h"
#include "runs/pooled_run.h"
#include "services/code_page.h"
#include "services/file_dialog.h"
#include "services/files.h"
#include "services/list_control.h"
#include "services/text_ops.h"
#include "shell/digest_list.h"
#include "shell/handlers.h"

namespace {

bool IsAsciiLetter(unsigned char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

// Windows names ignore the case of ASCII letters; two-byte characters are
// compared whole, so a folder never ends inside one.
bool StartsWithFolder(const Text& path, const Text& folder) {
  const std::string& p = path.Bytes();
  const std::string& f = folder.Bytes();
  if (f.empty() || p.size() <= f.size() || p[f.size()] != '\\') return false;
  for (std::size_t i = 0; i < f.size(); ++i) {
    const auto a = static_cast<unsigned char>(p[i]);
    const auto b = static_cast<unsigned char>(f[i]);
    if (a == b) {
      if (a >= 0x80 && ++i < f.size() && p[i] != f[i]) return false;
      continue;
    }
    if (!IsAsciiLetter(a) || (a | 0x20) != (b | 0x20)) return false;
  }
  return true;
}

// Relative to the export file's folder when the file lies inside it, so an
// exported tree verifies from its root; otherwise the full path, which the
// list's readers (this program, md5sum) open as it stands.
Text ListedName(const Text& path, const Text& exportFolder) {
  if (!StartsWithFolder(path, exportFolder)) return path;
  return Text(path.Bytes().substr(exportFolder.Bytes().size() + 1));
}

std::string DigestListLine(const Text& name, const Text& digestCell) {
  return name.Bytes() + "=" + digestCell.Bytes() + "\r\n";
}

// md5sum -c on other systems takes "/" only; the second byte of a
// two-byte character may be 0x5C and stays.
std::string WithSlashes(const Text& name) {
  std::string bytes = name.Bytes();
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    if (bytes[i] == '\\') bytes[i] = '/';
    if (static_cast<unsigned char>(bytes[i]) >= 0x80) ++i;
  }
  return bytes;
}

// A row without a digest becomes a comment, which md5sum -c and this
// program's reading both skip, instead of a line neither accepts.
std::string Md5sumLine(const Text& name, const Text& digestCell) {
  if (!IsDigestDigits(digestCell)) return "# " + digestCell.Bytes() + " *" + WithSlashes(name) + "\r\n";
  return ToLower(digestCell).Bytes() + " *" + WithSlashes(name) + "\r\n";
}

struct ExportedList {
  std::string lines;
  std::int32_t leftOut = 0;  // rows without a final digest
};

// A row still computing or failed is never written as if it had a digest:
// md5.ini leaves it out, an md5sum list keeps it as a comment.
ExportedList ListedRows(ExportType type, const Text& exportFolder) {
  ExportedList list;
  const std::int32_t rows = ListItemCount(超级列表框);
  for (std::int32_t row = 0; row < rows; ++row) {
    const Text name = ListedName(ListGetCellText(超级列表框, row, kColumnPath), exportFolder);
    const Text digest = ListGetCellText(超级列表框, row, kColumnDigest);
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
// systems; md5.ini keeps the ANSI code page its readers expect.
std::string ListBytes(ExportType type, const ExportedList& list) {
  std::string utf8;
  if (type == kExportMd5sum && AnsiToUtf8(Text(list.lines), &utf8)) return utf8;
  return list.lines;
}

void ShowRowsLeftOut(const Text& target, std::int32_t leftOut) {
  const Text message = ConcatTexts({texts::kExportLeftOut, ToText(leftOut), "\r\n", target});
  MessageBoxA(mainWindow, message.CStr(), texts::kWindowCaption, MB_OK | MB_ICONWARNING);
}

void ShowExportFailure(const Text& target, unsigned long error) {
  const Text message =
      ConcatTexts({texts::kExportFailed, "\r\n", target, "\r\n", SystemErrorText(error)});
  MessageBoxA(mainWindow, message.CStr(), texts::kWindowCaption, MB_OK | MB_ICONERROR);
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
  const Text target = GetDialogFileName(通用对话框1);
  const auto type = 通用对话框1.filterIndex == kExportMd5sum ? kExportMd5sum : kExportDigestList;
  // Written beside the target and moved over it: a failure leaves the old list whole.
  const ExportedList list = ListedRows(type, PathFolder(target));
  const unsigned long error = ReplaceWholeFile(target, ToBytes(Text(ListBytes(type, list))));
  if (error != 0) {
    ShowExportFailure(target, error);
  } else if (list.leftOut > 0) {
    ShowRowsLeftOut(target, list.leftOut);
  }
}
