#include "bench/program/data_sets.h"

#include <windows.h>

#include <cstdio>

#include "tests/support/test_files.h"

namespace {

constexpr char kDigestsName[] = "digests.txt";
constexpr char kLineEnd[] = "\r\n";
constexpr DWORD kWarmBlock = 1 << 20;

std::string NameOf(const std::string& path) { return path.substr(path.find_last_of('\\') + 1); }

std::int64_t SizeOf(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return 0;
  return (static_cast<std::int64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

bool EndsWith(const std::string& text, const std::string& end) {
  return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

// name=DIGEST lines in the set's file order; false when any name is off.
bool ReadDigests(DataSet& set, const std::string& list) {
  set.expected.clear();
  std::size_t start = 0;
  for (const std::string& path : set.paths) {
    const std::size_t end = list.find(kLineEnd, start);
    if (end == std::string::npos) return false;
    const std::string line = list.substr(start, end - start);
    const std::size_t separator = line.find('=');
    if (separator == std::string::npos || line.substr(0, separator) != NameOf(path)) return false;
    set.expected.push_back(line.substr(separator + 1));
    start = end + 2;
  }
  return true;
}

}  // namespace

bool LoadDataSet(DataSet& set) {
  set.paths.clear();
  set.bytes = 0;
  for (const std::string& name : ListFolder(set.folder)) {
    if (!EndsWith(name, ".bin")) continue;
    set.paths.push_back(set.folder + "\\" + name);
    set.bytes += SizeOf(set.paths.back());
  }
  if (set.paths.empty()) return false;
  const std::string digestsPath = set.folder + "\\" + kDigestsName;
  if (ReadDigests(set, ReadFileBytes(digestsPath))) return true;

  std::printf("making reference digests of set %s with CryptoAPI (once)\n", set.name.c_str());
  std::fflush(stdout);
  set.expected.clear();
  for (const std::string& path : set.paths) set.expected.push_back(ReferenceMd5OfFile(path));
  WriteTextFile(digestsPath, DigestListOf(set));
  return true;
}

void WarmCache(const DataSet& set) {
  std::vector<char> block(kWarmBlock);
  for (const std::string& path : set.paths) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (file == INVALID_HANDLE_VALUE) continue;
    DWORD got = 0;
    while (ReadFile(file, block.data(), kWarmBlock, &got, nullptr) && got > 0) {
    }
    CloseHandle(file);
  }
}

std::string DigestListOf(const DataSet& set) {
  std::string list;
  for (std::size_t i = 0; i < set.paths.size(); ++i) {
    list += NameOf(set.paths[i]) + "=" + set.expected[i] + kLineEnd;
  }
  return list;
}
