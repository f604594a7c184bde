// The main thread's message processing: calls handed over by other
// threads, window messages, timers on the library clock and bounded waits.
#include "platform/os/application.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <atomic>
#include <exception>
#include <stdexcept>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "platform_os/os_fixtures.h"

namespace {

using namespace platform;
using ostest::ManualClock;
using ::testing::ElementsAre;

struct Message {
  UINT message;
  WPARAM wparam;
  std::thread::id thread;
  bool operator==(const Message& other) const {
    return message == other.message && wparam == other.wparam && thread == other.thread;
  }
};

class MainThreadTest : public ::testing::Test {
 protected:
  MainThreadTest() { Application().SetMainThread(); }
  ~MainThreadTest() override {
    Application().SetProcessMessagesHook(nullptr);
    Application().ProcessMessages();
  }
  // Serves the main thread until `done` holds.
  template <typename Done>
  void PumpUntil(Done done) {
    while (!done()) Application().HandleMessage(10);
  }
  const std::thread::id main = std::this_thread::get_id();
};

TEST_F(MainThreadTest, QueuedCallsRunOnTheMainThreadInOrder) {
  std::vector<std::pair<int, std::thread::id>> ran;
  std::thread other([&] {
    for (int i = 1; i <= 3; ++i) Application().Queue([&ran, i] { ran.emplace_back(i, std::this_thread::get_id()); });
  });
  other.join();
  EXPECT_TRUE(ran.empty());
  Application().ProcessMessages();
  EXPECT_THAT(ran, ElementsAre(std::pair(1, main), std::pair(2, main), std::pair(3, main)));
}

TEST_F(MainThreadTest, ACallQueuedWhileProcessingWaitsForTheNextRound) {
  int runs = 0;
  std::function<void()> again = [&] {
    if (++runs < 2) Application().Queue(again);
  };
  Application().Queue(again);
  Application().ProcessMessages();
  EXPECT_EQ(runs, 1);
  Application().ProcessMessages();
  EXPECT_EQ(runs, 2);
}

TEST_F(MainThreadTest, SynchronizeRunsOnTheMainThreadAndWaits) {
  int value = 0;
  std::thread::id ran_on;
  std::atomic<bool> done{false};
  int seen_after = -1;
  std::string failure;
  std::thread other([&] {
    Application().Synchronize([&] {
      value = 7;
      ran_on = std::this_thread::get_id();
    });
    seen_after = value;
    try {
      Application().Synchronize([] { throw std::runtime_error("ECF desligada"); });
    } catch (const std::runtime_error& e) {
      failure = e.what();
    }
    done = true;
  });
  PumpUntil([&] { return done.load(); });
  other.join();
  EXPECT_EQ(ran_on, main);
  EXPECT_EQ(seen_after, 7);
  EXPECT_EQ(failure, "ECF desligada");

  bool inline_run = false;
  Application().Synchronize([&] { inline_run = true; });
  EXPECT_TRUE(inline_run);
}

class WindowTest : public MainThreadTest {
 protected:
  WindowTest() {
    window = RegisterWindow([this](HWND, UINT message, WPARAM wparam, LPARAM) -> LRESULT {
      received.push_back({message, wparam, std::this_thread::get_id()});
      return static_cast<LRESULT>(wparam) + 1;
    });
  }
  ~WindowTest() override { UnregisterWindow(window); }
  HWND window = 0;
  std::vector<Message> received;
};

TEST_F(WindowTest, SentMessagesArriveAtOncePostedOnesWhenProcessed) {
  ASSERT_NE(window, 0);
  EXPECT_TRUE(PostMessageA(window, WM_CHAR, '7', 0));
  EXPECT_TRUE(received.empty());
  EXPECT_EQ(SendMessageA(window, WM_KEYDOWN, VK_RETURN, 0), static_cast<LRESULT>(VK_RETURN + 1));
  Application().ProcessMessages();
  EXPECT_THAT(received, ElementsAre(Message{WM_KEYDOWN, VK_RETURN, main}, Message{WM_CHAR, '7', main}));
}

TEST_F(WindowTest, MessagesFromAnotherThreadAreDeliveredOnTheMainThread) {
  std::atomic<bool> done{false};
  LRESULT answer = 0;
  std::thread reader([&] {
    for (char c : std::string("12A")) answer = SendMessageA(window, WM_CHAR, static_cast<unsigned char>(c), 0);
    SendMessageA(window, WM_KEYDOWN, VK_RETURN, 0);
    done = true;
  });
  PumpUntil([&] { return done.load(); });
  reader.join();
  EXPECT_EQ(answer, 'A' + 1);
  EXPECT_THAT(received, ElementsAre(Message{WM_CHAR, '1', main}, Message{WM_CHAR, '2', main},
                                    Message{WM_CHAR, 'A', main}, Message{WM_KEYDOWN, VK_RETURN, main}));
}

TEST_F(WindowTest, UnknownOrClosedWindowTakesNothing) {
  EXPECT_EQ(SendMessageA(window + 1, WM_CHAR, 'x', 0), 0);
  EXPECT_FALSE(PostMessageA(window + 1, WM_CHAR, 'x', 0));
  EXPECT_EQ(RegisterWindow(nullptr), 0);
  EXPECT_TRUE(PostMessageA(window, WM_CHAR, 'x', 0));
  UnregisterWindow(window);
  Application().ProcessMessages();
  EXPECT_TRUE(received.empty());
  EXPECT_EQ(SendMessageA(window, WM_CHAR, 'x', 0), 0);
}

TEST_F(MainThreadTest, TimersFollowTheLibraryClock) {
  ManualClock clock;
  int ticks = 0;
  const int id = Application().SetTimer(100, [&] { ++ticks; });
  ASSERT_NE(id, 0);
  clock::Advance(99);
  Application().ProcessMessages();
  EXPECT_EQ(ticks, 0);
  clock::Advance(1);
  Application().ProcessMessages();
  EXPECT_EQ(ticks, 1);
  clock::Advance(350);  // late: one tick, not three
  Application().ProcessMessages();
  Application().ProcessMessages();
  EXPECT_EQ(ticks, 2);
  Application().KillTimer(id);
  clock::Advance(1000);
  Application().ProcessMessages();
  EXPECT_EQ(ticks, 2);
}

TEST_F(MainThreadTest, HandleMessageWaitsNoLongerThanItsBound) {
  ManualClock clock;
  EXPECT_FALSE(Application().HandleMessage(100));
  EXPECT_GE(clock.Elapsed(), 100);
  EXPECT_LT(clock.Elapsed(), 120);
  EXPECT_FALSE(Application().HandleMessage(0));
  EXPECT_LT(clock.Elapsed(), 120);
}

TEST_F(MainThreadTest, HandleMessageEndsWithTheFirstMessage) {
  ManualClock clock;
  int ticks = 0;
  const int id = Application().SetTimer(35, [&] { ++ticks; });
  EXPECT_TRUE(Application().HandleMessage(100));
  EXPECT_EQ(ticks, 1);
  EXPECT_EQ(clock.Elapsed(), 35);
  Application().KillTimer(id);

  bool ran = false;
  Application().Queue([&] { ran = true; });
  EXPECT_TRUE(Application().HandleMessage(100));
  EXPECT_TRUE(ran);
  EXPECT_EQ(clock.Elapsed(), 35);
}

TEST_F(MainThreadTest, HookRunsEverywhereQueuedCallsOnlyOnTheMainThread) {
  std::vector<std::thread::id> hooked;
  Application().SetProcessMessagesHook([&] { hooked.push_back(std::this_thread::get_id()); });
  bool ran = false;
  Application().Queue([&] { ran = true; });
  std::thread::id other_id;
  std::thread other([&] {
    other_id = std::this_thread::get_id();
    Application().ProcessMessages();
  });
  other.join();
  EXPECT_FALSE(ran);
  Application().ProcessMessages();
  EXPECT_TRUE(ran);
  EXPECT_THAT(hooked, ElementsAre(other_id, main));
}

// What a queued call, a timer or the host's hook raises goes to
// OnException; the processing goes on and the wait that processed the
// messages is never cut short.
TEST_F(MainThreadTest, FailuresWhileProcessingGoToTheHostAndStopNothing) {
  std::vector<std::string> caught;
  Application().OnException = [&](std::exception_ptr failure) {
    try {
      std::rethrow_exception(failure);
    } catch (const std::exception& e) {
      caught.push_back(e.what());
    } catch (...) {
      caught.push_back("?");
    }
  };
  ManualClock clock;
  bool after = false;
  Application().Queue([] { throw std::runtime_error("fila"); });
  Application().Queue([&] { after = true; });
  const int timer = Application().SetTimer(10, [] { throw std::runtime_error("timer"); });
  EXPECT_NO_THROW(Application().ProcessMessages());
  EXPECT_TRUE(after);
  clock::Advance(10);
  EXPECT_NO_THROW(EXPECT_TRUE(Application().HandleMessage(0)));
  Application().KillTimer(timer);
  Application().SetProcessMessagesHook([] { throw std::runtime_error("janela"); });
  EXPECT_NO_THROW(EXPECT_FALSE(Application().HandleMessage(5)));
  Application().SetProcessMessagesHook(nullptr);
  Application().Queue([] { throw 42; });  // not even a std::exception
  EXPECT_NO_THROW(Application().ProcessMessages());
  Application().OnException = nullptr;
  ASSERT_GE(caught.size(), 4u);
  EXPECT_EQ(caught[0], "fila");
  EXPECT_EQ(caught[1], "timer");
  EXPECT_EQ(caught[2], "janela");
  EXPECT_EQ(caught.back(), "?");
  // Without a handler the failure is written to standard error.
  ::testing::internal::CaptureStderr();
  Application().Queue([] { throw std::runtime_error("sem tratador"); });
  EXPECT_NO_THROW(Application().ProcessMessages());
  EXPECT_THAT(::testing::internal::GetCapturedStderr(), ::testing::HasSubstr("sem tratador"));
}

}  // namespace
