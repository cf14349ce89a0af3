#include "services/ui_tasks.h"

#include <utility>

namespace {

constexpr UINT kRunTasksMessage = WM_APP + 1;  // wParam, lParam: unused
constexpr char kReceiverClass[] = "md5check.UiTasks";
// A full message queue (10,000 messages) refuses a post for a moment; the
// wake-up must not be lost, or the tasks would wait for the next one.
constexpr DWORD kPostRetryMs = 10;

void WakeUp(HWND window) {
  while (!PostMessageA(window, kRunTasksMessage, 0, 0)) {
    if (!IsWindow(window)) return;
    Sleep(kPostRetryMs);
  }
}

}  // namespace

UiTasks::UiTasks() {
  WNDCLASSEXA windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.lpfnWndProc = Receive;
  windowClass.hInstance = GetModuleHandleA(nullptr);
  windowClass.lpszClassName = kReceiverClass;
  RegisterClassExA(&windowClass);  // once per process; later calls fail harmlessly
  HWND window = CreateWindowExA(0, kReceiverClass, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                GetModuleHandleA(nullptr), nullptr);
  if (window != nullptr) SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  std::lock_guard<std::mutex> hold(lock_);
  window_ = window;
}

UiTasks::~UiTasks() {
  HWND window = nullptr;
  {
    std::lock_guard<std::mutex> hold(lock_);
    window = std::exchange(window_, nullptr);
    tasks_.clear();
  }
  if (window != nullptr) DestroyWindow(window);
}

LRESULT CALLBACK UiTasks::Receive(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* self = reinterpret_cast<UiTasks*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  if (message != kRunTasksMessage || self == nullptr) return DefWindowProcA(window, message, wParam, lParam);
  self->RunQueuedTasks();
  return 0;
}

// Runs what was queued when the message came; tasks posted meanwhile wake
// the thread again.
void UiTasks::RunQueuedTasks() {
  std::deque<std::function<void()>> tasks;
  {
    std::lock_guard<std::mutex> hold(lock_);
    tasks.swap(tasks_);
    wakeUpPosted_ = false;
  }
  for (auto& task : tasks) task();
}

bool UiTasks::Post(std::function<void()> task) {
  HWND window = nullptr;
  {
    std::lock_guard<std::mutex> hold(lock_);
    if (window_ == nullptr) return false;
    tasks_.push_back(std::move(task));
    if (wakeUpPosted_) return true;
    wakeUpPosted_ = true;
    window = window_;
  }
  WakeUp(window);
  return true;
}

bool UiTasks::CallLater(DeferredProcedure procedure, std::intptr_t a, std::intptr_t b, std::intptr_t c) {
  if (callPending_ || procedure == nullptr) return false;
  if (!Post([this, procedure, a, b, c] {
        callPending_ = false;  // before the call: it may ask for the next one
        procedure(a, b, c);
      })) {
    return false;
  }
  callPending_ = true;
  return true;
}
