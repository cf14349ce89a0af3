#include "bench/program/column_reader.h"

#include <commctrl.h>

#include <cstring>

namespace {

constexpr int kSlotBytes = 64;  // a digest is 32, the longest verdict 12
constexpr char kUnanswered = 0x01;
constexpr DWORD kAnswerTimeoutMs = 60000;

constexpr SIZE_T ItemsBytes() { return sizeof(LVITEMA) * ColumnReader::kBatchRows; }
constexpr SIZE_T BlockBytes() { return ItemsBytes() + SIZE_T{kSlotBytes} * ColumnReader::kBatchRows; }

}  // namespace

ColumnReader::ColumnReader(HANDLE process, HWND list, int column)
    : process_(process),
      list_(list),
      column_(column),
      block_(static_cast<char*>(VirtualAllocEx(process, nullptr, BlockBytes(), MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE))) {}

ColumnReader::~ColumnReader() {
  if (block_ != nullptr) VirtualFreeEx(process_, block_, 0, MEM_RELEASE);
}

std::vector<std::string> ColumnReader::Read(int first, int count) {
  if (block_ == nullptr || count <= 0 || count > kBatchRows) return {};
  char* remoteSlots = block_ + ItemsBytes();
  // The items, then every slot filled with a mark the answer overwrites.
  std::vector<char> local(BlockBytes(), kUnanswered);
  auto* items = reinterpret_cast<LVITEMA*>(local.data());
  for (int i = 0; i < count; ++i) {
    items[i] = LVITEMA{};
    items[i].mask = LVIF_TEXT;
    items[i].iSubItem = column_;
    items[i].pszText = remoteSlots + i * kSlotBytes;
    items[i].cchTextMax = kSlotBytes;
  }
  SIZE_T moved = 0;
  if (!WriteProcessMemory(process_, block_, local.data(), local.size(), &moved)) return {};
  for (int i = 0; i < count; ++i) {
    if (!PostMessageA(list_, LVM_GETITEMTEXTA, static_cast<WPARAM>(first + i),
                      reinterpret_cast<LPARAM>(block_ + i * sizeof(LVITEMA))))
      return {};
  }
  // An answer ends its text with a NUL; the last answered means all are.
  char* slots = local.data() + ItemsBytes();
  char* last = slots + (count - 1) * kSlotBytes;
  const DWORD start = GetTickCount();
  while (std::memchr(last, '\0', kSlotBytes) == nullptr) {
    if (GetTickCount() - start > kAnswerTimeoutMs) return {};
    Sleep(1);
    ReadProcessMemory(process_, remoteSlots + (count - 1) * kSlotBytes, last, kSlotBytes, &moved);
  }
  ReadProcessMemory(process_, remoteSlots, slots, SIZE_T{kSlotBytes} * count, &moved);
  std::vector<std::string> texts;
  for (int i = 0; i < count; ++i) {
    const char* slot = slots + i * kSlotBytes;
    texts.emplace_back(slot, strnlen(slot, kSlotBytes));
  }
  return texts;
}
