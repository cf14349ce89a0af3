// The window thread keeps handling its messages while CompletionPortPool::Stop
// waits for the workers.
#include <gtest/gtest.h>

#include <atomic>

#include "engine/completion_port_pool.h"
#include "services/message_pump.h"

namespace {

// Private messages of the test window; wParam and lParam carry nothing.
constexpr UINT kSentUpdate = WM_APP + 1;    // a worker's synchronous update
constexpr UINT kPostedUpdate = WM_APP + 2;  // a queued message
constexpr UINT kCallIntoPool = WM_APP + 3;  // handler calls back into the pool
constexpr DWORD kPatienceMs = 5000;

HWND window = nullptr;
CompletionPortPool* poolUnderTest = nullptr;
std::atomic<int> sentHandled{0};
std::atomic<int> postedHandled{0};
std::atomic<bool> poolRefusedWhileStopping{false};

LRESULT CALLBACK TestWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case kSentUpdate:
      ++sentHandled;
      return 0;
    case kPostedUpdate:
      ++postedHandled;
      return 0;
    case kCallIntoPool:
      poolRefusedWhileStopping = poolUnderTest->State() == kPoolStopping && !poolUnderTest->Post(0, 0) &&
                                 !poolUnderTest->Start(nullptr, 1) && !poolUnderTest->Stop();
      return 0;
  }
  return DefWindowProcA(hwnd, message, wParam, lParam);
}

class PoolMessages : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = &TestWindowProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "md5check-pool-test";
    ASSERT_NE(RegisterClassA(&windowClass), 0);
    window = CreateWindowA("md5check-pool-test", "", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr, nullptr,
                           GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(window, nullptr);
  }
  static void TearDownTestSuite() { DestroyWindow(window); }

  void SetUp() override {
    sentHandled = 0;
    postedHandled = 0;
    poolRefusedWhileStopping = false;
    PumpPendingMessages();
  }
};

bool Send(UINT message) {
  DWORD_PTR result = 0;
  return SendMessageTimeoutA(window, message, 0, 0, SMTO_NORMAL, kPatienceMs, &result) != 0;
}

std::atomic<bool> workerSawItsMessages{false};

// Sends one update, posts another, and waits until the posted one was handled.
void SendAndPost(std::uint32_t, std::uint32_t) {
  const bool sent = Send(kSentUpdate);
  PostMessageA(window, kPostedUpdate, 0, 0);
  const DWORD start = GetTickCount();
  while (postedHandled.load() == 0 && GetTickCount() - start < kPatienceMs) Sleep(1);
  workerSawItsMessages = sent && postedHandled.load() == 1;
}

TEST_F(PoolMessages, StopHandlesSentAndPostedMessagesWhileWaiting) {
  CompletionPortPool pool;
  ASSERT_TRUE(pool.Start(&SendAndPost, 2));
  ASSERT_TRUE(pool.Post(0, 0));
  EXPECT_TRUE(pool.Stop());
  EXPECT_TRUE(workerSawItsMessages);
  EXPECT_EQ(sentHandled.load(), 1);
}

constexpr int kUpdates = 30;
std::atomic<DWORD> updatesElapsedMs{0};

void SendManyUpdates(std::uint32_t, std::uint32_t) {
  const DWORD start = GetTickCount();
  for (int i = 0; i < kUpdates; ++i) Send(kSentUpdate);
  updatesElapsedMs = GetTickCount() - start;
}

// Were sent messages only handled between 100 ms slices, 30 updates in a
// row would take about three seconds.
TEST_F(PoolMessages, SentUpdatesAreNotHeldToTheNextSlice) {
  CompletionPortPool pool;
  ASSERT_TRUE(pool.Start(&SendManyUpdates, 1));
  ASSERT_TRUE(pool.Post(0, 0));
  EXPECT_TRUE(pool.Stop());
  EXPECT_EQ(sentHandled.load(), kUpdates);
  EXPECT_LT(updatesElapsedMs.load(), kUpdates * CompletionPortPool::kStopWaitSliceMs / 2);
}

void CallIntoPoolFromWindow(std::uint32_t, std::uint32_t) { Send(kCallIntoPool); }

TEST_F(PoolMessages, HandlersReachedDuringStopFindThePoolStopping) {
  CompletionPortPool pool;
  poolUnderTest = &pool;
  ASSERT_TRUE(pool.Start(&CallIntoPoolFromWindow, 1));
  ASSERT_TRUE(pool.Post(0, 0));
  EXPECT_TRUE(pool.Stop());
  EXPECT_TRUE(poolRefusedWhileStopping);
  EXPECT_EQ(pool.State(), kPoolIdle);
  poolUnderTest = nullptr;
}

TEST_F(PoolMessages, PumpStopsBeforeAQueuedQuitAndKeepsWhatFollows) {
  PostMessageA(window, kPostedUpdate, 0, 0);
  PostMessageA(window, WM_QUIT, 3, 0);
  PostMessageA(window, kPostedUpdate, 0, 0);
  PumpPendingMessages();
  EXPECT_EQ(postedHandled.load(), 1);
  MSG message;
  ASSERT_TRUE(PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(message.message, static_cast<UINT>(WM_QUIT));
  PumpPendingMessages();
  EXPECT_EQ(postedHandled.load(), 2);
}

}  // namespace
