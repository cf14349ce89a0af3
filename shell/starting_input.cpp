#include <windows.h>

#include "services/text_ops.h"
#include "services/wide_paths.h"
#include "shell/digest_list.h"
#include "shell/program.h"

namespace {

bool IsFolder(const std::wstring& path) {
  const DWORD attributes = GetFileAttributesW(LongPathForm(path).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

}  // namespace

// By name, as Explorer's "Open with" sees it; a list that cannot be read
// is then reported in 标签1 and the window hashes as usual.
bool IsDigestListPath(const std::wstring& path) {
  return ListKindOfName(AnsiTextOf(WideFileNameOf(path))).has_value() && !IsFolder(path);
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
