// TThread as the reader thread uses it: suspended until resumed, handing
// work to the main thread with Synchronize, terminated and waited for.
#include "platform/os/thread.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <stdexcept>
#include <thread>

#include "platform/os/application.h"

namespace {

using namespace platform;

// Reads until told to stop and hands each reading to the main thread, as
// the optical reader's thread does.
class Reader : public TThread {
 public:
  Reader() : TThread(true) {}
  ~Reader() override {
    Terminate();
    WaitFor();
  }
  std::atomic<int> handed{0};
  std::thread::id delivered_on;

 protected:
  void Execute() override {
    while (!Terminated()) {
      Synchronize([this] {
        delivered_on = std::this_thread::get_id();
        ++handed;
      });
    }
    ReturnValue = 5;
  }
};

class OneShot : public TThread {
 public:
  explicit OneShot(bool fail) : TThread(true), fail_(fail) {}
  ~OneShot() override { WaitFor(); }
  int value = 0;

 protected:
  void Execute() override {
    if (fail_) throw std::runtime_error("porta fechada");
    Synchronize([this] { value = 7; });
    ReturnValue = value * 6;
  }

 private:
  const bool fail_;
};

class ThreadsTest : public ::testing::Test {
 protected:
  ThreadsTest() { Application().SetMainThread(); }
  const std::thread::id main = std::this_thread::get_id();
};

TEST_F(ThreadsTest, SuspendedUntilResumedThenWaitForServesSynchronize) {
  OneShot thread(false);
  thread.Priority = TThreadPriority::tpLower;
  EXPECT_EQ(thread.WaitFor(), 0);  // never started: nothing to wait for
  EXPECT_FALSE(thread.Finished());
  thread.Resume();
  thread.Resume();  // once only
  EXPECT_EQ(thread.WaitFor(), 42);
  EXPECT_TRUE(thread.Finished());
  EXPECT_EQ(thread.value, 7);
  EXPECT_EQ(thread.Priority, TThreadPriority::tpLower);
}

TEST_F(ThreadsTest, FailureInExecuteEndsOnlyTheThread) {
  OneShot thread(true);
  thread.Start();
  EXPECT_EQ(thread.WaitFor(), 0);
  EXPECT_TRUE(thread.Finished());
}

TEST_F(ThreadsTest, TerminateWhileSynchronizingFromTheMainThread) {
  auto reader = std::make_unique<Reader>();
  reader->Resume();
  while (reader->handed < 3) Application().HandleMessage(10);
  EXPECT_EQ(reader->delivered_on, main);
  reader->Terminate();
  EXPECT_EQ(reader->WaitFor(), 5);
  reader.reset();
}

TEST_F(ThreadsTest, DestroyedByAnotherThreadWhileTheMainThreadIsBusy) {
  auto reader = std::make_unique<Reader>();
  reader->Resume();
  // The main thread serves nothing from here on: the reader's pending
  // Synchronize must not hold up its destruction.
  std::thread closer([&] { reader.reset(); });
  closer.join();
  EXPECT_EQ(reader, nullptr);
  Application().ProcessMessages();  // a dropped call is not run later
}

// Threads of this process (one entry per task on Linux).
std::size_t ProcessThreads() {
  std::size_t count = 0;
  for (const auto& entry : std::filesystem::directory_iterator("/proc/self/task")) {
    (void)entry;
    ++count;
  }
  return count;
}

// Hands one reading over and frees itself at its end: with FreeOnTerminate,
// or by deleting itself as the last thing its Execute does.
class SelfFreeing : public TThread {
 public:
  SelfFreeing(bool free_on_terminate, std::atomic<bool>& gone) : TThread(true), gone_(gone) {
    FreeOnTerminate = free_on_terminate;
  }
  ~SelfFreeing() override { gone_ = true; }
  std::atomic<int>* handed = nullptr;

 protected:
  void Execute() override {
    Synchronize([this] { ++*handed; });
    ReturnValue = 3;
    if (!FreeOnTerminate) delete this;
  }

 private:
  std::atomic<bool>& gone_;
};

TEST_F(ThreadsTest, ThreadThatFreesItselfTouchesNothingAfterwards) {
  for (const bool free_on_terminate : {true, false}) {
    SCOPED_TRACE(free_on_terminate ? "FreeOnTerminate" : "delete this in Execute");
    const std::size_t before = ProcessThreads();
    std::atomic<bool> gone{false};
    std::atomic<int> handed{0};
    auto* thread = new SelfFreeing(free_on_terminate, gone);
    thread->handed = &handed;
    thread->Resume();
    // Serve its Synchronize, then wait until the thread has left the
    // process: a write to the freed object would be caught by then.
    const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while ((!gone || ProcessThreads() > before) && std::chrono::steady_clock::now() < limit)
      Application().HandleMessage(1);
    EXPECT_TRUE(gone);
    EXPECT_EQ(handed, 1);
    EXPECT_EQ(ProcessThreads(), before);
  }
}

TEST_F(ThreadsTest, DestroyedWithoutEverStarting) {
  auto thread = std::make_unique<OneShot>(false);
  thread.reset();
  SUCCEED();
}

}  // namespace
