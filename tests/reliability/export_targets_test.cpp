// Export to targets that cannot be written: a read-only file, a file held
// open elsewhere, a folder that does not exist. The program says so with
// the reason (the dialog itself refuses the missing folder), keeps
// answering, and an existing file stays as it was, with nothing left beside it.
#include <gtest/gtest.h>

#include <cstdio>

#include "tests/reliability/reliability_support.h"
#include "tests/support/remote_program.h"

namespace {

constexpr DWORD kDialogTimeoutMs = 20000;

struct DialogSearch {
  DWORD processId;
  std::vector<HWND> found;
};

// A stdcall callback, so the i686 build takes it too.
BOOL CALLBACK CollectDialog(HWND window, LPARAM parameter) {
  auto* search = reinterpret_cast<DialogSearch*>(parameter);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  char className[64] = {};
  GetClassNameA(window, className, sizeof className);
  if (owner == search->processId && IsWindowVisible(window) && std::string(className) == "#32770")
    search->found.push_back(window);
  return TRUE;
}

std::vector<HWND> ProcessDialogs(DWORD processId) {
  DialogSearch search{processId, {}};
  EnumWindows(CollectDialog, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

BOOL CALLBACK CollectText(HWND child, LPARAM parameter) {
  char text[1024] = {};
  GetWindowTextA(child, text, sizeof text);
  *reinterpret_cast<std::string*>(parameter) += std::string(text) + "\n";
  return TRUE;
}

bool IsSaveDialog(HWND dialog) {
  constexpr int kNameCombo = 1148, kNameEdit = 1152;  // cmb13, edt1
  return GetDlgItem(dialog, kNameCombo) != nullptr || GetDlgItem(dialog, kNameEdit) != nullptr;
}

// Answers the save dialog's own questions (overwrite? / no such folder)
// with their default button; a save dialog that stays open refused the
// name and is cancelled. Returns how many dialogs asked or said something;
// their texts go to `said`. With `awaitReport`, goes on until the program's
// own failure message was answered too (a loaded machine is slow to show it).
int AnswerUntilClosed(DWORD processId, bool awaitReport, std::string* said) {
  int questions = 0;
  int saveDialogLooks = 0;
  constexpr int kQuietLooks = 4;
  int quietLooks = 0;
  for (int round = 0; round < 120; ++round) {
    Sleep(250);
    const auto dialogs = ProcessDialogs(processId);
    const bool reportSeen = said->find(texts::kExportFailed) != std::string::npos;
    if (dialogs.empty() && ++quietLooks >= kQuietLooks && (reportSeen || !awaitReport))
      return questions;
    if (dialogs.empty()) continue;
    quietLooks = 0;
    bool onlySaveDialog = true;
    for (HWND dialog : dialogs) {
      if (IsSaveDialog(dialog)) continue;
      onlySaveDialog = false;
      ++questions;
      EnumChildWindows(dialog, CollectText, reinterpret_cast<LPARAM>(said));
      const int answer = GetDlgItem(dialog, IDYES) != nullptr ? IDYES : IDOK;
      PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(answer, BN_CLICKED),
                   reinterpret_cast<LPARAM>(GetDlgItem(dialog, answer)));
    }
    if (onlySaveDialog && ++saveDialogLooks >= 12) {
      for (HWND dialog : dialogs) CancelSaveDialog(dialog);
    }
  }
  return questions;
}

struct Target {
  std::string path;
  bool programSaysSo;  // else the save dialog itself refuses the name
};

TEST(ExportTargetsTest, UnwritableTargetsAreReportedAndLeaveFilesAlone) {
  TempFolder folder;
  const std::string readOnly = folder.Join("readonly.ini");
  WriteTextFile(readOnly, "keep=me\r\n");
  SetFileAttributesA(readOnly.c_str(), FILE_ATTRIBUTE_READONLY);
  const std::string locked = folder.Join("locked.ini");
  WriteTextFile(locked, "old=list\r\n");
  const std::string input = folder.Join("input.bin");
  WriteTestFile(input, 1000, 1);
  reliability::Untouched untouched;
  untouched.File(readOnly);
  untouched.File(locked);
  untouched.File(input);

  RemoteProgram program(folder.Path());
  ASSERT_TRUE(program.Started());
  untouched.Folder(folder.Path());
  DWORD processId = 0;
  GetWindowThreadProcessId(program.Window(), &processId);
  // A name over 260 bytes is left out: Wine's save dialog itself crashes
  // on it (docs/reliability.md).
  const std::vector<Target> targets = {
      {readOnly, true}, {locked, true}, {folder.Join("no-such-folder\\md5.ini"), false}};
  // Another program holds the old list open, without sharing, meanwhile.
  HANDLE held = CreateFileA(locked.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  for (const auto& [target, programSaysSo] : targets) {
    SCOPED_TRACE(target);
    HWND exportButton = program.ChildWithCaption(texts::kExportButton);
    ASSERT_NE(exportButton, nullptr);
    PostMessageA(exportButton, BM_CLICK, 0, 0);
    HWND dialog = WaitForSaveDialog(processId, kDialogTimeoutMs);
    ASSERT_NE(dialog, nullptr);
    ASSERT_TRUE(ConfirmSaveDialog(dialog, target));
    std::string said;
    const int questions = AnswerUntilClosed(processId, programSaysSo, &said);
    std::printf("[ outcome  ] %zu-byte target: %d question(s) from the dialog\n", target.size(), questions);
    const bool reported = said.find(texts::kExportFailed) != std::string::npos &&
                          said.find(target) != std::string::npos;
    EXPECT_EQ(reported, programSaysSo) << said;
    if (reported) std::printf("[ message  ] %s", said.c_str());
    EXPECT_TRUE(ProcessDialogs(processId).empty()) << "a dialog stayed open";
    EXPECT_TRUE(program.Answers(5000));
    EXPECT_FALSE(program.Exited());
  }
  CloseHandle(held);
  program.RequestClose();
  EXPECT_EQ(program.WaitForExit(30000), 0);
  SetFileAttributesA(readOnly.c_str(), FILE_ATTRIBUTE_NORMAL);
  untouched.Expect();
}

}  // namespace
