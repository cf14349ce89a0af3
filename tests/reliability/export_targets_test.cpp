// Export to targets that cannot be written: a read-only file, a folder
// that does not exist. Nothing is reported by the
// program, it keeps answering, and an existing file stays as it was.
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

bool IsSaveDialog(HWND dialog) {
  constexpr int kNameCombo = 1148, kNameEdit = 1152;  // cmb13, edt1
  return GetDlgItem(dialog, kNameCombo) != nullptr || GetDlgItem(dialog, kNameEdit) != nullptr;
}

// Answers the save dialog's own questions (overwrite? / no such folder)
// with their default button; a save dialog that stays open refused the
// name and is cancelled. Returns what the dialogs asked or said.
int AnswerUntilClosed(DWORD processId) {
  int questions = 0;
  int saveDialogLooks = 0;
  for (int round = 0; round < 80; ++round) {
    Sleep(250);
    const auto dialogs = ProcessDialogs(processId);
    if (dialogs.empty()) return questions;
    bool onlySaveDialog = true;
    for (HWND dialog : dialogs) {
      if (IsSaveDialog(dialog)) continue;
      onlySaveDialog = false;
      ++questions;
      const int answer = GetDlgItem(dialog, IDYES) != nullptr ? IDYES : IDOK;
      PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(answer, BN_CLICKED),
                   reinterpret_cast<LPARAM>(GetDlgItem(dialog, answer)));
    }
    if (onlySaveDialog && ++saveDialogLooks >= 4) {
      for (HWND dialog : dialogs) CancelSaveDialog(dialog);
    }
  }
  return questions;
}

TEST(ExportTargetsTest, UnwritableTargetsReportNothingAndLeaveFilesAlone) {
  TempFolder folder;
  const std::string readOnly = folder.Join("readonly.ini");
  WriteTextFile(readOnly, "keep=me\r\n");
  SetFileAttributesA(readOnly.c_str(), FILE_ATTRIBUTE_READONLY);
  const std::string input = folder.Join("input.bin");
  WriteTestFile(input, 1000, 1);
  reliability::Untouched untouched;
  untouched.File(readOnly);
  untouched.File(input);

  RemoteProgram program(folder.Path());
  ASSERT_TRUE(program.Started());
  untouched.Folder(folder.Path());
  DWORD processId = 0;
  GetWindowThreadProcessId(program.Window(), &processId);
  // A name over 260 bytes is left out: Wine's save dialog itself crashes
  // on it (docs/reliability.md).
  const std::vector<std::string> targets = {readOnly, folder.Join("no-such-folder\\md5.ini")};
  for (const std::string& target : targets) {
    SCOPED_TRACE(target);
    HWND exportButton = program.ChildWithCaption(texts::kExportButton);
    ASSERT_NE(exportButton, nullptr);
    PostMessageA(exportButton, BM_CLICK, 0, 0);
    HWND dialog = WaitForSaveDialog(processId, kDialogTimeoutMs);
    ASSERT_NE(dialog, nullptr);
    ASSERT_TRUE(ConfirmSaveDialog(dialog, target));
    const int questions = AnswerUntilClosed(processId);
    std::printf("[ outcome  ] %zu-byte target: %d question(s) from the dialog\n", target.size(), questions);
    EXPECT_TRUE(ProcessDialogs(processId).empty()) << "a dialog stayed open";
    EXPECT_TRUE(program.Answers(5000));
    EXPECT_FALSE(program.Exited());
  }
  program.RequestClose();
  EXPECT_EQ(program.WaitForExit(30000), 0);
  SetFileAttributesA(readOnly.c_str(), FILE_ATTRIBUTE_NORMAL);
  untouched.Expect();
}

}  // namespace
