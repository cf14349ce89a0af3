#include "app/texts.h"
#include "runs/file_row.h"
#include "runs/pooled_run.h"
#include "services/file_dialog.h"
#include "services/files.h"
#include "services/list_control.h"
#include "services/text_ops.h"
#include "shell/handlers.h"

void ExportDigests() {
  SetDialogFileName(通用对话框1, texts::kDigestListName);
  if (!RunFileDialog(通用对话框1, mainWindow)) return;
  std::string lines;
  const std::int32_t rows = ListItemCount(超级列表框);
  for (std::int32_t row = 0; row < rows; ++row) {
    lines += FileNameOf(ListGetCellText(超级列表框, row, kColumnPath)).Bytes();
    lines += '=';
    lines += ListGetCellText(超级列表框, row, kColumnDigest).Bytes();
    lines += "\r\n";
  }
  // Nothing is reported when the file cannot be written.
  WriteWholeFile(GetDialogFileName(通用对话框1), ToBytes(Text(lines)));
}
