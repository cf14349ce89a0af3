// What the threads of a run work with: the run's rows, what the runs of one
// coordinator share (chunk buffers, the files in flight, the open-file
// counts), and the checks that end a file early.
#pragma once

#include <atomic>
#include <cstdint>

#include "engine/chunk_buffers.h"
#include "runs/file_list.h"
#include "runs/pooled_run.h"
#include "runs/run_publication.h"
#include "runs/run_rows.h"

// Shared by every run of one coordinator, and outliving each.
struct RunResources {
  ChunkBuffers chunks{kChunkMemoryBudget, kChunkSize};
  // The files all runs' threads hold at once: no more than the pool has
  // workers, as when each worker held one.
  std::atomic<std::int32_t> filesInFlight{0};
  std::atomic<std::int32_t> openFiles{0};      // held open now
  std::atomic<std::int32_t> peakOpenFiles{0};  // the most held open at once
  std::atomic<std::int32_t> openAttempts{0};   // opens tried, successful or not
};

// One run as its threads see it.
struct RunWork {
  RunRows& rows;
  CurrentRun& current;
  const std::atomic<std::int32_t>& stopRequested;
  const FileList& filePaths;  // the label's total
  RunResources& resources;

  bool IsStopped() const { return stopRequested.load(std::memory_order_relaxed) == 1; }
  // A newer run shows other rows: this one's threads leave their files.
  bool IsStale() const { return !current.IsCurrent(rows.Generation()); }
  bool ShouldStopReading() const { return IsStopped() || IsStale(); }
};
