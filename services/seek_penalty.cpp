#include "services/seek_penalty.h"

#include <windows.h>
#include <winioctl.h>

#include <vector>

namespace {

// Owns a device handle.
class DeviceHandle {
 public:
  explicit DeviceHandle(HANDLE handle) : handle_(handle) {}
  DeviceHandle(const DeviceHandle&) = delete;
  DeviceHandle& operator=(const DeviceHandle&) = delete;
  ~DeviceHandle() {
    if (IsValid()) CloseHandle(handle_);
  }
  bool IsValid() const { return handle_ != INVALID_HANDLE_VALUE; }
  HANDLE Get() const { return handle_; }

 private:
  HANDLE handle_;
};

bool StartsWith(const std::wstring& text, const wchar_t* prefix) { return text.rfind(prefix, 0) == 0; }

// "\\server\share\..." or "\\?\UNC\server\share\...": no disk of this machine.
bool IsShare(const std::wstring& root) {
  return StartsWith(root, L"\\\\?\\UNC\\") ||
         (StartsWith(root, L"\\\\") && !StartsWith(root, L"\\\\?\\") && !StartsWith(root, L"\\\\.\\"));
}

// "C:\" for "\\?\C:\" (the system finds the volume of the one, not
// always of the other); other roots as they are.
std::wstring WithoutLongPrefix(const std::wstring& root) {
  const bool drive = StartsWith(root, L"\\\\?\\") && root.size() == 7 && root[5] == L':';
  return drive ? root.substr(4) : root;
}

}  // namespace

std::wstring VolumeDeviceOf(const std::wstring& path) {
  // A share is left before any call could reach out to its server.
  if (path.empty() || IsShare(path)) return std::wstring();
  // The root is a part of the full path, never longer than it and MAX_PATH.
  std::vector<wchar_t> root(path.size() + MAX_PATH);
  if (!GetVolumePathNameW(path.c_str(), root.data(), static_cast<DWORD>(root.size()))) return std::wstring();
  const std::wstring rootPath = WithoutLongPrefix(root.data());
  // A drive letter mapped to a share, or a path that led to one.
  if (IsShare(rootPath) || GetDriveTypeW(rootPath.c_str()) == DRIVE_REMOTE) return std::wstring();
  wchar_t volume[MAX_PATH];
  if (GetVolumeNameForVolumeMountPointW(rootPath.c_str(), volume, MAX_PATH)) {
    std::wstring device(volume);
    if (!device.empty() && device.back() == L'\\') device.pop_back();  // the volume, not its root folder
    return device;
  }
  const bool drive = rootPath.size() == 3 && rootPath[1] == L':';
  return drive ? L"\\\\.\\" + rootPath.substr(0, 2) : std::wstring();
}

SeekPenalty SeekPenaltyOfVolume(const std::wstring& device) {
  if (device.empty()) return SeekPenalty::kUnknown;
  const DeviceHandle volume(CreateFileW(device.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                        OPEN_EXISTING, 0, nullptr));
  if (!volume.IsValid()) return SeekPenalty::kUnknown;
  STORAGE_PROPERTY_QUERY query = {};
  query.PropertyId = StorageDeviceSeekPenaltyProperty;
  query.QueryType = PropertyStandardQuery;
  DEVICE_SEEK_PENALTY_DESCRIPTOR answer = {};
  DWORD returned = 0;
  if (!DeviceIoControl(volume.Get(), IOCTL_STORAGE_QUERY_PROPERTY, &query, sizeof query, &answer, sizeof answer,
                       &returned, nullptr) ||
      returned < sizeof answer || answer.Size < sizeof answer) {
    return SeekPenalty::kUnknown;
  }
  return answer.IncursSeekPenalty ? SeekPenalty::kIncurred : SeekPenalty::kNone;
}

SeekPenalty SeekPenaltyOf(const std::wstring& path) { return SeekPenaltyOfVolume(VolumeDeviceOf(path)); }
