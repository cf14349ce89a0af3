// Every fast kernel of every algorithm gives the portable kernel's digest
// of the same bytes, whatever the bytes and the sizes of the pieces they
// are fed in. Each piece is a copy of exactly its bytes, so a read past
// it is caught.
#include <vector>

#include "engine/digest_algorithms.h"
#include "tests/native/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzInput input(data, size);
  const std::span<const DigestAlgorithmInfo> algorithms = DigestAlgorithms();
  const DigestAlgorithmInfo& info = algorithms[input.TakeByte() % algorithms.size()];
  const std::size_t copies = 1 + input.TakeByte() % 4;  // messages of many blocks from short inputs
  const std::size_t pieceSeed = input.TakeByte();
  const std::size_t skipped = std::min<std::size_t>(size, 3);
  std::vector<std::uint8_t> message;
  for (std::size_t i = 0; i < copies; ++i) message.insert(message.end(), data + skipped, data + size);

  const std::span<const DigestKernel> kernels = info.kernels();
  const auto portable = kernels.back().make();
  portable->Update(message.data(), message.size());
  const Digest expected = portable->Final();

  for (const DigestKernel& kernel : kernels) {
    if (!kernel.isSupported()) continue;
    const auto hasher = kernel.make();
    std::vector<std::uint8_t> piece;
    for (std::size_t done = 0, i = 0; done < message.size(); ++i) {
      const std::size_t length = std::min(message.size() - done, 1 + (pieceSeed * 7 + i * 131 + message[done]) % 300);
      piece.assign(message.begin() + static_cast<std::ptrdiff_t>(done),
                   message.begin() + static_cast<std::ptrdiff_t>(done + length));
      piece.shrink_to_fit();
      hasher->Update(piece.data(), piece.size());
      done += length;
    }
    FUZZ_CHECK(hasher->Final() == expected);
  }
  return 0;
}
