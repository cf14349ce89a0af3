#include "engine/md5_hasher.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>

#include "engine/md5_lanes.h"
#include "tests/engine/temp_folder.h"

namespace {

constexpr std::int32_t kChunkSize = 8 * 1024 * 1024;

ByteBuffer BufferOf(const char* text) {
  return ByteBuffer(text, static_cast<std::int32_t>(std::strlen(text)));
}

Text DigestInOnePass(const ByteBuffer& buffer) {
  Md5Hasher hasher;
  hasher.Init();
  hasher.Update(buffer);
  hasher.Final();
  return hasher.GetDigestText();
}

// The RFC 1321 test suite; "0cc1..." and "...8f00b2..." also show that bytes
// below 0x10 keep their leading zero.
TEST(Md5Hasher, MatchesTheRfc1321TestSuiteInLowerCase) {
  ASSERT_TRUE(Md5Hasher::IsAvailable());
  const struct {
    const char* message;
    const char* digest;
  } suite[] = {
      {"", "d41d8cd98f00b204e9800998ecf8427e"},
      {"a", "0cc175b9c0f1b6a831c399e269772661"},
      {"abc", "900150983cd24fb0d6963f7d28e17f72"},
      {"message digest", "f96b697d7cb7938d525a2f31aaf161d0"},
      {"abcdefghijklmnopqrstuvwxyz", "c3fcd3d76192e4007dfb496cca67e13b"},
      {"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789",
       "d174ab98d277d9f5a5611c2c9f419d9f"},
      {"12345678901234567890123456789012345678901234567890123456789012345678901234567890",
       "57edf4a22be3c955ac49da2e2107b67a"},
  };
  for (const auto& entry : suite) {
    EXPECT_EQ(DigestInOnePass(BufferOf(entry.message)), Text(entry.digest)) << '"' << entry.message << '"';
    std::string upper = entry.digest;
    for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    EXPECT_EQ(ReferenceMd5(entry.message), upper) << "the tests' reference, \"" << entry.message << '"';
  }
}

// The tests' reference agrees with coreutils across block and padding edges.
TEST(Md5Hasher, TheTestsReferenceAgreesWithMd5sum) {
  TempFolder folder;
  const std::vector<std::uint8_t> bytes = PatternBytes(1000003);
  std::string names;
  for (std::size_t length : {55u, 56u, 63u, 64u, 65u, 119u, 120u, 1000003u}) {
    std::string name = std::to_string(length);
    name.insert(name.begin(), 'p');
    WriteBytes(folder, name, std::vector<std::uint8_t>(bytes.begin(), bytes.begin() + length));
    names += " " + name;
  }
  std::string listed;
  ASSERT_EQ(RunHostMd5sum(folder.Path(), names, &listed), 0);
  for (std::size_t at = 0; at < listed.size();) {
    const std::size_t end = listed.find('\n', at);
    const std::string line = listed.substr(at, end - at);
    at = end == std::string::npos ? listed.size() : end + 1;
    if (line.size() < 35) continue;
    std::string hex = line.substr(0, 32);
    for (char& c : hex) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    EXPECT_EQ(ReferenceMd5OfFile(folder.Join(line.substr(34))), hex) << line;
  }
  EXPECT_NE(listed.find("p1000003"), std::string::npos);
}

TEST(Md5Hasher, EmptyBuffersAndPiecesChangeNothing) {
  Md5Hasher hasher;
  hasher.Init();
  EXPECT_TRUE(hasher.GetDigestText().IsEmpty());
  hasher.Update(ByteBuffer());
  hasher.UpdateFromPointer("ab", 2);
  hasher.UpdateFromPointer(nullptr, 0);
  hasher.UpdateFromPointer("c", 1);
  hasher.UpdateFromPointer("x", -1);  // a negative length is ignored
  hasher.Final();
  EXPECT_EQ(hasher.GetDigestText(), Text("900150983cd24fb0d6963f7d28e17f72"));
}

TEST(Md5Hasher, DigestOfLeavesTheHasherItIsCalledOnAlone) {
  Md5Hasher hasher;
  hasher.Init();
  hasher.Update(BufferOf("a"));
  EXPECT_EQ(hasher.DigestOf(BufferOf("abc")), Text("900150983cd24fb0d6963f7d28e17f72"));
  hasher.Update(BufferOf("bc"));
  hasher.Final();
  EXPECT_EQ(hasher.GetDigestText(), Text("900150983cd24fb0d6963f7d28e17f72"));
}

TEST(Md5Hasher, OneBufferAndManyChunksGiveTheSameDigest) {
  const std::int32_t total = 3 * kChunkSize + 12345;
  const std::vector<std::uint8_t> bytes = PatternBytes(total);
  const ByteBuffer whole(bytes.data(), total);

  Md5Hasher chunked;
  chunked.Init();
  for (std::int32_t offset = 0; offset < total; offset += kChunkSize) {
    const std::int32_t length = std::min(kChunkSize, total - offset);
    chunked.Update(ByteBuffer(bytes.data() + offset, length));
  }
  chunked.Final();
  std::string digest = chunked.GetDigestText().Bytes();
  for (char& c : digest) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  EXPECT_EQ(digest, ReferenceMd5(std::string(bytes.begin(), bytes.end())));
}

}  // namespace

// ---- Md5Lanes: every kernel against the tests' own MD5.

