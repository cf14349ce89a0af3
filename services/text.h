// The value types every layer shares: Text, ByteBuffer, TextArray.
// Portable: no Windows header, so the core also builds and is fuzzed natively.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// A NUL-terminated byte string in the ANSI code page (GBK on the target
// systems). Empty and "no text" are the same value. Lengths and positions
// are in bytes; positions are 1-based. Never holds a NUL inside.
class Text {
 public:
  Text() = default;
  Text(const char* text);                    // null gives the empty text
  Text(const char* bytes, std::size_t count);  // stops early at a NUL
  explicit Text(const std::string& bytes);   // stops at the first NUL

  const char* CStr() const { return bytes_.c_str(); }
  std::int32_t Length() const { return static_cast<std::int32_t>(bytes_.size()); }
  bool IsEmpty() const { return bytes_.empty(); }
  const std::string& Bytes() const { return bytes_; }
  unsigned char ByteAt(std::int32_t index) const {  // 0-based, no check
    return static_cast<unsigned char>(bytes_[static_cast<std::size_t>(index)]);
  }

  friend bool operator==(const Text&, const Text&) = default;

 private:
  std::string bytes_;
};

// An owned byte sequence with a signed 32-bit length. Its storage is always
// page-aligned, so it can serve directly as an unbuffered read buffer.
class ByteBuffer {
 public:
  static constexpr std::size_t kAlignment = 4096;

  ByteBuffer() = default;
  // Copies; null bytes, or storage that cannot be had, give the empty buffer.
  ByteBuffer(const void* bytes, std::int32_t length);
  ByteBuffer(const ByteBuffer& other);
  ByteBuffer& operator=(const ByteBuffer& other);
  ByteBuffer(ByteBuffer&& other) noexcept;
  ByteBuffer& operator=(ByteBuffer&& other) noexcept;
  ~ByteBuffer();

  // n zero bytes (capacity n); n <= 0 gives the empty buffer.
  static ByteBuffer Zeroed(std::int32_t length);

  std::uint8_t* Data() { return data_; }  // null while nothing is allocated
  const std::uint8_t* Data() const { return data_; }
  std::int32_t Length() const { return length_; }
  std::int32_t Capacity() const { return capacity_; }
  bool IsEmpty() const { return length_ == 0; }

  // Keeps the storage, shows only the first min(n, length) bytes (n < 0: 0).
  void Truncate(std::int32_t length);
  // Keeps the storage, shows its first n bytes, n clamped to 0..capacity:
  // for storage that was filled in place (a read into a reused buffer).
  void SetLength(std::int32_t length);
  void Release();  // back to the empty buffer, storage freed

  friend bool operator==(const ByteBuffer& a, const ByteBuffer& b);

 private:
  std::uint8_t* data_ = nullptr;
  std::int32_t length_ = 0;
  std::int32_t capacity_ = 0;
};

using TextArray = std::vector<Text>;
