// The stop button ends files at their next chunk as failures, queued files
// fail before their first read, and a later drop hashes everything again.
#include <gtest/gtest.h>

#include "runs/file_row.h"
#include "runs/pooled_run.h"
#include "services/texts.h"
#include "shell/main_window.h"
#include "shell/row_texts.h"
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
  for (int i = 0; i < TheRuns().workerThreadCount; ++i) {
    paths.push_back(folder.Join("large" + std::to_string(i) + ".bin"));
    WriteTestFile(paths.back(), kLargeSize, 100 + i);
  }
  const int large = TheRuns().workerThreadCount;
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
  ClickButton(TheWindow().stopButton);
  EXPECT_EQ(TheRuns().stopRequested.load(), 1);
  // Bytes each file had reached when the stop was requested. After it, a
  // file may finish only the chunks already under way: the one being
  // hashed, and with reading ahead the one read and the one being read.
  const std::shared_ptr<RunRows> run = TheRuns().CurrentRunRows();
  std::vector<std::int64_t> doneAtStop;
  for (int i = 0; i < large; ++i) doneAtStop.push_back(run->Read(i).done);
  constexpr std::int64_t kUnderWay = 3 * std::int64_t{kChunkSize};
  ASSERT_TRUE(WaitUntilSettled(kRunTimeoutMs));

  auto rows = ReadRows();
  ASSERT_EQ(rows.size(), paths.size());
  int stoppedLarge = 0;
  for (int i = 0; i < large; ++i) {
    SCOPED_TRACE(paths[i]);
    if (IsDigestText(rows[i].cell[3])) {  // finished by the chunks under way
      EXPECT_GE(doneAtStop[i], kLargeSize - kUnderWay);
      EXPECT_EQ(rows[i].cell[3], ReferenceMd5OfFile(paths[i]));
      continue;
    }
    ++stoppedLarge;
    EXPECT_EQ(rows[i].cell[2], texts::kDigestFailed);
    EXPECT_EQ(rows[i].cell[3], "");  // no longer computing
    EXPECT_LE(run->Read(i).done, doneAtStop[i] + kUnderWay) << "read on after the stop";
  }
  EXPECT_GT(stoppedLarge, 0) << "the stop ended no running file";
  for (size_t i = static_cast<size_t>(large); i < paths.size(); ++i) {
    EXPECT_EQ(rows[i].cell[2], texts::kDigestFailed);
    EXPECT_EQ(rows[i].cell[3], "");  // no longer computing
    EXPECT_EQ(rows[i].cell[4], "");  // failed before the first read
  }
  EXPECT_TRUE(LabelText().rfind(std::string(texts::kTotalCount) + std::to_string(paths.size()) +
                                    texts::kArrow, 0) == 0);
  // Were they a verified list's files, the stopped ones would say so.
  FileEntry listed;
  listed.listed = true;
  for (size_t i = 0; i < paths.size(); ++i) {
    RowSnapshot row = run->Read(static_cast<std::int32_t>(i));
    row.entry = &listed;
    for (int column : {kColumnSize, kColumnProgress})
      rows[i].cell[column] = RowCellText(row, column, /*verifying=*/true).Bytes();
  }
  for (size_t i = 0; i < paths.size(); ++i) {
    if (rows[i].cell[2] == texts::kDigestFailed) {
      EXPECT_EQ(rows[i].cell[4], texts::kStopped) << i;
    }
  }

  // A new drop clears the stop and hashes every listed file again.
  const std::string extra = folder.Join("extra.bin");
  WriteTestFile(extra, 777, 300);
  paths.push_back(extra);
  ASSERT_TRUE(DropPaths({extra}));
  ASSERT_TRUE(WaitUntilSettled(kRunTimeoutMs));
  EXPECT_EQ(TheRuns().stopRequested.load(), 0);
  rows = ReadRows();
  ASSERT_EQ(rows.size(), paths.size());
  for (size_t i = 0; i < paths.size(); ++i) {
    EXPECT_EQ(rows[i].cell[3], ReferenceMd5OfFile(paths[i])) << paths[i];
    EXPECT_EQ(rows[i].cell[4], "100%");
  }
  for (size_t i = 0; i < before.size(); ++i) EXPECT_EQ(FingerprintOf(paths[i]), before[i]) << paths[i];
}

}  // namespace