namespace lanes {

std::string HexOf(Md5Stream& stream) {
  std::uint8_t digest[16];
  stream.Finish(digest);
  static const char kDigits[] = "0123456789ABCDEF";
  std::string hex;
  for (std::uint8_t byte : digest) {
    hex += kDigits[byte >> 4];
    hex += kDigits[byte & 15];
  }
  return hex;
}

std::string ReferenceOf(const std::uint8_t* data, std::size_t length) {
  return ReferenceMd5(std::string(reinterpret_cast<const char*>(data), length));
}

// Variants this processor lacks are skipped, visibly: the 32-bit guest's
// emulated processor has no AVX, so there only the scalar, two-stream and
// SSE2 kernels run; the AVX2 and AVX-512 ones are checked on the host.
std::vector<Md5Variant> SupportedVariants() {
  std::vector<Md5Variant> variants;
  for (std::int32_t v = 0; v < kMd5VariantCount; ++v) {
    const auto variant = static_cast<Md5Variant>(v);
    if (IsSupported(variant)) {
      variants.push_back(variant);
    } else {
      std::printf("[ skipped  ] %s: this processor lacks it\n", NameOf(variant));
    }
  }
  return variants;
}

// Lane i hashes its own bytes (offset by i, so a lane mixed up with another
// shows), `length + i * spread` long: the lanes end at different blocks.
void ExpectLanesMatch(Md5Variant variant, const std::vector<std::uint8_t>& bytes, std::size_t length,
                      std::size_t spread) {
  Md5Lanes engine(variant);
  std::vector<Md5Stream> streams(static_cast<std::size_t>(engine.Width()));
  for (std::int32_t i = 0; i < engine.Width(); ++i) {
    engine.Feed(i, streams[static_cast<std::size_t>(i)], bytes.data() + i, length + static_cast<std::size_t>(i) * spread);
  }
  engine.RunToEnd();
  for (std::int32_t i = 0; i < engine.Width(); ++i) {
    const std::size_t laneLength = length + static_cast<std::size_t>(i) * spread;
    ASSERT_EQ(HexOf(streams[static_cast<std::size_t>(i)]), ReferenceOf(bytes.data() + i, laneLength))
        << NameOf(variant) << ", lane " << i << ", " << laneLength << " bytes";
  }
}

TEST(Md5Lanes, EveryVariantMatchesTheReferenceAtEveryLengthAndEdge) {
  const std::vector<std::uint8_t> bytes = PatternBytes(3 * 1024 * 1024 + 4096);
  for (const Md5Variant variant : SupportedVariants()) {
    for (std::size_t length = 0; length <= 300; ++length) ExpectLanesMatch(variant, bytes, length, 0);
    for (std::size_t length : {55u, 56u, 63u, 64u, 65u, 119u, 120u, 128u}) {
      ExpectLanesMatch(variant, bytes, length, 1);
      ExpectLanesMatch(variant, bytes, length, 64);
    }
    ExpectLanesMatch(variant, bytes, 3 * 1024 * 1024 - 1000, 131);  // a few MiB, ends apart
  }
}

// Files of many lengths through the lanes, each fed in pieces of changing
// size; a lane whose piece ends gets the next piece (or the next file) at
// once, while the other lanes are in the middle of theirs.
TEST(Md5Lanes, LanesRefilledInTheMiddleOfARunKeepEveryFileApart) {
  const std::vector<std::uint8_t> bytes = PatternBytes(1 << 20);
  std::vector<std::size_t> lengths;
  for (std::size_t i = 0; i < 40; ++i) lengths.push_back((i * 7919 + i * i * 131) % 200000 + (i % 3) * 63);
  for (const Md5Variant variant : SupportedVariants()) {
    Md5Lanes engine(variant);
    std::vector<Md5Stream> streams(lengths.size());
    std::vector<std::size_t> done(lengths.size(), 0);
    std::vector<std::int32_t> fileOfLane(static_cast<std::size_t>(engine.Width()), -1);
    std::size_t nextFile = 0, pieces = 0;
    for (;;) {
      bool anyFed = false;
      for (std::int32_t lane = 0; lane < engine.Width(); ++lane) {
        std::int32_t& file = fileOfLane[static_cast<std::size_t>(lane)];
        if (!engine.IsDrained(lane)) {
          anyFed = true;
          continue;
        }
        if (file >= 0 && done[static_cast<std::size_t>(file)] == lengths[static_cast<std::size_t>(file)]) file = -1;
        if (file < 0 && nextFile < lengths.size()) file = static_cast<std::int32_t>(nextFile++);
        if (file < 0) continue;
        const auto f = static_cast<std::size_t>(file);
        const std::size_t piece = std::min(lengths[f] - done[f], 1 + (pieces++ * 40503) % 70000);
        engine.Feed(lane, streams[f], bytes.data() + f + done[f], piece);
        done[f] += piece;
        anyFed = true;
      }
      if (!anyFed) break;
      engine.Run();
    }
    for (std::size_t f = 0; f < lengths.size(); ++f) {
      ASSERT_EQ(done[f], lengths[f]);
      EXPECT_EQ(HexOf(streams[f]), ReferenceOf(bytes.data() + f, lengths[f]))
          << NameOf(variant) << ", file " << f << " of " << lengths[f] << " bytes";
    }
  }
}

}  // namespace lanes
