#include <windows.h>

#include <cstdlib>

#include "runs/globals.h"
#include "services/texts.h"
#include "runs/pooled_run.h"
#include "services/call_later.h"
#include "services/code_page.h"
#include "services/components.h"
#include "services/files.h"
#include "services/text_ops.h"
#include "shell/digest_list.h"
#include "shell/handlers.h"
#include "shell/run_view.h"
#include "shell/startup.h"

namespace {

constexpr std::int32_t kRunDelayMs = 1;

// The new rows are shown at once rather than at the next application.
void StartPooledRunAndShow() {
  StartPooledRun();
  ApplyRunChanges();
}

void ClickPooledRunButton(std::intptr_t, std::intptr_t, std::intptr_t) { StartPooledRunAndShow(); }

}  // namespace

Text DigestListPath() { return ConcatTexts({RunDirectory(), "\\", texts::kDigestListName}); }

void RequestPooledRun() { CallLater(kRunDelayMs, ClickPooledRunButton); }

void LoadDigestList(const Text& givenPath) {
  const Text listPath = FullPath(givenPath);
  const DigestListKind kind = IsMd5IniName(FileNameOf(listPath)) ? DigestListKind::kIni
                                                                 : DigestListKind::kMd5sum;
  const auto entries = ParseDigestList(ReadWholeFile(listPath), PathFolder(listPath), kind, Utf8ToAnsi);
  for (const DigestListEntry& entry : entries) {
    filePaths.Append(entry.path);
    expectedDigests.Append(entry.digest);
  }
  RequestPooledRun();
}

void EnterVerificationMode(const Text& listPath) {
  verificationMode = true;
  SetVisible(按钮1, false);
  LoadDigestList(listPath);
}

void EnterVerificationModeIfListed() {
  if (FileExists(DigestListPath())) EnterVerificationMode(DigestListPath());
}

void ShutDownOnClose() {
  // Lets every queued file finish while the window keeps answering; a
  // second close during that wait finds the pool stopping and ends at once.
  workerPool->Stop();
  std::exit(0);  // runs ReleaseGlobals; the window's own close never happens
}

namespace {

// The end of a run shows at once: the last rows, the label, the bar and
// the last verdicts, without waiting for the next timer.
void ShowSettledRun() {
  ApplyRunChanges();
  VerifyFinishedRows();
}

}  // namespace

MainWindowEvents ProgramEvents() {
  MainWindowEvents events;
  events.created = InitialiseMainWindow;
  events.closeRequested = ShutDownOnClose;
  events.filesDropped = AcceptDroppedFiles;
  events.tick = VerifyFinishedRows;
  events.runSettled = ShowSettledRun;
  events.exportClicked = ExportDigests;
  events.pooledRunClicked = StartPooledRunAndShow;
  events.stopClicked = RequestStop;
  events.copyKey = CopySelectedDigest;
  events.rowMenu = ShowRowMenu;
  return events;
}
