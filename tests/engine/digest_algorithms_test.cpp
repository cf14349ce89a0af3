#include "engine/digest_algorithms.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "tests/engine/temp_folder.h"

namespace {

struct PatternDigests {
  std::size_t length;
  const char* hex[5];  // by DigestAlgorithm
};
#include "tests/engine/digest_vectors.inc"

std::string HexOf(StreamHasher& hasher, const void* data, std::size_t length) {
  hasher.Init();
  hasher.Update(data, length);
  return LowerHexOf(hasher.Final());
}

std::string HexOf(StreamHasher& hasher, const std::string& message) {
  return HexOf(hasher, message.data(), message.size());
}

// Every kernel of every algorithm this processor runs, with a line for
// each one it lacks.
struct Kernel {
  const DigestAlgorithmInfo* algorithm;
  const DigestKernel* kernel;
  std::string Name() const { return std::string(algorithm->name) + " " + kernel->name; }
};
std::vector<Kernel> KernelsThatRunHere() {
  std::vector<Kernel> kernels;
  for (const DigestAlgorithmInfo& info : DigestAlgorithms()) {
    for (const DigestKernel& kernel : info.kernels()) {
      if (kernel.isSupported()) {
        kernels.push_back({&info, &kernel});
      } else {
        std::printf("[ skipped  ] %s %s: this processor lacks it\n", info.name, kernel.name);
      }
    }
  }
  return kernels;
}

TEST(DigestAlgorithms, EachRowNamesItsAlgorithmAndMakesItsDigests) {
  const struct {
    DigestAlgorithm algorithm;
    const char* name;
    std::size_t bytes;
    const char* extension;
  } expected[] = {
      {DigestAlgorithm::kMd5, "MD5", 16, ".md5"},
      {DigestAlgorithm::kSha1, "SHA1", 20, ".sha1"},
      {DigestAlgorithm::kSha256, "SHA256", 32, ".sha256"},
      {DigestAlgorithm::kSha512, "SHA512", 64, ".sha512"},
      {DigestAlgorithm::kCrc32, "CRC32", 4, ".sfv"},
  };
  ASSERT_EQ(DigestAlgorithms().size(), std::size(expected));
  EXPECT_EQ(DigestAlgorithms()[0].algorithm, DigestAlgorithm{});  // MD5 is the default
  for (const auto& row : expected) {
    const DigestAlgorithmInfo& info = InfoOf(row.algorithm);
    EXPECT_EQ(info.algorithm, row.algorithm);
    EXPECT_STREQ(info.name, row.name);
    EXPECT_EQ(info.digestBytes, row.bytes);
    EXPECT_STREQ(info.listExtension, row.extension);
    EXPECT_TRUE(info.kernels().back().isSupported()) << row.name << ": the last kernel runs everywhere";
    for (const DigestKernel& kernel : info.kernels()) {
      if (!kernel.isSupported()) continue;  // Final would run the kernel
      const Digest digest = kernel.make()->Final();
      EXPECT_EQ(digest.algorithm, row.algorithm) << row.name << " " << kernel.name;
      EXPECT_EQ(digest.length, row.bytes) << row.name << " " << kernel.name;
    }
    EXPECT_EQ(MakeHasher(row.algorithm)->Final().length, row.bytes) << row.name;
    EXPECT_EQ(FindDigestAlgorithm(row.name), &info);
  }
  EXPECT_EQ(FindDigestAlgorithm("sha256"), &InfoOf(DigestAlgorithm::kSha256));
  EXPECT_EQ(FindDigestAlgorithm("SHA-512"), &InfoOf(DigestAlgorithm::kSha512));
  EXPECT_EQ(FindDigestAlgorithm("Crc32"), &InfoOf(DigestAlgorithm::kCrc32));
  for (const char* unknown : {"", "-", "SHA", "SHA2", "SHA256x", "MD55", "SHA 256"}) {
    EXPECT_EQ(FindDigestAlgorithm(unknown), nullptr) << '"' << unknown << '"';
  }
}

// FIPS 180-4's examples and the usual CRC-32 check value.
TEST(DigestAlgorithms, EveryKernelGivesThePublishedDigests) {
  const std::string abc = "abc";
  const std::string bits448 = "abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq";
  const std::string bits896 =
      "abcdefghbcdefghicdefghijdefghijkefghijklfghijklmghijklmnhijklmnoijklmnopjklmnopqklmnopqrlmnopqrsmnopqrstnopqrstu";
  const std::string millionA(1000000, 'a');
  const struct {
    DigestAlgorithm algorithm;
    const std::string& message;
    const char* digest;
  } published[] = {
      {DigestAlgorithm::kSha1, abc, "a9993e364706816aba3e25717850c26c9cd0d89d"},
      {DigestAlgorithm::kSha1, bits448, "84983e441c3bd26ebaae4aa1f95129e5e54670f1"},
      {DigestAlgorithm::kSha1, bits896, "a49b2446a02c645bf419f995b67091253a04a259"},
      {DigestAlgorithm::kSha1, millionA, "34aa973cd4c4daa4f61eeb2bdbad27316534016f"},
      {DigestAlgorithm::kSha256, abc, "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
      {DigestAlgorithm::kSha256, bits448, "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
      {DigestAlgorithm::kSha256, bits896, "cf5b16a778af8380036ce59e7b0492370b249b11e8f07a51afac45037afee9d1"},
      {DigestAlgorithm::kSha256, millionA, "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"},
      {DigestAlgorithm::kSha512, abc,
       "ddaf35a193617abacc417349ae20413112e6fa4e89a97ea20a9eeee64b55d39a"
       "2192992a274fc1a836ba3c23a3feebbd454d4423643ce80e2a9ac94fa54ca49f"},
      {DigestAlgorithm::kSha512, bits448,
       "204a8fc6dda82f0a0ced7beb8e08a41657c16ef468b228a8279be331a703c335"
       "96fd15c13b1b07f9aa1d3bea57789ca031ad85c7a71dd70354ec631238ca3445"},
      {DigestAlgorithm::kSha512, bits896,
       "8e959b75dae313da8cf4f72814fc143f8f7779c6eb9f7fa17299aeadb6889018"
       "501d289e4900f7e4331b99dec4b5433ac7d329eeb6dd26545e96e55b874be909"},
      {DigestAlgorithm::kSha512, millionA,
       "e718483d0ce769644e2e42c7bc15b4638e1f98b13b2044285632a803afa973eb"
       "de0ff244877ea60a4cb0432ce577c31beb009c5c2c49aa2e4eadb217ad8cc09b"},
      {DigestAlgorithm::kCrc32, std::string("123456789"), "cbf43926"},
      {DigestAlgorithm::kMd5, abc, "900150983cd24fb0d6963f7d28e17f72"},
  };
  for (const Kernel& k : KernelsThatRunHere()) {
    const auto hasher = k.kernel->make();
    for (const auto& vector : published) {
      if (vector.algorithm != k.algorithm->algorithm) continue;
      EXPECT_EQ(HexOf(*hasher, vector.message), vector.digest)
          << k.Name() << ", " << vector.message.size() << " bytes";
    }
  }
}

// Pieces of changing sizes: partial blocks topped up, whole blocks from an
// odd address, a piece ending one byte short of or past a block.
void UpdateInPieces(StreamHasher& hasher, const std::uint8_t* data, std::size_t length) {
  static const std::size_t kPieces[] = {1, 63, 2, 64, 55, 129, 7, 128, 111, 4096 + 3, 65, 1 << 20};
  for (std::size_t done = 0, i = 0; done < length; ++i) {
    const std::size_t piece = std::min(kPieces[i % std::size(kPieces)], length - done);
    hasher.Update(data + done, piece);
    done += piece;
  }
}

// Every length from 0 to 300 (each block and padding edge of 64- and
// 128-byte blocks) and a few MiB, against md5sum, sha1sum, sha256sum,
// sha512sum and zlib (tests/engine/make_digest_vectors).
TEST(DigestAlgorithms, EveryKernelMatchesTheHostToolsAtEveryLengthWholeAndInPieces) {
  const std::vector<std::uint8_t> bytes = PatternBytes(kPatternDigests[std::size(kPatternDigests) - 1].length);
  for (const Kernel& k : KernelsThatRunHere()) {
    const auto hasher = k.kernel->make();  // one hasher, Init before each message
    const auto column = static_cast<std::size_t>(k.algorithm->algorithm);
    for (const PatternDigests& row : kPatternDigests) {
      ASSERT_EQ(HexOf(*hasher, bytes.data(), row.length), row.hex[column]) << k.Name() << ", " << row.length << " bytes";
      hasher->Init();
      UpdateInPieces(*hasher, bytes.data(), row.length);
      ASSERT_EQ(LowerHexOf(hasher->Final()), row.hex[column])
          << k.Name() << ", " << row.length << " bytes in pieces";
    }
  }
}

}  // namespace
