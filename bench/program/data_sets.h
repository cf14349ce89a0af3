// The benchmark's data sets: folders of *.bin files made once by
// tools/run-bench, with reference digests cached beside them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct DataSet {
  std::string name;         // "A", "B", "C"
  std::string description;  // "4 x 256 MiB"
  std::string folder;
  std::vector<std::string> paths;     // sorted by name
  std::vector<std::string> expected;  // upper-case digests, index-parallel
  std::int64_t bytes = 0;
};

// Lists the set's files and loads its digests.txt, making it first with
// CryptoAPI when it is missing. False when the folder holds no files.
bool LoadDataSet(DataSet& set);
// Reads every file once through the system cache, so a run starts warm.
void WarmCache(const DataSet& set);
// The set as a digest list (name=digest lines), as md5.ini holds it.
std::string DigestListOf(const DataSet& set);
