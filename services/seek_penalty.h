// Whether the disk a file lies on pays for every seek (a spinning disk, an
// optical one) or not (solid state), asked of its volume: the storage
// property query for the seek penalty, on the volume's device opened with
// no access rights (which needs no administrator). Unknown wherever it
// cannot be asked: a server's share, a path on no volume, a volume that
// spans disks, or a driver that does not answer (Wine's never does).
#pragma once

#include <functional>
#include <string>

enum class SeekPenalty { kUnknown, kNone, kIncurred };

// What a reader that cares is handed: SeekPenaltyOf below, or a test's own
// answer.
using SeekPenaltyQuery = std::function<SeekPenalty(const std::wstring& path)>;

// The device of the volume that holds `path` ("\\.\C:" or
// "\\?\Volume{...}"), for any path the system takes, "\\?\" forms
// included; empty for a server's share or a path on no volume.
std::wstring VolumeDeviceOf(const std::wstring& path);
SeekPenalty SeekPenaltyOfVolume(const std::wstring& device);
// Both in one: the answer for the volume of `path`.
SeekPenalty SeekPenaltyOf(const std::wstring& path);
