// The pooled run: every listed file hashed on workerPool, one worker per
// file at a time, each file's bytes read and hashed in order.
//
// How it works: the run publishes, the window applies. StartPooledRun
// (window thread) builds a new RunRows from filePaths, makes it the current
// run and posts one work item (run generation) per worker. DigestFile (a
// worker) claims rows of that run one after another; for each it opens the
// file itself, so no more files are open than workers, reads 8 MiB chunks
// into a leased buffer, feeds MD5 and publishes the row's progress and
// result into the run's rows. The count step and the label text it
// produces are published here too; nothing a worker does waits for the
// window. A newer run makes the older one stale: its workers stop at their
// next chunk and count nothing. stopRequested is checked before every chunk.
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
// A run over the rows of `previous` that reads only those `keep` refuses;
// the others keep what `previous` found. False when every row is kept.
bool StartPooledRunAgain(const RunRows& previous, bool (*keep)(const RowSnapshot&));
// The work routine: (run generation, unused).
void DigestFile(std::uint32_t generation, std::uint32_t unused);
void RequestStop();
// Once every row of the current run is done or failed, `settled` runs on
// the window thread (a UI task), so the end shows without waiting for a
// timer.
void NotifyWhenRunSettles(void (*settled)());

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
// Opens the runs attempted, successful or not, since the process began.
std::int32_t RunFileOpenAttempts();
// Chunk buffers leased at once at most, and the bound they stay within.
std::int32_t PeakChunkBuffers();
std::int32_t ChunkBufferLimit();

// Bytes done as a share of the size, times 100; an empty size counts as whole.
double PercentOf(std::int64_t done, std::int64_t size);
// StrFormatByteSize64A's text for a byte count, trimmed.
Text FormatByteSize(std::int64_t bytes);
// The part after the last backslash (two-byte aware); the whole path if none.
Text FileNameOf(const Text& path);
