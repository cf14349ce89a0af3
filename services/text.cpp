#include "services/text.h"

#include <cstring>
#include <new>

Text::Text(const char* text) {
  if (text != nullptr) bytes_.assign(text);
}

Text::Text(const char* bytes, std::size_t count) {
  if (bytes == nullptr) return;
  const void* nul = std::memchr(bytes, 0, count);
  bytes_.assign(bytes, nul ? static_cast<const char*>(nul) - bytes : count);
}

Text::Text(const std::string& bytes) : Text(bytes.data(), bytes.size()) {}

namespace {

std::uint8_t* AllocateAligned(std::int32_t capacity) {
  if (capacity <= 0) return nullptr;
  // nothrow: a buffer that cannot be had is the empty buffer, not an exception
  return static_cast<std::uint8_t*>(::operator new(
      static_cast<std::size_t>(capacity), std::align_val_t{ByteBuffer::kAlignment}, std::nothrow));
}

void FreeAligned(std::uint8_t* data) {
  if (data != nullptr) ::operator delete(data, std::align_val_t{ByteBuffer::kAlignment});
}

}  // namespace

ByteBuffer::ByteBuffer(const void* bytes, std::int32_t length) {
  if (length <= 0 || bytes == nullptr) return;
  data_ = AllocateAligned(length);
  if (data_ == nullptr) return;
  std::memcpy(data_, bytes, static_cast<std::size_t>(length));
  length_ = capacity_ = length;
}

ByteBuffer::ByteBuffer(const ByteBuffer& other) : ByteBuffer(other.data_, other.length_) {}

ByteBuffer& ByteBuffer::operator=(const ByteBuffer& other) {
  if (this != &other) *this = ByteBuffer(other);
  return *this;
}

ByteBuffer::ByteBuffer(ByteBuffer&& other) noexcept
    : data_(other.data_), length_(other.length_), capacity_(other.capacity_) {
  other.data_ = nullptr;
  other.length_ = other.capacity_ = 0;
}

ByteBuffer& ByteBuffer::operator=(ByteBuffer&& other) noexcept {
  if (this != &other) {
    FreeAligned(data_);
    data_ = other.data_;
    length_ = other.length_;
    capacity_ = other.capacity_;
    other.data_ = nullptr;
    other.length_ = other.capacity_ = 0;
  }
  return *this;
}

ByteBuffer::~ByteBuffer() { FreeAligned(data_); }

ByteBuffer ByteBuffer::Zeroed(std::int32_t length) {
  ByteBuffer buffer;
  if (length <= 0) return buffer;
  buffer.data_ = AllocateAligned(length);
  if (buffer.data_ == nullptr) return buffer;
  std::memset(buffer.data_, 0, static_cast<std::size_t>(length));
  buffer.length_ = buffer.capacity_ = length;
  return buffer;
}

void ByteBuffer::Truncate(std::int32_t length) {
  if (length < 0) length = 0;
  if (length < length_) length_ = length;
}

void ByteBuffer::SetLength(std::int32_t length) {
  length_ = length < 0 ? 0 : (length > capacity_ ? capacity_ : length);
}

void ByteBuffer::Release() {
  FreeAligned(data_);
  data_ = nullptr;
  length_ = capacity_ = 0;
}

bool operator==(const ByteBuffer& a, const ByteBuffer& b) {
  return a.length_ == b.length_ &&
         (a.length_ == 0 || std::memcmp(a.data_, b.data_, static_cast<std::size_t>(a.length_)) == 0);
}
