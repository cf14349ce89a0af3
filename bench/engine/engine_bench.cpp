// Our MD5 variants' rates on one core, in memory (the widest also with fewer
// lanes fed), beside the platform's (cryptdll, only as a reference here); then
// one large file hashed as a run hashes a lone file (FileReader and
// Md5Hasher in 8 MiB chunks, one reused buffer). The file's digest is
// checked against the tests' own MD5, cached beside the file as
// <file>.digest. Usage: engine_bench <file>
#include <windows.h>
#include <x86intrin.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <string>
#include <vector>

#include "engine/file_reader.h"
#include "engine/md5_hasher.h"
#include "engine/md5_lanes.h"
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

constexpr std::int64_t kRateBytes = std::int64_t{256} * 1024 * 1024;
constexpr int kRateRepeats = 3;

struct Rate {
  double megabytesPerSecond = 0;
  double cyclesPerByte = 0;  // time-stamp counter ticks: the nominal clock
};

// The best of a few repeats, since other work on the machine only ever
// slows a run down. `hash` hashes kRateBytes.
template <typename Hash>
Rate BestRate(Hash hash) {
  Rate best;
  for (int repeat = 0; repeat < kRateRepeats; ++repeat) {
    const double start = Seconds();
    const unsigned long long ticks = __rdtsc();
    hash();
    const double cycles = static_cast<double>(__rdtsc() - ticks) / static_cast<double>(kRateBytes);
    const double rate = static_cast<double>(kRateBytes) / kMegabyte / (Seconds() - start);
    if (rate > best.megabytesPerSecond) best = Rate{rate, cycles};
  }
  return best;
}

// One variant's lanes, each over its own 8 MiB of bytes, on this thread.
Rate LanesRate(Md5Variant variant, const std::vector<std::uint8_t>& bytes) {
  return BestRate([&] {
    Md5Lanes lanes(variant);
    std::vector<Md5Stream> streams(static_cast<std::size_t>(lanes.Width()));
    const std::int64_t rounds = kRateBytes / (std::int64_t{kChunkSize} * lanes.Width());
    for (std::int64_t round = 0; round < rounds; ++round) {
      for (std::int32_t lane = 0; lane < lanes.Width(); ++lane) {
        lanes.Feed(lane, streams[static_cast<std::size_t>(lane)], bytes.data() + std::size_t{kChunkSize} * static_cast<std::size_t>(lane), kChunkSize);
      }
      lanes.RunToEnd();
    }
  });
}

// A kernel with only `fed` of its lanes carrying bytes (the spare ones
// repeat lane 0's, as Md5Lanes does): its rate in those lanes' bytes.
Rate PartlyFedRate(Md5Variant variant, std::int32_t fed, const std::vector<std::uint8_t>& bytes) {
  return BestRate([&] {
    Md5State states[Md5Lanes::kMaxLanes] = {};
    Md5State* statePointers[Md5Lanes::kMaxLanes];
    const std::uint8_t* data[Md5Lanes::kMaxLanes];
    for (std::int32_t lane = 0; lane < WidthOf(variant); ++lane) {
      statePointers[lane] = &states[lane];
      data[lane] = bytes.data() + std::size_t{kChunkSize} * static_cast<std::size_t>(lane < fed ? lane : 0);
    }
    const std::int64_t rounds = kRateBytes / (std::int64_t{kChunkSize} * fed);
    for (std::int64_t round = 0; round < rounds; ++round) {
      KernelOf(variant)(statePointers, data, kChunkSize / kMd5BlockSize);
    }
  });
}

// In the order of their lanes.
constexpr Md5Variant kShownVariants[] = {Md5Variant::kScalar, Md5Variant::kAvx512One, Md5Variant::kTwoStreams,
                                         Md5Variant::kSse2,   Md5Variant::kSse2x8,    Md5Variant::kAvx2,
                                         Md5Variant::kAvx512};
static_assert(std::size(kShownVariants) == kMd5VariantCount);

// cryptdll's MD5 (in Wine: ntdll's plain C), the rate before our own.
struct CryptDllMd5 {
  struct Context {
    std::uint32_t bitCount[2];
    std::uint32_t state[4];
    std::uint8_t input[64];
    std::uint8_t digest[16];
  };
  using Proc = void(WINAPI*)(Context*);
  using UpdateProc = void(WINAPI*)(Context*, const unsigned char*, unsigned int);
  Proc init = nullptr;
  UpdateProc update = nullptr;
  Proc final = nullptr;

