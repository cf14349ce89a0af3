// The pooled run: every listed file hashed on workerPool, each file's bytes
// read and hashed in order by one thread, several files side by side.
//
// How it works: the run publishes, the window applies. StartPooledRun
// (window thread) builds a new RunRows from filePaths, makes it the current
// run and posts one work item (run generation, rank) per worker. The first
// items, one per processor, are hashing threads (DigestFile): each claims
// rows of that run and hashes several large files at once, one per MD5
// lane (Md5Lanes): every round it gets the next 8 MiB chunk of each of its
// files, hashes them together, and publishes each row's progress and result
// into the run's rows; a file that ends frees its lane for the next row at
// once. The other items help once the run's first file is done, one file
// at a time, for runs of many small files. All runs' threads together hold
// no more files than the pool has workers. Chunks are read by the thread
// itself, while the other threads fill the processors; with fewer files
// left than processors a file gets a reading thread of its own (ReadAhead)
// that reads its next chunk while this one is hashed. The count step and
// the label text it produces are published here too; nothing a thread does
// waits for the window. A newer run makes the older one stale: its threads
// stop at their next chunk and count nothing. stopRequested is checked
// before every read.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>

#include "runs/run_rows.h"
#include "services/text.h"

inline constexpr std::int32_t kChunkSize = 0x800000;  // 8 MiB per read
// All chunk buffers in flight together, whatever the number of workers:
// 128 workers with two chunks each would otherwise fill a 32-bit process.
inline constexpr std::int64_t kChunkMemoryBudget = std::int64_t{256} * 1024 * 1024;
inline constexpr double kPercentScale = 100.0;

void StartPooledRun();
// The work routine: (run generation, the item's rank among the run's items).
void DigestFile(std::uint32_t generation, std::uint32_t unused);
void RequestStop();
// Once every row of a run is done or failed, (message, run generation, 0)
// is posted to the window, so the end shows without waiting for a timer.
void NotifyWhenRunSettles(HWND window, UINT message);

// The rows of the latest run (null before the first). Any thread.
std::shared_ptr<RunRows> CurrentRunRows();

// The label's two numbers as the last finished file left them; true once
// per change.
bool TakeLabelChange(std::int32_t& total, std::int32_t& count);
// 进度条1's position from the chunk finished last, 0..100; -1 when no chunk
// was finished since the last call.
std::int32_t TakeProgressBarChange();

// Files the runs hold open now, and the most held open at once.
std::int32_t OpenRunFiles();
std::int32_t PeakOpenRunFiles();
void ResetPeakOpenRunFiles();
// Chunk buffers leased at once at most, and the bound they stay within.
std::int32_t PeakChunkBuffers();
std::int32_t ChunkBufferLimit();

// Bytes done as a share of the size, times 100; an empty size counts as whole.
double PercentOf(std::int64_t done, std::int64_t size);
// StrFormatByteSize64A's text for a byte count, trimmed.
Text FormatByteSize(std::int64_t bytes);
// The part after the last backslash (two-byte aware); the whole path if none.
Text FileNameOf(const Text& path);
