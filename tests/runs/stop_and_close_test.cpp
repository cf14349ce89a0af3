// The stop button ends files at their next chunk as failures, queued files
// fail before their first read, and a later drop hashes everything again.
#include <gtest/gtest.h>

#include "app/globals.h"
#include "app/texts.h"
#include "shell/main_window.h"
#include "tests/support/program_window.h"
#include "tests/support/test_files.h"

namespace {

constexpr DWORD kRunTimeoutMs = 180000;
constexpr std::int64_t kLargeSize = 256 * 1024 * 1024;

bool EndsWithPercent(const std::string& text) { return !text.empty() && text.back() == '%'; }

TEST(StopTest, StopEndsRunningAndQueuedFilesAsFailuresAndADropRestarts) {
  StartProgramWindow();
  ResetRuns();
  TempFolder folder;
  std::vector<std::string> paths;
  // As many large files as workers, so the small ones wait in the queue.
  for (int i = 0; i < workerThreadCount; ++i) {
    paths.push_back(folder.Join("large" + std::to_string(i) + ".bin"));
    WriteTestFile(paths.back(), kLargeSize, 100 + i);
  }
  const int large = workerThreadCount;
  for (int i = 0; i < 2; ++i) {
    paths.push_back(folder.Join("queued" + std::to_string(i) + ".bin"));
    WriteTestFile(paths.back(), 4096, 200 + i);
  }
  std::vector<FileFingerprint> before;
  for (const std::string& path : paths) before.push_back(FingerprintOf(path));
  ASSERT_TRUE(DropPaths(paths));
  ASSERT_TRUE(PumpUntil([] {
    const auto rows = ReadRows();
    return !rows.empty() && EndsWithPercent(rows[0].cell[4]);
  }, kRunTimeoutMs));
  ClickButton(按钮_线程池获取1);
  EXPECT_EQ(stopRequested.load(), 1);
  ASSERT_TRUE(WaitUntilSettled(kRunTimeoutMs));

  auto rows = ReadRows();
  ASSERT_EQ(rows.size(), paths.size());
  int cutShort = 0;
  for (int i = 0; i < large; ++i) {
    SCOPED_TRACE(paths[i]);
    if (IsDigestText(rows[i].cell[3])) {  // finished before the stop
      EXPECT_EQ(rows[i].cell[3], ReferenceMd5OfFile(paths[i]));
      continue;
    }
    EXPECT_EQ(rows[i].cell[2], texts::kDigestFailed);
    EXPECT_EQ(rows[i].cell[3], texts::kComputing);
    ++cutShort;
  }
  // Stopped at their next chunk: the running files cannot all have been read
  // to their ends in the moment after the first chunk.
  EXPECT_GT(cutShort, 0);
  for (size_t i = static_cast<size_t>(large); i < paths.size(); ++i) {
    EXPECT_EQ(rows[i].cell[2], texts::kDigestFailed);
    EXPECT_EQ(rows[i].cell[3], texts::kComputing);
    EXPECT_EQ(rows[i].cell[4], "");  // failed before the first read
  }
  EXPECT_TRUE(LabelText().rfind(std::string(texts::kTotalCount) + std::to_string(paths.size()) +
                                    texts::kArrow, 0) == 0);

  // A new drop clears the stop and hashes every listed file again.
  const std::string extra = folder.Join("extra.bin");
  WriteTestFile(extra, 777, 300);
  paths.push_back(extra);
  ASSERT_TRUE(DropPaths({extra}));
  ASSERT_TRUE(WaitUntilSettled(kRunTimeoutMs));
  EXPECT_EQ(stopRequested.load(), 0);
  rows = ReadRows();
  ASSERT_EQ(rows.size(), paths.size());
  for (size_t i = 0; i < paths.size(); ++i) {
    EXPECT_EQ(rows[i].cell[3], ReferenceMd5OfFile(paths[i])) << paths[i];
    EXPECT_EQ(rows[i].cell[4], "100%");
  }
  for (size_t i = 0; i < before.size(); ++i) EXPECT_EQ(FingerprintOf(paths[i]), before[i]) << paths[i];
}

}  // namespace
