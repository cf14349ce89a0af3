// The progress on the window's taskbar button (ITaskbarList3). Where the
// system has none (older systems, some Wine versions) every call does
// nothing.
#pragma once

#include <windows.h>

#include <cstdint>

struct ITaskbarList3;

class TaskbarProgress {
 public:
  TaskbarProgress() = default;
  ~TaskbarProgress();
  TaskbarProgress(const TaskbarProgress&) = delete;
  TaskbarProgress& operator=(const TaskbarProgress&) = delete;

  // `done` of `total`, in the error colour when `problem`.
  void Show(HWND window, std::int64_t done, std::int64_t total, bool problem);
  // No progress shown any more.
  void Clear(HWND window);

 private:
  bool Ready();

  ITaskbarList3* taskbar_ = nullptr;
  bool tried_ = false;
};
