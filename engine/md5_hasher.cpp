#include "engine/md5_hasher.h"

#include <windows.h>

#include <cstddef>
#include <string>

#include "services/text_ops.h"

namespace {

using Md5InitProc = void(WINAPI*)(Md5Hasher::Context*);
using Md5UpdateProc = void(WINAPI*)(Md5Hasher::Context*, const unsigned char*, unsigned int);
using Md5FinalProc = void(WINAPI*)(Md5Hasher::Context*);

static_assert(offsetof(Md5Hasher::Context, digest) == 88);

// cryptdll.dll's MD5 entry points, looked up once per process. Loaded by full
// system path so that a cryptdll.dll beside the program is never picked up.
// All three are null when the library or any entry point is missing.
struct CryptDll {
  Md5InitProc md5Init = nullptr;
  Md5UpdateProc md5Update = nullptr;
  Md5FinalProc md5Final = nullptr;

  CryptDll() {
    char path[MAX_PATH];
    const UINT length = GetSystemDirectoryA(path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return;
    const std::string fullPath = std::string(path, length) + "\\cryptdll.dll";
    HMODULE module = LoadLibraryA(fullPath.c_str());  // kept for the process's life
    if (module == nullptr) return;
    auto i = reinterpret_cast<Md5InitProc>(reinterpret_cast<void*>(GetProcAddress(module, "MD5Init")));
    auto u = reinterpret_cast<Md5UpdateProc>(reinterpret_cast<void*>(GetProcAddress(module, "MD5Update")));
    auto f = reinterpret_cast<Md5FinalProc>(reinterpret_cast<void*>(GetProcAddress(module, "MD5Final")));
    if (i != nullptr && u != nullptr && f != nullptr) {
      md5Init = i;
      md5Update = u;
      md5Final = f;
    }
  }
};

const CryptDll& Crypt() {
  static const CryptDll crypt;  // thread-safe one-time initialisation
  return crypt;
}

// One digest byte as two lower-case hex digits: "%X" gives one or two
// upper-case digits; lower-case them, put "0" in front, keep the last two.
Text HexPair(std::uint8_t byte) {
  return RightPart(ConcatTexts({"0", ToLower(HexText(byte))}), 2);
}

}  // namespace

bool Md5Hasher::IsAvailable() { return Crypt().md5Init != nullptr; }

void Md5Hasher::Init() {
  if (IsAvailable()) Crypt().md5Init(&context_);
  digestText_ = Text();
}

void Md5Hasher::UpdateFromPointer(const void* data, std::int32_t length) {
  // A negative length would reach MD5Update as a huge unsigned count.
  if (!IsAvailable() || length < 0) return;
  Crypt().md5Update(&context_, static_cast<const unsigned char*>(data), static_cast<unsigned int>(length));
}

void Md5Hasher::Update(const ByteBuffer& buffer) {
  UpdateFromPointer(buffer.IsEmpty() ? nullptr : buffer.Data(), buffer.Length());
}

void Md5Hasher::Final() {
  digestText_ = Text();
  if (!IsAvailable()) return;  // no MD5 at all: the digest text stays empty
  Crypt().md5Final(&context_);
  std::string text;
  for (std::uint8_t byte : context_.digest) text += HexPair(byte).Bytes();
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
