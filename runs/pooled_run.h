// The pooled run: every listed file hashed on the coordinator's workerPool,
// each file's bytes read and hashed in order by one thread, several files
// side by side.
//
// How it works: the run publishes, the window applies. StartPooledRun
// (window thread) builds a new RunRows from filePaths, makes it the current
// run and posts one work item (run generation, rank) per worker. The first
// items, one per processor, are hashing threads (DigestFile), the others
// helpers (runs/lanes.h says which files each takes). Chunks are read by
// the thread itself, while the other threads fill the processors; with
// fewer files left than processors a file gets a reading thread of its own
// (ReadAhead) that reads its next chunk while this one is hashed. Each
// row's progress and result, the count step and the label text it produces
// are published into the run (runs/run_publication.h); nothing a thread does
// waits for the window. A newer run makes the older one stale: its threads
// stop at their next chunk and count nothing. stopRequested is checked
// before every read.
#pragma once

#include <cstdint>

#include "services/text.h"

inline constexpr std::int32_t kChunkSize = 0x800000;  // 8 MiB per read
// All chunk buffers in flight together, whatever the number of workers:
// 128 workers with two chunks each would otherwise fill a 32-bit process.
inline constexpr std::int64_t kChunkMemoryBudget = std::int64_t{256} * 1024 * 1024;
inline constexpr double kPercentScale = 100.0;

// The machine's processors, as the system reports them; asked once.
std::int32_t ProcessorCount();
// Bytes done as a share of the size, times 100; an empty size counts as whole.
double PercentOf(std::int64_t done, std::int64_t size);
// StrFormatByteSize64A's text for a byte count, trimmed.
Text FormatByteSize(std::int64_t bytes);
// The part after the last backslash (two-byte aware); the whole path if none.
Text FileNameOf(const Text& path);
