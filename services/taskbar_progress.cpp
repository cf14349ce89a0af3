#include "services/taskbar_progress.h"

#include <shobjidl.h>

TaskbarProgress::~TaskbarProgress() {
  if (taskbar_ != nullptr) taskbar_->Release();
}

// Asked for once, on first use, when the window's button exists.
bool TaskbarProgress::Ready() {
  if (!tried_) {
    tried_ = true;
    void* taskbar = nullptr;
    if (SUCCEEDED(CoCreateInstance(CLSID_TaskbarList, nullptr, CLSCTX_INPROC_SERVER,
                                   IID_ITaskbarList3, &taskbar))) {
      taskbar_ = static_cast<ITaskbarList3*>(taskbar);
      if (FAILED(taskbar_->HrInit())) {
        taskbar_->Release();
        taskbar_ = nullptr;
      }
    }
  }
  return taskbar_ != nullptr;
}

void TaskbarProgress::Show(HWND window, std::int64_t done, std::int64_t total, bool problem) {
  if (!Ready() || total <= 0) return;
  taskbar_->SetProgressState(window, problem ? TBPF_ERROR : TBPF_NORMAL);
  taskbar_->SetProgressValue(window, static_cast<ULONGLONG>(done), static_cast<ULONGLONG>(total));
}

void TaskbarProgress::Clear(HWND window) {
  if (Ready()) taskbar_->SetProgressState(window, TBPF_NOPROGRESS);
}
