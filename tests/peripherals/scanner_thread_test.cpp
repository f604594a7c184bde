// The reader thread against an emulated bar-code reader: readings typed
// into a window on the main thread, in order, odd readings dropped, and the
// thread over within the read time-out once terminated. PostTextHandle's
// message order is checked on its own.
#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <thread>
#include <vector>

#include "peripherals/device_fixture.h"
#include "peripherals/readers/Qdm00800.h"
#include "platform/os/application.h"

namespace {

using namespace peripheral_test;
using namespace platform;

struct Keystroke {
  UINT message;
  WPARAM key;
  bool operator==(const Keystroke&) const = default;
};

// A front-end window that keeps what it is sent and on which thread.
class RecordingWindow {
 public:
  RecordingWindow() {
    handle_ = RegisterWindow([this](HWND, UINT message, WPARAM wparam, LPARAM) -> LRESULT {
      keys.push_back({message, wparam});
      off_main_thread |= !Application().InMainThread();
      return 0;
    });
  }
  ~RecordingWindow() { UnregisterWindow(handle_); }
  HWND handle() const { return handle_; }
  // What was typed, Enter keys as "\n".
  std::string Typed() const {
    std::string text;
    for (const Keystroke& k : keys)
      text += k.message == WM_KEYDOWN && k.key == VK_RETURN ? '\n' : static_cast<char>(k.key);
    return text;
  }
  std::vector<Keystroke> keys;
  bool off_main_thread = false;

 private:
  HWND handle_ = 0;
};

// Keeps the main thread serving the reader thread until `done` or a real
// ten seconds.
template <typename Done>
bool PumpUntil(Done done) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (!done() && std::chrono::steady_clock::now() < end) Application().HandleMessage(10);
  return done();
}

TEST(PostTextHandle, OneCharacterMessagePerByteThenEnter) {
  Application().SetMainThread();
  RecordingWindow window;
  Qdm00800::PostTextHandle(static_cast<uintptr_t>(window.handle()), "A\3479");
  const std::vector<Keystroke> expected = {{WM_CHAR, 'A'}, {WM_CHAR, 0xE7}, {WM_CHAR, '9'}, {WM_KEYDOWN, VK_RETURN}};
  EXPECT_EQ(window.keys, expected);
  window.keys.clear();
  Qdm00800::PostTextHandle(static_cast<uintptr_t>(window.handle()), "");
  EXPECT_EQ(window.keys, (std::vector<Keystroke>{{WM_KEYDOWN, VK_RETURN}}));
}

class ScannerThreadTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Application().SetMainThread();
    Qdm00800::IdPortaOpt = 6;
    Qdm00800::IdVelocOpt = 5;
    Qdm00800::IdTipoOpt = 2;
  }
  void TearDown() override {
    Qdm00800::IdPortaOpt = 0;
    Qdm00800::IdTipoOpt = 0;
  }
  FrozenClock clock;
  emu::ReaderDevice reader{true};
  MappedPort port{6, reader};
  RecordingWindow window;
};

TEST_F(ScannerThreadTest, CreatedSuspendedReadsNothingUntilResumed) {
  auto thread = std::make_unique<Qdm00800::TScannerThread>(TThreadPriority::tpLower, window.handle());
  EXPECT_EQ(thread->Priority, TThreadPriority::tpLower);
  EXPECT_FALSE(thread->FreeOnTerminate);
  ASSERT_TRUE(reader.Present("123"));
  for (int i = 0; i < 20; ++i) Application().HandleMessage(5);
  EXPECT_TRUE(window.keys.empty());
  EXPECT_EQ(reader.OpenCount(), 0);
}

