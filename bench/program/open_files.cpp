#include "bench/program/open_files.h"

#include <cstdint>
#include <vector>

namespace {

// NtQuerySystemInformation's class and records for every handle of the
// system (documented in the Windows driver kit, not in the SDK headers).
constexpr ULONG kSystemExtendedHandleInformation = 64;
constexpr LONG kInfoLengthMismatch = static_cast<LONG>(0xC0000004);

struct HandleEntry {
  PVOID object;
  ULONG_PTR processId;
  ULONG_PTR handle;
  ULONG grantedAccess;
  USHORT creatorBackTraceIndex;
  USHORT objectTypeIndex;
  ULONG attributes;
  ULONG reserved;
};

struct HandleTable {
  ULONG_PTR count;
  ULONG_PTR reserved;
  HandleEntry entries[1];
};

using QuerySystemInformation = LONG(WINAPI*)(ULONG, PVOID, ULONG, PULONG);

QuerySystemInformation QueryFunction() {
  static const auto function = reinterpret_cast<QuerySystemInformation>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQuerySystemInformation")));
  return function;
}

// The table into a buffer kept between calls (it is read many times a second).
const HandleTable* ReadTable() {
  static std::vector<std::uint8_t> buffer(std::size_t{256} << 10);
  const QuerySystemInformation query = QueryFunction();
  if (query == nullptr) return nullptr;
  for (;;) {
    ULONG needed = 0;
    const LONG status = query(kSystemExtendedHandleInformation, buffer.data(), static_cast<ULONG>(buffer.size()), &needed);
    if (status == 0) return reinterpret_cast<const HandleTable*>(buffer.data());
    if (status != kInfoLengthMismatch) return nullptr;
    buffer.resize(buffer.size() * 2);
  }
}

// Object type numbers differ between systems: learn the one of files from a
// file handle of this process.
int FileTypeIndex() {
  static const int index = [] {
    char path[MAX_PATH];
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return -1;
    int found = -1;
    if (const HandleTable* table = ReadTable()) {
      for (ULONG_PTR i = 0; i < table->count; ++i) {
        const HandleEntry& entry = table->entries[i];
        if (entry.processId == GetCurrentProcessId() && entry.handle == reinterpret_cast<ULONG_PTR>(file))
          found = entry.objectTypeIndex;
      }
    }
    CloseHandle(file);
    return found;
  }();
  return index;
}

}  // namespace

int CountOpenFiles(DWORD processId) {
  const int fileType = FileTypeIndex();
  const HandleTable* table = ReadTable();
  if (fileType < 0 || table == nullptr) return -1;
  int count = 0;
  for (ULONG_PTR i = 0; i < table->count; ++i) {
    const HandleEntry& entry = table->entries[i];
    if (entry.processId == processId && entry.objectTypeIndex == fileType) ++count;
  }
  return count;
}
