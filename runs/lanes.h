// Choosing the files of a hashing thread: which of the run's rows it takes
// into its MD5 lanes, and when.
//
// How it works: the first work items of a run, one per processor, are
// hashing threads; each hashes several large files side by side, one per
// lane, and a file that ends frees its lane for the next row at once. The
// pool's other workers help once the run's first file is done, one file at
// a time: with small files the time goes to opening and closing them, which
// waits for the system, and more threads fill that wait; with large files
// they would only take a share of the processors from the lanes. All runs'
// threads together hold no more files than the pool has workers.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "engine/file_reader.h"
#include "engine/md5_lanes.h"
#include "runs/lane_file.h"
#include "runs/run_work.h"

// Threads that hash in lanes, of a pool of `poolThreads`.
std::int32_t HashingThreads(std::int32_t poolThreads);
// Lanes of each hashing thread.
std::int32_t LanesPerThread(std::int32_t poolThreads);

// The files of one thread, a lane each.
class Lanes {
 public:
  // `slotLimit`: the files all runs' threads may hold at once.
  Lanes(RunWork& run, std::int32_t width, bool helper, std::int32_t slotLimit)
      : run_(run), width_(width), helper_(helper), slotLimit_(slotLimit) {}

  // Takes the next listed files into free lanes: a first file, more only
  // beside large ones (small ones are done before a second could help). A
  // file that ends at once (stopped before its first read, not openable,
  // empty) settles here. False when this thread has nothing more to do.
  bool TakeFiles(const FileReader& reader);
  bool IsEmpty() const { return files_.empty(); }
  // One chunk of every file, hashed together; files that end with it settle.
  void HashNextChunks(Md5Lanes& engine);

 private:
  FileSlot WaitForSlot();
  void Settle(LaneFile& file, bool whole);

  RunWork& run_;
  const std::int32_t width_;
  const bool helper_;
  const std::int32_t slotLimit_;
  std::vector<std::unique_ptr<LaneFile>> files_;
};
