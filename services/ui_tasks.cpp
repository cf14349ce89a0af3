#include "services/ui_tasks.h"

#include <windows.h>

#include <deque>
#include <mutex>
#include <utility>

namespace {

constexpr UINT kRunTasksMessage = WM_APP + 1;
constexpr char kReceiverClass[] = "md5check.UiTasks";
// A full message queue (10,000 messages) refuses a post for a moment; the
// wake-up must not be lost, or the tasks would wait for the next one.
constexpr DWORD kPostRetryMs = 10;

// Never destroyed: a worker may post while the process exits.
struct TaskQueue {
  std::mutex lock;
  std::deque<std::function<void()>> tasks;  // guarded by lock
  bool wakeUpPosted = false;                // guarded by lock
  HWND window = nullptr;                    // set once, on the window thread
};

TaskQueue& Queue() {
  static TaskQueue* const queue = new TaskQueue();
  return *queue;
}

// Runs what was queued when the message came; tasks posted meanwhile wake
// the thread again.
void RunQueuedTasks() {
  std::deque<std::function<void()>> tasks;
  {
    std::lock_guard<std::mutex> hold(Queue().lock);
    tasks.swap(Queue().tasks);
    Queue().wakeUpPosted = false;
  }
  for (auto& task : tasks) task();
}

LRESULT CALLBACK ReceiverProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message != kRunTasksMessage) return DefWindowProcA(window, message, wParam, lParam);
  RunQueuedTasks();
  return 0;
}

void WakeUp(HWND window) {
  while (!PostMessageA(window, kRunTasksMessage, 0, 0)) {
    if (!IsWindow(window)) return;
    Sleep(kPostRetryMs);
  }
}

}  // namespace

void StartUiTasks() {
  if (Queue().window != nullptr) return;
  WNDCLASSEXA windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.lpfnWndProc = ReceiverProc;
  windowClass.hInstance = GetModuleHandleA(nullptr);
  windowClass.lpszClassName = kReceiverClass;
  RegisterClassExA(&windowClass);
  HWND window = CreateWindowExA(0, kReceiverClass, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                GetModuleHandleA(nullptr), nullptr);
  std::lock_guard<std::mutex> hold(Queue().lock);
  Queue().window = window;
}

bool PostUiTask(std::function<void()> task) {
  HWND window = nullptr;
  {
    std::lock_guard<std::mutex> hold(Queue().lock);
    if (Queue().window == nullptr) return false;
    Queue().tasks.push_back(std::move(task));
    if (Queue().wakeUpPosted) return true;
    Queue().wakeUpPosted = true;
    window = Queue().window;
  }
  WakeUp(window);
  return true;
}