TEST_F(ScannerThreadTest, DeliversReadingsInOrderOnTheMainThreadDropsOddOnesEndsAfterTerminate) {
  auto thread = std::make_unique<Qdm00800::TScannerThread>(TThreadPriority::tpNormal, window.handle());
  thread->Resume();
  ASSERT_TRUE(reader.Present("7891234567895"));
  ASSERT_TRUE(PumpUntil([&] { return window.Typed() == "7891234567895\n"; })) << window.Typed();
  ASSERT_TRUE(reader.Present("*ERR"));  // a reader's own message, not a code
  const long long sent = clock.ElapsedMs();
  ASSERT_TRUE(PumpUntil([&] { return clock.ElapsedMs() > sent + 2500; }));
  ASSERT_TRUE(reader.Present("abc42"));
  ASSERT_TRUE(PumpUntil([&] { return window.Typed().size() > 14; }));
  EXPECT_EQ(window.Typed(), "7891234567895\nabc42\n");
  EXPECT_FALSE(window.off_main_thread);

  const long long asked = clock.ElapsedMs();
  thread->Terminate();
  thread->WaitFor();
  EXPECT_LE(clock.ElapsedMs() - asked, kReadTimeoutMs + kClockStepMs);
  EXPECT_TRUE(thread->Finished());
  thread.reset();
  EXPECT_EQ(reader.OpenCount(), 0);
}

TEST_F(ScannerThreadTest, ReaderThatKeepsSendingIsReadOneBoundedReadAtATime) {
  clock.Pace(reader);
  reader.KeepSending("7891234567895", 50);  // with its carriage return, dropped by type 2
  auto thread = std::make_unique<Qdm00800::TScannerThread>(TThreadPriority::tpNormal, window.handle());
  thread->Resume();
  const long long started = clock.ElapsedMs();
  ASSERT_TRUE(PumpUntil([&] { return window.Typed().find('\n') != std::string::npos; })) << window.Typed();
  EXPECT_LE(clock.ElapsedMs() - started, kReadTimeoutMs + kClockStepMs);
  const std::string first = window.Typed().substr(0, window.Typed().find('\n'));
  EXPECT_EQ(first.substr(0, 14), "7891234567895\r");
  EXPECT_LE(first.size(), 50u);  // at most 51 bytes read, the last one dropped

  const long long asked = clock.ElapsedMs();
  thread->Terminate();
  thread->WaitFor();
  EXPECT_LE(clock.ElapsedMs() - asked, kReadTimeoutMs + kClockStepMs);
  reader.StopSending();
  thread.reset();
  std::string line;
  for (const char c : window.Typed()) {
    if (c != '\n') {
      line += c;
      continue;
    }
    EXPECT_LE(line.size(), 50u) << line;
    line.clear();
  }
  EXPECT_EQ(reader.OpenCount(), 0);
}

TEST_F(ScannerThreadTest, ReaderWithoutAPortDoesNotSpinAndStillEndsAtOnce) {
  platform::clock::UseSystem();  // processor time is only meaningful in real time
  Qdm00800::IdPortaOpt = 7;
  platform::MapPort("COM7", "/nonexistent/tty");
  auto thread = std::make_unique<Qdm00800::TScannerThread>(TThreadPriority::tpNormal, window.handle());
  const auto cpu_before = std::clock();
  thread->Resume();
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(1500);
  while (std::chrono::steady_clock::now() < end) Application().HandleMessage(50);
  const auto asked = std::chrono::steady_clock::now();
  thread->Terminate();
  thread->WaitFor();
  EXPECT_LT(std::chrono::steady_clock::now() - asked, std::chrono::milliseconds(200));
  platform::UnmapPort("COM7");
  EXPECT_TRUE(window.keys.empty());
  // A port opened again and again with no pause would take a core.
  EXPECT_LT(static_cast<double>(std::clock() - cpu_before) / CLOCKS_PER_SEC, 0.3);
}

TEST_F(ScannerThreadTest, FreedWhileRunningEndsCleanly) {
  auto thread = std::make_unique<Qdm00800::TScannerThread>(TThreadPriority::tpNormal, window.handle());
  thread->Resume();
  ASSERT_TRUE(PumpUntil([&] { return clock.ElapsedMs() > 200; }));
  const long long asked = clock.ElapsedMs();
  thread.reset();
  EXPECT_LE(clock.ElapsedMs() - asked, kReadTimeoutMs + kClockStepMs);
  EXPECT_EQ(reader.OpenCount(), 0);
}

}  // namespace
