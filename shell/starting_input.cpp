#include <windows.h>

#include "services/text_ops.h"
#include "services/wide_paths.h"
#include "shell/digest_list.h"
#include "shell/program.h"

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

void Program::TakeStartingInput() {
  if (commandLinePaths_.empty()) {
    EnterVerificationModeIfListed();
  } else if (commandLinePaths_.size() == 1 && IsDigestListPath(commandLinePaths_.front())) {
    EnterVerificationMode(commandLinePaths_.front());
  } else {
    AcceptPaths(commandLinePaths_);
  }
}
