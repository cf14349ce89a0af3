// Chunk memory in flight stays within its budget whatever the number of
// workers: 128 of them (a 64-processor machine's count) hash files of two
// chunks each, and every worker waits for a buffer rather than fail.
#include <gtest/gtest.h>

#include "runs/globals.h"
#include "runs/pooled_run.h"
#include "tests/support/test_files.h"

namespace {

constexpr std::int32_t kManyWorkers = 128;
constexpr DWORD kRunTimeoutMs = 300000;

bool AllRowsEnded(const RunRows& rows) {
  for (std::int32_t row = 0; row < rows.Count(); ++row) {
    const RowPhase phase = rows.Read(row).phase;
    if (phase != RowPhase::kDone && phase != RowPhase::kFailed) return false;
  }
  return true;
}

TEST(ChunkMemory, OneHundredTwentyEightWorkersStayWithinTheBudgetAndEveryFilePasses) {
  CreateGlobals();
  workerThreadCount = kManyWorkers;
  TempFolder folder;
  constexpr int kFiles = kManyWorkers + 32;
  const std::int64_t size = kChunkSize + 4096;  // two chunks: each worker wants two buffers
  for (int i = 0; i < kFiles; ++i) {
    const std::string path = folder.Join(std::string("two-chunks").append(std::to_string(i)));
    ASSERT_TRUE(WriteSparseFile(path, size));
    filePaths.Append(Text(path.c_str()));
  }
  const std::string reference = ReferenceMd5OfFile(folder.Join("two-chunks0"));

  StartPooledRun();
  ASSERT_EQ(workerPool->ThreadCount(), kManyWorkers);
  const std::shared_ptr<RunRows> rows = CurrentRunRows();
  ASSERT_NE(rows, nullptr);
  const DWORD start = GetTickCount();
  while (!AllRowsEnded(*rows) && GetTickCount() - start < kRunTimeoutMs) Sleep(20);

  ASSERT_EQ(rows->Count(), kFiles);
  for (std::int32_t row = 0; row < rows->Count(); ++row) {
    const RowSnapshot snapshot = rows->Read(row);
    ASSERT_EQ(snapshot.phase, RowPhase::kDone) << "row " << row;
    EXPECT_EQ(snapshot.digest, Text(reference.c_str())) << "row " << row;
  }
  std::printf("[ memory   ] chunk buffers at once: %d of %d allowed (%d MiB)\n", PeakChunkBuffers(),
              ChunkBufferLimit(), ChunkBufferLimit() * (kChunkSize >> 20));
  EXPECT_LE(std::int64_t{ChunkBufferLimit()} * kChunkSize, kChunkMemoryBudget);
  EXPECT_LE(PeakChunkBuffers(), ChunkBufferLimit());
  EXPECT_LE(PeakOpenRunFiles(), kManyWorkers);
  EXPECT_TRUE(workerPool->Stop());
  ReleaseGlobals();
}

}  // namespace
