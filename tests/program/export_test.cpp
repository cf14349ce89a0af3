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

BOOL CALLBACK CollectText(HWND child, LPARAM parameter) {
  char text[1024] = {};
  GetWindowTextA(child, text, sizeof text);
  *reinterpret_cast<std::string*>(parameter) += std::string(text) + "\n";
  return TRUE;
}

// A row without a final digest is left out of md5.ini rather than written
// with what its digest cell shows, and the user is told how many were.
TEST(ExportTest, RowsWithoutADigestAreLeftOutAndCounted) {
  TempFolder folder;
  const std::string good = folder.Join("good.bin");
  WriteTestFile(good, 3000, 1);
  RemoteProgram program(folder.Path(), {good, folder.Join("missing.bin")});
  ASSERT_TRUE(program.Started());
  ASSERT_TRUE(program.WaitFor([&] {
    return program.RowCount() == 2 && program.Cell(0, 3).size() == 32 &&
           program.Cell(1, 2) == texts::kDigestFailed;
  }, kDialogTimeoutMs));
  HWND dialog = OpenSaveDialog(program);
  ASSERT_NE(dialog, nullptr);
  ASSERT_TRUE(ConfirmSaveDialog(dialog, folder.Join("list.ini"))) << DescribeWindowTree(dialog);
  HWND told = nullptr;
  ASSERT_TRUE(program.WaitFor([&] {
    told = FindWindowA("#32770", texts::kWindowCaption);
    return told != nullptr;
  }, kDialogTimeoutMs));
  std::string said;
  EnumChildWindows(told, CollectText, reinterpret_cast<LPARAM>(&said));
  EXPECT_NE(said.find(std::string(texts::kExportLeftOut) + "1"), std::string::npos) << said;
  PostMessageA(told, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
  EXPECT_EQ(ReadFileBytes(folder.Join("list.ini")), "good.bin=" + ReferenceMd5OfFile(good) + "\r\n");
  ASSERT_TRUE(program.WaitFor([&] { return !IsWindow(told); }, kDialogTimeoutMs));
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
