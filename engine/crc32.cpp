// CRC-32 (IEEE): the portable kernel, slicing by 16 (sixteen tables, so
// each 16 bytes cost sixteen independent lookups), and the algorithm's
// hasher and kernels.
#include <array>
#include <bit>
#include <cstring>
#include <memory>
#include <span>

#include "engine/crc32_kernels.h"
#include "engine/stream_hasher.h"

namespace {

static_assert(std::endian::native == std::endian::little, "the words are read as little-endian");

constexpr std::size_t kSlices = 16;
using Tables = std::array<std::array<std::uint32_t, 256>, kSlices>;

// tables[0][b]: the register after byte b; tables[k][b]: after byte b and
// k zero bytes.
constexpr Tables MakeTables() {
  Tables tables{};
  for (std::uint32_t byte = 0; byte < 256; ++byte) {
    std::uint32_t crc = byte;
    for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ ((crc & 1) != 0 ? kCrc32ReflectedPolynomial : 0);
    tables[0][byte] = crc;
  }
  for (std::size_t k = 1; k < kSlices; ++k) {
    for (std::size_t byte = 0; byte < 256; ++byte) {
      const std::uint32_t before = tables[k - 1][byte];
      tables[k][byte] = (before >> 8) ^ tables[0][before & 0xFF];
    }
  }
  return tables;
}

constexpr Tables kTables = MakeTables();

std::uint32_t WordAt(const std::uint8_t* data) {
  std::uint32_t word;
  std::memcpy(&word, data, sizeof word);
  return word;
}

// Byte i of the 16 is followed by 15 - i more: table 15 - i.
std::uint32_t SixteenBytes(std::uint32_t crc, const std::uint8_t* data) {
  std::uint32_t result = 0;
  for (std::size_t word = 0; word < 4; ++word) {
    const std::uint32_t bytes = WordAt(data + 4 * word) ^ (word == 0 ? crc : 0);
    for (std::size_t i = 0; i < 4; ++i) result ^= kTables[15 - 4 * word - i][(bytes >> (8 * i)) & 0xFF];
  }
  return result;
}

class Crc32Hasher final : public StreamHasher {
 public:
  explicit Crc32Hasher(Crc32Kernel kernel) : kernel_(kernel) {}
  void Init() override { crc_ = 0xFFFFFFFFu; }
  void Update(const void* data, std::size_t length) override {
    if (length != 0) crc_ = kernel_(crc_, static_cast<const std::uint8_t*>(data), length);
  }
  // Big-endian, so the hex reads as SFV lists write it.
  Digest Final() override {
    const std::uint32_t value = ~crc_;
    const std::uint8_t bytes[4] = {static_cast<std::uint8_t>(value >> 24), static_cast<std::uint8_t>(value >> 16),
                                   static_cast<std::uint8_t>(value >> 8), static_cast<std::uint8_t>(value)};
    return DigestOf(DigestAlgorithm::kCrc32, bytes, sizeof bytes);
  }

 private:
  Crc32Kernel kernel_;
  std::uint32_t crc_ = 0xFFFFFFFFu;
};

std::unique_ptr<StreamHasher> MakePclmul() { return std::make_unique<Crc32Hasher>(Crc32Pclmul); }
std::unique_ptr<StreamHasher> MakePortable() { return std::make_unique<Crc32Hasher>(Crc32Portable); }

constexpr DigestKernel kKernels[] = {
    {"PCLMULQDQ", Crc32PclmulRuns, MakePclmul},
    {"slicing by 16", RunsEverywhere, MakePortable},
};

}  // namespace

std::uint32_t Crc32Portable(std::uint32_t crc, const std::uint8_t* data, std::size_t length) {
  for (; length >= 16; length -= 16, data += 16) crc = SixteenBytes(crc, data);
  for (; length > 0; --length, ++data) crc = (crc >> 8) ^ kTables[0][(crc ^ *data) & 0xFF];
  return crc;
}

std::span<const DigestKernel> Crc32Kernels() { return kKernels; }
