#include <gtest/gtest.h>

#include <cstdint>

#include "services/text_ops.h"

namespace {

ByteBuffer BytesOf(const char* bytes, std::int32_t length) { return ByteBuffer(bytes, length); }

TEST(ToText, BufferUpToItsFirstNul) {
  EXPECT_EQ(ToText(BytesOf("ab\0cd", 5)), Text("ab"));
  EXPECT_EQ(ToText(BytesOf("abcd", 4)), Text("abcd"));
  EXPECT_EQ(ToText(ByteBuffer()), Text());
  EXPECT_EQ(Text(std::string("ab\0cd", 5)), Text("ab"));  // a Text never holds a NUL
}

TEST(LeftBytes, FirstBytesUpToTheLengthNeverGrowing) {
  const ByteBuffer buffer = BytesOf("abcde", 5);
  EXPECT_EQ(LeftBytes(buffer, 3), BytesOf("abc", 3));
  EXPECT_EQ(LeftBytes(buffer, 9), buffer);
  EXPECT_TRUE(LeftBytes(buffer, -1).IsEmpty());
  ByteBuffer truncated = buffer;
  truncated.Truncate(9);
  EXPECT_EQ(truncated, buffer);
}

TEST(ZeroBytes, ZeroFilledAndPageAligned) {
  const ByteBuffer buffer = ZeroBytes(5000);
  ASSERT_EQ(ByteLength(buffer), 5000);
  EXPECT_EQ(reinterpret_cast<std::uintptr_t>(buffer.Data()) % ByteBuffer::kAlignment, 0u);
  EXPECT_EQ(ToText(buffer), Text());
  EXPECT_TRUE(ZeroBytes(-4).IsEmpty());
  EXPECT_TRUE(ByteBuffer(nullptr, 5).IsEmpty());  // no copy from nowhere
}

}  // namespace
