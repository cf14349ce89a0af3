#include "engine/file_reader.h"

#include <gtest/gtest.h>

#include <cstring>

#include "engine/md5_hasher.h"
#include "engine/read_ahead.h"
#include "services/text_ops.h"
#include "tests/engine/temp_folder.h"

namespace {

constexpr std::int32_t kChunkSize = 8 * 1024 * 1024;

struct LoopResult {
  std::int64_t size = -1;
  std::vector<std::int32_t> reads;
  Text digest;
};

// The runs' pattern: size, rewind, 8 MiB reads until the end, one buffer.
LoopResult HashInChunks(const std::string& path) {
  FileReader reader;
  LoopResult result;
  HANDLE file = reader.Open(Text(path.c_str()));
  result.size = reader.GetSize(file);
  reader.Rewind(file);
  Md5Hasher hasher;
  hasher.Init();
  ByteBuffer chunk;
  while (!reader.IsAtEnd(file)) {
    const std::int32_t read = reader.Read(file, chunk, kChunkSize);
    result.reads.push_back(read);
    EXPECT_EQ(chunk.Length(), read);
    if (read == 0) break;
    hasher.Update(chunk);
  }
  hasher.Final();
  result.digest = hasher.GetDigestText();
  EXPECT_TRUE(reader.Close(file));
  return result;
}

TEST(FileReaderLoop, ReadsFilesAroundTheChunkSizeInWholeChunks) {
  TempFolder folder;
  const struct {
    std::int32_t size;
    std::vector<std::int32_t> reads;
    const char* digest;
  } cases[] = {
      {0, {}, "d41d8cd98f00b204e9800998ecf8427e"},
      {1, {1}, "93b885adfe0da089cdf634904fd59f71"},
      {kChunkSize, {kChunkSize}, "772d91c642197f2878d687f099363830"},
      {kChunkSize + 1, {kChunkSize, 1}, "64daeded7543bf8ae33bd0af4e8d6f98"},
  };
  for (const auto& c : cases) {
    const std::string path = WriteBytes(folder, std::to_string(c.size) + ".bin", PatternBytes(c.size));
    const LoopResult result = HashInChunks(path);
    EXPECT_EQ(result.size, c.size);
    EXPECT_EQ(result.reads, c.reads) << c.size;
    EXPECT_EQ(result.digest, Text(c.digest)) << c.size;
  }
}

// The same file through ReadAhead, which stops before read number
// `stopBeforeRead` (counting from 0) when one is given.
LoopResult HashReadingAhead(const std::string& path, int stopBeforeRead = -1) {
  FileReader reader;
  LoopResult result;
  HANDLE file = reader.Open(Text(path.c_str()));
  result.size = reader.GetSize(file);
  ByteBuffer first = ByteBuffer::Zeroed(kChunkSize);
  ByteBuffer second = ByteBuffer::Zeroed(kChunkSize);
  Md5Hasher hasher;
  hasher.Init();
  {
    int reads = 0;  // the reading thread's only
    ReadAhead chunks(file, result.size, kChunkSize, first, second,
                     [&reads, stopBeforeRead] { return reads++ == stopBeforeRead; });
    while (const ByteBuffer* chunk = chunks.Next()) {
      result.reads.push_back(chunk->Length());
      hasher.Update(*chunk);
      chunks.Release();
    }
  }
  hasher.Final();
  result.digest = hasher.GetDigestText();
  EXPECT_TRUE(reader.Close(file));
  return result;
}

TEST(FileReaderLoop, ReadingAheadGivesTheChunksInOrderAndStartsNoReadAfterAStop) {
  TempFolder folder;
  const std::int32_t size = 3 * kChunkSize + 5;
  const std::vector<std::uint8_t> bytes = PatternBytes(static_cast<std::size_t>(size));
  const std::string path = WriteBytes(folder, "four-chunks.bin", bytes);
  const LoopResult inTurn = HashInChunks(path);
  const LoopResult ahead = HashReadingAhead(path);
  EXPECT_EQ(ahead.reads, (std::vector<std::int32_t>{kChunkSize, kChunkSize, kChunkSize, 5}));
  EXPECT_EQ(ahead.digest, inTurn.digest);
  EXPECT_EQ(ToUpper(ahead.digest), Text(ReferenceMd5(std::string(bytes.begin(), bytes.end())).c_str()));

  const LoopResult stopped = HashReadingAhead(path, 2);
  EXPECT_EQ(stopped.reads, (std::vector<std::int32_t>{kChunkSize, kChunkSize}));
}

TEST(FileReader, BufferHoldsExactlyTheBytesRead) {
  TempFolder folder;
  const std::string path = WriteBytes(folder, "abc.txt", {'a', 'b', 'c'});
  FileReader reader;
  HANDLE file = reader.Open(Text(path.c_str()));
  ByteBuffer buffer = ByteBuffer::Zeroed(kChunkSize);  // reused: stale bytes must not show
  std::memset(buffer.Data(), 'x', kChunkSize);
  EXPECT_EQ(reader.Read(file, buffer, kChunkSize), 3);
  EXPECT_EQ(buffer, ByteBuffer("abc", 3));
  EXPECT_EQ(reinterpret_cast<std::uintptr_t>(buffer.Data()) % ByteBuffer::kAlignment, 0u);
  EXPECT_EQ(reader.Read(file, buffer, kChunkSize), 0);  // at the end
  EXPECT_TRUE(buffer.IsEmpty());

  EXPECT_TRUE(reader.Rewind(file));
  EXPECT_EQ(reader.Read(file, buffer, -5), 0);  // a negative count reads nothing
  EXPECT_EQ(reader.GetPosition(file), 0);
  EXPECT_EQ(reader.Read(file, buffer, 0), 3);  // 0: the rest of the file
  EXPECT_EQ(buffer, ByteBuffer("abc", 3));
  EXPECT_EQ(reader.Read(file, buffer, 0), 0);
  EXPECT_TRUE(buffer.IsEmpty());
  reader.Close(file);
}

// 2 GiB and more does not fit the 32-bit count: the read is refused rather
// than wrapped into a short or negative count.
TEST(FileReader, CountZeroRefusesARestOfTwoGibOrMore) {
  TempFolder folder;
  const std::string path = folder.Join("sparse.bin");
  ASSERT_TRUE(WriteSparseFile(path, 0x80000000LL + 4096));

  FileReader reader;
  HANDLE file = reader.Open(Text(path.c_str()));
  ByteBuffer buffer("old", 3);
  EXPECT_EQ(reader.Read(file, buffer, 0), 0);
  EXPECT_TRUE(buffer.IsEmpty());
  EXPECT_EQ(reader.GetPosition(file), 0);

  LARGE_INTEGER nearEnd{};
  nearEnd.QuadPart = 0x80000000LL;  // 4096 bytes left: small enough
  ASSERT_TRUE(SetFilePointerEx(file, nearEnd, nullptr, FILE_BEGIN));
  EXPECT_EQ(reader.Read(file, buffer, 0), 4096);
  EXPECT_EQ(buffer.Length(), 4096);
  EXPECT_TRUE(reader.IsAtEnd(file));
  reader.Close(file);
}

// A missing file (never created), a directory, a file held without read
// sharing and device names (which open a device in any folder; a serial
// port would block the read for ever) all fail to open, and the failed
// handle reads as nothing.
TEST(FileReader, UnopenableFilesGiveAnInvalidHandleThatReadsNothing) {
  TempFolder folder;
  const std::string missing = folder.Join("missing.bin");
  const std::string directory = folder.Join("sub");
  ASSERT_TRUE(CreateDirectoryA(directory.c_str(), nullptr));
  const std::string locked = WriteBytes(folder, "locked.bin", {1, 2, 3});
  HANDLE holder = CreateFileA(locked.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(holder, INVALID_HANDLE_VALUE);

  FileReader reader;
  for (const std::string& path : {missing, directory, locked, folder.Join("COM1"),
                                   folder.Join("AUX"), folder.Join("nul.txt"),
                                   folder.Join("CON")}) {
    HANDLE file = reader.Open(Text(path.c_str()));
    ASSERT_EQ(file, INVALID_HANDLE_VALUE) << path;
    EXPECT_EQ(reader.GetSize(file), -1);
    EXPECT_EQ(reader.GetPosition(file), -1);
    EXPECT_TRUE(reader.IsAtEnd(file));
    for (std::int32_t count : {kChunkSize, 0}) {
      ByteBuffer buffer("old", 3);
      EXPECT_EQ(reader.Read(file, buffer, count), 0);
      EXPECT_TRUE(buffer.IsEmpty());
    }
    EXPECT_FALSE(reader.Close(file));  // it is the process pseudo handle too
  }
  EXPECT_EQ(GetFileAttributesA(missing.c_str()), INVALID_FILE_ATTRIBUTES);
  CloseHandle(holder);
}

TEST(FileReader, FileHeldOpenForWritingWithReadSharingCanBeRead) {
  TempFolder folder;
  const std::string path = folder.Join("growing.txt");
  HANDLE writer = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(writer, INVALID_HANDLE_VALUE);
  DWORD written = 0;
  WriteFile(writer, "abc", 3, &written, nullptr);

  FileReader reader;
  HANDLE file = reader.Open(Text(path.c_str()));
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  EXPECT_EQ(reader.GetSize(file), 3);
  ByteBuffer buffer;
  EXPECT_EQ(reader.Read(file, buffer, kChunkSize), 3);
  EXPECT_EQ(buffer, ByteBuffer("abc", 3));
  EXPECT_TRUE(reader.Close(file));
  CloseHandle(writer);
}

}  // namespace
