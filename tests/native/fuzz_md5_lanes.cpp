// Md5Lanes: every lane's digest equals the tests' own MD5 of the same bytes,
// whatever the kernel, the lanes' lengths and the sizes of the pieces they
// are fed in. Kernels this processor lacks are left out.
#include <string>
#include <vector>

#include "engine/md5_lanes.h"
#include "tests/native/fuzz_support.h"
#include "tests/support/reference_md5.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzInput input(data, size);
  const auto variant = static_cast<Md5Variant>(input.TakeByte() % kMd5VariantCount);
  if (!IsSupported(variant)) return 0;
  Md5Lanes engine(variant);
  const auto width = static_cast<std::size_t>(engine.Width());
  // Each lane's message: a slice of the input (or of its repetition, for
  // lengths of many blocks), and the piece sizes it is fed in.
  std::size_t lengths[Md5Lanes::kMaxLanes];
  std::size_t pieceSizes[Md5Lanes::kMaxLanes];
  for (std::size_t lane = 0; lane < width; ++lane) {
    lengths[lane] = std::size_t{input.TakeByte()} * 3 + std::size_t{input.TakeByte()} % 4 * 1024;
    pieceSizes[lane] = 1 + input.TakeByte() % 97 + (input.TakeByte() & 1) * 256;
  }
  std::vector<std::uint8_t> source(4096 + 8);
  for (std::size_t i = 0; i < source.size(); ++i) source[i] = static_cast<std::uint8_t>(size == 0 ? i : data[i % size] + i / size);
  std::vector<std::vector<std::uint8_t>> messages(width);
  std::vector<Md5Stream> streams(width);
  std::vector<std::size_t> done(width, 0);
  std::vector<std::vector<std::uint8_t>> pieces(width);
  for (std::size_t lane = 0; lane < width; ++lane) {
    messages[lane].assign(source.begin() + static_cast<std::ptrdiff_t>(lane),
                          source.begin() + static_cast<std::ptrdiff_t>(lane + lengths[lane]));
  }
  for (bool fed = true; fed;) {
    fed = false;
    for (std::size_t lane = 0; lane < width; ++lane) {
      const auto index = static_cast<std::int32_t>(lane);
      if (!engine.IsDrained(index)) {
        fed = true;
        continue;
      }
      if (done[lane] == lengths[lane]) continue;
      const std::size_t piece = std::min(pieceSizes[lane], lengths[lane] - done[lane]);
      // A copy of exactly the piece, so a read past it is caught; kept
      // until the lane is drained again.
      pieces[lane].assign(messages[lane].begin() + static_cast<std::ptrdiff_t>(done[lane]),
                          messages[lane].begin() + static_cast<std::ptrdiff_t>(done[lane] + piece));
      pieces[lane].shrink_to_fit();
      engine.Feed(index, streams[lane], pieces[lane].data(), pieces[lane].size());
      done[lane] += piece;
      fed = true;
    }
    engine.Run();
  }
  for (std::size_t lane = 0; lane < width; ++lane) {
    ReferenceMd5Stream reference;
    reference.Add(messages[lane].data(), messages[lane].size());
    std::uint8_t digest[16];
    streams[lane].Finish(digest);
    static const char kDigits[] = "0123456789ABCDEF";
    std::string hex;
    for (const std::uint8_t byte : digest) hex += {kDigits[byte >> 4], kDigits[byte & 15]};
    FUZZ_CHECK(hex == reference.Hex());
  }
  return 0;
}
