// The program's life: its window's events wired to their handlers, the
// digest list's loading, the pooled run's requests, and the end.
#include <windows.h>

#include <cstdlib>
#include <utility>

#include "services/code_page.h"
#include "services/components.h"
#include "services/files.h"
#include "services/text_ops.h"
#include "services/texts.h"
#include "services/wide_paths.h"
#include "shell/digest_list.h"
#include "shell/program.h"

Program::Program(RunCoordinator& runs, PathArray commandLinePaths)
    : runs_(runs), window_(runs), view_(runs, window_), commandLinePaths_(std::move(commandLinePaths)) {}

// No worker may post a settle notice to what is gone: the run stops, as
// closing stops it, and the workers end first.
Program::~Program() {
  runs_.NotifyWhenRunSettles(nullptr);
  runs_.RequestStop();
  runs_.workerPool.Stop();
}

HWND Program::Start(HINSTANCE instance) { return window_.Create(instance, Events()); }

MainWindowEvents Program::Events() {
  MainWindowEvents events;
  events.created = [this] { InitialiseMainWindow(); };
  events.closeRequested = [this] { ShutDownOnClose(); };
  events.filesDropped = [this](const std::wstring& dropText) { AcceptDroppedFiles(dropText); };
  events.tick = [this] { VerifyFinishedRows(); };
  events.applyTick = [this] { ApplyRunChanges(); };
  events.exportClicked = [this] { ExportDigests(); };
  events.pooledRunClicked = [this] { StartPooledRunAndShow(); };
  events.stopClicked = [this] { runs_.RequestStop(); };
  events.copyKey = [this] { CopySelectedDigest(); };
  events.nextProblemKey = [this](bool backwards) { SelectNextProblem(backwards); };
  events.checkAgainKey = [this] { CheckProblemsAgain(); };
  events.summaryKey = [this] { CopyProblemSummary(); };
  events.rowMenu = [this](POINT screenPoint) { ShowRowMenu(screenPoint); };
  return events;
}

void Program::ApplyRunChanges() { view_.Apply(); }

// The new rows are shown at once rather than at the next application.
void Program::StartPooledRunAndShow() {
  runs_.StartPooledRun();
  ApplyRunChanges();
}

void Program::RequestPooledRun() {
  tasks_.CallLater(
      [](std::intptr_t program, std::intptr_t, std::intptr_t) {
        reinterpret_cast<Program*>(program)->StartPooledRunAndShow();
      },
      reinterpret_cast<std::intptr_t>(this));
}

void Program::ShowSettledRun() {
  ApplyRunChanges();
  VerifyFinishedRows();
}

std::wstring DigestListPath() {
  return WideRunDirectory() + L"\\" + WideOf(Text(texts::kDigestListName));
}

namespace {

// 标签1 says which list and why; the window stays as it was.
void ReportUnusableList(HWND label, const std::wstring& listPath, const Text& reason) {
  SetCaption(label, ConcatTexts({reason, ": ", AnsiTextOf(listPath)}));
}

Text UnreadableReason(const std::wstring& listPath) {
  return ConcatTexts({texts::kListUnreadable, " (", SystemErrorText(ReadError(listPath)), ")"});
}

// The list's entries; none, with the reason shown, when it cannot be read
// or holds no entry (an empty file reads as nothing, but opens).
std::vector<DigestListEntry> ReadUsableList(const std::wstring& listPath, HWND label) {
  const ByteBuffer content = ReadWholeFile(listPath);
  if (content.IsEmpty() && ReadError(listPath) != 0) {
    ReportUnusableList(label, listPath, UnreadableReason(listPath));
    return {};
  }
  const Text listName = AnsiTextOf(WideFileNameOf(listPath));
  const DigestListKind kind = ListKindOfName(listName).value_or(DigestListKind::kMd5sum);
  auto entries = ParseDigestList(content, AnsiTextOf(WideFolderOf(listPath)), kind, Utf8ToAnsi);
  if (entries.empty()) ReportUnusableList(label, listPath, texts::kListEmpty);
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

bool Program::LoadDigestList(const std::wstring& givenPath) {
  const std::wstring listPath = FullWidePath(givenPath);
  const auto entries = ReadUsableList(listPath, window_.countLabel);
  if (entries.empty()) return false;
  // The list replaces whatever was shown; the old run reads nothing more.
  runs_.RequestStop();
  runs_.filePaths.Clear();
  runs_.verifiedListFolder = WideFolderOf(listPath);
  for (const DigestListEntry& entry : entries) {
    runs_.filePaths.Append(ListedEntry(WidePathOf(entry, runs_.verifiedListFolder), runs_.verifiedListFolder,
                                       entry.digest, entry.refused, entry.line));
  }
  RequestPooledRun();
  return true;
}

void Program::EnterVerificationMode(const std::wstring& listPath) {
  if (!LoadDigestList(listPath)) return;  // hashing as before, the reason shown
  runs_.verificationMode = true;
  SetVisible(window_.exportButton, false);
}

void Program::EnterVerificationModeIfListed() {
  if (FileExists(DigestListPath())) EnterVerificationMode(DigestListPath());
}

void Program::ShutDownOnClose() {
  // The window goes at once and the run stops as 停止 stops it: files are
  // only read, so nothing is lost. Waiting for the pool then takes only
  // the chunks in flight; a second close meanwhile ends at once.
  closeRequested_ = true;
  ShowWindow(window_.window, SW_HIDE);
  runs_.RequestStop();
  runs_.workerPool.Stop();
  // The window's own close never happens, and the coordinator is not
  // destroyed: the process ends here.
  std::exit(0);
}
