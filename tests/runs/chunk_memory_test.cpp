// The runs without a window. Chunk memory in flight stays within its
// budget whatever the number of workers: 128 of them (a 64-processor
// machine's count) hash files of two chunks each, and every worker waits
// for a buffer rather than fail. And two coordinators in one process each
// run their own files: neither sees, counts nor stops the other's rows.
#include <gtest/gtest.h>

#include "engine/digest.h"
#include "runs/pooled_run.h"
#include "runs/run_coordinator.h"
#include "services/wide_paths.h"
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

bool WaitForRowsToEnd(const RunRows& rows) {
  const DWORD start = GetTickCount();
  while (!AllRowsEnded(rows) && GetTickCount() - start < kRunTimeoutMs) Sleep(20);
  return AllRowsEnded(rows);
}

void Append(RunCoordinator& runs, const std::string& path) { runs.filePaths.Append(WideOf(Text(path.c_str()))); }

TEST(ChunkMemory, OneHundredTwentyEightWorkersStayWithinTheBudgetAndEveryFilePasses) {
  RunCoordinator runs;
  runs.workerThreadCount = kManyWorkers;
  TempFolder folder;
  constexpr int kFiles = kManyWorkers + 32;
  const std::int64_t size = kChunkSize + 4096;  // two chunks: each worker wants two buffers
  for (int i = 0; i < kFiles; ++i) {
    const std::string path = folder.Join(std::string("two-chunks").append(std::to_string(i)));
    ASSERT_TRUE(WriteSparseFile(path, size));
    Append(runs, path);
  }
  const std::string reference = ReferenceMd5OfFile(folder.Join("two-chunks0"));

  runs.StartPooledRun();
  ASSERT_EQ(runs.workerPool.ThreadCount(), kManyWorkers);
  const std::shared_ptr<RunRows> rows = runs.CurrentRunRows();
  ASSERT_NE(rows, nullptr);
  WaitForRowsToEnd(*rows);

  ASSERT_EQ(rows->Count(), kFiles);
  for (std::int32_t row = 0; row < rows->Count(); ++row) {
    const RowSnapshot snapshot = rows->Read(row);
    ASSERT_EQ(snapshot.phase, RowPhase::kDone) << "row " << row;
    EXPECT_EQ(UpperHexOf(snapshot.digest), reference) << "row " << row;
  }
  ChunkBuffers& chunks = runs.Resources().chunks;
  std::printf("[ memory   ] chunk buffers at once: %d of %d allowed (%d MiB)\n", chunks.PeakInUse(),
              chunks.Limit(), chunks.Limit() * (kChunkSize >> 20));
  EXPECT_LE(std::int64_t{chunks.Limit()} * kChunkSize, kChunkMemoryBudget);
  EXPECT_LE(chunks.PeakInUse(), chunks.Limit());
  EXPECT_LE(runs.Resources().peakOpenFiles.load(), kManyWorkers);
  EXPECT_TRUE(runs.workerPool.Stop());
}

// Both start their first run at once, so both runs are generation 1; the
// second is stopped before its workers take a file.
TEST(Coordinators, TwoInOneProcessKeepTheirOwnRowsCountsAndStops) {
  TempFolder folder;
  constexpr int kFiles = 40;
  RunCoordinator first, second;
  std::vector<std::string> digests;
  for (RunCoordinator* runs : {&first, &second}) {
    runs->workerThreadCount = 4;
    const std::string name = runs == &first ? "first" : "second";
    for (int i = 0; i < kFiles + (runs == &first ? 0 : 5); ++i) {
      const std::string path = folder.Join(name + std::to_string(i) + ".txt");
      WriteTextFile(path, name + " file " + std::to_string(i));
      Append(*runs, path);
      if (runs == &first) digests.push_back(ReferenceMd5(name + " file " + std::to_string(i)));
    }
  }
  first.StartPooledRun();
  second.StartPooledRun();
  second.RequestStop();
  const std::shared_ptr<RunRows> firstRows = first.CurrentRunRows();
  const std::shared_ptr<RunRows> secondRows = second.CurrentRunRows();
  ASSERT_NE(firstRows.get(), secondRows.get());
  ASSERT_TRUE(WaitForRowsToEnd(*firstRows));
  ASSERT_TRUE(WaitForRowsToEnd(*secondRows));

  ASSERT_EQ(firstRows->Count(), kFiles);
  for (std::int32_t row = 0; row < kFiles; ++row) {
    const RowSnapshot snapshot = firstRows->Read(row);
    ASSERT_EQ(snapshot.phase, RowPhase::kDone) << "row " << row;
    EXPECT_EQ(UpperHexOf(snapshot.digest), digests[static_cast<std::size_t>(row)]) << "row " << row;
  }
  EXPECT_EQ(firstRows->Counts().done, kFiles);
  EXPECT_EQ(first.Resources().openAttempts.load(), kFiles);
  std::int32_t total = 0, count = 0;
  ASSERT_TRUE(first.TakeLabelChange(total, count));
  EXPECT_EQ(total, kFiles);
  EXPECT_EQ(count, kFiles);

  // The stop was the second's alone; what its workers did start counts there.
  ASSERT_EQ(secondRows->Count(), kFiles + 5);
  const RunCounts counts = secondRows->Counts();
  EXPECT_EQ(counts.done + counts.failed, kFiles + 5);
  EXPECT_GT(counts.failed, 0);
  EXPECT_LE(second.Resources().openAttempts.load(), counts.done + counts.failed);
  ASSERT_TRUE(second.TakeLabelChange(total, count));
  EXPECT_EQ(total, kFiles + 5);
  EXPECT_EQ(count, counts.done);
}

}  // namespace
