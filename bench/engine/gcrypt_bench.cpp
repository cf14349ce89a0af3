// libgcrypt's digests (its own SHA-NI and carry-less multiply paths) over
// the same reading as digest_bench files: a second anchor beside OpenSSL,
// built only here and never into the program.
// Usage: gcrypt_bench rates | files ALGORITHM THREADS LIST OUT
#include <gcrypt.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "bench/engine/file_hashing.h"
#include "engine/digest_algorithms.h"

namespace {

class GcryptHasher final : public StreamHasher {
 public:
  GcryptHasher(DigestAlgorithm algorithm, int gcryptAlgorithm) : algorithm_(algorithm) {
    gcry_md_open(&handle_, gcryptAlgorithm, 0);
  }
  ~GcryptHasher() override { gcry_md_close(handle_); }
  void Init() override { gcry_md_reset(handle_); }
  void Update(const void* data, std::size_t length) override { gcry_md_write(handle_, data, length); }
  Digest Final() override {
    const unsigned char* bytes = gcry_md_read(handle_, 0);
    return DigestOf(algorithm_, bytes, InfoOf(algorithm_).digestBytes);
  }

 private:
  DigestAlgorithm algorithm_;
  gcry_md_hd_t handle_ = nullptr;
};

int GcryptAlgorithmOf(DigestAlgorithm algorithm) {
  switch (algorithm) {
    case DigestAlgorithm::kMd5: return GCRY_MD_MD5;
    case DigestAlgorithm::kSha1: return GCRY_MD_SHA1;
    case DigestAlgorithm::kSha256: return GCRY_MD_SHA256;
    case DigestAlgorithm::kSha512: return GCRY_MD_SHA512;
    case DigestAlgorithm::kCrc32: return GCRY_MD_CRC32;  // zlib's CRC-32
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (gcry_check_version(GCRYPT_VERSION) == nullptr) return 1;
  gcry_control(GCRYCTL_INITIALIZATION_FINISHED, 0);
  if (argc == 2 && std::strcmp(argv[1], "rates") == 0) {
    std::printf("libgcrypt %s in memory, one thread, 256 MiB each (best of 3):\n", gcry_check_version(nullptr));
    for (const DigestAlgorithmInfo& info : DigestAlgorithms()) {
      GcryptHasher hasher(info.algorithm, GcryptAlgorithmOf(info.algorithm));
      PrintInMemoryRate((std::string(info.name) + " libgcrypt").c_str(), hasher);
    }
    return 0;
  }
  const DigestAlgorithmInfo* info = argc == 6 ? FindDigestAlgorithm(argv[2]) : nullptr;
  if (info == nullptr || std::strcmp(argv[1], "files") != 0) {
    std::fprintf(stderr, "usage: gcrypt_bench rates | files ALGORITHM THREADS LIST OUT\n");
    return 2;
  }
  const DigestAlgorithm algorithm = info->algorithm;
  return HashListedFiles([algorithm] { return std::make_unique<GcryptHasher>(algorithm, GcryptAlgorithmOf(algorithm)); },
                         std::atoi(argv[3]), argv[4], argv[5]);
}
