// Our digest kernels: each algorithm's kernels on one core in memory (MB/s
// and cycles per byte; the chosen one marked), and whole files hashed as a
// run hashes them (bench/engine/file_hashing.h).
// Usage: digest_bench rates
//        digest_bench files ALGORITHM THREADS LIST OUT   (ALGORITHM "none":
//        the reading alone)
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "bench/engine/file_hashing.h"
#include "engine/digest_algorithms.h"

namespace {

// Reads and hashes nothing: what the reading alone costs.
class NoHasher final : public StreamHasher {
 public:
  void Init() override {}
  void Update(const void*, std::size_t) override {}
  Digest Final() override { return Digest(); }
};

void PrintRates() {
  std::printf("Digest kernels in memory, one thread, 256 MiB each (best of 3):\n");
  for (const DigestAlgorithmInfo& info : DigestAlgorithms()) {
    for (const DigestKernel& kernel : info.kernels()) {
      const std::string label = std::string(info.name) + " " + kernel.name;
      if (!kernel.isSupported()) {
        std::printf("%-22s not on this processor\n", label.c_str());
        continue;
      }
      const bool chosen = &kernel == &ChosenKernel(info.algorithm);
      PrintInMemoryRate(label.c_str(), *kernel.make(), chosen ? "  (chosen)" : "");
    }
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 2 && std::strcmp(argv[1], "rates") == 0) {
    PrintRates();
    return 0;
  }
  if (argc == 6 && std::strcmp(argv[1], "files") == 0 && std::strcmp(argv[2], "none") == 0) {
    return HashListedFiles([] { return std::make_unique<NoHasher>(); }, std::atoi(argv[3]), argv[4], argv[5]);
  }
  if (argc == 6 && std::strcmp(argv[1], "files") == 0) {
    const DigestAlgorithmInfo* info = FindDigestAlgorithm(argv[2]);
    if (info == nullptr) {
      std::fprintf(stderr, "digest_bench: no algorithm named %s\n", argv[2]);
      return 2;
    }
    std::printf("kernel=%s ", ChosenKernel(info->algorithm).name);
    return HashListedFiles([info] { return MakeHasher(info->algorithm); }, std::atoi(argv[3]), argv[4], argv[5]);
  }
  std::fprintf(stderr, "usage: digest_bench rates | files ALGORITHM THREADS LIST OUT\n");
  return 2;
}
