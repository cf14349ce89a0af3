// Hashes one large file the way the runs do (FileReader and Md5Hasher in
// 8 MiB chunks, one reused buffer) and compares the rate with the platform
// MD5's raw in-memory rate. The digest is checked against the tests' own MD5,
// cached beside the file as <file>.digest. Usage: engine_bench <file>
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "engine/file_reader.h"
#include "engine/md5_hasher.h"
#include "services/text_ops.h"
#include "tests/support/test_files.h"

namespace {

constexpr std::int32_t kChunkSize = 8 * 1024 * 1024;
constexpr double kMegabyte = 1e6;

double Seconds() {
  LARGE_INTEGER frequency, now;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&now);
  return static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// Reads the whole file in 8 MiB chunks, hashing them when `hash` is set.
// Returns the bytes read, or -1 when the file cannot be opened.
std::int64_t ReadFileThrough(const char* path, bool hash, Text& digest) {
  FileReader reader;
  HANDLE file = reader.Open(Text(path));
  if (file == INVALID_HANDLE_VALUE) return -1;
  reader.Rewind(file);
  Md5Hasher hasher;
  hasher.Init();
  ByteBuffer chunk;
  std::int64_t total = 0;
  while (!reader.IsAtEnd(file)) {
    const std::int32_t read = reader.Read(file, chunk, kChunkSize);
    if (read == 0) break;
    if (hash) hasher.Update(chunk);
    total += read;
  }
  hasher.Final();
  digest = hasher.GetDigestText();
  reader.Close(file);
  return total;
}

// The tests' own reference digest of the file, made once and kept beside it.
std::string ReferenceDigest(const std::string& path) {
  const std::string cached = path + ".digest";
  std::string digest = ReadFileBytes(cached);
  if (digest.size() == 32) return digest;
  digest = ReferenceMd5OfFile(path);
  WriteTextFile(cached, digest);
  return digest;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: engine_bench <file>\n");
    return 2;
  }
  if (!Md5Hasher::IsAvailable()) {
    std::fprintf(stderr, "cryptdll.dll's MD5 is not available\n");
    return 1;
  }
  Text digest;
  const std::int64_t size = ReadFileThrough(argv[1], false, digest);  // warms the cache
  if (size < kChunkSize) {
    std::fprintf(stderr, "cannot read %s, or it is smaller than one chunk\n", argv[1]);
    return 1;
  }

  // The same number of bytes from one chunk already in memory.
  ByteBuffer chunk = ByteBuffer::Zeroed(kChunkSize);
  for (std::int32_t i = 0; i < kChunkSize; ++i) chunk.Data()[i] = static_cast<std::uint8_t>(i * 131);
  Md5Hasher hasher;
  double start = Seconds();
  hasher.Init();
  for (std::int64_t done = 0; done < size; done += kChunkSize) hasher.Update(chunk);
  hasher.Final();
  const double rawSeconds = Seconds() - start;

  start = Seconds();
  ReadFileThrough(argv[1], false, digest);
  const double readSeconds = Seconds() - start;

  start = Seconds();
  ReadFileThrough(argv[1], true, digest);
  const double fileSeconds = Seconds() - start;

  const double rawRate = static_cast<double>(size) / kMegabyte / rawSeconds;
  const double fileRate = static_cast<double>(size) / kMegabyte / fileSeconds;
  const double readRate = static_cast<double>(size) / kMegabyte / readSeconds;
  std::printf("raw MD5 (cryptdll, in memory): %.0f MB/s\n", rawRate);
  std::printf("file through FileReader + Md5Hasher (warm cache, %lld bytes): %.0f MB/s\n",
              static_cast<long long>(size), fileRate);
  std::printf("ratio file/raw: %.2f (target >= 0.90)\n", fileRate / rawRate);
  // Reads and hashing take turns, so the ratio is bounded by the read cost.
  std::printf("reading alone (warm cache, no hashing): %.0f MB/s\n", readRate);
  std::printf("digest: %s\n", digest.CStr());
  // A fast wrong digest is no result.
  const std::string expected = ReferenceDigest(argv[1]);
  if (ToUpper(digest).Bytes() != expected) {
    std::fprintf(stderr, "digest differs from the reference %s\n", expected.c_str());
    return 1;
  }
  return 0;
}
