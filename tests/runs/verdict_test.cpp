// Verdicts of the 400 ms tick: only rows whose digest is final are judged,
// byte for byte; a matching file is never marked as an error, however runs
// and ticks interleave.
#include <gtest/gtest.h>

#include "app/globals.h"
#include "app/texts.h"
#include "runs/file_row.h"
#include "services/list_control.h"
#include "shell/handlers.h"
#include "shell/main_window.h"
#include "tests/support/program_window.h"
#include "tests/support/test_files.h"

namespace {

constexpr DWORD kRunTimeoutMs = 180000;

void ShowRow(const std::string& digest, const std::string& progress) {
  const int row = ListInsertRow(超级列表框, std::nullopt, Text("1"));
  ListSetCellText(超级列表框, row, kColumnDigest, Text(digest.c_str()));
  ListSetCellText(超级列表框, row, kColumnProgress, Text(progress.c_str()));
}

TEST(VerdictTest, JudgesOnlyFinishedRowsByteForByte) {
  StartProgramWindow();
  ResetRuns();
  const std::string digest = "900150983CD24FB0D6963F7D28E17F72";
  ListDeleteAllRows(超级列表框);
  ShowRow(texts::kComputing, "100%");        // last chunk still being read
  ShowRow("", "100%");                       // row rebuilt by a newer run
  ShowRow(digest, "99%");                    // not finished
  ShowRow(digest, "100%");                   // match
  ShowRow(digest, "100%");                   // lower-case entry
  ShowRow(digest, "100%");                   // trailing space in the entry
  for (const char* expected : {digest.c_str(), digest.c_str(), digest.c_str(), digest.c_str(),
                               "900150983cd24fb0d6963f7d28e17f72",
                               "900150983CD24FB0D6963F7D28E17F72 "})
    expectedDigests.Append(expected);
  ShowRow(digest, "100%");                   // a dropped file: no entry

  VerifyFinishedRows();
  const auto rows = ReadRows();
  EXPECT_EQ(rows[0].cell[4], "100%");
  EXPECT_EQ(rows[1].cell[4], "100%");
  EXPECT_EQ(rows[2].cell[4], "99%");
  EXPECT_EQ(rows[3].cell[4], texts::kVerified);
  EXPECT_EQ(rows[4].cell[4], texts::kMismatch);
  EXPECT_EQ(rows[5].cell[4], texts::kMismatch);
  EXPECT_EQ(rows[6].cell[4], "100%");
  ListDeleteAllRows(超级列表框);
}

TEST(VerdictTest, MatchingFilesNeverShowAnErrorWhileRunsOverlap) {
  StartProgramWindow();
  ResetRuns();
  TempFolder folder;
  // Two chunks: the row reads "100%" after the first, before the digest.
  std::vector<std::string> listed;
  for (int i = 0; i < 3; ++i) {
    listed.push_back(folder.Join("listed" + std::to_string(i) + ".bin"));
    WriteTestFile(listed.back(), 8388609, 40 + i);
    filePaths.Append(Text(listed.back().c_str()));
    expectedDigests.Append(Text(ReferenceMd5OfFile(listed.back()).c_str()));
  }
  const std::string dropped = folder.Join("dropped.bin");
  WriteTestFile(dropped, 1000, 50);
  std::vector<FileFingerprint> before;
  for (const std::string& path : listed) before.push_back(FingerprintOf(path));
  const FileFingerprint droppedBefore = FingerprintOf(dropped);

  bool sawError = false;
  auto watch = [&] {
    VerifyFinishedRows();  // as often as possible, besides the real tick
    for (const RowCells& row : ReadRows())
      if (row.cell[4] == texts::kMismatch) sawError = true;
    return false;
  };
  for (int drop = 0; drop < 20; ++drop) {
    ASSERT_TRUE(DropPaths({dropped}));
    const DWORD start = GetTickCount();
    PumpUntil([&] { return watch() || GetTickCount() - start >= 50; }, 1000);
  }
  ASSERT_TRUE(WaitUntilSettled(kRunTimeoutMs, 1500));
  PumpUntil(watch, 900);  // at least two more ticks
  EXPECT_FALSE(sawError);
  const auto rows = ReadRows();
  ASSERT_EQ(rows.size(), 23u);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(rows[i].cell[4], texts::kVerified) << i;
  for (size_t i = 3; i < rows.size(); ++i) EXPECT_EQ(rows[i].cell[4], "100%") << i;
  for (size_t i = 0; i < listed.size(); ++i) EXPECT_EQ(FingerprintOf(listed[i]), before[i]);
  EXPECT_EQ(FingerprintOf(dropped), droppedBefore);
}

}  // namespace
