#include <windows.h>

#include <cstdlib>

#include "runs/globals.h"
#include "services/texts.h"
#include "services/wide_paths.h"
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

// The new rows are shown at once rather than at the next application.
void StartPooledRunAndShow() {
  StartPooledRun();
  ApplyRunChanges();
}

void ClickPooledRunButton(std::intptr_t, std::intptr_t, std::intptr_t) { StartPooledRunAndShow(); }

}  // namespace

std::wstring DigestListPath() {
  return WideRunDirectory() + L"\\" + WideOf(Text(texts::kDigestListName));
}

void RequestPooledRun() { CallLater(ClickPooledRunButton); }

namespace {

// 标签1 says which list and why; the window stays as it was.
void ReportUnusableList(const std::wstring& listPath, const Text& reason) {
  SetCaption(标签1, ConcatTexts({reason, ": ", AnsiTextOf(listPath)}));
}

Text UnreadableReason(const std::wstring& listPath) {
  return ConcatTexts({texts::kListUnreadable, " (", SystemErrorText(ReadError(listPath)), ")"});
}

// The list's entries; none, with the reason shown, when it cannot be read
// or holds no entry (an empty file reads as nothing, but opens).
std::vector<DigestListEntry> ReadUsableList(const std::wstring& listPath) {
  const ByteBuffer content = ReadWholeFile(listPath);
  if (content.IsEmpty() && ReadError(listPath) != 0) {
    ReportUnusableList(listPath, UnreadableReason(listPath));
    return {};
  }
  const Text listName = AnsiTextOf(WideFileNameOf(listPath));
  const DigestListKind kind = IsMd5IniName(listName) ? DigestListKind::kIni : DigestListKind::kMd5sum;
  auto entries = ParseDigestList(content, AnsiTextOf(WideFolderOf(listPath)), kind, Utf8ToAnsi);
  if (entries.empty()) ReportUnusableList(listPath, texts::kListEmpty);
  return entries;
}

// The file's wide path, from the list's exact folder: a name in the list's
// encoding keeps every character; a UTF-8 name that is no UTF-8 keeps the
// "?" of its ANSI form, so it opens nothing.
std::wstring WidePathOf(const DigestListEntry& entry, const std::wstring& folder) {
  std::wstring name;
  if (!entry.utf8) {
    name = WideOf(entry.name);
  } else if (!WideFromUtf8(entry.name.Bytes(), &name)) {
    return WideOf(entry.path);
  }
  return entry.inFolder ? folder + L"\\" + name : name;
}

}  // namespace

bool LoadDigestList(const std::wstring& givenPath) {
  const std::wstring listPath = FullWidePath(givenPath);
  const auto entries = ReadUsableList(listPath);
  if (entries.empty()) return false;
  // The list replaces whatever was shown; the old run reads nothing more.
  RequestStop();
  filePaths.Clear();
  expectedDigests.Clear();
  verifiedListFolder = WideFolderOf(listPath);
  for (const DigestListEntry& entry : entries) {
    filePaths.Append(WidePathOf(entry, verifiedListFolder), entry.refused);
    expectedDigests.Append(entry.digest);
  }
  RequestPooledRun();
  return true;
}

void EnterVerificationMode(const std::wstring& listPath) {
  if (!LoadDigestList(listPath)) return;  // hashing as before, the reason shown
  verificationMode = true;
  SetVisible(按钮1, false);
}

void EnterVerificationModeIfListed() {
  if (FileExists(DigestListPath())) EnterVerificationMode(DigestListPath());
}

namespace {
bool closeRequested = false;
}  // namespace

bool IsClosing() { return closeRequested; }

void ShutDownOnClose() {
  // The window goes at once and the run stops as 停止 stops it: files are
  // only read, so nothing is lost. Waiting for the pool then takes only
  // the chunks in flight; a second close meanwhile ends at once.
  closeRequested = true;
  ShowWindow(WindowHandleOf(mainWindow), SW_HIDE);
  RequestStop();
  workerPool->Stop();
  std::exit(0);  // runs ReleaseGlobals; the window's own close never happens
}

void ShowSettledRun() {
  ApplyRunChanges();
  VerifyFinishedRows();
}

MainWindowEvents ProgramEvents() {
  MainWindowEvents events;
  events.created = InitialiseMainWindow;
  events.closeRequested = ShutDownOnClose;
  events.filesDropped = AcceptDroppedFiles;
  events.tick = VerifyFinishedRows;
  events.exportClicked = ExportDigests;
  events.pooledRunClicked = StartPooledRunAndShow;
  events.stopClicked = RequestStop;
  events.copyKey = CopySelectedDigest;
  events.nextProblemKey = SelectNextProblem;
  events.checkAgainKey = CheckProblemsAgain;
  events.summaryKey = CopyProblemSummary;
  events.rowMenu = ShowRowMenu;
  return events;
}
