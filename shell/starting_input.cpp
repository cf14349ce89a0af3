#include <windows.h>

#include "runs/globals.h"
#include "services/texts.h"
#include "runs/pooled_run.h"
#include "services/text_ops.h"
#include "services/wide_paths.h"
#include "shell/digest_list.h"
#include "shell/handlers.h"

namespace {

constexpr char kMd5ListExtension[] = ".md5";

bool IsFolder(const std::wstring& path) {
  const DWORD attributes = GetFileAttributesW(LongPathForm(path).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

}  // namespace

// By name, as Explorer's "Open with" sees it; a list that cannot be read
// is then reported in 标签1 and the window hashes as usual.
bool IsDigestListPath(const std::wstring& path) {
  const Text name = AnsiTextOf(WideFileNameOf(path));
  const bool listName =
      IsMd5IniName(name) ||
      RightPart(ToLower(name), TextLength(Text(kMd5ListExtension))) == Text(kMd5ListExtension);
  return listName && !IsFolder(path);
}

void TakeStartingInput() {
  if (commandLinePaths.empty()) {
    EnterVerificationModeIfListed();
  } else if (commandLinePaths.size() == 1 && IsDigestListPath(commandLinePaths.front())) {
    EnterVerificationMode(commandLinePaths.front());
  } else {
    AcceptPaths(commandLinePaths);
  }
}
