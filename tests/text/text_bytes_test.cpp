#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

#include "services/text_ops.h"

namespace {

ByteBuffer BytesOf(const char* bytes, std::int32_t length) { return ByteBuffer(bytes, length); }

bool IsPageAligned(const ByteBuffer& buffer) {
  return reinterpret_cast<std::uintptr_t>(buffer.Data()) % ByteBuffer::kAlignment == 0;
}

TEST(TextValue, StopsAtTheFirstNul) {
  EXPECT_EQ(Text("ab\0cd", 5), Text("ab"));
  EXPECT_EQ(Text(std::string("ab\0cd", 5)), Text("ab"));
  EXPECT_EQ(Text(static_cast<const char*>(nullptr)), Text());
  EXPECT_EQ(Text(nullptr, 3), Text());
}

TEST(ByteBufferValue, CopiesAreDeepAndPageAligned) {
  ByteBuffer original = BytesOf("abc", 3);
  ByteBuffer copy = original;
  copy.Data()[0] = 'x';
  EXPECT_EQ(original, BytesOf("abc", 3));
  EXPECT_TRUE(IsPageAligned(original));
  EXPECT_TRUE(IsPageAligned(copy));
}

TEST(ByteBufferValue, MoveLeavesTheSourceEmpty) {
  ByteBuffer source = BytesOf("abc", 3);
  ByteBuffer target = std::move(source);
  EXPECT_EQ(target, BytesOf("abc", 3));
  EXPECT_EQ(source.Length(), 0);  // NOLINT(bugprone-use-after-move): defined by the class
}

TEST(ByteBufferValue, TruncateKeepsTheStorage) {
  ByteBuffer buffer = ZeroBytes(8);
  buffer.Truncate(3);
  EXPECT_EQ(buffer.Length(), 3);
  EXPECT_EQ(buffer.Capacity(), 8);
  buffer.Truncate(5);  // never grows
  EXPECT_EQ(buffer.Length(), 3);
  buffer.Truncate(-1);
  EXPECT_TRUE(buffer.IsEmpty());
}

TEST(ByteBufferValue, NullSourceGivesTheEmptyBuffer) {
  EXPECT_TRUE(ByteBuffer(nullptr, 5).IsEmpty());
}

TEST(ToBytes, TextBytesWithoutTheNul) {
  EXPECT_EQ(ToBytes("abc"), BytesOf("abc", 3));
  EXPECT_EQ(ByteLength(ToBytes("abc")), 3);
  EXPECT_EQ(ByteLength(ToBytes(Text())), 0);
}

TEST(ToText, BufferUpToItsFirstNul) {
  EXPECT_EQ(ToText(BytesOf("ab\0cd", 5)), Text("ab"));
  EXPECT_EQ(ToText(BytesOf("abcd", 4)), Text("abcd"));
  EXPECT_EQ(ToText(ByteBuffer()), Text());
  EXPECT_EQ(ToText(ZeroBytes(4)), Text());
}

TEST(LeftBytes, FirstBytesUpToTheLength) {
  const ByteBuffer buffer = BytesOf("abcde", 5);
  EXPECT_EQ(LeftBytes(buffer, 3), BytesOf("abc", 3));
  EXPECT_EQ(LeftBytes(buffer, 9), buffer);
  EXPECT_TRUE(LeftBytes(buffer, 0).IsEmpty());
  EXPECT_TRUE(LeftBytes(buffer, -1).IsEmpty());
  EXPECT_TRUE(LeftBytes(ByteBuffer(), 3).IsEmpty());
}

TEST(ZeroBytes, ZeroFilledAndPageAligned) {
  const ByteBuffer buffer = ZeroBytes(5000);
  ASSERT_EQ(ByteLength(buffer), 5000);
  EXPECT_TRUE(IsPageAligned(buffer));
  const std::uint8_t zeros[5000] = {};
  EXPECT_EQ(std::memcmp(buffer.Data(), zeros, sizeof zeros), 0);
  EXPECT_TRUE(ZeroBytes(0).IsEmpty());
  EXPECT_TRUE(ZeroBytes(-4).IsEmpty());
}

}  // namespace
