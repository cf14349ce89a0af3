// The pooled run: every listed file hashed on workerPool, one worker per
// file, with size, progress and digest written into the file's row.
//
// How it works: StartPooledRun (window thread) rebuilds the rows from
// filePaths, opens each file and posts (handle, row) to the pool. DigestFile
// (a worker) owns the handle from then on: it reads 8 MiB chunks in order,
// feeds MD5 and writes its row's cells with synchronous messages, which the
// window thread carries out. stopRequested is checked before every chunk.
#pragma once

#include <cstdint>

#include "services/text.h"

inline constexpr std::int32_t kChunkSize = 0x800000;      // 8 MiB per read
inline constexpr std::int32_t kReadPermitSize = 0x800;    // item size of the per-file pool
inline constexpr double kPercentScale = 100.0;

void StartPooledRun();
void DigestFile(std::uint32_t fileArgument, std::uint32_t row);
void RequestStop();

// StrFormatByteSize64A's text for a byte count, trimmed.
Text FormatByteSize(std::int64_t bytes);
// The part after the last backslash (two-byte aware); the whole path if none.
Text FileNameOf(const Text& path);
