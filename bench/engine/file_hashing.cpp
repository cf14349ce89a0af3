#include "bench/engine/file_hashing.h"

#include <windows.h>
#include <x86intrin.h>

#include <atomic>
#include <cstdio>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "engine/chunk_buffers.h"
#include "engine/file_reader.h"
#include "engine/read_ahead.h"

namespace {

constexpr std::int32_t kChunkSize = 8 * 1024 * 1024;  // as the runs read

double Seconds() {
  LARGE_INTEGER frequency, now;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&now);
  return static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

struct Result {
  Digest digest;
  std::int64_t bytes = -1;  // -1: could not be read whole
};

Result HashFile(const std::string& name, StreamHasher& hasher, ChunkBuffers& buffers) {
  const FileReader reader;
  HANDLE file = reader.Open(Text(name));
  if (file == INVALID_HANDLE_VALUE) return {};
  const std::int64_t size = reader.GetSize(file);
  reader.Rewind(file);
  hasher.Init();
  std::int64_t done = 0;
  {
    ChunkLease first = buffers.Take(), second = buffers.Take();
    ReadAhead reading(file, size, kChunkSize, first.Buffer(), second.Buffer(), [] { return false; });
    while (const ByteBuffer* chunk = reading.Next()) {
      if (!chunk->IsEmpty()) hasher.Update(chunk->Data(), static_cast<std::size_t>(chunk->Length()));
      done += chunk->Length();
      reading.Release();
    }
  }
  reader.Close(file);
  Result result;
  result.digest = hasher.Final();
  result.bytes = done == size ? done : -1;
  return result;
}

constexpr std::int64_t kRateBytes = std::int64_t{256} * 1024 * 1024;
constexpr int kRateRepeats = 3;

std::vector<std::string> ReadLines(const char* path) {
  std::vector<std::string> lines;
  std::ifstream in(path);
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!line.empty()) lines.push_back(line);
  }
  return lines;
}

}  // namespace

void PrintInMemoryRate(const char* label, StreamHasher& hasher, const char* note) {
  static const std::vector<std::uint8_t> bytes = [] {
    std::vector<std::uint8_t> pattern(kChunkSize);
    for (std::size_t i = 0; i < pattern.size(); ++i) pattern[i] = static_cast<std::uint8_t>(i * 131 + (i >> 20));
    return pattern;
  }();
  // The best of a few repeats, since other work on the machine only ever
  // slows a run down.
  double bestRate = 0, bestCycles = 0;
  for (int repeat = 0; repeat < kRateRepeats; ++repeat) {
    hasher.Init();
    const double start = Seconds();
    const unsigned long long ticks = __rdtsc();
    for (std::int64_t done = 0; done < kRateBytes; done += kChunkSize) hasher.Update(bytes.data(), bytes.size());
    hasher.Final();
    const double cycles = static_cast<double>(__rdtsc() - ticks) / static_cast<double>(kRateBytes);
    const double rate = static_cast<double>(kRateBytes) / 1e6 / (Seconds() - start);
    if (rate > bestRate) bestRate = rate, bestCycles = cycles;
  }
  std::printf("%-22s %6.0f MB/s per core, %5.2f cycles/byte%s\n", label, bestRate, bestCycles, note);
}

int HashListedFiles(const HasherMaker& make, int threads, const char* listPath, const char* outPath) {
  const std::vector<std::string> names = ReadLines(listPath);
  std::vector<Result> results(names.size());
  ChunkBuffers buffers(std::int64_t{2} * kChunkSize * threads, kChunkSize);
  std::atomic<std::size_t> next{0};
  const double start = Seconds();
  std::vector<std::thread> workers;
  for (int t = 0; t < threads; ++t) {
    workers.emplace_back([&] {
      const std::unique_ptr<StreamHasher> hasher = make();
      for (std::size_t i; (i = next++) < names.size();) results[i] = HashFile(names[i], *hasher, buffers);
    });
  }
  for (std::thread& worker : workers) worker.join();
  const double seconds = Seconds() - start;

  std::FILE* out = std::fopen(outPath, "wb");
  if (out == nullptr) return 1;
  std::int64_t total = 0;
  int failed = 0;
  for (std::size_t i = 0; i < names.size(); ++i) {
    if (results[i].bytes < 0) {
      std::fprintf(stderr, "cannot read %s\n", names[i].c_str());
      failed = 1;
      continue;
    }
    total += results[i].bytes;
    std::fprintf(out, "%s  %s\n", LowerHexOf(results[i].digest).c_str(), names[i].c_str());
  }
  std::fclose(out);
  std::printf("seconds=%.3f bytes=%lld mb_s=%.0f\n", seconds, static_cast<long long>(total),
              static_cast<double>(total) / 1e6 / seconds);
  return failed;
}
