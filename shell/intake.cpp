#include "app/globals.h"
#include "services/call_later.h"
#include "services/text_ops.h"
#include "shell/handlers.h"

void AcceptDroppedFiles(const Text& dropText) {
  // Nothing is checked: missing files and directories fail in their rows.
  for (const Text& path : SplitText(dropText, Text("\r\n"))) filePaths.Append(path);
  RequestPooledRun();
}
