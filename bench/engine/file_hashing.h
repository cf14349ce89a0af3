// Whole files hashed as a run hashes them: opened by FileReader, read in
// 8 MiB chunks into page-aligned buffers with the next chunk read ahead on
// a second thread, each chunk into a StreamHasher; THREADS workers take the
// listed files in turn. Shared by digest_bench (our kernels) and
// gcrypt_bench (libgcrypt's, as an anchor).
#pragma once

#include <functional>
#include <memory>

#include "engine/stream_hasher.h"

using HasherMaker = std::function<std::unique_ptr<StreamHasher>()>;

// One hasher over 256 MiB in memory on this thread, the best of three:
// "<label> <MB/s> MB/s per core, <cycles> cycles/byte<note>" (the
// time-stamp counter's cycles: the nominal clock).
void PrintInMemoryRate(const char* label, StreamHasher& hasher, const char* note = "");

// `files THREADS LIST OUT`: LIST names one file a line (as the bench's
// current folder sees it); OUT gets "<lower-case hex>  <name>" for each,
// in LIST's order, as sha256sum writes them. Prints "seconds=S bytes=N
// mb_s=R" (the hashing alone, without the process start). Returns the
// exit code: 1 when a file could not be read.
int HashListedFiles(const HasherMaker& make, int threads, const char* listPath, const char* outPath);
