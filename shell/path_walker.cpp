#include "shell/path_walker.h"

#include <memory>
#include <thread>
#include <utility>

#include "services/folder_walk.h"

namespace {

// Posted to the receiving window; lParam: the WalkedBatch, which the
// window's procedure then owns. wParam unused.
constexpr UINT kWalkedBatchMessage = WM_APP + 1;
constexpr char kReceiverClass[] = "md5check.WalkedPaths";
// A full queue (10,000 messages) refuses posts for a moment; a batch must
// not be lost, or its paths and its drop's run would be.
constexpr DWORD kPostRetryMs = 10;

}  // namespace

PathWalker::PathWalker(Receiver receive) : receive_(receive) {
  WNDCLASSEXA windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.lpfnWndProc = ReceiverProc;
  windowClass.hInstance = GetModuleHandleA(nullptr);
  windowClass.lpszClassName = kReceiverClass;
  RegisterClassExA(&windowClass);
  window_ = CreateWindowExA(0, kReceiverClass, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                            GetModuleHandleA(nullptr), nullptr);
  SetWindowLongPtrA(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  std::thread([this] { WalkDrops(); }).detach();
}

void PathWalker::Queue(PathArray dropPaths) {
  {
    std::lock_guard<std::mutex> hold(lock_);
    drops_.push_back(std::move(dropPaths));
  }
  queued_.notify_one();
}

LRESULT CALLBACK PathWalker::ReceiverProc(HWND window, UINT message, WPARAM wParam,
                                          LPARAM lParam) {
  if (message != kWalkedBatchMessage) return DefWindowProcA(window, message, wParam, lParam);
  std::unique_ptr<WalkedBatch> batch(reinterpret_cast<WalkedBatch*>(lParam));
  auto* walker = reinterpret_cast<PathWalker*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  if (walker != nullptr && batch != nullptr) walker->receive_(*batch);
  return 0;
}

void PathWalker::WalkDrops() {
  for (;;) {
    PathArray dropPaths;
    {
      std::unique_lock<std::mutex> hold(lock_);
      queued_.wait(hold, [this] { return !drops_.empty(); });
      dropPaths = std::move(drops_.front());
      drops_.pop_front();
    }
    WalkDrop(dropPaths);
  }
}

void PathWalker::WalkDrop(const PathArray& dropPaths) {
  auto batch = std::make_unique<WalkedBatch>();
  const PathSink take = [&](const std::wstring& path) {
    batch->paths.push_back(path);
    if (batch->paths.size() < kBatchSize) return;
    Post(batch.release());
    batch = std::make_unique<WalkedBatch>();
  };
  for (const std::wstring& path : dropPaths) WalkDroppedPath(path, take);
  batch->endsDrop = true;
  Post(batch.release());
}

void PathWalker::Post(WalkedBatch* batch) {
  while (!PostMessageA(window_, kWalkedBatchMessage, 0, reinterpret_cast<LPARAM>(batch))) {
    if (!IsWindow(window_)) {
      delete batch;
      return;
    }
    Sleep(kPostRetryMs);
  }
}
