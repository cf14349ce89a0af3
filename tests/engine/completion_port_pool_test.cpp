#include "engine/completion_port_pool.h"

#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <vector>

namespace {

constexpr DWORD kPatienceMs = 5000;  // far beyond any healthy wait here

// Work routines are plain function pointers, so what they record lives here.
std::atomic<int> ranCount{0};
std::atomic<int> arrivedCount{0};
std::atomic<int> otherRoutineCount{0};
std::mutex orderLock;
std::vector<std::uint32_t> order;

void Reset() {
  ranCount = 0;
  arrivedCount = 0;
  otherRoutineCount = 0;
  std::lock_guard<std::mutex> lock(orderLock);
  order.clear();
}

void CountRun(std::uint32_t, std::uint32_t) { ++ranCount; }

void OtherRoutine(std::uint32_t, std::uint32_t) { ++otherRoutineCount; }

void RecordOrder(std::uint32_t, std::uint32_t second) {
  std::lock_guard<std::mutex> lock(orderLock);
  order.push_back(second);
}

void SlowCountRun(std::uint32_t, std::uint32_t) {
  Sleep(5);
  ++ranCount;
}

// Returns only once `target` items are inside it at the same time, which
// takes that many live workers. Waits by sleeping, so idle workers may run.
void MeetAll(std::uint32_t target, std::uint32_t) {
  ++arrivedCount;
  const DWORD start = GetTickCount();
  while (arrivedCount.load() < static_cast<int>(target) && GetTickCount() - start < kPatienceMs) Sleep(1);
  if (arrivedCount.load() >= static_cast<int>(target)) ++ranCount;
}

HANDLE receivedHandle = nullptr;
std::uint32_t receivedSecond = 0;

void RecordArguments(std::uint32_t first, std::uint32_t second) {
  receivedHandle = ArgumentToHandle(first);
  receivedSecond = second;
}

TEST(CompletionPortPool, ZeroOrNegativeThreadCountStartsTenLiveWorkers) {
  for (std::int32_t requested : {0, -5}) {
    Reset();
    CompletionPortPool pool;
    ASSERT_TRUE(pool.Start(&MeetAll, requested));
    EXPECT_EQ(pool.ThreadCount(), 10);
    for (int i = 0; i < 10; ++i) ASSERT_TRUE(pool.Post(10, 0));
    EXPECT_TRUE(pool.Stop());  // nine exit packets and one exit-and-signal
    EXPECT_EQ(ranCount.load(), 10) << requested;
    EXPECT_EQ(pool.State(), kPoolIdle);
  }
}

TEST(CompletionPortPool, SingleWorkerRunsItemsInPostingOrder) {
  Reset();
  CompletionPortPool pool;
  ASSERT_TRUE(pool.Start(&RecordOrder, 1));
  std::vector<std::uint32_t> posted;
  for (std::uint32_t i = 0; i < 50; ++i) {
    ASSERT_TRUE(pool.Post(0, i));
    posted.push_back(i);
  }
  EXPECT_TRUE(pool.Stop());
  EXPECT_EQ(order, posted);
}

TEST(CompletionPortPool, StopReturnsOnlyAfterEveryPostedItemRan) {
  Reset();
  CompletionPortPool pool;
  ASSERT_TRUE(pool.Start(&SlowCountRun, 4));
  for (int i = 0; i < 60; ++i) ASSERT_TRUE(pool.Post(0, 0));
  EXPECT_TRUE(pool.Stop());
  EXPECT_EQ(ranCount.load(), 60);
}

// Start only when idle, Post only when running; a stopped pool starts anew.
TEST(CompletionPortPool, OperationsOutsideTheirStateChangeNothing) {
  Reset();
  CompletionPortPool pool;
  EXPECT_FALSE(pool.Post(1, 2));
  EXPECT_FALSE(pool.Stop());
  ASSERT_TRUE(pool.Start(&CountRun, 2));
  EXPECT_FALSE(pool.Start(&OtherRoutine, 5));
  EXPECT_EQ(pool.ThreadCount(), 2);
  ASSERT_TRUE(pool.Post(0, 0));
  ASSERT_TRUE(pool.Stop());
  EXPECT_FALSE(pool.Post(1, 2));
  EXPECT_EQ(ranCount.load(), 1);

  ASSERT_TRUE(pool.Start(&OtherRoutine, 3));
  EXPECT_EQ(pool.ThreadCount(), 3);
  for (int i = 0; i < 5; ++i) ASSERT_TRUE(pool.Post(0, 0));
  EXPECT_TRUE(pool.Stop());
  EXPECT_EQ(ranCount.load(), 1);
  EXPECT_EQ(otherRoutineCount.load(), 5);
}

TEST(CompletionPortPool, ArgumentsArriveUnchanged) {
  CompletionPortPool pool;
  ASSERT_TRUE(pool.Start(&RecordArguments, 1));
  ASSERT_TRUE(pool.Post(HandleToArgument(INVALID_HANDLE_VALUE), 0xFFFFFFFFu));
  ASSERT_TRUE(pool.Stop());
  EXPECT_EQ(receivedHandle, INVALID_HANDLE_VALUE);
  EXPECT_EQ(receivedSecond, 0xFFFFFFFFu);

  HANDLE event = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  ASSERT_TRUE(pool.Start(&RecordArguments, 1));
  ASSERT_TRUE(pool.Post(HandleToArgument(event), 7));
  ASSERT_TRUE(pool.Stop());
  EXPECT_EQ(receivedHandle, event);
  EXPECT_EQ(receivedSecond, 7u);
  CloseHandle(event);
}

}  // namespace
