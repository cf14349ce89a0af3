// The platform's floor for hashing a list of files: a plain loop with no
// window under the same Wine as the program. Each of one thread per
// processor takes the next listed file, opens it unbuffered, reads it in
// 8 MiB chunks (one ReadFile for a small file), feeds cryptdll's MD5 and
// closes it. The digests are compared with the set's md5.ini, which the
// bench makes from md5sum's output.
// Usage: floor_bench <set folder>   hashes the files md5.ini lists there
//        floor_bench rate           cryptdll's MD5 on one core, in memory
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr DWORD kChunkSize = 8 * 1024 * 1024;
constexpr std::int64_t kRateBytes = std::int64_t{512} * 1024 * 1024;
constexpr int kRateRepeats = 3;
constexpr double kMegabyte = 1e6;

// cryptdll's context record (104 bytes on both builds).
struct Md5Context {
  ULONG count[2];
  ULONG state[4];
  unsigned char input[64];
  unsigned char digest[16];
};

using Md5InitFunction = void(WINAPI*)(Md5Context*);
using Md5UpdateFunction = void(WINAPI*)(Md5Context*, const unsigned char*, unsigned int);
using Md5FinalFunction = void(WINAPI*)(Md5Context*);

struct Md5Functions {
  Md5InitFunction init = nullptr;
  Md5UpdateFunction update = nullptr;
  Md5FinalFunction final = nullptr;

  bool Load() {
    HMODULE library = LoadLibraryA("cryptdll.dll");
    if (library == nullptr) return false;
    init = reinterpret_cast<Md5InitFunction>(reinterpret_cast<void*>(GetProcAddress(library, "MD5Init")));
    update = reinterpret_cast<Md5UpdateFunction>(reinterpret_cast<void*>(GetProcAddress(library, "MD5Update")));
    final = reinterpret_cast<Md5FinalFunction>(reinterpret_cast<void*>(GetProcAddress(library, "MD5Final")));
    return init != nullptr && update != nullptr && final != nullptr;
  }
};

double Seconds() {
  LARGE_INTEGER frequency, now;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&now);
  return static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

int Processors() {
  SYSTEM_INFO system{};
  GetSystemInfo(&system);
  return static_cast<int>(system.dwNumberOfProcessors);
}

// Page-aligned, as unbuffered reads need on Windows (Wine does not check).
class ChunkBuffer {
 public:
  ChunkBuffer()
      : data_(static_cast<unsigned char*>(VirtualAlloc(nullptr, kChunkSize, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE))) {}
  ~ChunkBuffer() { VirtualFree(data_, 0, MEM_RELEASE); }
  ChunkBuffer(const ChunkBuffer&) = delete;
  ChunkBuffer& operator=(const ChunkBuffer&) = delete;
  unsigned char* Data() const { return data_; }

 private:
  unsigned char* data_;
};

struct ListedFile {
  std::string path;
  std::string digest;  // upper case, from md5.ini
};

std::string ReadWholeFile(const std::string& path) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return {};
  LARGE_INTEGER size{};
  GetFileSizeEx(file, &size);
  std::string bytes(static_cast<std::size_t>(size.QuadPart), '\0');
  DWORD got = 0;
  if (!bytes.empty() && !ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr)) got = 0;
  bytes.resize(got);
  CloseHandle(file);
  return bytes;
}

// md5.ini's name=DIGEST lines, CR LF ended; names are relative to the folder.
std::vector<ListedFile> ReadList(const std::string& folder) {
  const std::string list = ReadWholeFile(folder + "\\md5.ini");
  std::vector<ListedFile> files;
  std::size_t start = 0;
  while (start < list.size()) {
    std::size_t end = list.find("\r\n", start);
    if (end == std::string::npos) end = list.size();
    const std::string line = list.substr(start, end - start);
    const std::size_t separator = line.find('=');
    if (separator != std::string::npos)
      files.push_back({folder + "\\" + line.substr(0, separator), line.substr(separator + 1)});
    start = end + 2;
  }
  return files;
}

std::string HexOf(const unsigned char* digest) {
  static const char kDigits[] = "0123456789ABCDEF";
  std::string hex;
  for (int i = 0; i < 16; ++i) {
    hex += kDigits[digest[i] >> 4];
    hex += kDigits[digest[i] & 15];
  }
  return hex;
}

// The digest of one file, or an empty text when it cannot be opened or read.
std::string DigestOf(const Md5Functions& md5, const std::string& path, const ChunkBuffer& chunk, std::int64_t& bytes) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                            FILE_FLAG_NO_BUFFERING, nullptr);
  if (file == INVALID_HANDLE_VALUE) return {};
  Md5Context context;
  md5.init(&context);
  DWORD got = 0;
  bool failed = false;
  for (;;) {
    if (!ReadFile(file, chunk.Data(), kChunkSize, &got, nullptr)) {
      failed = true;
      break;
    }
    if (got == 0) break;
    md5.update(&context, chunk.Data(), got);
    bytes += got;
    if (got < kChunkSize) break;
  }
  CloseHandle(file);
  md5.final(&context);
  return failed ? std::string() : HexOf(context.digest);
}

int HashList(const Md5Functions& md5, const std::string& folder) {
  const std::vector<ListedFile> files = ReadList(folder);
  if (files.empty()) {
    std::fprintf(stderr, "floor_bench: no md5.ini entries in %s\n", folder.c_str());
    return 1;
  }
  const int threads = Processors();
  std::atomic<std::size_t> next{0};
  std::atomic<int> wrong{0};
  std::atomic<std::int64_t> bytes{0};
  const double start = Seconds();
  std::vector<std::thread> workers;
  for (int i = 0; i < threads; ++i) {
    workers.emplace_back([&] {
      ChunkBuffer chunk;
      std::int64_t read = 0;
      for (std::size_t index = next++; index < files.size(); index = next++) {
        if (DigestOf(md5, files[index].path, chunk, read) != files[index].digest) ++wrong;
      }
      bytes += read;
    });
  }
  for (std::thread& worker : workers) worker.join();
  const double seconds = Seconds() - start;
  std::printf("floor files=%zu bytes=%lld seconds=%.3f threads=%d wrong=%d\n", files.size(),
              static_cast<long long>(bytes.load()), seconds, threads, wrong.load());
  return wrong == 0 ? 0 : 1;
}

// MB/s of MD5 over a chunk already in memory, on this thread alone; the best
// of a few repeats, since other work on the machine only ever slows it.
int PrintRawRate(const Md5Functions& md5) {
  ChunkBuffer chunk;
  for (DWORD i = 0; i < kChunkSize; ++i) chunk.Data()[i] = static_cast<unsigned char>(i * 131);
  double best = 0;
  for (int repeat = 0; repeat < kRateRepeats; ++repeat) {
    Md5Context context;
    const double start = Seconds();
    md5.init(&context);
    for (std::int64_t done = 0; done < kRateBytes; done += kChunkSize) md5.update(&context, chunk.Data(), kChunkSize);
    md5.final(&context);
    best = std::max(best, static_cast<double>(kRateBytes) / kMegabyte / (Seconds() - start));
  }
  std::printf("raw_md5_mb_s=%.0f\n", best);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: floor_bench <set folder> | floor_bench rate\n");
    return 2;
  }
  Md5Functions md5;
  if (!md5.Load()) {
    std::fprintf(stderr, "floor_bench: cryptdll.dll's MD5 is not available\n");
    return 1;
  }
  const std::string what = argv[1];
  return what == "rate" ? PrintRawRate(md5) : HashList(md5, what);
}
