// The export button of the real program, through the real save dialog.
#include <gtest/gtest.h>

#include "services/texts.h"
#include "tests/support/remote_program.h"
#include "tests/support/test_files.h"

namespace {

constexpr DWORD kDialogTimeoutMs = 20000;

HWND OpenSaveDialog(const RemoteProgram& program) {
  HWND exportButton = program.ChildWithCaption(texts::kExportButton);
  if (exportButton == nullptr || !IsWindowVisible(exportButton)) return nullptr;
  PostMessageA(exportButton, BM_CLICK, 0, 0);
  DWORD processId = 0;
  GetWindowThreadProcessId(program.Window(), &processId);
  return WaitForSaveDialog(processId, kDialogTimeoutMs);
}

bool WaitForFile(const std::string& path) {
  for (int i = 0; i < 200; ++i) {
    if (GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES) return true;
    Sleep(50);
  }
  return false;
}

TEST(ExportTest, EmptyListGivesEmptyFileAndBareNameGetsTxt) {
  TempFolder folder;
  RemoteProgram program(folder.Path());
  ASSERT_TRUE(program.Started());
  HWND dialog = OpenSaveDialog(program);
  ASSERT_NE(dialog, nullptr);
  ASSERT_TRUE(ConfirmSaveDialog(dialog, folder.Join("exported"))) << DescribeWindowTree(dialog);
  ASSERT_TRUE(WaitForFile(folder.Join("exported.txt")));
  Sleep(200);
  EXPECT_EQ(ReadFileBytes(folder.Join("exported.txt")), "");
  EXPECT_TRUE(program.Answers());
  program.RequestClose();
  EXPECT_EQ(program.WaitForExit(30000), 0);
}

TEST(ExportTest, CancelLeavesAnExistingFileUntouched) {
  TempFolder folder;
  WriteTextFile(folder.Join("md5.txt"), "keep me\r\n");
  const FileFingerprint before = FingerprintOf(folder.Join("md5.txt"));
  RemoteProgram program(folder.Path());
  ASSERT_TRUE(program.Started());
  HWND dialog = OpenSaveDialog(program);
  ASSERT_NE(dialog, nullptr);
  CancelSaveDialog(dialog);
  ASSERT_TRUE(program.WaitFor([&] { return !IsWindow(dialog); }, kDialogTimeoutMs));
  EXPECT_TRUE(program.Answers());
  EXPECT_EQ(FingerprintOf(folder.Join("md5.txt")), before);
  program.RequestClose();
  EXPECT_EQ(program.WaitForExit(30000), 0);
}

}  // namespace
