// What our MD5 lanes can do with no window: a plain loop under the same
// Wine as the program, the program's engine MD5 (Md5Lanes) and nothing
// else of it. One thread per processor; each keeps two files per processor
// in flight between all threads, as the program does, reads the next 8 MiB
// chunk of each of its files unbuffered and hashes them together, one file
// per lane. Digests are compared with the set's md5.ini.
// Usage: lanes_floor_bench <set folder>
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "engine/md5_lanes.h"

namespace {

constexpr DWORD kChunkSize = 8 * 1024 * 1024;
constexpr int kFilesPerProcessor = 2;

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

struct ListedFile {
  std::string path;
  std::string digest;  // upper case, from md5.ini
};

std::vector<ListedFile> ReadList(const std::string& folder) {
  std::vector<ListedFile> files;
  HANDLE file = CreateFileA((folder + "\\md5.ini").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return files;
  LARGE_INTEGER size{};
  GetFileSizeEx(file, &size);
  std::string list(static_cast<std::size_t>(size.QuadPart), '\0');
  DWORD got = 0;
  if (!list.empty() && !ReadFile(file, list.data(), static_cast<DWORD>(list.size()), &got, nullptr)) got = 0;
  list.resize(got);
  CloseHandle(file);
  for (std::size_t start = 0; start < list.size();) {
    std::size_t end = list.find("\r\n", start);
    if (end == std::string::npos) end = list.size();
    const std::string line = list.substr(start, end - start);
    const std::size_t separator = line.find('=');
    if (separator != std::string::npos) files.push_back({folder + "\\" + line.substr(0, separator), line.substr(separator + 1)});
    start = end + 2;
  }
  return files;
}

std::string HexOf(const std::uint8_t* digest) {
  static const char kDigits[] = "0123456789ABCDEF";
  std::string hex;
  for (int i = 0; i < 16; ++i) {
    hex += kDigits[digest[i] >> 4];
    hex += kDigits[digest[i] & 15];
  }
  return hex;
}

struct Buffer {
  std::uint8_t* data = static_cast<std::uint8_t*>(VirtualAlloc(nullptr, kChunkSize, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
  ~Buffer() { VirtualFree(data, 0, MEM_RELEASE); }
};

struct OpenFile {
  std::size_t index = 0;
  HANDLE handle = INVALID_HANDLE_VALUE;
  Md5Stream stream;
  std::unique_ptr<Buffer> chunk;  // reused from file to file
  DWORD got = 0;
  bool failed = false;
  ~OpenFile() {
    if (handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
  }
};

struct Totals {
  std::atomic<std::size_t> next{0};
  std::atomic<int> wrong{0};
  std::atomic<std::int64_t> bytes{0};
};

void HashFiles(const std::vector<ListedFile>& files, int lanesPerThread, Totals& totals) {
  Md5Lanes lanes(BestMd5Variant());
  std::vector<std::unique_ptr<OpenFile>> open;
  std::vector<std::unique_ptr<Buffer>> spare;
  std::int64_t bytes = 0;
  for (;;) {
    while (static_cast<int>(open.size()) < lanesPerThread) {
      const std::size_t index = totals.next++;
      if (index >= files.size()) break;
      auto file = std::make_unique<OpenFile>();
      file->index = index;
      file->handle = CreateFileA(files[index].path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                 OPEN_EXISTING, FILE_FLAG_NO_BUFFERING, nullptr);
      if (file->handle == INVALID_HANDLE_VALUE) {
        ++totals.wrong;
        continue;
      }
      if (spare.empty()) spare.push_back(std::make_unique<Buffer>());
      file->chunk = std::move(spare.back());
      spare.pop_back();
      open.push_back(std::move(file));
    }
    if (open.empty()) break;
    for (std::size_t i = 0; i < open.size(); ++i) {
      OpenFile& file = *open[i];
      file.failed = !ReadFile(file.handle, file.chunk->data, kChunkSize, &file.got, nullptr);
      if (file.failed) file.got = 0;
      lanes.Feed(static_cast<std::int32_t>(i), file.stream, file.chunk->data, file.got);
      bytes += file.got;
    }
    lanes.RunToEnd();
    std::vector<std::unique_ptr<OpenFile>> going;
    for (auto& file : open) {
      if (!file->failed && file->got == kChunkSize) {
        going.push_back(std::move(file));
        continue;
      }
      std::uint8_t digest[16];
      file->stream.Finish(digest);
      if (file->failed || HexOf(digest) != files[file->index].digest) ++totals.wrong;
      spare.push_back(std::move(file->chunk));
    }
    open = std::move(going);
  }
  totals.bytes += bytes;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: lanes_floor_bench <set folder>\n");
    return 2;
  }
  const std::vector<ListedFile> files = ReadList(argv[1]);
  if (files.empty()) {
    std::fprintf(stderr, "lanes_floor_bench: no md5.ini entries in %s\n", argv[1]);
    return 1;
  }
  const int threads = Processors();
  const int lanesPerThread = std::clamp(kFilesPerProcessor, 1, WidthOf(BestMd5Variant()));
  Totals totals;
  const double start = Seconds();
  std::vector<std::thread> workers;
  for (int i = 0; i < threads; ++i) workers.emplace_back([&] { HashFiles(files, lanesPerThread, totals); });
  for (std::thread& worker : workers) worker.join();
  const double seconds = Seconds() - start;
  std::printf("lanes_floor files=%zu bytes=%lld seconds=%.3f threads=%d lanes=%d kernel=%s wrong=%d\n", files.size(),
              static_cast<long long>(totals.bytes.load()), seconds, threads, lanesPerThread,
              NameOf(BestMd5Variant()), totals.wrong.load());
  return totals.wrong == 0 ? 0 : 1;
}
