// Work handed to the window thread: from other threads, and from the window
// thread itself for when it is back in its message loop. Tasks run in the
// order they were posted; one posted message wakes the window thread for
// all that are queued, so no flood of tasks can fill its message queue.
#pragma once

#include <windows.h>

#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>

using DeferredProcedure = void (*)(std::intptr_t, std::intptr_t, std::intptr_t);

class UiTasks {
 public:
  // Window thread: the message-only window whose message runs the tasks.
  UiTasks();
  ~UiTasks();
  UiTasks(const UiTasks&) = delete;
  UiTasks& operator=(const UiTasks&) = delete;

  // Any thread. False when there is no window to run it (it is dropped).
  bool Post(std::function<void()> task);
  // Window thread: one deferred call, run once the thread is back in its
  // message loop, after the message it is handling now. False when a call
  // is already pending: requests made before it runs share that one call.
  bool CallLater(DeferredProcedure procedure, std::intptr_t a = 0, std::intptr_t b = 0,
                 std::intptr_t c = 0);

 private:
  static LRESULT CALLBACK Receive(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  void RunQueuedTasks();

  std::mutex lock_;
  std::deque<std::function<void()>> tasks_;  // guarded by lock_
  bool wakeUpPosted_ = false;                // guarded by lock_
  HWND window_ = nullptr;
  bool callPending_ = false;  // window thread only
};