  bool Load() {
    HMODULE library = LoadLibraryA("cryptdll.dll");
    if (library == nullptr) return false;
    init = reinterpret_cast<Proc>(reinterpret_cast<void*>(GetProcAddress(library, "MD5Init")));
    update = reinterpret_cast<UpdateProc>(reinterpret_cast<void*>(GetProcAddress(library, "MD5Update")));
    final = reinterpret_cast<Proc>(reinterpret_cast<void*>(GetProcAddress(library, "MD5Final")));
    return init != nullptr && update != nullptr && final != nullptr;
  }
};

void PrintRate(const char* name, Rate rate) {
  std::printf("%-22s %6.0f MB/s per core, %5.2f cycles/byte\n", name, rate.megabytesPerSecond, rate.cyclesPerByte);
}

// The tests' digest of the file, made once and kept beside it.
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
  Text digest;
  const std::int64_t size = ReadFileThrough(argv[1], false, digest);  // warms the cache
  if (size < kChunkSize) {
    std::fprintf(stderr, "cannot read %s, or it is smaller than one chunk\n", argv[1]);
    return 1;
  }

  std::vector<std::uint8_t> bytes(std::size_t{kChunkSize} * Md5Lanes::kMaxLanes);
  for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<std::uint8_t>(i * 131 + (i >> 20));
  std::printf("MD5 in memory, one thread (the time-stamp counter's cycles):\n");
  Rate single;
  for (const Md5Variant variant : kShownVariants) {
    if (!IsSupported(variant)) {
      std::printf("%-22s not on this processor\n", NameOf(variant));
      continue;
    }
    const Rate rate = LanesRate(variant, bytes);
    if (variant == BestOneStreamVariant()) single = rate;
    PrintRate(NameOf(variant), rate);
  }
  const Md5Variant widest = BestMd5Variant();
  std::printf("%-22s %s\n", "chosen for lanes", NameOf(widest));
  std::printf("%-22s %s\n", "chosen for one stream", NameOf(BestOneStreamVariant()));
  std::printf("%s with fewer lanes fed, in the fed lanes' bytes:\n", NameOf(widest));
  for (std::int32_t fed = WidthOf(widest) / 2; fed >= 1; fed /= 2) {
    char name[32];
    std::snprintf(name, sizeof name, "  %d of %d lanes", static_cast<int>(fed), static_cast<int>(WidthOf(widest)));
    PrintRate(name, PartlyFedRate(widest, fed, bytes));
  }
  CryptDllMd5 crypt;
  if (crypt.Load()) {
    PrintRate("cryptdll (reference)", BestRate([&] {
      CryptDllMd5::Context context;
      crypt.init(&context);
      for (std::int64_t done = 0; done < kRateBytes; done += kChunkSize) crypt.update(&context, bytes.data(), kChunkSize);
      crypt.final(&context);
    }));
  }

  double start = Seconds();
  ReadFileThrough(argv[1], false, digest);
  const double readSeconds = Seconds() - start;

  start = Seconds();
  ReadFileThrough(argv[1], true, digest);
  const double fileSeconds = Seconds() - start;

  const double fileRate = static_cast<double>(size) / kMegabyte / fileSeconds;
  const double readRate = static_cast<double>(size) / kMegabyte / readSeconds;
  std::printf("file through FileReader + Md5Hasher (warm cache, %lld bytes): %.0f MB/s\n",
              static_cast<long long>(size), fileRate);
  std::printf("ratio file/raw one-stream (%s): %.2f (target >= 0.90)\n", NameOf(BestOneStreamVariant()),
              fileRate / single.megabytesPerSecond);
  // Reads and hashing take turns, so the ratio is bounded by the read cost.
  std::printf("reading alone (warm cache, no hashing): %.0f MB/s\n", readRate);
  std::printf("digest: %s\n", digest.CStr());
  // A fast wrong digest is no result.
  const std::string expected = ReferenceDigest(argv[1]);
  if (ToUpper(digest).Bytes() != expected) {
    std::fprintf(stderr, "digest differs from the tests' reference %s\n", expected.c_str());
    return 1;
  }
  return 0;
}
