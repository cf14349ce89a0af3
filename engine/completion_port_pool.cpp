#include "engine/completion_port_pool.h"

#include <cstdint>

#include "services/message_pump.h"

namespace {

// OVERLAPPED values of the packets: work, and the two control packets.
LPOVERLAPPED const kWorkPacket = reinterpret_cast<LPOVERLAPPED>(static_cast<std::intptr_t>(1));
LPOVERLAPPED const kExitPacket = reinterpret_cast<LPOVERLAPPED>(static_cast<std::intptr_t>(-1));
LPOVERLAPPED const kExitAndSignalPacket = reinterpret_cast<LPOVERLAPPED>(static_cast<std::intptr_t>(-2));

bool IsControlPacket(LPOVERLAPPED overlapped) { return reinterpret_cast<std::intptr_t>(overlapped) < 0; }

// Waits for the stop event in 100 ms slices, handling the thread's pending
// messages after each slice. A message another thread sends to this one is
// delivered at once rather than at the slice's end.
void WaitPumpingMessages(HANDLE event, DWORD sliceMs) {
  DWORD sliceStart = GetTickCount();
  for (;;) {
    const DWORD elapsed = GetTickCount() - sliceStart;
    const DWORD remaining = elapsed < sliceMs ? sliceMs - elapsed : 0;
    const DWORD result =
        MsgWaitForMultipleObjectsEx(1, &event, remaining, QS_SENDMESSAGE, MWMO_INPUTAVAILABLE);
    if (result == WAIT_OBJECT_0 + 1) {
      MSG message;  // a peek delivers sent messages; posted ones stay queued
      PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
      continue;
    }
    if (result != WAIT_TIMEOUT) return;
    PumpPendingMessages();
    sliceStart = GetTickCount();
  }
}

}  // namespace

// What the workers of one start share: their port and what they run. The
// last worker frees it on its way out.
struct CompletionPortPool::Workers {
  HANDLE port = nullptr;
  WorkRoutine routine = nullptr;
  ContextWorkRoutine contextRoutine = nullptr;
  void* context = nullptr;

  void Run(std::uint32_t first, std::uint32_t second) const {
    if (contextRoutine != nullptr) {
      contextRoutine(context, first, second);
    } else if (routine != nullptr) {
      routine(first, second);
    }
  }
};

bool CompletionPortPool::Start(WorkRoutine routine, std::int32_t threadCount) {
  if (state_ != kPoolIdle) return false;
  auto* workers = new Workers();
  workers->routine = routine;
  return StartWorkers(workers, threadCount);
}

bool CompletionPortPool::Start(ContextWorkRoutine routine, void* context, std::int32_t threadCount) {
  if (state_ != kPoolIdle) return false;
  auto* workers = new Workers();
  workers->contextRoutine = routine;
  workers->context = context;
  return StartWorkers(workers, threadCount);
}

bool CompletionPortPool::StartWorkers(Workers* workers, std::int32_t threadCount) {
  if (threadCount <= 0) threadCount = kDefaultThreadCount;
  workers->port = CreateIoCompletionPort(INVALID_HANDLE_VALUE, nullptr, 0, 0);
  if (workers->port == nullptr) {
    delete workers;
    return false;
  }
  // Workers run just below normal priority: they take every processor the
  // desktop leaves idle, and the window thread still answers at once when
  // they keep every processor busy.
  std::int32_t started = 0;
  for (std::int32_t i = 0; i < threadCount; ++i) {
    DWORD threadId = 0;
    HANDLE thread = CreateThread(nullptr, 0, &WorkerMain, workers, 0, &threadId);
    if (thread == nullptr) break;
    SetThreadPriority(thread, THREAD_PRIORITY_BELOW_NORMAL);
    CloseHandle(thread);
    ++started;
  }
  if (started == 0) {
    CloseHandle(workers->port);
    delete workers;
    return false;
  }
  // Stop posts one control packet per live worker, so count only those.
  port_ = workers->port;
  threadCount_ = started;
  state_ = kPoolRunning;
  return true;
}

bool CompletionPortPool::Post(std::uint32_t first, std::uint32_t second) {
  if (state_ != kPoolRunning) return false;
  return PostQueuedCompletionStatus(port_, first, second, kWorkPacket) != FALSE;
}

bool CompletionPortPool::Stop() {
  if (state_ != kPoolRunning) return false;
  state_ = kPoolStopping;
  for (std::int32_t i = 0; i < threadCount_ - 1; ++i) {
    PostQueuedCompletionStatus(port_, 0, 0, kExitPacket);
  }
  // Unnamed: a name derived from the port handle's value would be shared
  // with any other process whose port happens to get the same value, and
  // its last worker could then end this wait early.
  HANDLE stopEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  PostQueuedCompletionStatus(port_, HandleToArgument(stopEvent), 0, kExitAndSignalPacket);
  WaitPumpingMessages(stopEvent, kStopWaitSliceMs);
  CloseHandle(stopEvent);
  state_ = kPoolIdle;
  return true;
}

void CompletionPortPool::Destroy() {
  port_ = nullptr;
  state_ = kPoolIdle;
  threadCount_ = 0;
}

DWORD WINAPI CompletionPortPool::WorkerMain(LPVOID parameter) {
  auto* workers = static_cast<Workers*>(parameter);
  DWORD bytes = 0;
  ULONG_PTR key = 0;
  LPOVERLAPPED overlapped = nullptr;
  for (;;) {
    if (!GetQueuedCompletionStatus(workers->port, &bytes, &key, &overlapped, INFINITE)) break;
    if (IsControlPacket(overlapped)) break;
    workers->Run(bytes, static_cast<std::uint32_t>(key));
  }
  // The last worker alive took the packet posted after all work: it wakes
  // Stop and closes the port on its way out.
  if (overlapped == kExitAndSignalPacket) {
    SetEvent(ArgumentToHandle(bytes));
    CloseHandle(workers->port);
    delete workers;
  }
  return 0;
}
