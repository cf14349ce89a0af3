#include <algorithm>

#include "services/text_ops.h"

ByteBuffer ToBytes(const Text& text) { return ByteBuffer(text.CStr(), text.Length()); }

std::int32_t ByteLength(const ByteBuffer& buffer) { return buffer.Length(); }

ByteBuffer LeftBytes(const ByteBuffer& buffer, std::int32_t count) {
  if (count <= 0) return ByteBuffer();
  return ByteBuffer(buffer.Data(), std::min(count, buffer.Length()));
}

ByteBuffer ZeroBytes(std::int32_t count) { return ByteBuffer::Zeroed(count); }

Text ToText(const ByteBuffer& buffer) {
  return Text(reinterpret_cast<const char*>(buffer.Data()), static_cast<std::size_t>(buffer.Length()));
}
