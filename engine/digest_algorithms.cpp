#include "engine/digest_algorithms.h"

#include <array>
#include <cctype>

// Each algorithm's kernels, from its own file.
std::span<const DigestKernel> Md5Kernels();
std::span<const DigestKernel> Sha1Kernels();
std::span<const DigestKernel> Sha256Kernels();
std::span<const DigestKernel> Sha512Kernels();
std::span<const DigestKernel> Crc32Kernels();

namespace {

constexpr DigestAlgorithmInfo kAlgorithms[] = {
    {DigestAlgorithm::kMd5, "MD5", 16, ".md5", Md5Kernels},
    {DigestAlgorithm::kSha1, "SHA1", 20, ".sha1", Sha1Kernels},
    {DigestAlgorithm::kSha256, "SHA256", 32, ".sha256", Sha256Kernels},
    {DigestAlgorithm::kSha512, "SHA512", 64, ".sha512", Sha512Kernels},
    {DigestAlgorithm::kCrc32, "CRC32", 4, ".sfv", Crc32Kernels},
};
constexpr std::size_t kAlgorithmCount = std::size(kAlgorithms);

constexpr bool RowsInEnumOrder() {
  for (std::size_t i = 0; i < kAlgorithmCount; ++i) {
    if (static_cast<std::size_t>(kAlgorithms[i].algorithm) != i) return false;
  }
  return true;
}
static_assert(RowsInEnumOrder(), "row i is the algorithm whose value is i");

bool SameName(std::string_view given, std::string_view name) {
  std::size_t at = 0;
  for (const char c : given) {
    if (c == '-') continue;
    if (at == name.size() || std::toupper(static_cast<unsigned char>(c)) != name[at]) return false;
    ++at;
  }
  return at == name.size();
}

const DigestKernel& FastestSupported(DigestAlgorithm algorithm) {
  const std::span<const DigestKernel> kernels = InfoOf(algorithm).kernels();
  for (const DigestKernel& kernel : kernels) {
    if (kernel.isSupported()) return kernel;
  }
  return kernels.back();
}

}  // namespace

std::span<const DigestAlgorithmInfo> DigestAlgorithms() { return kAlgorithms; }

const DigestAlgorithmInfo& InfoOf(DigestAlgorithm algorithm) {
  return kAlgorithms[static_cast<std::size_t>(algorithm)];
}

const DigestAlgorithmInfo* FindDigestAlgorithm(std::string_view name) {
  for (const DigestAlgorithmInfo& info : kAlgorithms) {
    if (SameName(name, info.name)) return &info;
  }
  return nullptr;
}

const DigestKernel& ChosenKernel(DigestAlgorithm algorithm) {
  // The processor never changes: each choice is made once, on any thread.
  static const std::array<const DigestKernel*, kAlgorithmCount> chosen = [] {
    std::array<const DigestKernel*, kAlgorithmCount> kernels{};
    for (std::size_t i = 0; i < kAlgorithmCount; ++i) kernels[i] = &FastestSupported(kAlgorithms[i].algorithm);
    return kernels;
  }();
  return *chosen[static_cast<std::size_t>(algorithm)];
}

std::unique_ptr<StreamHasher> MakeHasher(DigestAlgorithm algorithm) {
  return ChosenKernel(algorithm).make();
}
