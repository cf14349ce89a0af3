#include "services/folder_walk.h"

#include <windows.h>
#include <shlwapi.h>

#include <algorithm>
#include <cwchar>
#include <string>
#include <vector>

#include "services/wide_paths.h"

namespace {

struct FolderListing {
  std::vector<std::wstring> files;
  std::vector<std::wstring> folders;
  bool complete = false;  // every entry was read
};

// RAII for a FindFirstFileW search.
class FindHandle {
 public:
  explicit FindHandle(HANDLE handle) : handle_(handle) {}
  ~FindHandle() {
    if (IsOpen()) FindClose(handle_);
  }
  FindHandle(const FindHandle&) = delete;
  FindHandle& operator=(const FindHandle&) = delete;
  bool IsOpen() const { return handle_ != INVALID_HANDLE_VALUE; }
  HANDLE Get() const { return handle_; }

 private:
  HANDLE handle_;
};

bool IsDotEntry(const wchar_t* name) {
  return std::wcscmp(name, L".") == 0 || std::wcscmp(name, L"..") == 0;
}

std::wstring Join(const std::wstring& folder, const std::wstring& name) {
  // A drive root ("D:\") already ends in its separator.
  if (!folder.empty() && folder.back() == L'\\') return folder + name;
  return folder + L'\\' + name;
}

// Explorer's order; names it finds equal (a01, a1) keep a fixed order.
bool ExplorerOrder(const std::wstring& a, const std::wstring& b) {
  const int order = StrCmpLogicalW(a.c_str(), b.c_str());
  if (order != 0) return order < 0;
  return a < b;
}

void Take(const WIN32_FIND_DATAW& found, FolderListing& listing) {
  if (IsDotEntry(found.cFileName)) return;
  const bool folder = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  if (!folder) {
    listing.files.emplace_back(found.cFileName);
  } else if ((found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0) {
    listing.folders.emplace_back(found.cFileName);
  }
}

FolderListing ListFolder(const std::wstring& folder) {
  FolderListing listing;
  WIN32_FIND_DATAW found{};
  FindHandle search(FindFirstFileW(LongPathForm(Join(folder, L"*")).c_str(), &found));
  if (!search.IsOpen()) return listing;
  do {
    Take(found, listing);
  } while (FindNextFileW(search.Get(), &found));
  listing.complete = GetLastError() == ERROR_NO_MORE_FILES;
  std::sort(listing.files.begin(), listing.files.end(), ExplorerOrder);
  std::sort(listing.folders.begin(), listing.folders.end(), ExplorerOrder);
  return listing;
}

// Depth first without recursion: a deep tree cannot exhaust the stack.
// Returns how many paths it passed on.
std::size_t WalkFolder(const std::wstring& root, const PathSink& take) {
  std::size_t passed = 0;
  std::vector<std::wstring> pending{root};
  while (!pending.empty()) {
    const std::wstring folder = std::move(pending.back());
    pending.pop_back();
    const FolderListing listing = ListFolder(folder);
    for (const std::wstring& file : listing.files) {
      take(Join(folder, file));
      ++passed;
    }
    if (!listing.complete) {
      take(folder);
      ++passed;
    }
    for (auto it = listing.folders.rbegin(); it != listing.folders.rend(); ++it)
      pending.push_back(Join(folder, *it));
  }
  return passed;
}

}  // namespace

void WalkDroppedPath(const std::wstring& path, const PathSink& take) {
  const DWORD attributes = GetFileAttributesW(LongPathForm(path).c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
    take(path);
    return;
  }
  if (WalkFolder(path, take) == 0) take(path);
}
