// The export button in normal mode writes the list through the real save
// dialog: one name "=" digest CR LF line per row, names without folders.
#include <gtest/gtest.h>

#include "app/texts.h"
#include "shell/main_window.h"
#include "tests/support/dialog_user.h"
#include "tests/support/program_window.h"
#include "tests/support/test_files.h"

namespace {

constexpr DWORD kRunTimeoutMs = 60000;

TEST(ExportTest, ListedFilesBecomeADigestList) {
  StartProgramWindow();
  ResetRuns();
  TempFolder folder;
  CreateDirectoryA(folder.Join("other").c_str(), nullptr);
  const std::string first = folder.Join("same.bin");
  const std::string second = folder.Join("other\\same.bin");
  const std::string third = folder.Join("\x81\x5C.txt");  // 乗: second byte 0x5C
  WriteTestFile(first, 1234, 1);
  WriteTestFile(second, 4321, 2);
  WriteTestFile(third, 99, 3);
  const FileFingerprint before[] = {FingerprintOf(first), FingerprintOf(second), FingerprintOf(third)};
  ASSERT_TRUE(DropPaths({first, second, third}));
  ASSERT_TRUE(WaitUntilSettled(kRunTimeoutMs));

  const std::string exported = folder.Join("digests");
  {
    DialogUser user(exported, /*confirm=*/true);
    ClickButton(按钮1);
  }
  EXPECT_EQ(ReadFileBytes(exported + ".txt"),  // the default extension was added
            "same.bin=" + ReferenceMd5OfFile(first) + "\r\n" +
            "same.bin=" + ReferenceMd5OfFile(second) + "\r\n" +
            "\x81\x5C.txt=" + ReferenceMd5OfFile(third) + "\r\n");
  EXPECT_EQ(FingerprintOf(first), before[0]);
  EXPECT_EQ(FingerprintOf(second), before[1]);
  EXPECT_EQ(FingerprintOf(third), before[2]);
}

TEST(ExportTest, KeepingTheProposedNameWritesMd5IniAndCancelWritesNothing) {
  StartProgramWindow();
  ResetRuns();
  TempFolder folder;
  const std::string file = folder.Join("a.bin");
  WriteTestFile(file, 10, 4);
  ASSERT_TRUE(DropPaths({file}));
  ASSERT_TRUE(WaitUntilSettled(kRunTimeoutMs));

  const std::string ini = folder.Join("md5.ini");
  WriteTextFile(ini, "old content that is longer than the new list\r\n");
  const FileFingerprint before = FingerprintOf(ini);
  {
    DialogUser user(ini, /*confirm=*/false);
    ClickButton(按钮1);
  }
  EXPECT_EQ(FingerprintOf(ini), before);

  DeleteFileA(ini.c_str());
  {
    DialogUser user(ini, /*confirm=*/true);
    ClickButton(按钮1);
  }
  EXPECT_EQ(ReadFileBytes(ini), "a.bin=" + ReferenceMd5OfFile(file) + "\r\n");
}

}  // namespace
