// CompletionPortPool: a fixed set of worker threads that take work items
// from an I/O completion port used as a FIFO queue.
//
// How it works: every work packet carries two 32-bit arguments (byte count
// and completion key); the routine, and the context it is handed, are the
// workers' own from Start. Stop posts thread count - 1 exit packets and one
// exit-and-signal packet last; the one worker left takes that after all
// earlier work has run and signals the stop event. Start, Post and Stop run
// on the window thread only.
#pragma once

#include <windows.h>

#include <cstdint>

using WorkRoutine = void (*)(std::uint32_t first, std::uint32_t second);
// A routine that is also handed the context given to Start: the object
// whose work it does, which must outlive the pool's workers.
using ContextWorkRoutine = void (*)(void* context, std::uint32_t first, std::uint32_t second);

enum PoolState : std::int32_t { kPoolIdle = 0, kPoolRunning = 1, kPoolStopping = 2 };

class CompletionPortPool {
 public:
  static constexpr std::int32_t kDefaultThreadCount = 10;
  static constexpr DWORD kStopWaitSliceMs = 100;

  bool Start(WorkRoutine routine, std::int32_t threadCount);
  bool Start(ContextWorkRoutine routine, void* context, std::int32_t threadCount);
  bool Post(std::uint32_t first, std::uint32_t second);
  // Returns after every item posted before it has run, handling the calling
  // thread's window messages meanwhile.
  bool Stop();
  // Forgets the pool's fields; does not stop a running pool.
  void Destroy();

  PoolState State() const { return static_cast<PoolState>(state_); }
  std::int32_t ThreadCount() const { return threadCount_; }

 private:
  struct Workers;
  bool StartWorkers(Workers* workers, std::int32_t threadCount);
  static DWORD WINAPI WorkerMain(LPVOID workers);

  HANDLE port_ = nullptr;
  std::int32_t state_ = kPoolIdle;
  std::int32_t threadCount_ = 0;
};

// A file handle travels as a sign-extended 32-bit value, so that
// INVALID_HANDLE_VALUE arrives as itself on 64-bit Windows too.
inline std::uint32_t HandleToArgument(HANDLE handle) {
  return static_cast<std::uint32_t>(HandleToLong(handle));
}
inline HANDLE ArgumentToHandle(std::uint32_t argument) {
  return LongToHandle(static_cast<LONG>(argument));
}
