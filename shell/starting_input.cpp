#include <windows.h>

#include "runs/globals.h"
#include "services/texts.h"
#include "runs/pooled_run.h"
#include "services/text_ops.h"
#include "shell/digest_list.h"
#include "shell/handlers.h"

namespace {

constexpr char kMd5ListExtension[] = ".md5";

bool IsFolder(const Text& path) {
  const DWORD attributes = GetFileAttributesA(path.CStr());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

}  // namespace

// By name, as Explorer's "Open with" sees it; a list that cannot be read
// is then reported in 标签1 and the window hashes as usual.
bool IsDigestListPath(const Text& path) {
  const Text name = FileNameOf(path);
  const bool listName =
      IsMd5IniName(name) ||
      RightPart(ToLower(name), TextLength(Text(kMd5ListExtension))) == Text(kMd5ListExtension);
  return listName && !IsFolder(path);
}

void TakeStartingInput() {
  if (commandLinePaths.empty()) {
    EnterVerificationModeIfListed();
  } else if (commandLinePaths.size() == 1 && IsDigestListPath(AnsiPathOf(commandLinePaths.front()))) {
    // The list itself is read by its ANSI (or short) name; the files it
    // names are opened by their own wide paths.
    EnterVerificationMode(AnsiPathOf(commandLinePaths.front()));
  } else {
    AcceptPaths(commandLinePaths);
  }
}
