#include "engine/md5_hasher.h"

#include <string>

#include "services/text_ops.h"

namespace {

// One digest byte as two lower-case hex digits: "%X" gives one or two
// upper-case digits; lower-case them, put "0" in front, keep the last two.
Text HexPair(std::uint8_t byte) {
  return RightPart(ConcatTexts({"0", ToLower(HexText(byte))}), 2);
}

}  // namespace

void Md5Hasher::Init() {
  stream_.Reset();
  digestText_ = Text();
}

void Md5Hasher::UpdateFromPointer(const void* data, std::int32_t length) {
  if (length <= 0) return;  // a negative length would be a huge unsigned count
  stream_.Add(data, static_cast<std::size_t>(length));
}

void Md5Hasher::Update(const ByteBuffer& buffer) {
  UpdateFromPointer(buffer.IsEmpty() ? nullptr : buffer.Data(), buffer.Length());
}

void Md5Hasher::Final() {
  std::uint8_t digest[16];
  stream_.Finish(digest);
  std::string text;
  for (std::uint8_t byte : digest) text += HexPair(byte).Bytes();
  digestText_ = Text(text);
}

Text Md5Hasher::GetDigestText() const { return digestText_; }

Text Md5Hasher::DigestOf(const ByteBuffer& buffer) const {
  Md5Hasher fresh;
  fresh.Init();
  fresh.Update(buffer);
  fresh.Final();
  return fresh.GetDigestText();
}
