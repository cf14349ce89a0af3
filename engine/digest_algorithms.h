// The algorithms' table: every algorithm the program computes, with its
// name as users and lists write it, its digest length, the extension of
// its lists and the kernels that compute it. Callers loop over the table
// or look an algorithm up; none names a kernel.
//
// Adding an algorithm: its file (the compression or update function, a
// StreamHasher and its kernels list), its DigestAlgorithm value and its row
// in digest_algorithms.cpp.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string_view>

#include "engine/digest.h"
#include "engine/stream_hasher.h"

struct DigestAlgorithmInfo {
  DigestAlgorithm algorithm;
  const char* name;  // "MD5", "SHA1", "SHA256", "SHA512", "CRC32"
  std::uint8_t digestBytes;
  const char* listExtension;  // ".md5", ".sha1", ".sha256", ".sha512", ".sfv"
  // Fastest first; the last runs on every processor.
  std::span<const DigestKernel> (*kernels)();
};

// In DigestAlgorithm's order, MD5 first.
std::span<const DigestAlgorithmInfo> DigestAlgorithms();
const DigestAlgorithmInfo& InfoOf(DigestAlgorithm algorithm);
// By name in either case, with or without a dash ("sha256", "SHA-256");
// null for a name no algorithm has.
const DigestAlgorithmInfo* FindDigestAlgorithm(std::string_view name);

// The fastest kernel this processor runs (asked once, then kept).
const DigestKernel& ChosenKernel(DigestAlgorithm algorithm);
// A fresh hasher on that kernel, initialised.
std::unique_ptr<StreamHasher> MakeHasher(DigestAlgorithm algorithm);
